#pragma once
// The application object: owns the program state and the window registry for
// the whole run, holds the platform services, and is the one place where a
// run-time error ends the program.

#include <QString>
#include <exception>
#include <memory>

#include "app/programstate.h"
#include "app/ui/windowregistry.h"
#include "platform/lockedfile.h"
#include "platform/services.h"

namespace minatori {

class Clock;
class Random;
class MessageBoxes;
class RuntimeError;
class EnterPressesButton;

class Application {
 public:
  // `programFolder`: the folder that holds the executable, without a trailing separator.
  Application(Services services, QString programFolder);
  ~Application();
  Application(const Application &) = delete;
  Application &operator=(const Application &) = delete;

  ProgramState &state() { return state_; }
  const Services &services() const { return services_; }
  Clock &clock() const { return *services_.clock; }
  Random &random() const { return *services_.random; }
  MessageBoxes &messages() const { return *services_.messages; }
  WindowRegistry &windows() { return windows_; }
  const QString &programFolder() const { return programFolder_; }

  // The program's entry: shows the splash window, which carries start-up on.
  void start();

  // Shows the run-time error report, closes every window and ends the program.
  void fail(const RuntimeError &error);
  // Closes every window, the most recent first, and ends the event loop.
  void endProgram(int exitCode);
  bool hasEnded() const { return ended_; }
  int exitCode() const { return exitCode_; }

  // The application that errors escaping an event handler are reported through.
  static Application *current();

  // While another machine holds a file's lock: about a second with the
  // windows alive. An attempt being recorded waits as long as it takes, the
  // wait window saying why; other waits ask every 30 s whether to go on.
  bool waitForLock(const QString &path, LockPurpose purpose, int attempt);

 private:
  Services services_;
  QString programFolder_;
  ProgramState state_;
  WindowRegistry windows_;
  std::unique_ptr<EnterPressesButton> enterPressesButton_;
  bool ended_ = false;
  int exitCode_ = 0;
};

// Reports an exception caught from an event handler through Application::current().
void reportEscapedException(std::exception_ptr error);

// Runs `handler` and turns an error escaping it into the run-time error
// report (the program then ends). Returns false when it failed.
template <class F>
bool runReportingErrors(F &&handler) {
  try {
    handler();
    return true;
  } catch (...) {
    reportEscapedException(std::current_exception());
    return false;
  }
}

}  // namespace minatori
