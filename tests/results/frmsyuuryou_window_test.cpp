// The end screen judging an attempt just recorded.

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/configuration.h"
#include "app/levelcatalogue.h"
#include "app/ui/application.h"
#include "app/ui/basefrm.h"
#include "drill/ui/mainfrm.h"
#include "platform/random.h"
#include "progress/ui/seisekitime1.h"
#include "results/resultslog.h"
#include "results/tallies.h"
#include "results/ui/frmsyuuryou.h"
#include "tests/support/roads.h"
#include "tests/support/testinstallation.h"
#include "tests/support/windowrun.h"
#include "tests/support/windowtestmain.h"

using namespace minatori;
using namespace minatori::test;

class FrmSyuuryouWindowTest : public QObject {
  Q_OBJECT

  struct Run : WindowRun {
    FrmSyuuryou *end = nullptr;

    Run() {
      makeApp();
      loadConfiguration(app->state(), inst.programFolder());
      buildLevelCatalogue(app->state());
      ProgramState &s = app->state();
      s.studentNumber = 7;
      s.studentName = QStringLiteral("青木さくら          ");
      setEveryLevel(s, 10, 2, 3);
    }
    // Records already in the log for the student on `level`.
    void earlier(int level, std::initializer_list<int> times) {
      ProgramState &s = app->state();
      for (int t : times) {
        s.currentLevel = static_cast<qint16>(level);
        s.attemptResult = t;
        appendResult(s, clock);
      }
    }
    // The attempt as drill completion records it, then the end screen.
    void finish(int level, int time, bool timedOut = false) {
      ProgramState &s = app->state();
      computeTallies(s, app->services());
      s.currentLevel = static_cast<qint16>(level);
      s.timedOut = timedOut ? 1 : 0;
      s.attemptResult = timedOut ? 99999 : time;
      s.newPersonalBest = s.newLevelBest = 0;
      recordAttempt(s, clock, level);
      end = &app->windows().show<FrmSyuuryou>();
    }
    QString text(const char *name) const { return end->findChild<QLabel *>(QString::fromLatin1(name))->text(); }
    bool shown(const char *name) const { return !end->findChild<QWidget *>(QString::fromLatin1(name))->isHidden(); }
    QString lastSound() const { return audio.played.isEmpty() ? QString() : audio.played.back(); }
  };

 private Q_SLOTS:
  void aFirstAttemptIsAnAllTimeRecord() {
    Run run;
    run.finish(2, 40);
    QCOMPARE(run.end->windowTitle(), QStringLiteral("終了"));
    QCOMPARE(run.text("Label19"), QStringLiteral("獲得ポイント：6点×1→6点"));
    QCOMPARE(run.text("Label18"), QStringLiteral("今の成績：40秒"));
    QCOMPARE(run.text("Label17"), QStringLiteral("青木さくら"));
    QCOMPARE(run.text("Label16"), QStringLiteral("１－１"));
    QCOMPARE(run.text("Label13"), QStringLiteral(" (このレベル　1回目)"));
    QCOMPARE(run.text("Label14"), QStringLiteral("（1回目)"));
    QVERIFY(run.shown("Label20"));
    QCOMPARE(run.text("Label20"), QStringLiteral("！！！最高新記録！！！"));
    QVERIFY(run.lastSound().endsWith(QStringLiteral("最高1.wav")));
    QCOMPARE(run.app->state().newLevelBest, 0);
    QVERIFY(!run.shown("Command4"));
    run.end->timer1Tick();
    QVERIFY(run.shown("Command4"));
    saveScreenshot(run.end, QStringLiteral("frmsyuuryou"));
    QVERIFY2(clippedCaptions(run.end).isEmpty(), qPrintable(clippedCaptions(run.end).join(u'\n')));
    QVERIFY(run.shown("Command5"));
    // Enter presses the focused "メニューへ"; the progress screen is there
    // before the end screen goes, and the wait window does not stay behind.
    QCOMPARE(run.end->focusWidget(), run.end->findChild<QPushButton *>(QStringLiteral("Command4")));
    bool progressShownAtClose = false;
    QObject::connect(run.end, &Window::closed, [&] {
      auto *progress = run.app->windows().find<seisekitime1>();
      progressShownAtClose = progress && progress->isVisible();
    });
    pressKey(run.end, Qt::Key_Return);
    QVERIFY(progressShownAtClose);
    QVERIFY(!run.app->windows().find<FrmSyuuryou>());
    QVERIFY(run.app->windows().find<seisekitime1>());
    QVERIFY(!run.app->windows().find<BASEFRM>());
  }

  void aTimedOutAttemptHasNoRecordAndNoSound() {
    Run run;
    run.finish(2, 0, true);
    QCOMPARE(run.text("Label18"), QStringLiteral("記録なし"));
    QCOMPARE(run.text("Label20"), QStringLiteral("時間切れ"));
    QCOMPARE(run.text("Label19"), QStringLiteral("獲得ポイント：0点×1→0点"));
    QVERIFY(run.audio.played.isEmpty());
  }

  void anEqualTimeShowsNoMessage() {
    Run run;
    run.earlier(2, {40});
    run.finish(2, 40);
    QVERIFY(!run.shown("Label20"));
    QVERIFY(run.lastSound().endsWith(QStringLiteral("もう少し.wav")));  // within the lowest time
    QCOMPARE(run.text("Label13"), QStringLiteral(" (このレベル　2回目)"));
  }

  void aPersonalRecordBelowSomeoneElsesBest() {
    Run run;
    run.app->state().studentNumber = 8;
    run.earlier(2, {20});
    run.app->state().studentNumber = 7;
    run.earlier(2, {50});
    run.finish(2, 40);
    QCOMPARE(run.text("Label20"), QStringLiteral("新記録おめでとう"));
    QVERIFY(run.lastSound().contains(QStringLiteral("自己ベスト")));
  }

  void tooMuchPractiseOnAClearedLevelSendsTheStudentOn() {
    Run run;
    run.earlier(3, {30, 30});
    run.finish(3, 30);  // cleared, and the third attempt today reaches the limit of 3
    QVERIFY(run.shown("Label2"));
    run.end->timer1Tick();
    QCOMPARE(run.text("Label2"), QStringLiteral("次のレベルへ進みましょう"));
    QVERIFY(!run.shown("Command5"));
    QVERIFY(run.shown("Command4"));
  }

  void tooMuchPractiseOnALevelNotClearedStillOffersARetry() {
    Run run;
    run.app->state().criteria[3].clearPoints = 1000;
    run.earlier(3, {30, 30});
    run.finish(3, 30);
    run.end->timer1Tick();
    QVERIFY(run.shown("Command5"));
  }

  void clearingTheLastLevelCelebratesOnce() {
    Run run;
    run.earlier(12, {30});
    run.finish(12, 30);
    QVERIFY(run.shown("Picture1"));
    QVERIFY(run.lastSound().endsWith(QStringLiteral("合格.wav")));
    run.audio.played.clear();
    run.end->close();
    run.finish(12, 35);  // still cleared, already before: the panel but no sound
    QVERIFY(run.shown("Picture1"));
    QVERIFY(!run.lastSound().endsWith(QStringLiteral("合格.wav")));
  }

  // A button tick that falls due while the sounds play (an overdue timer
  // runs in the activation's "let pending messages run") waits for them.
  void theButtonsComeOnlyAfterTheSounds() {
    Run run;
    run.earlier(12, {30});
    bool panelWhileClearSound = false, buttonWhileClearSound = true;
    run.audio.onPlay = [&](const QString &wav) {
      FrmSyuuryou *end = run.app->windows().find<FrmSyuuryou>();
      if (wav.endsWith(QStringLiteral("最高1.wav"))) end->timer1Tick();
      if (wav.endsWith(QStringLiteral("合格.wav"))) {
        panelWhileClearSound = !end->findChild<QWidget *>(QStringLiteral("Picture1"))->isHidden();
        buttonWhileClearSound = !end->findChild<QWidget *>(QStringLiteral("Command4"))->isHidden();
      }
    };
    run.finish(12, 25);  // a new best of everybody, and the last level cleared
    QVERIFY(panelWhileClearSound);
    QVERIFY(!buttonWhileClearSound);
    // The tick has run once the activation has finished.
    QVERIFY(run.shown("Command4"));
    QVERIFY(!run.shown("Picture1"));
    QCOMPARE(run.end->focusWidget(), run.end->findChild<QPushButton *>(QStringLiteral("Command4")));
  }

  void aClearCountOf9999HoldsBackTheFinalPicture() {
    Run run;
    run.app->state().criteria[30].clearCount = 9999;
    run.earlier(12, {30});
    run.finish(12, 30);
    QVERIFY(run.shown("Label2"));
    QVERIFY(!run.shown("Picture1"));
  }

  void onceMoreStartsTheSameLevelAgain() {
    Run run;
    TestInstallation::writeCp932(run.inst.contentFolder() + QStringLiteral("歴史年2001.CSV"),
                                 QStringLiteral("h,,,,,,,\r\n1,1600,,,1,a,あ,\r\n1,1610,,,2,b,い,\r\n1,1620,,,3,c,う,\r\n"
                                                "1,1700,,,1,d,え,\r\n"));
    run.finish(2, 40);
    run.end->timer1Tick();
    QTest::mouseClick(run.end->findChild<QPushButton *>(QStringLiteral("Command5")), Qt::LeftButton);
    QVERIFY(!run.app->windows().find<FrmSyuuryou>());
    QVERIFY(run.app->windows().find<MainFrm>());
    QCOMPARE(run.app->state().questionsDone, 0);
  }
};

MINATORI_WINDOW_TEST_MAIN(FrmSyuuryouWindowTest)
#include "frmsyuuryou_window_test.moc"
