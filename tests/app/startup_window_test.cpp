// Start-up on an installation tree: the splash with today's era date, the
// configuration read on Timer1's tick, then the name-selection screen.

#include <QLabel>
#include <QTimer>

#include "app/ui/application.h"
#include "app/ui/basefrm.h"
#include "app/ui/firstfrm.h"
#include "platform/twips.h"
#include "roster/ui/namesel.h"
#include "tests/support/testinstallation.h"
#include "tests/support/windowrun.h"
#include "tests/support/windowtestmain.h"

using namespace minatori;
using namespace minatori::test;

class StartupWindowTest : public QObject {
  Q_OBJECT

  struct Run : WindowRun {
    void start() { makeApp().start(); }
  };

  // Delivers Timer1's tick through the event loop, as the running program gets it.
  static void tick(Firstfrm *splash) {
    QMetaObject::invokeMethod(splash, "timer1Tick", Qt::QueuedConnection);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

 private Q_SLOTS:
  void splashShowsTheEraDateThenTheNameSelection() {
    Run run;
    run.start();
    Firstfrm *splash = run.app->windows().find<Firstfrm>();
    QVERIFY(splash && splash->isVisible());
    QCOMPARE(splash->objectName(), QStringLiteral("Firstfrm"));
    QCOMPARE(splash->size(), QSize(640, 480));
    auto *date = splash->findChild<QLabel *>(QStringLiteral("Label1"));
    QVERIFY(date);
    QCOMPARE(date->text(), QStringLiteral("令和8年 12月 09日（水）"));
    auto *timer = splash->findChild<QTimer *>(QStringLiteral("Timer1"));
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 100);
    saveScreenshot(splash, QStringLiteral("firstfrm"));
    QVERIFY2(clippedCaptions(splash).isEmpty(), qPrintable(clippedCaptions(splash).join(u'\n')));
    QCOMPARE(run.app->state().seasonColor, QColor(192, 255, 192));
    QCOMPARE(run.app->state().developmentMode, 0);
    // Nothing is read before the tick.
    QVERIFY(run.app->state().dataFolder.isEmpty());

    tick(splash);
    QVERIFY(!run.app->windows().find<Firstfrm>());
    auto *next = run.app->windows().find<namesel>();
    QVERIFY(next && next->isVisible());
    QCOMPARE(next->windowTitle(), QStringLiteral("vantora"));
    saveScreenshot(next, QStringLiteral("namesel"));
    QVERIFY2(clippedCaptions(next).isEmpty(), qPrintable(clippedCaptions(next).join(u'\n')));
    const ProgramState &s = run.app->state();
    QCOMPARE(s.dataFolder, run.inst.dataFolder());
    QCOMPARE(s.contentFolder, run.inst.contentFolder());
    QCOMPARE(s.schoolName, QStringLiteral("みなと学習塾"));
    QCOMPARE(s.criteria[4].targetTime, 75);
    QVERIFY(run.messages.shown.empty());
    QVERIFY(!run.app->hasEnded());
    if (qEnvironmentVariableIsSet("MINATORI_SCREENSHOTS"))
      saveScreenshot(&run.app->windows().show<BASEFRM>(), QStringLiteral("basefrm"));
  }

  // On a smaller screen the date shrinks with the splash around it.
  void theSplashDateShrinksWithTheScreen_data() {
    QTest::addColumn<double>("scale");
    QTest::newRow("1024 × 768") << 1.0;
    QTest::newRow("1366 × 768") << 728.0 / 768;  // the free height under a taskbar
  }
  void theSplashDateShrinksWithTheScreen() {
    QFETCH(double, scale);
    setLayoutScale(scale);
    struct Restore {
      ~Restore() { setLayoutScale(1); }
    } restore;
    Run run;
    run.start();
    Firstfrm *splash = run.app->windows().find<Firstfrm>();
    const QFont font = splash->findChild<QLabel *>(QStringLiteral("Label1"))->font();
    // 22 pixels of the 640-pixel design.
    QVERIFY2(qAbs(font.pixelSize() * 640.0 / splash->width() - 22) < 1, qPrintable(QString::number(font.pixelSize())));
  }

  void seedsTheRandomGeneratorFromTheTimeOfDay() {
    Run run;
    run.clock.set(QDateTime(QDate(2026, 1, 20), QTime(8, 30, 15)));
    run.start();
    Random expected;
    expected.seed(8 * 3600 + 30 * 60 + 15);
    QCOMPARE(run.random.next(), expected.next());
    QCOMPARE(run.app->state().seasonColor, QColor(255, 128, 0));
  }

  void aShortConfigurationFileEndsTheProgramWithTheReport() {
    Run run;
    const QString common = run.inst.dataFolder() + QStringLiteral("共通データ.txt");
    TestInstallation::writeCp932(common, QStringLiteral("4,Aoba,0,0,0,pw,0,0,0\r\n"));
    const auto before = run.inst.snapshot();
    run.start();
    tick(run.app->windows().find<Firstfrm>());

    QCOMPARE(run.messages.shown.size(), size_t(1));
    const ShownMessage &m = run.messages.shown.front();
    QVERIFY2(m.text.contains(QStringLiteral("62")), qPrintable(m.text));
    QVERIFY2(m.text.contains(common), qPrintable(m.text));
    QCOMPARE(m.buttons, MessageButtons::Ok);
    QVERIFY(run.app->hasEnded());
    QCOMPARE(run.app->exitCode(), 1);
    QVERIFY(!run.app->windows().find<BASEFRM>());
    QVERIFY(!run.app->windows().find<Firstfrm>());
    QCOMPARE(run.inst.snapshot(), before);  // nothing written
  }
};

MINATORI_WINDOW_TEST_MAIN(StartupWindowTest)
#include "startup_window_test.moc"
