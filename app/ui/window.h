#pragma once
// Base of every window of the program. A window is created by the registry
// when it is first shown, runs its load steps once, its activation steps each
// time it is shown, and is destroyed by the registry some time after it
// closes (see WindowRegistry::forget).

#include <QWidget>

namespace minatori {

class Application;
struct ProgramState;

class Window : public QWidget {
  Q_OBJECT
 public:
  explicit Window(Application &app);

  // Runs once, right after creation and before the window is first shown.
  virtual void load() {}
  // Runs every time the window is shown through the registry.
  virtual void activate() {}

 Q_SIGNALS:
  // The window's close was accepted; it is no longer among the open windows.
  void closed();

 protected:
  Application &app() const { return app_; }
  ProgramState &state() const;
  void closeEvent(QCloseEvent *event) override;
  // Centres the window on the screen it is on.
  void centreOnScreen();

 private:
  Application &app_;
};

}  // namespace minatori
