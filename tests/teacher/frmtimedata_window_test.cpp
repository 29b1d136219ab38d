// The criteria editor on the demo installation's criteria file, driven through
// its grid, edit box and buttons.

#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include "app/configuration.h"
#include "app/ui/application.h"
#include "platform/textfile.h"
#include "progress/ui/seisekitime1.h"
#include "results/resultslog.h"
#include "teacher/ui/frmtimedata.h"
#include "tests/support/testinstallation.h"
#include "tests/support/roads.h"
#include "tests/support/faultyfiles.h"
#include "tests/support/windowrun.h"
#include "tests/support/windowtestmain.h"

using namespace minatori;
using namespace minatori::test;

class FrmTimeDataWindowTest : public QObject {
  Q_OBJECT

  struct Run : WindowRun {
    FrmTimeData *w = nullptr;
    QByteArray original;

    Run() {
      makeApp();
      loadConfiguration(app->state(), inst.programFolder());
      loadLevelCriteria(app->state());
      original = file();
    }
    void open() { w = &app->windows().show<FrmTimeData>(); }
    QString path() { return criteriaFilePath(app->state()); }
    QByteArray file() {
      QFile f(path());  // as it is on the disk, whatever the program's file layer
      return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    template <class T = QWidget>
    T *child(const char *name) const { return w->findChild<T *>(QString::fromLatin1(name)); }
    QTableWidget *grid() const { return child<QTableWidget>("MSFlexGrid1"); }
    QLineEdit *edit() const { return child<QLineEdit>("Gridinputtext"); }
    QString cell(int r, int c) const { return grid()->item(r, c)->text(); }
    bool marked(int r, int c) const { return grid()->item(r, c)->background().color() == QColor(255, 255, 0); }
    QString line(const char *list, int i) const { return child<QListWidget>(list)->item(i)->text(); }
    void key(Qt::Key k, Qt::KeyboardModifiers m = {}, int times = 1) {
      for (int i = 0; i < times; ++i) QTest::keyClick(edit(), k, m);
    }
    void type(const QString &text) { QTest::keyClicks(edit(), text); }
    void paste(const QString &text) {
      QGuiApplication::clipboard()->setText(text);
      key(Qt::Key_V, Qt::ControlModifier);
    }
    void at(int r, int c) {
      QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualItemRect(grid()->item(r, c)).center());
    }
    void click(const char *button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    void addResult(int student, int level, qint32 time) {
      QFile f(resultsLogPath(app->state()));
      QVERIFY(f.open(QIODevice::Append));
      f.write(encodeRecord(makeRecord(45000, 3600, static_cast<qint16>(student), static_cast<qint16>(level), time, {})));
    }
    // The editor has handed over to the stand-in and closed itself.
    bool left() {
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      return app->windows().find<seisekitime1>() && !app->windows().find<FrmTimeData>();
    }
  };

  // The original file with the first `from` replaced by `to`.
  static QByteArray edited(QByteArray file, const QByteArray &from, const QByteArray &to) {
    const qsizetype at = file.indexOf(from);
    return at < 0 ? QByteArray() : file.replace(at, from.size(), to);
  }

 private Q_SLOTS:
  void opensOnTheFileAtTheFirstCell() {
    Run run;
    run.open();
    saveScreenshot(run.w, QStringLiteral("frmtimedata"));
    QVERIFY2(clippedCaptions(run.w).isEmpty(), qPrintable(clippedCaptions(run.w).join(u'\n')));
    QCOMPARE(run.grid()->columnCount(), 13);
    QCOMPARE(run.grid()->rowCount(), 13);
    QStringList headings;
    for (int c = 0; c < 13; ++c) headings << run.cell(0, c);
    QCOMPARE(headings, QStringList({"レベル", "目標Time", "最低Time", "ｸﾘｱﾎﾟｲﾝﾄ", "ｸﾘｱ回数", "ﾎﾟｲﾝﾄ倍率", "禁回", "禁点",
                                    "判期間", "禁期間", "", "", ""}));
    QCOMPARE(run.cell(12, 0), QStringLiteral("12"));
    QCOMPARE(run.cell(3, 5), QStringLiteral("1.2"));
    QCOMPARE(run.edit()->text(), QStringLiteral("60"));
    QCOMPARE(run.grid()->columnWidth(1), qRound(0.8 * run.grid()->columnWidth(2)));
    QCOMPARE(run.line("List1", 0), QStringLiteral("レベル1 今まで0回  （★=1）"));
    QVERIFY(run.messages.shown.empty());
  }

  void keysMoveTheCursorWithinTheLevelCells_data() {
    QTest::addColumn<QString>("keys");  // U D L R, E Enter, X Esc, S Shift+Up
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::newRow("up on row 1, left on column 1") << "UL" << 1 << 1;
    QTest::newRow("right stops at column 12") << QString(15, u'R') << 1 << 12;
    QTest::newRow("down stops at the last level") << QString(20, u'D') << 12 << 1;
    QTest::newRow("enter and esc stay") << "DRXER" << 2 << 3;
    QTest::newRow("shift+up moves up") << "DDRULS" << 1 << 1;
  }
  void keysMoveTheCursorWithinTheLevelCells() {
    QFETCH(QString, keys);
    QFETCH(int, row);
    QFETCH(int, column);
    Run run;
    run.open();
    const QMap<QChar, Qt::Key> keyOf = {{u'U', Qt::Key_Up},     {u'D', Qt::Key_Down},   {u'L', Qt::Key_Left},
                                        {u'R', Qt::Key_Right},  {u'E', Qt::Key_Return}, {u'X', Qt::Key_Escape},
                                        {u'S', Qt::Key_Up}};
    for (QChar k : keys) run.key(keyOf[k], k == u'S' ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(run.w->cursorRow(), row);
    QCOMPARE(run.w->cursorColumn(), column);
    QCOMPARE(run.edit()->text(), run.cell(row, column));
    QCOMPARE(run.edit()->geometry(), run.grid()->visualItemRect(run.grid()->item(row, column)));
    QCOMPARE(run.line("List1", 0).section(u' ', 0, 0), QStringLiteral("レベル%1").arg(row));
    QVERIFY(!run.w->changed());
  }

  void theExplanationFollowsTheColumn_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << 1 << "合格基準タイム\n　大部分の人ががんばったら出せそうなタイムにしてください";
    QTest::newRow("3") << 3 << "目標ポイント\n　　 目標ポイント";
    QTest::newRow("5") << 5
                       << "ポイント倍率\n  ポイントを何倍にして加算するか\n"
                          "  むずかしいレベルや生徒のいやがるレベルは高くしてください";
    QTest::newRow("9") << 9 << "やりすぎ判定をする日数\n　何日前からのポイントを有効にするか";
    QTest::newRow("10") << 10 << "";
  }
  void theExplanationFollowsTheColumn() {
    QFETCH(int, column);
    QFETCH(QString, text);
    Run run;
    run.open();
    run.key(Qt::Key_Right, {}, column - 1);
    QCOMPARE(run.child<QLabel>("Label4")->text(), text);
    run.at(4, 1);
    run.at(4, column);
    QCOMPARE(run.child<QLabel>("Label4")->text(), text);
  }

  void typingClearingAndCopyingMarkTheCells() {
    Run run;
    run.open();
    run.key(Qt::Key_Right, {}, 9);
    run.key(Qt::Key_Space);  // an empty cell stays unchanged
    QVERIFY(!run.marked(1, 10));
    run.key(Qt::Key_Down);  // level 2: target 45
    run.key(Qt::Key_Left, {}, 9);
    run.key(Qt::Key_Down, Qt::ShiftModifier, 2);
    QCOMPARE(run.cell(4, 1), QStringLiteral("45"));
    QCOMPARE(run.cell(5, 1), QStringLiteral("60"));
    // The copies count as changes, so leaving asks about them.
    QVERIFY(!run.marked(2, 1) && run.marked(3, 1) && run.marked(4, 1) && !run.marked(5, 1));
    QVERIFY(run.w->changed());
    run.key(Qt::Key_Right);
    run.edit()->setCursorPosition(0);  // characters go to the end all the same
    run.type(QStringLiteral("5"));
    QCOMPARE(run.cell(2, 2), QStringLiteral("705"));
    run.key(Qt::Key_Down);
    run.key(Qt::Key_Space);
    QCOMPARE(run.cell(3, 2), QString());
    QVERIFY(run.marked(2, 2) && run.marked(3, 2) && !run.marked(4, 2));
  }

  void savingWritesTheGridAsTypedAndTakesEffectAtOnce() {
    Run run;
    run.open();
    run.key(Qt::Key_Down);
    run.key(Qt::Key_Space);
    run.type(QStringLiteral("50"));
    run.at(1, 10);
    run.paste(QStringLiteral("①～メモ"));
    run.click("Command3");
    QVERIFY(run.messages.shown.empty());
    QCOMPARE(run.file(), edited(edited(run.original, "\r\n45,70,", "\r\n50,70,"), "\r\n60,120,0,0,1,0,0,14,1,,,",
                                "\r\n60,120,0,0,1,0,0,14,1,\x87\x40\x81\x60\x83\x81\x83\x82,,"));
    QVERIFY(!run.w->changed());
    QVERIFY(run.marked(2, 1));  // until the grid is loaded again
    QCOMPARE(run.app->state().criteria[2].targetTime, 50);
    QVERIFY(run.child("Picture2")->isHidden());
    run.click("Command4");
    QVERIFY(run.messages.shown.empty());
    QVERIFY(run.left());
  }

  void savingTheGridAsLoadedRewritesTheSameFile() {
    Run run;
    run.open();
    run.click("Command3");
    QCOMPARE(run.file(), run.original);
  }

  void leavingWithChangesAsksWhetherToSave_data() {
    QTest::addColumn<bool>("restore");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("written");
    QTest::newRow("yes saves") << false << true << true;
    QTest::newRow("no leaves the file") << false << false << false;
    QTest::newRow("restored, still asked") << true << true << false;
  }
  void leavingWithChangesAsksWhetherToSave() {
    QFETCH(bool, restore);
    QFETCH(bool, yes);
    QFETCH(bool, written);
    Run run;
    run.open();
    run.type(QStringLiteral("0"));
    if (restore) {
      run.click("Command2");
      QCOMPARE(run.cell(1, 1), QStringLiteral("60"));
      QCOMPARE(run.edit()->text(), QStringLiteral("60"));
      QVERIFY(!run.marked(1, 1));
    }
    run.messages.answers = {yes ? MessageAnswer::Yes : MessageAnswer::No};
    run.click("Command4");
    QCOMPARE(run.messages.shown.size(), size_t{1});
    QCOMPARE(run.messages.shown[0].text, QStringLiteral("データが変更されています。記録しますか？"));
    QCOMPARE(run.messages.shown[0].title, QStringLiteral("注意"));
    QCOMPARE(run.messages.shown[0].buttons, MessageButtons::YesNo);
    QCOMPARE(run.file(), written ? edited(run.original, "\r\n60,", "\r\n600,") : run.original);
    QVERIFY(run.left());
  }

  void closingFromTheTitleBarLeavesAsBackDoes() {
    Run run;
    run.open();
    run.type(QStringLiteral("0"));
    run.messages.answers = {MessageAnswer::No};
    closeWithTitleBarButton(run.w);
    QCOMPARE(run.messages.shown.size(), size_t{1});
    QVERIFY(run.left());
  }

  void aFailedSaveTellsTheTeacherAndKeepsTheEdits() {
    Run run;
    run.open();
    run.paste(QStringLiteral("🙂"));  // no code page 932 form
    run.click("Command3");
    QCOMPARE(run.messages.shown.size(), size_t{1});
    const QString text = run.messages.shown[0].text;
    QVERIFY2(text.startsWith(QStringLiteral("タイム回数データ.txt に記録できませんでした。ファイルは元のままです。")) &&
                 text.contains(run.path()),
             qPrintable(text));
    QCOMPARE(run.file(), run.original);
    // Leaving: "yes" fails again and the editor stays; "no" leaves.
    run.messages.answers = {MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::No};
    run.click("Command4");
    QVERIFY(!run.left());
    QCOMPARE(run.cell(1, 1), QStringLiteral("60🙂"));
    run.click("Command4");
    QVERIFY(run.left());
    QCOMPARE(run.file(), run.original);
  }

  // Another PC or program holds the file past the short retries: the teacher
  // reads that it was busy and to press again; the edits stay, and the
  // next press saves them.
  void aHeldFileIsBusyAndTheNextPressSaves() {
    Run run;
    run.open();
    run.type(QStringLiteral("5"));
    std::optional<faults::FaultyFiles> files(std::in_place, run.app->state().contentFolder);
    files->hold(QString::fromUtf16(kCriteriaFileName), faults::FaultyFiles::kAlways);
    run.click("Command3");
    QCOMPARE(run.messages.shown.size(), size_t{1});
    QVERIFY2(run.messages.shown[0].text.contains(QStringLiteral("もう一度「更新記録」を押してください")),
             qPrintable(run.messages.shown[0].text));
    QCOMPARE(run.file(), run.original);
    QCOMPARE(run.cell(1, 1), QStringLiteral("605"));
    files.reset();
    run.click("Command3");
    QCOMPARE(run.messages.shown.size(), size_t{1});
    QCOMPARE(run.app->state().criteria[1].targetTime, 605);
  }

  // A cell that would not read back as itself would shift the fields after
  // it and stop every classroom PC at its next start: refused before
  // anything is written, naming the level and the column.
  void aCellThatWouldNotReadBackIsRefused_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("named");
    QTest::newRow("a comma") << 1 << 1 << QStringLiteral("4,5") << QStringLiteral("レベル1 の 「目標Time」");
    QTest::newRow("a double quote") << 3 << 5 << QStringLiteral("\"1.5") << QStringLiteral("レベル3 の 「ﾎﾟｲﾝﾄ倍率」");
    QTest::newRow("a line break") << 12 << 9 << QStringLiteral("1\r\n2") << QStringLiteral("レベル12 の 「禁期間」");
    QTest::newRow("blanks around it") << 2 << 11 << QStringLiteral(" 7") << QStringLiteral("レベル2 の 11列目");
  }
  void aCellThatWouldNotReadBackIsRefused() {
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, pasted);
    QFETCH(QString, named);
    Run run;
    run.open();
    run.at(row, column);
    run.key(Qt::Key_Space);  // clears the cell
    run.paste(pasted);
    QCOMPARE(run.cell(row, column), pasted);
    run.click("Command3");
    QCOMPARE(run.messages.shown.size(), size_t{1});
    QVERIFY2(run.messages.shown[0].text.contains(named), qPrintable(run.messages.shown[0].text));
    QVERIFY(run.messages.shown[0].text.contains(QStringLiteral("タイム回数データ.txt は元のままです")));
    QCOMPARE(run.file(), run.original);
    QCOMPARE(run.app->state().criteria[1].lowestTime, 120);
    QVERIFY(run.w->changed());
  }

  void anUnreadableFileIsReportedAndNothingIsLost() {
    Run run;
    QFile::remove(run.path());
    run.open();
    QVERIFY(run.messages.shown.at(0).text.startsWith(QStringLiteral("タイム回数データ.txt を読めませんでした。")));
    QVERIFY(run.messages.shown[0].text.contains(run.path()));
    QCOMPARE(run.grid()->rowCount(), 1);
    QVERIFY(run.edit()->isHidden());
    QVERIFY(!run.child("Command3")->isEnabled());
    run.type(QStringLiteral("5 "));
    // With the file back "元に戻す" reads it; with the file cut short it keeps the edits.
    const QString text = decodeCp932(run.original, {});
    TestInstallation::writeCp932(run.path(), text);
    run.click("Command2");
    QCOMPARE(run.grid()->rowCount(), 13);
    run.type(QStringLiteral("1"));
    TestInstallation::writeCp932(run.path(), text + QStringLiteral("1,2,3\r\n"));
    run.click("Command2");
    QCOMPARE(run.messages.shown.size(), size_t{2});
    QCOMPARE(run.cell(1, 1), QStringLiteral("601"));
    QVERIFY(run.marked(1, 1));
  }

  void theDistributionFollowsTheCursorRow() {
    Run run;
    for (int t : {95, 120, 99999}) run.addResult(7, 2, t);
    run.addResult(8, 60, 40);     // beyond the histograms
    run.addResult(8, 32767, 40);  // beyond every table
    run.open();
    run.at(2, 4);
    QCOMPARE(run.line("List1", 0), QStringLiteral("レベル2 今まで3回  （★=1）"));
    QCOMPARE(run.line("List1", 13), QStringLiteral(" 120～★"));
    QCOMPARE(run.line("List1", 101), QStringLiteral("1000～★"));  // the time-out
    QCOMPARE(run.line("List2", 10), QStringLiteral("  90～★"));
    QCOMPARE(run.line("List2", 13), QStringLiteral(" 120～"));
    run.at(0, 6);  // the headings cannot be chosen
    run.at(7, 0);
    QCOMPARE(run.w->cursorRow(), 2);
    QCOMPARE(run.w->cursorColumn(), 4);
    // A record added meanwhile shows on the next key, but Esc does nothing at all.
    run.addResult(9, 2, 41);
    run.key(Qt::Key_Escape);
    QCOMPARE(run.line("List1", 0), QStringLiteral("レベル2 今まで3回  （★=1）"));
    run.key(Qt::Key_Return);
    QCOMPARE(run.line("List1", 0), QStringLiteral("レベル2 今まで4回  （★=1）"));
  }
};

MINATORI_WINDOW_TEST_MAIN(FrmTimeDataWindowTest)
#include "frmtimedata_window_test.moc"
