// The drill board of a test level, answered by drops on its boxes.

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTest>
#include <limits>

#include "app/configuration.h"
#include "app/levelcatalogue.h"
#include "app/ui/application.h"
#include "app/ui/basefrm.h"
#include "drill/ui/mainfrm.h"
#include "platform/textfile.h"
#include "results/resultslog.h"
#include "results/ui/frmsyuuryou.h"
#include "platform/random.h"
#include "progress/ui/seisekitime1.h"
#include "tests/support/roads.h"
#include "tests/support/testinstallation.h"
#include "tests/support/windowrun.h"
#include "tests/support/windowtestmain.h"

using namespace minatori;
using namespace minatori::test;

namespace {

// Forty events four to nine years apart, categories mixed; `longText`
// gives every event a text that takes several lines in a box.
QString historyCsv(bool longText = false) {
  QString text = QStringLiteral("学年,年,月,日,分類,できごと,よみ,備考\r\n");
  int year = 1500;
  const QString event = longText ? QStringLiteral("諸国の大名が集まって長い会議を重ね新しい決まりを定めたできごと%1")
                                 : QStringLiteral("できごと%1");
  for (int i = 1; i <= 40; ++i) {
    year += 4 + i % 6;
    text += QStringLiteral("1,%1,,,%2,%3,%4,\r\n").arg(year).arg(i % 3 + 1).arg(event.arg(i)).arg(QChar(u'あ' + i));
  }
  return text;
}

// Three events of one year: no question can be drawn.
const QString kOneYearCsv =
    QStringLiteral("h,,,,,,,\r\n1,1600,,,1,a,あ,\r\n1,1600,,,2,b,い,\r\n1,1600,,,3,c,う,\r\n");

QStringList listTexts(const QListWidget *list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

}  // namespace

// Counts how often the progress screen's wait panel shows: once as the
// screen loads, and once in each activation.
struct ProgressActivations : QObject {
  int count = 0;
  ProgressActivations() { qApp->installEventFilter(this); }
  bool eventFilter(QObject *watched, QEvent *event) override {
    auto *w = qobject_cast<QWidget *>(watched);
    if (event->type() == QEvent::Show && w && w->objectName() == QStringLiteral("Picture2") &&
        qobject_cast<seisekitime1 *>(w->window()))
      ++count;
    return false;
  }
};

class MainFrmWindowTest : public QObject {
  Q_OBJECT

  struct Run : WindowRun {
    MainFrm *drill = nullptr;

    // The student's road to the level: the name list, the progress screen,
    // the level's key.
    void open(int level, const QString &csv = historyCsv(), int target = 45, int lowest = 60) {
      TestInstallation::writeCp932(inst.contentFolder() + QStringLiteral("歴史年2001.CSV"), csv);
      makeApp();
      startUp(*app);
      progress = chooseOnNameList(*app, kStudent);
      QVERIFY(progress && progress->ready());
      app->state().criteria[static_cast<size_t>(level)].targetTime = target;
      app->state().criteria[static_cast<size_t>(level)].lowestTime = lowest;
      typeKeys(progress, levelKey(level));
      drill = app->windows().find<MainFrm>();
    }
    static constexpr int kStudent = 101;  // of the demo roster
    seisekitime1 *progress = nullptr;
    template <class W>
    W *child(const QString &name) const {
      return drill->findChild<W *>(name);
    }
    QLabel *box(int k) const { return child<QLabel>(QStringLiteral("Label2_%1").arg(k)); }
    QListWidget *list() const { return child<QListWidget>(QStringLiteral("List1")); }
    // The list entry of item k of the question on the board.
    QString entryOf(int k) const {
      return drill->rows().row(drill->question().items[static_cast<size_t>(k - 1)].row).listEntry();
    }
    QString lastSound() const { return audio.played.isEmpty() ? QString() : audio.played.back(); }
    // The clock at `seconds` after the attempt started, and its tick handled.
    void tickAt(int seconds) {
      const qint64 target = startTick + seconds * 1000LL;
      clock.advanceMs(target - clock.tickMs());
      drill->sTimer1Tick();
    }
    qint64 startTick = 0;
    std::vector<int> hiddenBlocks() const {
      std::vector<int> out;
      for (int i = 10; i <= 39; ++i)
        if (child<QWidget>(QStringLiteral("sPicture3_%1").arg(i))->isHidden()) out.push_back(i);
      return out;
    }
  };

 private Q_SLOTS:
  void theBoardShowsOneQuestion() {
    Run run;
    run.open(3);  // 4 items a question
    QVERIFY(run.drill && run.drill->isVisible());
    QCOMPARE(run.drill->windowTitle(), QStringLiteral("Vantora"));
    QCOMPARE(run.drill->size(), QSize(1024, 768));
    QCOMPARE(run.app->state().questionsPerAttempt, qint16(3));
    QVERIFY(run.child<QWidget>(QStringLiteral("Picture2"))->isVisible());
    QVERIFY(!run.child<QWidget>(QStringLiteral("Picture3"))->isVisible());
    QCOMPARE(run.child<QLabel>(QStringLiteral("Label10"))->text(), QStringLiteral("正しい場所にドラッグドロップしなさい"));
    QCOMPARE(run.child<QLabel>(QStringLiteral("Label11_2"))->text(), QStringLiteral("外国"));
    for (int k = 1; k <= 4; ++k) {
      QVERIFY(run.box(k)->isVisible());
      QCOMPARE(run.box(k)->text(), QStringLiteral("?"));
      QCOMPARE(run.child<QLabel>(QStringLiteral("Label1_%1").arg(k))->text(), QStringLiteral("?"));
    }
    QVERIFY(!run.box(5)->isVisible());
    // Boxes stand lower for later years, and take their category's colour.
    QVERIFY(run.box(1)->y() < run.box(4)->y());
    const int category = run.drill->rows().row(run.drill->question().items[0].row).category;
    const QColor expected = category == 1 ? QColor(255, 255, 0) : category == 2 ? QColor(128, 128, 255) : QColor(192, 64, 0);
    QCOMPARE(run.box(1)->palette().color(QPalette::Window), expected);
    // 4 events and 9 distractors, in sorted order.
    const QStringList texts = listTexts(run.list());
    QCOMPARE(texts.size(), 13);
    QStringList sorted = texts;
    sorted.sort();
    QCOMPARE(texts, sorted);
  }

  void theLastDropIsJudgedAfterTheDropEventHasReturned() {
    // The attempt's last drop closes the drill window; the window system's
    // drag still uses the drop target until the drop event returns, so the
    // judgement waits for it.
    Run run;
    run.clock.setAutoAdvanceMs(10);
    run.open(2);
    for (int question = 1; question <= 3; ++question)
      for (int k = 1; k <= 3; ++k) {
        if (question == 3 && k == 3) break;
        dropText(run.box(k), run.entryOf(k));
      }
    QPointer<QLabel> box = run.box(3);
    QMimeData mime;
    mime.setText(run.entryOf(3));
    const QPoint at = box->rect().center();
    QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &enter);
    QDropEvent drop(QPointF(at), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &drop);
    QVERIFY(drop.isAccepted());
    // Nothing judged yet: the box and its window are still there.
    QVERIFY(box);
    QVERIFY(run.drill->isVisible());
    QCOMPARE(box->text(), QStringLiteral("?"));
    QCOMPARE(run.app->state().questionsDone, 2);

    QCoreApplication::sendPostedEvents(box, QEvent::MetaCall);
    QCOMPARE(run.app->state().questionsDone, 3);
    QVERIFY(!run.app->windows().find<MainFrm>());
    QVERIFY(run.app->windows().find<FrmSyuuryou>());
  }

  void rightDropsFillTheBoxesAndWrongDropsReset() {
    Run run;
    run.open(3);
    const QString first = run.entryOf(1);
    dropText(run.box(1), first);
    QCOMPARE(run.box(1)->text(), first.mid(2));
    QVERIFY(!listTexts(run.list()).contains(first));
    const int year = run.drill->rows().row(run.drill->question().items[0].row).year;
    QCOMPARE(run.child<QLabel>(QStringLiteral("Label1_1"))->text(), QString::number(year));
    QVERIFY(run.lastSound().endsWith(QStringLiteral("正解ピン.wav")));

    dropText(run.box(2), run.entryOf(2));
    // Item 1's event on box 3 is wrong: the box turns red, the right event shows under it.
    const QColor before = run.box(3)->palette().color(QPalette::Window);
    dropText(run.box(3), run.entryOf(4));
    QVERIFY(run.lastSound().endsWith(QStringLiteral("間違いブー.wav")));
    QCOMPARE(run.box(3)->palette().color(QPalette::Window), QColor(255, 0, 0));
    auto *label9 = run.child<QLabel>(QStringLiteral("Label9"));
    QVERIFY(label9->isVisible());
    QCOMPARE(label9->text(), run.entryOf(3).mid(2));
    QCOMPARE(label9->y(), run.box(3)->geometry().bottom() + 1);
    auto *ok = run.child<QPushButton>(QStringLiteral("Command12"));
    QVERIFY(ok->isVisible());
    QCOMPARE(ok->text(), QStringLiteral("O.K."));
    QCOMPARE(run.drill->focusWidget(), ok);
    QVERIFY(!run.list()->isEnabled());
    // While correcting, drops change nothing.
    dropText(run.box(4), run.entryOf(4));
    QCOMPARE(run.box(4)->text(), QStringLiteral("?"));

    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!label9->isVisible());
    QVERIFY(!ok->isVisible());
    QVERIFY(run.list()->isEnabled());
    QCOMPARE(run.box(3)->palette().color(QPalette::Window), before);
    const QStringList texts = listTexts(run.list());
    QCOMPARE(texts.size(), 13);
    for (int k = 1; k <= 4; ++k) {
      QCOMPARE(texts.count(run.entryOf(k)), 1);
      QCOMPARE(run.box(k)->text(), QStringLiteral("?"));
      QCOMPARE(run.child<QLabel>(QStringLiteral("Label1_%1").arg(k))->text(), QStringLiteral("?"));
    }
  }

  void threeCompletedQuestionsAnswerTheAttempt() {
    Run run;
    run.clock.setAutoAdvanceMs(10);
    run.open(2);  // 3 items a question
    auto *left = run.child<QLabel>(QStringLiteral("sLabel9"));
    QCOMPARE(left->text(), QStringLiteral("3"));
    for (int question = 1; question <= 3; ++question) {
      for (int k = 1; k <= 3; ++k) dropText(run.box(k), run.entryOf(k));
      QCOMPARE(run.app->state().questionsDone, question);
      if (question < 3) {
        QCOMPARE(left->text(), QString::number(3 - question));
        QVERIFY(run.lastSound().endsWith(QStringLiteral("正解チャイム.wav")));
      }
    }
    QCOMPARE(run.app->state().allAnswered, qint16(1));
    QVERIFY(run.messages.shown.empty());
    // The attempt is recorded and the end screen has taken over.
    QVERIFY(!run.app->windows().find<MainFrm>());
    QVERIFY(run.app->windows().find<FrmSyuuryou>());
    const auto records = readResultRecords(resultsLogPath(run.app->state()));
    QCOMPARE(records.size(), size_t(1));
    QCOMPARE(records[0].level, qint16(2));
  }

  void theStatusPanelShowsTheAttempt() {
    Run run;
    run.open(2);
    QCOMPARE(run.child<QLabel>(QStringLiteral("sLabel2"))->text(), QStringLiteral("ミナトリ"));
    QCOMPARE(run.child<QLabel>(QStringLiteral("sLabel2"))->font().pointSizeF(), 16.8);
    QCOMPARE(run.child<QLabel>(QStringLiteral("sLabel8"))->text(), QStringLiteral("１－１"));
    QCOMPARE(run.child<QLabel>(QStringLiteral("sLabel10"))->text(), QStringLiteral("0"));
    QCOMPARE(run.child<QLabel>(QStringLiteral("sLabel11"))->text(), QStringLiteral("1"));
    QCOMPARE(run.app->state().timeLimit, 300);
    auto *timer = run.child<QTimer>(QStringLiteral("sTimer1"));
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);
    QVERIFY(run.child<QTimer>(QStringLiteral("sTimer2"))->isActive());
    const int full = run.child<QWidget>(QStringLiteral("sShape5"))->width();
    QCOMPARE(run.child<QWidget>(QStringLiteral("sShape3"))->width(), qRound(45.0 * full / 300));
    QCOMPARE(run.child<QWidget>(QStringLiteral("sShape4"))->width(), qRound(60.0 * full / 300));
  }

  void theRedBlocksCountDownToTheTargetAndTheLowestTime() {
    Run run;
    run.startTick = run.clock.tickMs();
    run.open(2, historyCsv(), 45, 60);
    run.tickAt(35);
    QVERIFY(run.hiddenBlocks().empty());
    run.tickAt(36);
    QCOMPARE(run.hiddenBlocks(), std::vector<int>{30});
    run.tickAt(45);
    QCOMPARE(run.hiddenBlocks(), (std::vector<int>{30, 31, 32, 33, 34, 35, 36, 37, 38, 39}));
    QCOMPARE(run.child<QLabel>(QStringLiteral("sLabel10"))->text(), QStringLiteral("45"));
  }

  // A lowest time typed huge in the criteria editor makes a limit beyond
  // 32 bits: the attempt then simply never times out.
  void theAttemptTimesOutAtFiveTimesTheLowestTime_data() {
    QTest::addColumn<int>("lowest");
    QTest::addColumn<bool>("timesOutAt300");
    QTest::newRow("60 s: at 300 s") << 60 << true;
    QTest::newRow("above 2^32 / 5") << 429496730 << false;
    QTest::newRow("the largest") << std::numeric_limits<qint32>::max() << false;
  }
  void theAttemptTimesOutAtFiveTimesTheLowestTime() {
    QFETCH(int, lowest);
    QFETCH(bool, timesOutAt300);
    Run run;
    run.startTick = run.clock.tickMs();
    run.open(2, historyCsv(), 45, lowest);
    run.tickAt(299);
    QCOMPARE(run.app->state().timedOut, qint16(0));
    QVERIFY(run.app->windows().find<MainFrm>());
    run.clock.setAutoAdvanceMs(10);
    run.tickAt(300);
    QCOMPARE(run.app->state().timedOut, qint16(timesOutAt300 ? 1 : 0));
    if (!timesOutAt300) {
      QVERIFY(run.app->windows().find<MainFrm>());
      return;
    }
    QCOMPARE(run.app->state().finishing, qint16(1));
    QCOMPARE(run.app->state().attemptResult, 99999);
    QVERIFY(!run.app->windows().find<MainFrm>());
  }

  void theRecordHoldsTheElapsedWholeSeconds() {
    Run run;
    run.startTick = run.clock.tickMs();
    run.open(2);
    for (int question = 1; question <= 3; ++question)
      for (int k = 1; k <= 3; ++k) {
        if (question == 3 && k == 3) {
          run.tickAt(83);
          run.clock.setAutoAdvanceMs(10);
        }
        dropText(run.box(k), run.entryOf(k));
      }
    const auto records = readResultRecords(resultsLogPath(run.app->state()));
    QCOMPARE(records.size(), size_t(1));
    QCOMPARE(records[0].resultTime, qint32(83));
  }

  void theLastAnswerAndTheTimeOutInOneSecondFinishOnce() {
    Run run;
    run.startTick = run.clock.tickMs();
    run.open(2, historyCsv(), 45, 60);
    for (int question = 1; question <= 3; ++question)
      for (int k = 1; k <= (question == 3 ? 2 : 3); ++k) dropText(run.box(k), run.entryOf(k));
    // The last drop arrives while the time-out tick lets pending events run.
    QPointer<QLabel> last = run.box(3);
    const QString entry = run.entryOf(3);
    QTimer::singleShot(0, [last, entry] {
      if (last) dropText(last, entry);
    });
    run.clock.setAutoAdvanceMs(10);
    run.tickAt(300);
    QCoreApplication::processEvents();
    const auto records = readResultRecords(resultsLogPath(run.app->state()));
    QCOMPARE(records.size(), size_t(1));
    QCOMPARE(run.app->state().timedOut, qint16(0));
    QVERIFY(records[0].resultTime < 99999);
    int endScreens = 0;
    for (Window *w : run.app->windows().openWindows()) endScreens += qobject_cast<FrmSyuuryou *>(w) ? 1 : 0;
    QCOMPARE(endScreens, 1);
  }

  // A box of the drill left open past the time-out (lowest time 60 s, so
  // 300 s), with the clock ticking on behind it: no tick acts, so no record
  // and no second screen.
  void noTickActsBehindAnOpenBox_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QString>("title");
    QTest::newRow("問題を作れません") << 4 << kOneYearCsv << QStringLiteral("ミナトリ");
    QTest::newRow("音声エラー") << 2 << historyCsv() << QStringLiteral("音声エラー");
  }
  void noTickActsBehindAnOpenBox() {
    QFETCH(int, level);
    QFETCH(QString, csv);
    QFETCH(QString, title);
    Run run;
    run.clock.setAutoAdvanceMs(10);  // so that a completion behind the box would get through its wait
    run.startTick = run.clock.tickMs();
    run.messages.whileOpen = [&](const ShownMessage &) {
      run.drill = run.app->windows().find<MainFrm>();
      for (int i = 0; i < 4; ++i) {  // 400 s in all
        run.clock.advanceMs(100'000);
        run.drill->sTimer1Tick();
      }
    };
    run.open(level, csv, 45, 60);
    if (level == 2) {  // the sound fails from here on; the fourth failure in a row shows the box
      run.tickAt(250);
      run.audio.failAll = true;
      for (int k = 1; k <= 3; ++k) dropText(run.box(k), run.entryOf(k));
    }
    QCOMPARE(run.messages.shown.size(), size_t(1));
    QCOMPARE(run.messages.shown[0].title, title);
    QCoreApplication::processEvents();  // the time-out judged once the box has closed
    QCOMPARE(run.app->state().timedOut, qint16(0));
    QVERIFY(!QFile::exists(resultsLogPath(run.app->state())));
    QVERIFY(!run.app->windows().find<FrmSyuuryou>());
    QVERIFY(!run.app->windows().find<MainFrm>());
    // Back on the progress screen after the first box; the second ends the program.
    QCOMPARE(run.app->windows().openWindows().size(), size_t(run.app->hasEnded() ? 0 : 1));
  }

  // Whatever box stands over a running attempt, its time is left out: the
  // clock goes on from where it stood, and times out 300 s later counted
  // without the box.
  void theTimeABoxStandsOpenDoesNotCount() {
    Run run;
    run.clock.setAutoAdvanceMs(10);
    run.startTick = run.clock.tickMs();
    run.open(2, historyCsv(), 45, 60);
    run.tickAt(250);
    run.messages.whileOpen = [&](const ShownMessage &) { run.tickAt(650); };
    run.app->messages().show(QStringLiteral("お知らせ"), QStringLiteral("ミナトリ"));
    QCoreApplication::processEvents();  // judged once the box has closed
    QVERIFY(run.app->windows().find<MainFrm>());  // the attempt goes on
    QCOMPARE(run.child<QLabel>(QStringLiteral("sLabel10"))->text(), QStringLiteral("250"));
    run.tickAt(400 + 299);
    QCOMPARE(run.app->state().timedOut, qint16(0));
    run.tickAt(400 + 300);
    QCOMPARE(run.app->state().timedOut, qint16(1));
  }

  void aPracticeTimeOutReturnsWithoutARecord() {
    Run run;
    run.startTick = run.clock.tickMs();
    run.open(1, historyCsv(), 45, 60);
    run.clock.setAutoAdvanceMs(10);
    run.tickAt(300);
    QVERIFY(!run.app->windows().find<MainFrm>());
    QVERIFY(run.app->windows().find<seisekitime1>());
    QVERIFY(!run.app->windows().find<FrmSyuuryou>());
    QVERIFY(!QFile::exists(resultsLogPath(run.app->state())));
  }

  void practiceCardsShowAYearThenItsEvent() {
    Run run;
    run.open(1, historyCsv(true));
    auto *year = run.child<QLabel>(QStringLiteral("Label12_0"));
    auto *event = run.child<QLabel>(QStringLiteral("Label12_1"));
    QCOMPARE(year->text(), QString::number(run.drill->rows().row(1).year));
    QCOMPARE(event->text(), QStringLiteral("?"));
    QCOMPARE(run.child<QLabel>(QStringLiteral("sLabel11"))->text(), QStringLiteral("－"));
    auto *reveal = run.child<QTimer>(QStringLiteral("Timer2_0"));
    QVERIFY(reveal->isActive());
    QCOMPARE(reveal->interval(), 1000);
    run.drill->timer2Tick0();
    QCOMPARE(event->text(), run.drill->rows().row(1).eventText);
    QVERIFY(event->font().pointSize() < 72);  // made smaller to fit
    QTest::mouseClick(run.child<QPushButton>(QStringLiteral("Command10")), Qt::LeftButton);
    QVERIFY(run.app->state().practiceCards.isLearnt(1));
    QTest::mouseClick(run.child<QRadioButton>(QStringLiteral("Option1_5")), Qt::LeftButton, {}, QPoint(8, 15));
    QCOMPARE(reveal->interval(), 550);
    QCOMPARE(run.child<QTimer>(QStringLiteral("Timer2_1"))->interval(), 505);
    run.drill->timer2Tick1();
    QCOMPARE(year->text(), QString::number(run.drill->rows().row(2).year));
    QCOMPARE(event->text(), QStringLiteral("?"));
    QCOMPARE(event->font().pointSize(), 72);
    // "練習終了" clicked twice: the second click lands while the first hands over.
    QPointer<QPushButton> end = run.child<QPushButton>(QStringLiteral("Command9"));
    const ProgressActivations activations;
    const WhileBusy again([end] {
      if (end) clickOn(end);
    });
    clickOn(end);
    QVERIFY(again.done());
    QCOMPARE(activations.count, 2);  // loaded and activated once
    QVERIFY(!run.app->windows().find<MainFrm>());
    QVERIFY(run.app->windows().find<seisekitime1>());
    QVERIFY(run.audio.played.isEmpty());
    QVERIFY(!QFile::exists(resultsLogPath(run.app->state())));
  }

  void theKeyboardAnswersLikeADrop() {
    Run run;
    run.open(2);
    QListWidget *list = run.list();
    auto select = [&](const QString &entry) { list->setCurrentItem(list->findItems(entry, Qt::MatchExactly).front()); };
    const int before = list->count();
    select(run.entryOf(1));
    QTest::keyClick(list, Qt::Key_1);
    QCOMPARE(run.box(1)->text(), run.drill->board().boxCaptions[0]);
    QCOMPARE(list->count(), before - 1);
    // The answered entry is gone and nobody has chosen another: a digit now
    // judges nothing.
    typeKeys(run.drill, QStringLiteral("2"));
    QCOMPARE(run.box(2)->text(), QStringLiteral("?"));
    QVERIFY(!run.child<QPushButton>(QStringLiteral("Command12"))->isVisible());
    // A wrong box shows the correction; Enter confirms it and the question starts over.
    select(run.entryOf(3));
    QTest::keyClick(list, Qt::Key_2);
    QVERIFY(run.child<QPushButton>(QStringLiteral("Command12"))->isVisible());
    QTest::keyClick(list, Qt::Key_3);  // ignored while correcting
    QTest::keyClick(run.child<QPushButton>(QStringLiteral("Command12")), Qt::Key_Return);
    QVERIFY(!run.child<QPushButton>(QStringLiteral("Command12"))->isVisible());
    QCOMPARE(run.box(1)->text(), QStringLiteral("?"));
    QTest::keyClick(list, Qt::Key_5);  // no box 5 on a three-item question
    QCOMPARE(list->count(), before);
  }

  void theDemoTableOnTheBoard() {
    Run run;
    const QString demo = readCp932File(demoSourceFolder() + QStringLiteral("content/歴史年2001.CSV"));
    run.open(3, demo);
    dropText(run.box(1), run.entryOf(2));  // a wrong drop shows the correction
    QVERIFY(run.child<QPushButton>(QStringLiteral("Command12"))->isVisible());
    saveScreenshot(run.drill, QStringLiteral("mainfrm"));
    QVERIFY2(clippedCaptions(run.drill).isEmpty(), qPrintable(clippedCaptions(run.drill).join(u'\n')));
    run.app->windows().closeAll();
    Run practice;
    practice.open(1, demo);
    practice.drill->timer2Tick0();
    saveScreenshot(practice.drill, QStringLiteral("mainfrm-practice"));
    QVERIFY2(clippedCaptions(practice.drill).isEmpty(), qPrintable(clippedCaptions(practice.drill).join(u'\n')));
  }

  void anEmptyDragIsIgnored() {
    Run run;
    run.open(2);
    const int sounds = run.audio.played.size();
    dropText(run.box(1), QString());
    QCOMPARE(run.box(1)->text(), QStringLiteral("?"));
    QCOMPARE(run.audio.played.size(), sounds);
  }

  // A drill that ends while it is being set up hands back to a progress
  // screen that works: shown, ready for keys, the wait window gone.
  void anAttemptThatEndsAtOnceReturnsToAWorkingProgressScreen_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QString>("message");
    QTest::newRow("no question") << 4 << kOneYearCsv
                                 << QStringLiteral("問題を作れません\r\n");
    // No event of level group 1: the practice has no first card.
    QTest::newRow("no card") << 1 << QStringLiteral("h,,,,,,,\r\n2,1600,,,1,a,あ,\r\n") << QString();
  }
  void anAttemptThatEndsAtOnceReturnsToAWorkingProgressScreen() {
    QFETCH(int, level);
    QFETCH(QString, csv);
    QFETCH(QString, message);
    Run run;
    // A window of the program stands on the screen through the hand-over
    // (the end of a practice shows the wait window first).
    bool windowAtDrillClose = message.isEmpty();
    run.messages.whileOpen = [&](const ShownMessage &) {
      QObject::connect(run.app->windows().find<MainFrm>(), &Window::closed, [&] {
        for (Window *w : run.app->windows().openWindows()) windowAtDrillClose |= w->isVisible();
      });
    };
    run.open(level, csv);
    QVERIFY(windowAtDrillClose);
    if (message.isEmpty()) {
      QVERIFY(run.messages.shown.empty());
    } else {
      QCOMPARE(run.messages.shown.size(), size_t(1));
      QVERIFY(run.messages.shown.front().text.startsWith(message));
      QVERIFY(run.messages.shown.front().text.contains(QStringLiteral("歴史年2001.CSV")));
    }
    QVERIFY(!run.app->windows().find<MainFrm>());
    QVERIFY(!run.app->windows().find<BASEFRM>());
    QVERIFY(!run.app->hasEnded());
    auto *progress = run.app->windows().find<seisekitime1>();
    QVERIFY(progress && progress->isVisible() && progress->ready());
    QVERIFY(!QFile::exists(resultsLogPath(run.app->state())));
    // The student goes on from there: "0" back to the names.
    typeKeys(progress, QStringLiteral("0"));
    QVERIFY(run.app->windows().find<namesel>());
  }

  // The right event and its "O.K." stay whole inside the board, under the
  // box or, near the bottom, over it; Enter on the focused "O.K." ends it.
  void theCorrectionStaysInsideTheBoard_data() {
    QTest::addColumn<int>("box");
    for (int k = 1; k <= 5; ++k) QTest::newRow(qPrintable(QStringLiteral("box %1").arg(k))) << k;
  }
  void theCorrectionStaysInsideTheBoard() {
    QFETCH(int, box);
    Run run;
    run.open(4, historyCsv(true));  // 5 items a question
    QListWidget *list = run.list();
    pressKey(run.drill, Qt::Key_Home);
    if (list->currentItem()->text() == run.entryOf(box)) pressKey(run.drill, Qt::Key_Down);
    typeKeys(run.drill, QString::number(box));  // a wrong event on the box
    auto *label9 = run.child<QLabel>(QStringLiteral("Label9"));
    auto *ok = run.child<QPushButton>(QStringLiteral("Command12"));
    QVERIFY(label9->isVisible() && ok->isVisible());
    const QRect board = run.child<QWidget>(QStringLiteral("Picture1"))->rect();
    const QRect boxRect = run.box(box)->geometry();
    QVERIFY2(board.contains(label9->geometry()), qPrintable(QStringLiteral("%1 %2").arg(label9->y()).arg(label9->height())));
    QVERIFY(board.contains(ok->geometry()));
    QVERIFY(!label9->geometry().intersects(boxRect) && !ok->geometry().intersects(boxRect));
    QVERIFY(!label9->geometry().intersects(ok->geometry()));
    QCOMPARE(label9->x(), boxRect.x());
    QVERIFY(label9->height() >= label9->heightForWidth(label9->width()));  // every line of the event
    QCOMPARE(run.drill->focusWidget(), ok);
    pressKey(run.drill, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(!ok->isVisible() && !label9->isVisible());
    QCOMPARE(run.drill->focusWidget(), list);
  }

  void aPracticeLevelShowsThePracticePanel() {
    Run run;
    run.open(5);
    QVERIFY(!run.child<QWidget>(QStringLiteral("Picture2"))->isVisible());
    QVERIFY(run.child<QWidget>(QStringLiteral("Picture3"))->isVisible());
    QCOMPARE(run.drill->rows().rowCount(), 40);
  }
};

MINATORI_WINDOW_TEST_MAIN(MainFrmWindowTest)
#include "mainfrm_window_test.moc"
