// The results-data manager on an installation tree with a prepared results
// log: the lines, the edit panel, changing and deleting records as a teacher
// does it through the controls, and what lands in the log.

#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <optional>

#include "app/configuration.h"
#include "app/levelcatalogue.h"
#include "platform/textfile.h"
#include "progress/ui/seisekitime1.h"
#include "results/logjournal.h"
#include "results/resultslog.h"
#include "teacher/resultsdata.h"
#include "teacher/ui/frmdata.h"
#include "tests/support/faultyfiles.h"
#include "tests/support/roads.h"
#include "tests/support/windowrun.h"
#include "tests/support/windowtestmain.h"

using namespace minatori;
using namespace minatori::test;

namespace {

// School year 2026 (fake clock 9 December 2026): 2017 is 小３, 2012 is 中２.
const QString kRoster = QStringLiteral(
    "15,2017,0,0,\"青木さくら\",0,,\r\n"
    "16,2012,0,0,\"伊藤翔\",1,,\r\n"
    "17,2017,0,0,\"上田健\",0,,\r\n");

// The demo installation's school is 31415.
Seisekikiroku record(int student, int level, int time, const QString &school = QStringLiteral("31415")) {
  return makeRecord(46365, 10 * 3600 + 30 * 60, static_cast<qint16>(student), static_cast<qint16>(level), time,
                    school);
}

// Record k of a log of `count`: student 15 or 17 in turn, level 2, k seconds.
QByteArray logOf(int count) {
  QByteArray out;
  out.reserve(count * kResultRecordSize);
  for (int k = 1; k <= count; ++k) out += encodeRecord(record(k % 2 ? 15 : 17, 2, k));
  return out;
}

QByteArray recordsOf(const QByteArray &log, std::initializer_list<int> numbers) {
  QByteArray out;
  for (int n : numbers) out += log.mid((n - 1) * kResultRecordSize, kResultRecordSize);
  return out;
}

}  // namespace

class FrmDataWindowTest : public QObject {
  Q_OBJECT

  struct Run : WindowRun {
    FrmData *screen = nullptr;

    explicit Run(const QByteArray &log = logOf(5)) {
      TestInstallation::writeCp932(inst.dataFolder() + QStringLiteral("新名簿.txt"), kRoster);
      makeApp();
      loadConfiguration(app->state(), inst.programFolder());
      writeLog(log);
    }
    QString logPath() const { return resultsLogPath(app->state()); }
    void writeLog(const QByteArray &bytes) const {
      QFile f(logPath());
      QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
      f.write(bytes);
    }
    QByteArray logBytes() const {
      QFile f(logPath());
      return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void open() { screen = &app->windows().show<FrmData>(); }
    template <class W>
    W *child(const char *name) const {
      return screen->findChild<W *>(QString::fromLatin1(name));
    }
    QListView *list() const { return child<QListView>("List1"); }
    int lineCount() const { return list()->model()->rowCount(); }
    QString line(int row) const { return list()->model()->index(row, 0).data().toString(); }
    QString text(const char *name) const { return child<QLabel>(name)->text(); }
    bool panelShown() const { return !child<QFrame>("Frame1")->isHidden(); }
    void clickLine(int row) {
      const QModelIndex i = list()->model()->index(row, 0);
      list()->scrollTo(i);
      QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualRect(i).center());
    }
    void doubleClickLine(int row) {
      clickLine(row);
      const QModelIndex i = list()->model()->index(row, 0);
      QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, list()->visualRect(i).center());
    }
    void press(const char *button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    void typeTime(const QString &t) {
      auto *box = child<QLineEdit>("Text1");
      box->selectAll();
      QTest::keyClicks(box, t);
    }
    void chooseStudent(const QString &start) {
      auto *combo = child<QComboBox>("Combo1");
      for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i).startsWith(start)) {
          chooseInCombo(combo, combo->itemText(i));
          return;
        }
      QFAIL("no such chooser item");
    }
    void typeStudent(const QString &t) { child<QComboBox>("Combo1")->setEditText(t); }
  };

 private Q_SLOTS:
  void opensWithOneLinePerRecord() {
    QByteArray log = logOf(2);
    log += encodeRecord(record(17, 0, 5));  // level 0: no line, but it keeps its number
    log += encodeRecord(record(16, 3, 99999, QStringLiteral("27182")));
    log += encodeRecord(record(4000, 2, 8));
    Run run(log);
    run.open();
    QCOMPARE(run.lineCount(), 4);
    QCOMPARE(run.line(0), QStringLiteral("   1 2026/12/09　 10:30:00ﾚﾍﾞﾙ2　    1秒 　  15 青木さくら　 小３++みなと学習塾"));
    QCOMPARE(run.line(2), QStringLiteral("   4 2026/12/09　 10:30:00ﾚﾍﾞﾙ3　99999秒 　  16 伊藤翔　　　 中２++他塾"));
    QCOMPARE(run.line(3), QStringLiteral("   5 2026/12/09　 10:30:00ﾚﾍﾞﾙ2　    8秒 　4000 　　　　　 ++みなと学習塾"));
    QCOMPARE(run.text("Label1"), QStringLiteral("ダブルクリックすると変更、消去できます"));
    QCOMPARE(run.child<QPushButton>("Command4")->text(), QStringLiteral("戻る"));
    QVERIFY(!run.panelShown());
    QVERIFY(!run.child<QPushButton>("Command2")->isEnabled());
    QVERIFY(!run.child<QPushButton>("Command3")->isEnabled());
    QVERIFY(run.child<QWidget>("Picture1")->isHidden());
    // Every student of the roster, active or not, in roster order.
    auto *combo = run.child<QComboBox>("Combo1");
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(1), QStringLiteral("16 /  伊藤翔"));
  }

  void csvExportWritesEveryRecordAsShiftJisText() {
    QByteArray log = logOf(2);
    log += encodeRecord(record(16, 3, 99999, QStringLiteral("27182")));
    log += encodeRecord(record(4000, 30, 8));
    Run run(log);
    run.open();
    run.press("Command7");
    QCOMPARE(run.messages.shown.size(), size_t(1));
    const QString path = run.inst.dataFolder() + QStringLiteral("成績一覧_2026-12-09.csv");
    QVERIFY2(run.messages.shown[0].text.endsWith(path), qPrintable(run.messages.shown[0].text));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));  // CR LF only
    const QStringList lines = decodeCp932(bytes, path).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QStringLiteral("記録番号,日付,時刻,レベル,レベル名,タイム(秒),生徒番号,名前,学年,塾"));
    QCOMPARE(lines[1], QStringLiteral("1,2026/12/09,10:30:00,2,１－１,1,15,青木さくら,小３,みなと学習塾"));
    QCOMPARE(lines[3], QStringLiteral("3,2026/12/09,10:30:00,3,１－２,99999,16,伊藤翔,中２,他塾"));
    QCOMPARE(lines[4], QStringLiteral("4,2026/12/09,10:30:00,30,,8,4000,,,みなと学習塾"));
    // A second export the same day keeps the first file.
    run.press("Command7");
    QVERIFY(QFile::exists(run.inst.dataFolder() + QStringLiteral("成績一覧_2026-12-09_2.csv")));
  }

  void anEmptyOrMissingLogGivesAnEmptyList() {
    Run run{QByteArray()};
    run.open();
    QCOMPARE(run.lineCount(), 0);
    QFile::remove(run.logPath());
    run.screen->buildList();
    QCOMPARE(run.lineCount(), 0);
    QVERIFY(!QFile::exists(run.logPath()));
  }

  void aLargeLogOpensWithNumbersMatchingThePlace() {
    Run run(logOf(100000));
    run.open();
    QCOMPARE(run.lineCount(), 100000);
    QVERIFY(run.line(0).startsWith(QStringLiteral("     1 ")));
    QVERIFY(run.line(9999).startsWith(QStringLiteral(" 10000 ")));
    QVERIFY(run.line(99999).startsWith(QStringLiteral("100000 ")));
    run.doubleClickLine(99999);
    QCOMPARE(run.text("Label2"), QStringLiteral("100000"));
    QCOMPARE(run.child<QLineEdit>("Text1")->text(), QStringLiteral("100000"));  // its own time, though past the bar
  }

  void aDoubleClickOpensTheRecordAndAClickClosesIt() {
    Run run;
    run.open();
    run.doubleClickLine(2);
    QVERIFY(run.panelShown());
    QCOMPARE(run.screen->selectedRecord(), 3);
    QCOMPARE(run.text("Label2"), QStringLiteral("3"));
    QCOMPARE(run.text("Label3"), QStringLiteral("ﾚﾍﾞﾙ2"));
    QCOMPARE(run.text("Label4"), QStringLiteral("2026/12/09"));
    QCOMPARE(run.text("Label5"), QStringLiteral("小３"));
    QCOMPARE(run.child<QComboBox>("Combo1")->currentText(), QStringLiteral("15 /  青木さくら"));
    QCOMPARE(run.child<QLineEdit>("Text1")->text(), QStringLiteral("3"));
    QCOMPARE(run.child<QScrollBar>("HScroll1")->value(), 3);
    QVERIFY(run.child<QPushButton>("Command2")->isEnabled());
    QVERIFY(run.child<QPushButton>("Command3")->isEnabled());
    saveScreenshot(run.screen, QStringLiteral("frmdata"));
    QVERIFY2(clippedCaptions(run.screen).isEmpty(), qPrintable(clippedCaptions(run.screen).join(u'\n')));
    run.chooseStudent(QStringLiteral("16 "));
    QCOMPARE(run.text("Label5"), QStringLiteral("中２"));
    run.child<QScrollBar>("HScroll1")->setValue(250);
    QCOMPARE(run.child<QLineEdit>("Text1")->text(), QStringLiteral("250"));
    run.clickLine(0);
    QVERIFY(!run.panelShown());
    run.doubleClickLine(0);
    QVERIFY(run.panelShown());
    run.press("Command6");
    QVERIFY(!run.panelShown());
    QCOMPARE(run.logBytes(), logOf(5));
  }

  void changeWritesBackOnlyTimeAndStudent_data() {
    QTest::addColumn<int>("owner");  // the record's student
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("student");  // the chooser item chosen; empty: left as the record shows it
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("number");
    QTest::newRow("fraction rounds") << 15 << "12.6" << "17 " << 13 << 17;
    QTest::newRow("letters are 0") << 15 << "abc" << "15 " << 0 << 15;
    QTest::newRow("timed out") << 15 << "99999" << "16 " << 99999 << 16;
    QTest::newRow("a student who left the roster") << 40 << "35" << "" << 35 << 40;
  }
  void changeWritesBackOnlyTimeAndStudent() {
    QFETCH(int, owner);
    QFETCH(QString, typed);
    QFETCH(QString, student);
    QFETCH(int, time);
    QFETCH(int, number);
    QByteArray log = logOf(5);
    log.replace(2 * kResultRecordSize, kResultRecordSize, encodeRecord(record(owner, 7, 40, QStringLiteral("27182"))));
    Run run(log);
    run.open();
    run.doubleClickLine(2);
    run.typeTime(typed);
    if (!student.isEmpty()) run.chooseStudent(student);
    run.press("Command2");
    QVERIFY(run.messages.shown.empty());
    const Seisekikiroku expected =
        record(static_cast<qint16>(number), 7, time, QStringLiteral("27182"));  // date, level, school kept
    QCOMPARE(run.logBytes(), recordsOf(log, {1, 2}) + encodeRecord(expected) + recordsOf(log, {4, 5}));
    QCOMPARE(run.list()->currentIndex().row(), 2);
    QVERIFY(run.line(2).contains(QStringLiteral("ﾚﾍﾞﾙ7")));
    QVERIFY(!run.panelShown());
  }

  void changeRefusesWhatItCannotStore_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("chooser");
    QTest::addColumn<QString>("message");
    QTest::newRow("time too long") << "100000" << "15 /  青木さくら" << "0 から 99999";
    QTest::newRow("negative time") << "-5" << "15 /  青木さくら" << "0 から 99999";
    QTest::newRow("no slash") << "20" << "15" << "番号 /  名前";
    QTest::newRow("not in roster") << "20" << "99 /  誰か" << "番号 99 の生徒は名簿にいません";
  }
  void changeRefusesWhatItCannotStore() {
    QFETCH(QString, typed);
    QFETCH(QString, chooser);
    QFETCH(QString, message);
    Run run;
    run.open();
    run.doubleClickLine(1);
    run.typeTime(typed);
    run.typeStudent(chooser);
    run.press("Command2");
    QCOMPARE(run.messages.shown.size(), size_t(1));
    QVERIFY2(run.messages.shown[0].text.contains(message), qPrintable(run.messages.shown[0].text));
    QCOMPARE(run.logBytes(), logOf(5));
    QVERIFY(run.panelShown());  // the teacher can correct the entry
  }

  void deleteMovesTheLaterRecordsUp_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("selected");
    QTest::newRow("middle: the next record's line") << 2 << 2;
    QTest::newRow("last: the new last line") << 4 << 3;
    QTest::newRow("first") << 0 << 0;
  }
  void deleteMovesTheLaterRecordsUp() {
    QFETCH(int, row);
    QFETCH(int, selected);
    const QByteArray log = logOf(5);
    Run run(log);
    run.open();
    run.doubleClickLine(row);
    run.press("Command3");
    QCOMPARE(run.messages.shown.size(), size_t(1));
    QCOMPARE(run.messages.shown[0].text, QStringLiteral("本当に消去しますか"));
    QCOMPARE(run.messages.shown[0].title, QStringLiteral("注意"));
    QCOMPARE(run.messages.shown[0].buttons, MessageButtons::OkCancel);
    QByteArray left = log;
    left.remove(row * kResultRecordSize, kResultRecordSize);
    QCOMPARE(run.logBytes(), left);
    QVERIFY(!QFile::exists(resultsJournalPath(resultsLogPath(run.app->state()))));
    QCOMPARE(run.lineCount(), 4);
    QVERIFY(run.line(3).startsWith(QStringLiteral("   4 ")));
    QCOMPARE(run.list()->currentIndex().row(), selected);
    QVERIFY(!run.panelShown());
  }

  void cancelToTheQuestionChangesNothing() {
    Run run;
    run.open();
    run.doubleClickLine(2);
    run.messages.answers.push_back(MessageAnswer::Cancel);
    run.press("Command3");
    QCOMPARE(run.logBytes(), logOf(5));
    QCOMPARE(run.lineCount(), 5);
    QVERIFY(run.panelShown());
  }

  // Another teacher deletes a record while this one has record 3 open: the
  // record at place 3 is no longer the one opened, and nothing is deleted.
  void aDeleteFromAStaleListIsRefused() {
    Run run;
    run.open();
    run.doubleClickLine(2);
    const QString log = resultsLogPath(run.app->state());
    QCOMPARE(deleteResultRecord(log, 1, *readResultRecord(log, 1)).outcome, DeleteOutcome::Deleted);
    run.press("Command3");
    QCOMPARE(run.messages.shown.size(), size_t(2));
    QVERIFY2(run.messages.shown[1].text.contains(QStringLiteral("何も消さずに一覧を作り直します")),
             qPrintable(run.messages.shown[1].text));
    QByteArray left = logOf(5);
    left.remove(0, kResultRecordSize);
    QCOMPARE(run.logBytes(), left);
    QCOMPARE(run.lineCount(), 4);  // the fresh list
  }

  // The disk fails during the delete and while it is put back: the teacher
  // reads that the next access puts the log back, and the list, read anew
  // by that access, shows the old log.
  void aDeleteThatCannotBePutBackSaysTheNextAccessWill() {
    Run run;
    run.open();
    run.doubleClickLine(2);
    // Calls of the delete: open the log, the journal's five, then the log's
    // rewrite; the cut (9) and the first write of the undo (10) fail.
    faults::FaultyFiles files(run.app->state().contentFolder);
    files.failAt(9, faults::FaultyFiles::Fault::IoError, 2);
    run.press("Command3");
    QCOMPARE(run.messages.shown.size(), size_t(2));
    QVERIFY2(run.messages.shown[1].text.contains(QStringLiteral("自動で戻ります")), qPrintable(run.messages.shown[1].text));
    QCOMPARE(run.messages.shown[1].icon, MessageIcon::Critical);
    QCOMPARE(run.logBytes(), logOf(5));
    QCOMPARE(run.lineCount(), 5);
  }

  // Another program holds the log: the change and the delete say so, change
  // nothing and keep the record open for another press, which then works.
  // A delete whose journal cannot be removed says where it stands, and the
  // next delete is refused, naming it, until it can go.
  void aHeldLogOrJournalIsToldAndNothingIsLost() {
    Run run;
    run.open();
    run.doubleClickLine(2);  // record 3
    const QString logName = QString::fromUtf16(kResultsLogFileName);
    const QString journalName = QString::fromUtf16(kResultsJournalFileName);
    std::optional<faults::FaultyFiles> files(std::in_place, run.app->state().contentFolder);
    files->hold(logName, faults::FaultyFiles::kAlways);
    run.typeTime(QStringLiteral("77"));
    run.press("Command2");
    run.press("Command3");
    QCOMPARE(run.messages.shown.size(), size_t(3));  // the change's, the question, the delete's
    QVERIFY2(run.messages.shown[0].text.contains(QStringLiteral("何も変えていません")), qPrintable(run.messages.shown[0].text));
    QVERIFY2(run.messages.shown[2].text.contains(QStringLiteral("何も消していません")), qPrintable(run.messages.shown[2].text));
    QCOMPARE(run.logBytes(), logOf(5));
    QVERIFY(run.child<QPushButton>("Command3")->isEnabled());

    files->hold(logName, 0);
    files->holdRemovals(journalName, faults::FaultyFiles::kAlways);
    run.doubleClickLine(2);
    run.press("Command3");
    QCOMPARE(run.messages.shown.size(), size_t(5));
    const QString left = run.messages.shown[4].text;
    QVERIFY2(left.startsWith(QStringLiteral("消去しました。")) && left.contains(resultsJournalPath(run.logPath())),
             qPrintable(left));
    QCOMPARE(run.logBytes(), recordsOf(logOf(5), {1, 2, 4, 5}));
    QCOMPARE(run.lineCount(), 4);  // the list read past the journal that stands

    run.doubleClickLine(2);
    run.press("Command3");
    QCOMPARE(run.messages.shown.size(), size_t(7));
    QVERIFY2(run.messages.shown[6].text.contains(resultsJournalPath(run.logPath())) &&
                 run.messages.shown[6].text.contains(QStringLiteral("元のまま")),
             qPrintable(run.messages.shown[6].text));
    QCOMPARE(run.logBytes(), recordsOf(logOf(5), {1, 2, 4, 5}));

    files.reset();
    run.doubleClickLine(2);
    run.press("Command3");
    QCOMPARE(run.messages.shown.size(), size_t(8));
    QCOMPARE(run.logBytes(), recordsOf(logOf(5), {1, 2, 5}));
    QVERIFY(!QFile::exists(resultsJournalPath(run.logPath())));
  }

  // A journal that came back long after its delete, beside a log that has
  // changed since: the list shows the log as it is, the journal is kept
  // aside, and the teacher is told once, naming both files.
  void aStaleJournalIsKeptAsideAndTheTeacherToldOnce() {
    const QByteArray before = logOf(5);
    Run run(recordsOf(before, {1, 2, 4, 5}) + encodeRecord(record(16, 3, 7)));
    QFile journal(resultsJournalPath(run.logPath()));
    QVERIFY(journal.open(QIODevice::WriteOnly));
    journal.write(encodeJournal({before, 3, JournalState::Hot}));
    journal.close();
    run.open();
    QCoreApplication::processEvents();
    QCOMPARE(run.lineCount(), 5);
    QCOMPARE(run.messages.shown.size(), size_t(1));
    const QString told = run.messages.shown[0].text;
    QVERIFY2(told.contains(run.logPath()) && told.contains(QStringLiteral("成績累積データtemp-")) &&
                 told.contains(QStringLiteral("確かめてください")),
             qPrintable(told));
    QVERIFY(!QFile::exists(journal.fileName()));
    run.press("Command4");
    run.open();
    QCoreApplication::processEvents();
    QCOMPARE(run.messages.shown.size(), size_t(1));
  }

  void backOpensTheProgressScreen() {
    Run run;
    ProgramState &s = run.app->state();
    readRosterForNameList(s, run.clock.today(), 0);
    s.studentNumber = 15;
    s.studentName = s.roster.nameByNumber[15];
    buildLevelCatalogue(s);
    run.open();
    run.press("Command4");
    QVERIFY(run.app->windows().find<seisekitime1>());
    QVERIFY(!run.app->windows().find<FrmData>());
  }
};

MINATORI_WINDOW_TEST_MAIN(FrmDataWindowTest)
#include "frmdata_window_test.moc"
