// The progress screen on an installation tree with a prepared results log:
// the level columns, the start buttons and their bar, the rankings, the keys
// and the scrolling, and the whole road of one attempt on real windows.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QProgressBar>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <optional>

#include "app/configuration.h"
#include "app/levelcatalogue.h"
#include "app/ui/basefrm.h"
#include "app/ui/frmver.h"
#include "drill/ui/mainfrm.h"
#include "platform/lockedfile.h"
#include "results/logjournal.h"
#include "results/resultslog.h"
#include "results/tallies.h"
#include "results/ui/frmsyuuryou.h"
#include "progress/ui/seisekitime1.h"
#include "roster/ui/namesel.h"
#include "teacher/ui/frmdata.h"
#include "teacher/ui/frmtimedata.h"
#include "tests/support/faultyfiles.h"
#include "tests/support/roads.h"
#include "tests/support/windowrun.h"
#include "tests/support/windowtestmain.h"

using namespace minatori;
using namespace minatori::test;

namespace {

// School year 2026 (fake clock 9 December 2026): 2017 is 小3, 2018 小2.
const QString kRoster = QStringLiteral(
    "7,2017,0,0,\"青木さくら\",0,,\r\n"
    "8,2017,0,0,\"伊藤翔\",0,,\r\n"
    "9,2018,0,0,\"上田健\",0,,\r\n"
    "10,2017,0,0,\"江藤真\",0,,\r\n"
    "11,2017,0,0,\"小野花\",0,,\r\n"
    "900,1980,0,0,\"水野先生\",0,,\r\n");

}  // namespace

class Seisekitime1WindowTest : public QObject {
  Q_OBJECT

  struct Run : WindowRun {
    seisekitime1 *screen = nullptr;

    explicit Run(const QString &roster = kRoster) {
      TestInstallation::writeCp932(inst.dataFolder() + QStringLiteral("新名簿.txt"), roster);
      makeApp();
      ProgramState &s = app->state();
      loadConfiguration(s, inst.programFolder());
      s.seasonColor = seasonColorForMonth(clock.today().month());  // the splash sets it in the program
      readRosterForNameList(s, clock.today(), 0);
      setEveryLevel(s, 50, 3, 0);
      choose(7);
    }
    void choose(int student) {
      ProgramState &s = app->state();
      s.studentNumber = static_cast<qint16>(student);
      s.studentName = s.roster.nameByNumber[static_cast<size_t>(student)];
      s.studentGradeLabel = s.roster.gradeLabelByNumber[static_cast<size_t>(student)];
      s.studentStartTime = 9 * 3600;  // the fake clock stands at 10:00
      buildLevelCatalogue(s);
    }
    // Attempts recorded `daysAgo` days before today.
    void attempts(int student, int level, std::initializer_list<int> times, int daysAgo = 0) {
      ProgramState &s = app->state();
      const QDateTime now = clock.now();
      clock.set(now.addDays(-daysAgo));
      const qint16 keep = s.studentNumber;
      s.studentNumber = static_cast<qint16>(student);
      s.currentLevel = static_cast<qint16>(level);
      for (int t : times) {
        s.attemptResult = t;
        appendResult(s, clock);
      }
      s.studentNumber = keep;
      clock.set(now);
    }
    // As the name screen and the end screen leave them, the tallies are current when the screen opens.
    void open() {
      computeTallies(app->state(), app->services());
      screen = &app->windows().show<seisekitime1>();
    }
    template <class W>
    W *child(const QString &name) const {
      return screen->findChild<W *>(name);
    }
    QString text(const QString &name) const { return child<QLabel>(name)->text(); }
    QStringList rows(int level) const {
      auto *l = child<QListWidget>(QStringLiteral("List5_%1").arg(level));
      QStringList out;
      for (int i = 0; i < l->count(); ++i) out << l->item(i)->text();
      return out;
    }
    void click(const QString &name) const { clickOn(child<QAbstractButton>(name), QPoint(6, 8)); }

    // The student's road from start-up: the name list, the student's row, "1".
    seisekitime1 *arrive(int student) {
      startUp(*app);
      screen = chooseOnNameList(*app, student);
      return screen;
    }
    // The teacher's password panel opened, and the password typed.
    void typePassword(const QString &password) {
      click(QStringLiteral("Command8"));
      typeKeys(screen, password);
    }
    // One question's items answered with the keyboard: each event chosen in
    // the list with the arrow keys, then the number of its box.
    static void answerByKeys(MainFrm *drill) {
      auto *list = drill->findChild<QListWidget *>(QStringLiteral("List1"));
      const int items = drill->question().itemCount;
      for (int k = 1; k <= items; ++k) {
        const QString entry = drill->rows().row(drill->question().items[static_cast<size_t>(k - 1)].row).listEntry();
        const int row = list->row(list->findItems(entry, Qt::MatchExactly).front());
        pressKey(drill, Qt::Key_Home);
        for (int i = 0; i < row; ++i) pressKey(drill, Qt::Key_Down);
        typeKeys(drill, QString::number(k));
      }
    }
  };

  // Holds the results log as another machine (its lock) or another program
  // (the file, past the short retries) does; or a finished journal beside
  // it whose removal is refused.
  struct Holder {
    enum Kind { Machine, Program, JournalRemoval };
    QString log, journal;
    std::optional<LockedFile> lock;
    std::optional<faults::FaultyFiles> files;
    Holder(Run &run, Kind kind)
        : log(resultsLogPath(run.app->state())), journal(resultsJournalPath(log)) {
      if (kind == Machine) {
        lock.emplace(log, LockedFile::Access::ReadWrite, LockPurpose::Append);
        return;
      }
      if (kind == JournalRemoval) {
        QFile f(journal);
        f.open(QIODevice::WriteOnly);
        f.write(encodeJournal({QByteArray(), 1, JournalState::Committed}));
      }
      files.emplace(run.app->state().contentFolder);
      if (kind == Program) files->hold(QString::fromUtf16(kResultsLogFileName), faults::FaultyFiles::kAlways);
      else files->holdRemovals(QString::fromUtf16(kResultsJournalFileName), faults::FaultyFiles::kAlways);
    }
    void letGo() {
      lock.reset();
      if (files) files->hold(QString::fromUtf16(kResultsLogFileName), 0);
    }
  };

  enum class Road { Names, Version, Progress, Drill, EndScreen, CriteriaEditor, ResultsManager };

 private Q_SLOTS:
  void theColumnsShowGoalsAndResults() {
    Run run;
    // 20 s, 20 s and 38 s on target 60 give 19 + 19 + 7 = 45 points; one more
    // of 38 s three weeks ago lies outside the 14 days.
    run.attempts(7, 2, {38}, 21);
    run.attempts(7, 2, {20, 20, 38});
    run.open();
    QCOMPARE(run.screen->windowTitle(), QStringLiteral("vantora"));
    QVERIFY(run.screen->ready());
    QCOMPARE(run.text(QStringLiteral("Label7_2")), QStringLiteral("目標=60秒 3回/50点(×1)"));
    QCOMPARE(run.text(QStringLiteral("Label8_2")), QStringLiteral("最近14日=3回 / 45点"));
    QCOMPARE(run.text(QStringLiteral("Label15_2")), QStringLiteral("4回/52点"));
    QCOMPARE(run.text(QStringLiteral("Label14_2")), QStringLiteral("3回/45点"));
    QCOMPARE(run.text(QStringLiteral("Label18")), QStringLiteral("本日総回数＝3回"));
    QCOMPARE(run.text(QStringLiteral("Label17")), QStringLiteral("起動後60分"));
    QCOMPARE(run.text(QStringLiteral("Label12")), QStringLiteral("小３ 青木さくら"));
    QCOMPARE(run.text(QStringLiteral("Label13")), QStringLiteral("みなと学習塾:7"));
    QCOMPARE(run.text(QStringLiteral("Label11")), QStringLiteral("ミナトリ"));
    QCOMPARE(run.child<QLabel>(QStringLiteral("Label11"))->font().pointSize(), 24);
    QCOMPARE(run.text(QStringLiteral("Label3_2")), QStringLiteral("１－１"));
    QCOMPARE(run.child<QPushButton>(QStringLiteral("Command4_2"))->text(), QStringLiteral("ｽﾀｰﾄ(&2)"));
    QCOMPARE(run.text(QStringLiteral("Label14_3")), QStringLiteral("-----"));
    QCOMPARE(run.text(QStringLiteral("Label15_3")), QStringLiteral("------"));
    QCOMPARE(run.text(QStringLiteral("Label8_3")), QStringLiteral("最近14日=0回 / 0点"));
    QVERIFY(run.child<QWidget>(QStringLiteral("Picture2"))->isHidden());
    QVERIFY(run.child<QWidget>(QStringLiteral("ProgressBar1"))->isHidden());
    QVERIFY(run.child<QWidget>(QStringLiteral("Command26"))->isHidden());
    QVERIFY(run.child<QWidget>(QStringLiteral("Command8"))->isHidden());
    QCOMPARE(run.child<QRadioButton>(QStringLiteral("Option1_1"))->text(), QStringLiteral("累計順"));
    QVERIFY(run.child<QRadioButton>(QStringLiteral("Option2_1"))->isChecked());
    // The default view: everybody's all-records points on each level.
    QCOMPARE(run.text(QStringLiteral("Label16")), QStringLiteral("獲得ポイント（今まで順位）"));
    QVERIFY2(run.rows(2).front().startsWith(QStringLiteral(" 1●青木")), qPrintable(run.rows(2).join(u'|')));
    saveScreenshot(run.screen, QStringLiteral("seisekitime1"));
    QVERIFY2(clippedCaptions(run.screen).isEmpty(), qPrintable(clippedCaptions(run.screen).join(u'\n')));
  }

  void aGoalOf9999PointsAndAPracticeLevel() {
    Run run;
    run.app->state().criteria[3].clearPoints = 9999;
    run.open();
    QCOMPARE(run.text(QStringLiteral("Label7_3")), QStringLiteral("目標=60秒 --------"));
    QVERIFY(run.child<QWidget>(QStringLiteral("List5_1"))->isHidden());
    QVERIFY(run.child<QWidget>(QStringLiteral("Label7_1"))->isHidden());
    QVERIFY(run.child<QWidget>(QStringLiteral("Label14_1"))->isHidden());
    QVERIFY(!run.child<QWidget>(QStringLiteral("List5_2"))->isHidden());
    QCOMPARE(run.app->state().criteria[1].targetTime, 600);
    QCOMPARE(run.app->state().criteria[1].lowestTime, 600);
    QVERIFY(run.child<QPushButton>(QStringLiteral("Command4_1"))->isEnabled());
  }

  void aTeacherSeesTheDataButton() {
    Run run;
    run.choose(900);
    run.open();
    QVERIFY(!run.child<QWidget>(QStringLiteral("Command8"))->isHidden());
    QVERIFY(run.child<QWidget>(QStringLiteral("Command27"))->isHidden());
    run.click(QStringLiteral("Command8"));
    QVERIFY(run.child<QWidget>(QStringLiteral("Picture7"))->isVisible());
    QCOMPARE(run.child<QLineEdit>(QStringLiteral("Text2"))->echoMode(), QLineEdit::Password);
    // Nothing starts while the password panel is up.
    QTest::mouseClick(run.child<QPushButton>(QStringLiteral("Command4_2")), Qt::LeftButton);
    QVERIFY(!run.app->windows().find<MainFrm>());
    typeKeys(run.screen, QStringLiteral("wrong"));
    run.click(QStringLiteral("Command10_1"));
    QCOMPARE(run.messages.shown.size(), size_t(1));
    QCOMPARE(run.messages.shown[0].text, QStringLiteral("パスワードを入力して下さい"));
    QVERIFY(!run.app->windows().find<FrmTimeData>());
    QVERIFY(run.app->windows().find<seisekitime1>());
    // Back into the box, all of it selected, the right password over it.
    clickOn(run.child<QLineEdit>(QStringLiteral("Text2")));
    pressKey(run.screen, Qt::Key_A, Qt::ControlModifier);
    typeKeys(run.screen, run.app->state().teacherPassword);
    run.click(QStringLiteral("Command10_1"));
    FrmTimeData *editor = run.app->windows().find<FrmTimeData>();
    QVERIFY(editor);
    QVERIFY(!run.app->windows().find<seisekitime1>());
    // Leaving the editor brings the progress screen back.
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("Command4")), Qt::LeftButton);
    QVERIFY(!run.app->windows().find<FrmTimeData>());
    run.screen = run.app->windows().find<seisekitime1>();
    QVERIFY(run.screen);
    // The other tool: the results-data manager.
    run.typePassword(run.app->state().teacherPassword);
    run.click(QStringLiteral("Command10_0"));
    QVERIFY(run.app->windows().find<FrmData>());
    QVERIFY(!run.app->windows().find<seisekitime1>());
  }

  // Every character typed into the password box lands there, digits and
  // "a".."d" too (they start levels elsewhere on the screen), shown as "*".
  void theTeacherTypesThePassword_data() {
    QTest::addColumn<QString>("password");
    QTest::newRow("the demo's") << QStringLiteral("hikari");
    QTest::newRow("digits") << QStringLiteral("2468");
    QTest::newRow("level letters and 0") << QStringLiteral("dc0ba1");
  }
  void theTeacherTypesThePassword() {
    QFETCH(QString, password);
    Run run;
    run.arrive(900);
    run.app->state().teacherPassword = password;
    run.typePassword(password);
    auto *box = run.child<QLineEdit>(QStringLiteral("Text2"));
    QCOMPARE(box->text(), password);
    QCOMPARE(box->displayText(), QString(password.size(), u'*'));
    QVERIFY(!run.app->windows().find<MainFrm>());
    QVERIFY(!run.app->windows().find<namesel>());
    run.click(QStringLiteral("Command10_1"));
    QVERIFY(run.app->windows().find<FrmTimeData>());
    QVERIFY(run.messages.shown.empty());
  }

  // The close button of each screen: the working screens end the program
  // normally; the end screen stays; the teacher tools go back as "戻る"
  // does; the version window goes back to the names.
  void theCloseButtonOnEveryScreen_data() {
    QTest::addColumn<Road>("road");
    QTest::addColumn<bool>("ends");
    QTest::newRow("name list") << Road::Names << true;
    QTest::newRow("version window") << Road::Version << false;
    QTest::newRow("progress screen") << Road::Progress << true;
    QTest::newRow("drill, unfinished") << Road::Drill << true;
    QTest::newRow("end screen") << Road::EndScreen << false;
    QTest::newRow("criteria editor") << Road::CriteriaEditor << false;
    QTest::newRow("results-data manager") << Road::ResultsManager << false;
  }
  void theCloseButtonOnEveryScreen() {
    QFETCH(Road, road);
    QFETCH(bool, ends);
    Run run;
    run.clock.setAutoAdvanceMs(10);
    QWidget *target = nullptr;
    auto *names = startUp(*run.app);
    if (road == Road::Names) target = names;
    if (road == Road::Version) {
      clickOn(names->findChild<QLabel *>(QStringLiteral("Label4")));
      target = run.app->windows().find<frmver>();
    }
    if (road >= Road::Progress) {
      run.screen = chooseOnNameList(*run.app, road >= Road::CriteriaEditor ? 900 : 7);
      target = run.screen;
    }
    if (road == Road::Drill || road == Road::EndScreen) {
      typeKeys(run.screen, QStringLiteral("2"));
      MainFrm *drill = run.app->windows().find<MainFrm>();
      target = drill;
      for (int question = 1; question <= (road == Road::Drill ? 1 : 3); ++question) Run::answerByKeys(drill);
      if (road == Road::EndScreen) target = run.app->windows().find<FrmSyuuryou>();
    }
    if (road == Road::CriteriaEditor || road == Road::ResultsManager) {
      run.typePassword(run.app->state().teacherPassword);
      run.click(road == Road::CriteriaEditor ? QStringLiteral("Command10_1") : QStringLiteral("Command10_0"));
      target = road == Road::CriteriaEditor ? static_cast<QWidget *>(run.app->windows().find<FrmTimeData>())
                                            : run.app->windows().find<FrmData>();
    }
    QVERIFY(target && target->isVisible());
    const bool recorded = QFile::exists(resultsLogPath(run.app->state()));
    closeWithTitleBarButton(target);
    QCOMPARE(run.app->hasEnded(), ends);
    if (ends) {
      QCOMPARE(run.app->exitCode(), 0);
      QVERIFY(run.app->windows().openWindows().empty());
      QCOMPARE(QFile::exists(resultsLogPath(run.app->state())), recorded);  // nothing of the unfinished attempt
      return;
    }
    if (road == Road::EndScreen) {
      QVERIFY(target->isVisible());
      return;
    }
    QVERIFY(!target->isVisible());
    if (road == Road::Version) {
      QVERIFY(names->isVisible());
    } else {
      run.screen = run.app->windows().find<seisekitime1>();
      QVERIFY(run.screen && run.screen->isVisible() && run.screen->ready());
    }
  }

  // The scroll position is the student's for the whole run: a practice and
  // its end, or the way back through the names, keep it.
  void theFirstVisibleLevelOutlivesTheScreen() {
    Run run;
    run.arrive(7);
    auto *scroll = run.child<QScrollBar>(QStringLiteral("HScroll1"));
    const int first = run.child<QWidget>(QStringLiteral("List5_1"))->x();
    for (int i = 0; i < 2; ++i)  // the arrow at the right end
      clickOn(scroll, QPoint(scroll->width() - 4, scroll->height() / 2));
    QCOMPARE(run.app->state().firstVisibleLevel, qint16(3));
    typeKeys(run.screen, QStringLiteral("5"));  // a practice level
    MainFrm *drill = run.app->windows().find<MainFrm>();
    QVERIFY(drill);
    clickOn(drill->findChild<QPushButton *>(QStringLiteral("Command9")));  // 練習終了
    run.screen = run.app->windows().find<seisekitime1>();
    QVERIFY(run.screen && run.screen->ready());
    QVERIFY(!run.app->windows().find<BASEFRM>());
    QCOMPARE(run.child<QScrollBar>(QStringLiteral("HScroll1"))->value(), 3);
    QCOMPARE(run.child<QWidget>(QStringLiteral("List5_3"))->x(), first);
    typeKeys(run.screen, QStringLiteral("0"));
    run.screen = chooseOnNameList(*run.app, 7);
    QVERIFY(run.screen);
    QCOMPARE(run.child<QWidget>(QStringLiteral("List5_3"))->x(), first);
  }

  // Another machine holds the results log's lock, or another program the
  // file itself. Reading waits with the windows alive and asks every 30 s;
  // "Retry" waits on, "Cancel" ends the program with the report naming the log.
  void aBusyLogIsWaitedForAndAskedAbout_data() {
    QTest::addColumn<bool>("retry");
    QTest::addColumn<bool>("byProgram");
    QTest::newRow("retry, then the log is free") << true << false;
    QTest::newRow("cancel") << false << false;
    QTest::newRow("held by a program, retry") << true << true;
    QTest::newRow("held by a program, cancel") << false << true;
  }
  void aBusyLogIsWaitedForAndAskedAbout() {
    QFETCH(bool, retry);
    QFETCH(bool, byProgram);
    Run run;
    run.attempts(7, 2, {40});
    Holder other(run, byProgram ? Holder::Program : Holder::Machine);
    run.messages.answers = {retry ? MessageAnswer::Retry : MessageAnswer::Cancel};
    // The other one lets go once it has been asked about.
    QTimer release;
    release.setInterval(0);
    connect(&release, &QTimer::timeout, [&] {
      if (!run.messages.shown.empty()) other.letGo();
    });
    release.start();
    run.arrive(7);
    const qint64 waited = run.clock.pausedMs();
    QVERIFY(!run.messages.shown.empty());
    const ShownMessage &asked = run.messages.shown.front();
    QVERIFY2(asked.text.startsWith(QStringLiteral("成績累積データ.dat をほかのパソコンかプログラムが使っています。")), qPrintable(asked.text));
    QCOMPARE(asked.buttons, MessageButtons::RetryCancel);
    QVERIFY(waited >= 30000);  // on the program's clock: no test waits for real seconds
    if (retry) {
      QVERIFY(run.screen && run.screen->ready());
      QVERIFY(run.text(QStringLiteral("Label15_2")).startsWith(QStringLiteral("1回/")));
    } else {
      QVERIFY(run.app->hasEnded());
      QCOMPARE(run.app->exitCode(), 1);
      QVERIFY(run.messages.shown.back().text.contains(QStringLiteral("ファイルは既に開かれています。")));
      QVERIFY(run.messages.shown.back().text.contains(resultsLogPath(run.app->state())));
    }
  }

  // An attempt that ends while another machine or program holds the log
  // waits, the wait window saying why, and is recorded once the log is
  // free. A finished journal that cannot be removed is no reason to wait or
  // to ask: the attempt is recorded at once and the student told nothing.
  void anAttemptWaitsForABusyLogAndIsRecorded_data() {
    QTest::addColumn<int>("holder");
    QTest::newRow("another machine's lock") << int(Holder::Machine);
    QTest::newRow("another program") << int(Holder::Program);
    QTest::newRow("a finished journal that cannot be removed") << int(Holder::JournalRemoval);
  }
  void anAttemptWaitsForABusyLogAndIsRecorded() {
    QFETCH(int, holder);
    Run run;
    run.clock.setAutoAdvanceMs(10);
    run.arrive(7);
    typeKeys(run.screen, QStringLiteral("2"));
    MainFrm *drill = run.app->windows().find<MainFrm>();
    for (int question = 1; question <= 2; ++question) Run::answerByKeys(drill);
    Holder other(run, static_cast<Holder::Kind>(holder));
    bool toldWhy = false;
    QTimer release;
    release.setInterval(0);
    connect(&release, &QTimer::timeout, [&] {
      BASEFRM *wait = run.app->windows().find<BASEFRM>();
      if (!wait || !wait->findChild<QLabel *>(QStringLiteral("Label20"))->isVisible()) return;
      toldWhy = wait->findChild<QLabel *>(QStringLiteral("Label20"))->text().contains(QStringLiteral("成績ファイル")) &&
                clippedCaptions(wait).isEmpty();
      other.letGo();
      release.stop();
    });
    release.start();
    Run::answerByKeys(drill);  // the last question
    QCOMPARE(toldWhy, holder != Holder::JournalRemoval);
    QVERIFY(run.messages.shown.empty());  // an append never asks: it waits
    QVERIFY(run.app->windows().find<FrmSyuuryou>());
    const auto records = readResultRecords(resultsLogPath(run.app->state()));
    QCOMPARE(records.size(), size_t(1));
    QCOMPARE(records[0].studentNumber, qint16(7));
    QCOMPARE(QFile::exists(other.journal), holder == Holder::JournalRemoval);
  }

  void columnGeometryAndScrolling() {
    Run run;
    run.open();
    auto *scroll = run.child<QScrollBar>(QStringLiteral("HScroll1"));
    QVERIFY(!scroll->isHidden());
    QCOMPARE(scroll->maximum(), 9);
    auto x = [&](int level) { return run.child<QWidget>(QStringLiteral("List5_%1").arg(level))->x(); };
    QCOMPARE(x(2) - x(1), 230);  // 3456 twips
    const int first = x(1);
    // Two clicks in the trough right of the handle: one column each.
    for (int i = 0; i < 2; ++i) clickOn(scroll, QPoint(scroll->width() * 3 / 4, scroll->height() / 2));
    QCOMPARE(run.app->state().firstVisibleLevel, qint16(3));
    QCOMPARE(x(3), first);
    QVERIFY(x(1) >= run.screen->width());
    QVERIFY(x(2) >= run.screen->width());
    QCOMPARE(run.child<QWidget>(QStringLiteral("Label3_3"))->x(), x(3) + run.child<QWidget>(QStringLiteral("Label1_3"))->width());
  }

  void fourLevelsFillTheWidthWithoutAScrollBar() {
    Run run;
    run.app->state().levelCount = 4;
    run.open();
    QVERIFY(run.child<QWidget>(QStringLiteral("HScroll1"))->isHidden());
    QCOMPARE(run.child<QWidget>(QStringLiteral("List5_2"))->x() - run.child<QWidget>(QStringLiteral("List5_1"))->x(),
             243);  // 3648 twips
    QVERIFY(!run.child<QWidget>(QStringLiteral("List5_5")));
    QTest::keyClick(run.screen, Qt::Key_5);
    QVERIFY(!run.app->windows().find<MainFrm>());
  }

  void tooMuchPracticeBarsALevelUntilTheLastIsCleared() {
    Run run;
    LevelCriteria &c = run.app->state().criteria[3];
    c.banCount = LooseValue::fromNumber(10);
    run.attempts(7, 3, {300, 300, 300, 300, 300, 300, 300, 300, 300});
    run.open();
    QVERIFY(run.child<QPushButton>(QStringLiteral("Command4_3"))->isEnabled());  // 9 of 10
    QVERIFY(run.child<QWidget>(QStringLiteral("Text1_3"))->isHidden());
    run.screen->close();

    run.attempts(7, 3, {300});
    run.open();
    QVERIFY(!run.child<QPushButton>(QStringLiteral("Command4_3"))->isEnabled());
    QVERIFY(!run.child<QWidget>(QStringLiteral("Text1_3"))->isHidden());
    QCOMPARE(run.text(QStringLiteral("Text1_3")), QStringLiteral("やりすぎ禁止"));
    QTest::mouseClick(run.child<QLabel>(QStringLiteral("Label3_3")), Qt::LeftButton);
    QVERIFY(!run.app->windows().find<MainFrm>());
    QCOMPARE(run.app->state().finalLevelCleared, 0);
    run.screen->close();

    run.attempts(7, 12, {20, 20, 20});  // the last level cleared: 3 attempts, 57 points
    run.open();
    QCOMPARE(run.app->state().finalLevelCleared, 1);
    QVERIFY(run.child<QPushButton>(QStringLiteral("Command4_3"))->isEnabled());
    QVERIFY(run.child<QWidget>(QStringLiteral("Text1_3"))->isHidden());
  }

  void bestTimesShareRanksAndTheGroupKeepsThem() {
    Run run;
    run.attempts(8, 2, {30});
    run.attempts(7, 2, {40});
    run.attempts(10, 2, {40});
    run.attempts(9, 2, {50});
    run.open();
    run.click(QStringLiteral("Option2_0"));
    run.click(QStringLiteral("Option1_1"));
    QCOMPARE(run.text(QStringLiteral("Label16")), QStringLiteral("ベスト成績"));
    const QStringList rows = run.rows(2);
    QVERIFY2(rows.size() >= 5, qPrintable(rows.join(u'|')));
    QVERIFY(rows[0].startsWith(QStringLiteral(" 1③伊藤翔")));
    QVERIFY(rows[1].startsWith(QStringLiteral(" 2●青木")) || rows[1].startsWith(QStringLiteral(" 2③江藤")));
    QVERIFY(rows[2].startsWith(QStringLiteral(" 2")));
    QVERIFY(rows[3].startsWith(QStringLiteral(" 4②上田健")));
    QVERIFY(rows.join(u'|').contains(QStringLiteral("------")));  // 小野 has no time
    // Only the 小３ students, each with the rank among all.
    auto *groups = run.child<QComboBox>(QStringLiteral("Combo1"));
    chooseInCombo(groups, QStringLiteral("小３"));
    const QStringList third = run.rows(2);
    QVERIFY(!third.join(u'|').contains(QStringLiteral("上田")));
    QVERIFY(third[0].startsWith(QStringLiteral(" 1③伊藤翔")));
    QVERIFY(run.screen->ready());
    QVERIFY(run.child<QPushButton>(QStringLiteral("Command1"))->isEnabled());
  }

  // Ranks past 9 stay in rank order; students without a result come last.
  void rankTenAndOnStandAboveTheUnranked() {
    QString roster;
    for (int n = 21; n <= 33; ++n) roster += QStringLiteral("%1,2017,0,0,\"生徒%1\",0,,\r\n").arg(n);
    Run run(roster);
    run.choose(21);
    for (int n = 21; n <= 32; ++n) run.attempts(n, 2, {20 + n});  // 生徒33 has no result
    run.open();
    run.click(QStringLiteral("Option2_0"));
    run.click(QStringLiteral("Option1_1"));
    QStringList ranks;
    for (const QString &row : run.rows(2)) ranks << row.left(2);
    QCOMPARE(ranks, (QStringList{QStringLiteral(" 1"), QStringLiteral(" 2"), QStringLiteral(" 3"), QStringLiteral(" 4"),
                                 QStringLiteral(" 5"), QStringLiteral(" 6"), QStringLiteral(" 7"), QStringLiteral(" 8"),
                                 QStringLiteral(" 9"), QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12"),
                                 QStringLiteral("--")}));
  }

  void todaysAttemptsAndTheTimedOutOne() {
    Run run;
    run.attempts(8, 3, {45, 99999});
    run.attempts(7, 3, {70});
    run.open();
    run.click(QStringLiteral("Option2_0"));
    run.click(QStringLiteral("Option1_2"));
    QCOMPARE(run.text(QStringLiteral("Label16")), QStringLiteral("本日の成績"));
    const QStringList rows = run.rows(3);
    QCOMPARE(rows.size(), 3);
    QVERIFY2(rows[0].startsWith(QStringLiteral("  45秒 10:00")), qPrintable(rows.join(u'|')));
    QVERIFY(rows.join(u'|').contains(QStringLiteral("　　× 10:00")));
  }

  void personalTimesListTheStudentsOwnAttempts() {
    Run run;
    run.attempts(7, 2, {40, 35});
    run.attempts(8, 2, {30});
    run.open();
    run.click(QStringLiteral("Option2_2"));
    QCOMPARE(run.text(QStringLiteral("Label16")), QStringLiteral("個人別ﾀｲﾑ"));
    QCOMPARE(run.rows(2), (QStringList{QStringLiteral("2026/12/09 10:00:00  35秒"), QStringLiteral("2026/12/09 10:00:00  40秒")}));
    QVERIFY(!run.child<QWidget>(QStringLiteral("Command17"))->isHidden());
    QCOMPARE(run.child<QListWidget>(QStringLiteral("List3"))->count(), 12);
    QCOMPARE(run.child<QListWidget>(QStringLiteral("List2"))->count(), 6);
    QCOMPARE(run.screen->sheetStudent(), 7);
    // The view's own bar has run through the log's three records.
    QCOMPARE(run.child<QProgressBar>(QStringLiteral("ProgressBar2"))->value(), 3);
    QVERIFY(run.child<QPushButton>(QStringLiteral("Command1"))->isEnabled());
    QVERIFY(run.child<QPushButton>(QStringLiteral("Command4_2"))->isEnabled());
    run.click(QStringLiteral("Option2_0"));
    QVERIFY(run.child<QWidget>(QStringLiteral("Command17"))->isHidden());
  }

  void theGraphShowsTheSheetsAndATeacherPrintsThem() {
    Run run;
    run.choose(900);
    run.attempts(7, 2, {50, 40, 45, 30});
    run.attempts(8, 3, {70});
    run.open();
    run.click(QStringLiteral("Option2_2"));
    run.click(QStringLiteral("Command17"));
    QVERIFY(run.child<QWidget>(QStringLiteral("Picture11"))->isVisible());
    QVERIFY(!run.child<QLabel>(QStringLiteral("Picture12"))->pixmap().isNull());
    saveScreenshot(run.screen, QStringLiteral("seisekitime1-sheets"));
    QVERIFY2(clippedCaptions(run.screen).isEmpty(), qPrintable(clippedCaptions(run.screen).join(u'\n')));
    QVERIFY(run.child<QWidget>(QStringLiteral("List2"))->isHidden());
    QCOMPARE(run.child<QListWidget>(QStringLiteral("List3"))->selectedItems().size(), 3);
    run.click(QStringLiteral("Command25"));
    auto *students = run.child<QListWidget>(QStringLiteral("List2"));
    QVERIFY(!students->isHidden());
    for (int row = 0; row < students->count(); ++row)
      students->item(row)->setSelected(students->item(row)->text().endsWith(QStringLiteral("/7")) ||
                                       students->item(row)->text().endsWith(QStringLiteral("/8")));
    QCOMPARE(run.child<QWidget>(QStringLiteral("Command24_1"))->x(), 848);  // 12720 twips, not 表示's 12735
    run.click(QStringLiteral("Command24_1"));  // 印刷, a teacher's button
    QCOMPARE(run.messages.shown.size(), size_t(1));
    const QString said = run.messages.shown[0].text;
    QVERIFY2(said.contains(QStringLiteral("青木さくら")) && said.contains(QStringLiteral("伊藤翔")), qPrintable(said));
    const QStringList pdfs = QDir(run.inst.dataFolder() + QStringLiteral("印刷")).entryList({QStringLiteral("*.pdf")});
    QCOMPARE(pdfs.size(), 2);  // one document a student
    QCOMPARE(run.screen->sheetStudent(), 7);  // the list is in text order: 伊藤 before 青木
    run.click(QStringLiteral("Command18"));
    QVERIFY(run.child<QWidget>(QStringLiteral("Picture11"))->isHidden());
  }

  void keysStartLevelsOnlyWhenReady() {
    Run run;
    run.open();
    QTest::keyClick(run.screen, Qt::Key_D);
    QVERIFY(!run.app->windows().find<MainFrm>());
    QTest::keyClick(run.child<QWidget>(QStringLiteral("List5_2")), Qt::Key_C);
    QVERIFY(run.app->windows().find<MainFrm>());
    QCOMPARE(run.app->state().currentLevel, qint16(12));
    QVERIFY(!run.app->windows().find<seisekitime1>());
  }

  // Each way out lets pending messages run while the next window opens; a
  // key or click that lands meanwhile starts nothing else. An input is a
  // typed character or the name of the control clicked.
  void aWayOutTakesNothingMoreMeanwhile_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<int>("level");  // of the drill that opens; 0: the name screen opens
    QTest::newRow("0") << "0" << "" << 0;
    QTest::newRow("0, then 2") << "0" << "2" << 0;
    QTest::newRow("戻る(0), then a start") << "Command1" << "Command4_2" << 0;
    QTest::newRow("a level's name, then another") << "Label3_2" << "Label3_3" << 2;
    QTest::newRow("a start, then 0") << "Command4_2" << "0" << 2;
  }
  void aWayOutTakesNothingMoreMeanwhile() {
    QFETCH(QString, first);
    QFETCH(QString, meanwhile);
    QFETCH(int, level);
    Run run;
    run.open();
    QPointer<seisekitime1> screen = run.screen;
    const auto input = [screen](const QString &what) {
      if (!screen) return;
      if (what.size() == 1) typeKeys(screen, what);
      else clickOn(screen->findChild<QWidget *>(what), QPoint(6, 8));
    };
    std::optional<WhileBusy> later;
    if (!meanwhile.isEmpty()) later.emplace([&] { input(meanwhile); });
    input(first);
    QVERIFY(meanwhile.isEmpty() || later->done());
    QCOMPARE(bool(run.app->windows().find<namesel>()), level == 0);
    QCOMPARE(bool(run.app->windows().find<MainFrm>()), level != 0);
    if (level != 0) QCOMPARE(run.app->state().currentLevel, qint16(level));
    QVERIFY(!run.app->windows().find<seisekitime1>());  // closed by the screen that took over
  }

  void theWholeRoadOfOneAttempt() {
    Run run;
    run.clock.setAutoAdvanceMs(10);
    namesel &names = *startUp(*run.app);
    auto *list = names.findChild<QListWidget *>(QStringLiteral("List1"));
    clickRow(list, 1);  // 青木さくら
    pressKey(&names, Qt::Key_Return);
    run.screen = run.app->windows().find<seisekitime1>();
    QVERIFY(run.screen && run.screen->ready());
    QVERIFY(!run.app->windows().find<namesel>());
    run.click(QStringLiteral("Command4_2"));
    MainFrm *drill = run.app->windows().find<MainFrm>();
    QVERIFY(drill);
    QVERIFY(!run.app->windows().find<seisekitime1>());
    for (int question = 1; question <= 3; ++question) Run::answerByKeys(drill);
    FrmSyuuryou *end = run.app->windows().find<FrmSyuuryou>();
    QVERIFY(end);
    end->timer1Tick();
    pressKey(end, Qt::Key_Enter, Qt::KeypadModifier);  // on the focused "メニューへ"
    run.screen = run.app->windows().find<seisekitime1>();
    QVERIFY(run.screen && run.screen->ready());
    QVERIFY(!run.app->windows().find<FrmSyuuryou>());
    QVERIFY(!run.app->windows().find<BASEFRM>());
    const auto records = readResultRecords(resultsLogPath(run.app->state()));
    QCOMPARE(records.size(), size_t(1));
    QCOMPARE(records[0].studentNumber, qint16(7));
    QCOMPARE(records[0].level, qint16(2));
    QVERIFY(run.text(QStringLiteral("Label14_2")).startsWith(QStringLiteral("1回/")));
    QCOMPARE(run.text(QStringLiteral("Label18")), QStringLiteral("本日総回数＝1回"));
    QVERIFY(run.rows(2).front().startsWith(QStringLiteral(" 1●青木")));
  }
};

MINATORI_WINDOW_TEST_MAIN(Seisekitime1WindowTest)
#include "seisekitime1_window_test.moc"
