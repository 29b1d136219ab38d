#include "app/ui/application.h"

#include <QCoreApplication>

#include "app/ui/buttonkeys.h"
#include "app/ui/firstfrm.h"
#include "platform/events.h"
#include "platform/messageboxes.h"
#include "platform/runtimeerror.h"

namespace minatori {

namespace {
Application *g_current = nullptr;
}

Application::Application(Services services, QString programFolder)
    : services_(services), programFolder_(std::move(programFolder)), windows_(*this) {
  g_current = this;
  setProgramEnding(false);
  // Seen before any window's own key handling, for every window alike.
  if (QCoreApplication *qt = QCoreApplication::instance()) {
    enterPressesButton_ = std::make_unique<EnterPressesButton>();
    qt->installEventFilter(enterPressesButton_.get());
  }
}

Application::~Application() {
  if (g_current == this) g_current = nullptr;
}

Application *Application::current() { return g_current; }

void Application::start() {
  runReportingErrors([this] { windows_.show<Firstfrm>(); });
}

void Application::fail(const RuntimeError &error) {
  if (ended_) return;  // one report is enough
  const QString title = state_.programTitle.isEmpty() ? QStringLiteral("ミナトリ") : state_.programTitle;
  showRuntimeErrorReport(messages(), title, error);
  endProgram(1);
}

void Application::endProgram(int exitCode) {
  if (ended_) return;
  ended_ = true;
  exitCode_ = exitCode;
  setProgramEnding(true);
  windows_.closeAll();
  QCoreApplication::exit(exitCode);
}

void reportEscapedException(std::exception_ptr error) {
  Application *app = Application::current();
  try {
    std::rethrow_exception(error);
  } catch (const ProgramEndRequest &e) {
    if (app) app->endProgram(e.exitCode());
  } catch (const RuntimeError &e) {
    if (app) app->fail(e);
  } catch (const std::bad_alloc &) {
    if (app) app->fail(RuntimeError(7, QString()));
  } catch (const std::exception &e) {
    if (app) app->fail(RuntimeError(51, QString(), QString::fromLocal8Bit(e.what())));
  }
}

}  // namespace minatori
