#include "app/ui/application.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "app/ui/basefrm.h"
#include "app/ui/buttonkeys.h"
#include "app/ui/firstfrm.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/filesystem.h"
#include "platform/messageboxes.h"
#include "platform/runtimeerror.h"
#include "results/logjournal.h"

namespace minatori {

namespace {
Application *g_current = nullptr;
// Seconds a reader waits for a lock before it asks whether to go on.
constexpr int kLockSecondsBeforeAsking = 30;
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
  setLockWait([this](const QString &path, LockPurpose purpose, int attempt) {
    return waitForLock(path, purpose, attempt);
  });
  // The short retries while another program holds a file keep the windows alive too.
  setHeldWait([this](int ms) { waitWithWindowsAlive(clock(), ms); });
  // Told while the log's lock is held: shown once it is released, so that no
  // other machine waits for the box to be closed.
  setRecoveryNotice([this](const QString &message) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this, message] {
          if (g_current != this) return;  // the run has ended meanwhile
          const QString title = state_.programTitle.isEmpty() ? QStringLiteral("ミナトリ") : state_.programTitle;
          messages().show(message, title, MessageButtons::Ok, MessageIcon::Warning);
        },
        Qt::QueuedConnection);
  });
}

Application::~Application() {
  if (g_current == this) {
    g_current = nullptr;
    setLockWait({});
    setHeldWait({});
    setRecoveryNotice({});
  }
}

bool Application::waitForLock(const QString &path, LockPurpose purpose, int attempt) {
  if (purpose == LockPurpose::Append) {
    if (attempt == 1) windows_.show<BASEFRM>().showLogBusy();
    waitWithWindowsAlive(clock(), 1000);
    return true;
  }
  waitWithWindowsAlive(clock(), 1000);
  if (attempt % kLockSecondsBeforeAsking != 0) return true;
  const QString title = state_.programTitle.isEmpty() ? QStringLiteral("ミナトリ") : state_.programTitle;
  return messages().show(QStringLiteral("%1 をほかのパソコンかプログラムが使っています。\r\n%2\r\nもう少し待ちますか？")
                             .arg(QFileInfo(path).fileName(), path),
                         title, MessageButtons::RetryCancel, MessageIcon::Warning) == MessageAnswer::Retry;
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
