// The name-selection screen on an installation tree with its own roster and
// results log: the rows and figures, the group filter, choosing with the
// mouse and the keyboard, the version window and leaving for the program menu.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <optional>

#include "app/configuration.h"
#include "app/ui/application.h"
#include "app/ui/frmver.h"
#include "platform/random.h"
#include "progress/ui/seisekitime1.h"
#include "results/resultslog.h"
#include "roster/ui/namesel.h"
#include "tests/support/testinstallation.h"
#include "tests/support/roads.h"
#include "tests/support/windowrun.h"
#include "tests/support/windowtestmain.h"

using namespace minatori;
using namespace minatori::test;

namespace {

// School year 2026 (the fake clock's 9 December 2026, start month 4):
// code 2017 is g = 3 (小3), 2020 is g = 0 (幼3), 2009 is g = 11 (高2), 2012 is g = 8 (中2).
const QString kRoster = QStringLiteral(
    "17,2017,0,0,\"青木さくら\",0,,\r\n"
    "18,2020,0,0,\"ゆい\",0,,\r\n"
    "19,2012,0,0,\"伊藤 翔\",1,,\r\n"
    "20,2009,0,0,\"上田健\",0,,\r\n"
    "21,2012,0,0,\"江藤真\",0,,\r\n"
    "900,1980,0,0,\"水野先生\",0,,\r\n");

}  // namespace

class NameselWindowTest : public QObject {
  Q_OBJECT

  struct Run : WindowRun {
    namesel *screen = nullptr;

    explicit Run(const QString &roster = kRoster) {
      TestInstallation::writeCp932(inst.dataFolder() + QStringLiteral("新名簿.txt"), roster);
      makeApp();
      loadConfiguration(app->state(), inst.programFolder());
    }
    void open() { screen = &app->windows().show<namesel>(); }
    // Attempts of `student` on level 2 today, recorded as a drill would.
    void attempts(int student, std::initializer_list<int> times) {
      ProgramState &s = app->state();
      s.studentNumber = static_cast<qint16>(student);
      s.currentLevel = 2;
      for (int t : times) {
        s.attemptResult = t;
        appendResult(s, clock);
      }
    }
    template <class W>
    W *child(const char *name) const {
      return screen->findChild<W *>(QString::fromLatin1(name));
    }
    QListWidget *list() const { return child<QListWidget>("List1"); }
    QStringList rows() const {
      QStringList out;
      for (int i = 0; i < list()->count(); ++i) out << list()->item(i)->text();
      return out;
    }
    QString display() const { return child<QLabel>("Label1")->text(); }
    void chooseGroup(const QString &group) {
      chooseInCombo(child<QComboBox>("Combo1"), group);
    }
    int rowOf(const QString &start) const {
      const QStringList r = rows();
      for (int i = 0; i < r.size(); ++i)
        if (r[i].startsWith(start)) return i;
      return -1;
    }
    void doubleClickRow(int row) {
      QListWidget *l = list();
      const QRect r = l->visualItemRect(l->item(row));
      QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, r.center());
      QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, r.center());
    }
  };

 private Q_SLOTS:
  void openingListsTheActiveStudents() {
    Run run;
    run.open();
    QCOMPARE(run.screen->windowTitle(), QStringLiteral("vantora"));
    QCOMPARE(run.child<QLabel>("Label4")->text(), QStringLiteral("ミナトリ"));
    QCOMPARE(run.child<QLabel>("Label4")->font().pointSize(), 48);
    QCOMPARE(run.display(), QStringLiteral("名前を選びなさい"));
    QVERIFY(run.child<QRadioButton>("Option1_1")->isChecked());
    QVERIFY(run.child<QWidget>("Picture1")->isHidden());
    QVERIFY(run.child<QWidget>("Label5")->isHidden());
    QCOMPARE(run.child<QComboBox>("Combo1")->count(), 12);
    QCOMPARE(run.child<QComboBox>("Combo1")->currentText(), QStringLiteral("全学年"));
    QCOMPARE(run.app->state().selectedGroup, QStringLiteral("全学年"));
    const QStringList rows = run.rows();
    QCOMPARE(rows.size(), 6);  // the placeholder and five active students
    QCOMPARE(rows[0], QStringLiteral("－－－－－－"));
    QVERIFY2(rows[1].startsWith(QStringLiteral("小3 青木さくら　")), qPrintable(rows[1]));
    QVERIFY2(rows[2].startsWith(QStringLiteral("幼3 ゆい　　　　  　/")), qPrintable(rows[2]));
    QVERIFY(rows[3].startsWith(QStringLiteral("高2 上田健")));
    QCOMPARE(run.list()->currentRow(), 0);
  }

  void figureModesShowTheirPairs() {
    Run run;
    run.app->state().criteria[2].targetTime = 60;
    run.app->state().criteria[2].pointRate = 1;
    // On target 60: 5 points for 60 s, 1 for 200 s; 4 × 5 + 6 × 1 = 26 points in 10 attempts.
    run.attempts(17, {60, 60, 60, 60, 200, 200, 200, 200, 200, 200});
    run.open();
    const int row = run.rowOf(QStringLiteral("小3 青木"));
    QTest::mouseClick(run.child<QRadioButton>("Option1_2"), Qt::LeftButton, {}, QPoint(6, 10));
    QCOMPARE(run.rows()[row], QStringLiteral("小3 青木さくら　  26/ 10回"));
    QTest::mouseClick(run.child<QRadioButton>("Option1_0"), Qt::LeftButton, {}, QPoint(6, 10));
    QCOMPARE(run.rows()[row], QStringLiteral("小3 青木さくら　 10回/   10回"));
    // The kindergarten row fills to column 11 outside mode 1.
    QCOMPARE(run.rows()[run.rowOf(QStringLiteral("幼3"))], QStringLiteral("幼3 ゆい　　　　　　     /     　"));
    QTest::mouseClick(run.child<QRadioButton>("Option1_3"), Qt::LeftButton, {}, QPoint(6, 10));
    QCOMPARE(run.rows()[row], QStringLiteral("小3 青木さくら　     26/   10回"));
  }

  void theGroupListNarrowsTheNames() {
    Run run;
    run.open();
    run.chooseGroup(QStringLiteral("小学生全体"));
    QCOMPARE(run.rows().size(), 2);
    QCOMPARE(run.app->state().selectedGroup, QStringLiteral("小学生全体"));
    QVERIFY(run.list()->hasFocus() || !run.screen->isActiveWindow());
    run.chooseGroup(QStringLiteral("中２"));
    QCOMPARE(run.rows().size(), 2);
    QVERIFY(run.rows()[1].startsWith(QStringLiteral("中2 江藤真")));
    run.chooseGroup(QStringLiteral("全学年"));
    QCOMPARE(run.rows().size(), 6);  // the 高2 student is back
  }

  void rowZeroThenOneOnlyPlaysTheRefusal() {
    Run run;
    run.open();
    clickRow(run.list(), 1);
    QCOMPARE(run.display(), QStringLiteral("小3 青木さくら　"));  // the first 10 characters
    QCOMPARE(run.screen->selectedNumber(), 17);
    clickRow(run.list(), 0);
    QCOMPARE(run.display(), QStringLiteral("名前を選びなさい"));
    QTest::keyClick(run.list(), Qt::Key_1);
    QCOMPARE(run.audio.played.size(), 1);
    QVERIFY(run.audio.played.front().endsWith(QStringLiteral("お知らせ.wav")));
    QVERIFY(run.app->windows().find<namesel>());
    QVERIFY(!run.app->windows().find<seisekitime1>());
  }

  void theKeyboardAloneChoosesAndStarts() {
    Run run;
    run.open();
    run.list()->setFocus();
    QTest::keyClick(run.list(), Qt::Key_Down);
    QCOMPARE(run.display(), QStringLiteral("小3 青木さくら　"));  // the first 10 characters
    run.clock.set(QDateTime(QDate(2026, 12, 9), QTime(10, 30, 0)));
    // "0", then Enter held down, while the progress screen opens: neither acts.
    namesel *screen = run.screen;
    const WhileBusy held([screen] {
      typeKeys(screen, QStringLiteral("0"));
      pressKey(screen, Qt::Key_Return);
    });
    QTest::keyClick(run.list(), Qt::Key_Return);
    QVERIFY(held.done());
    QVERIFY(!run.app->hasEnded());
    const ProgramState &s = run.app->state();
    QCOMPARE(s.studentNumber, qint16(17));
    QCOMPARE(s.studentName, QStringLiteral("青木さくら               "));
    QCOMPARE(s.studentName.size(), 20);
    QCOMPARE(s.studentGradeLabel, QStringLiteral("小３"));
    QCOMPARE(s.studentStartTime, 10 * 3600 + 30 * 60);
    QCOMPARE(s.levelCount, qint16(12));
    QVERIFY(run.app->windows().find<seisekitime1>());
    QVERIFY(!run.app->windows().find<namesel>());
    QVERIFY(run.audio.played.isEmpty());
  }

  void aStudentBeyondTheLabelsKeepsTheEarlierLabel() {
    Run run;
    run.open();
    run.app->state().roster.gradeLabelByNumber[20] = QString();
    clickRow(run.list(), run.rowOf(QStringLiteral("高2")));
    QTest::keyClick(run.list(), Qt::Key_1);
    QCOMPARE(run.app->state().studentNumber, qint16(20));
    QCOMPARE(run.app->state().studentGradeLabel, QString());
  }

  void aDoubleClickStartsAtOnce() {
    Run run;
    run.open();
    namesel *screen = run.screen;
    const WhileBusy zero([screen] { typeKeys(screen, QStringLiteral("0")); });
    run.doubleClickRow(run.rowOf(QStringLiteral("中2 江藤")));
    QVERIFY(zero.done() && !run.app->hasEnded());
    QCOMPARE(run.app->state().studentNumber, qint16(21));
    QVERIFY(run.app->windows().find<seisekitime1>());
    // Back from the level choice, the screen starts afresh.
    QTest::mouseClick(run.app->windows().find<seisekitime1>()->findChild<QPushButton *>(QStringLiteral("Command1")),
                      Qt::LeftButton);
    run.screen = run.app->windows().find<namesel>();
    QVERIFY(run.screen);
    QCOMPARE(run.display(), QStringLiteral("名前を選びなさい"));
    QVERIFY(run.child<QPushButton>("Command1")->isVisible());
    QTest::keyClick(run.list(), Qt::Key_1);
    QCOMPARE(run.audio.played.size(), 1);
  }

  void theVersionWindowOpensOverTheScreen() {
    Run run;
    run.open();
    // Where the window stands when it first shows: it must not move after.
    struct FirstShow : QObject {
      std::optional<QPoint> at;
      bool eventFilter(QObject *o, QEvent *e) override {
        if (!at && e->type() == QEvent::Show && qobject_cast<frmver *>(o)) at = static_cast<QWidget *>(o)->pos();
        return false;
      }
    } firstShow;
    qApp->installEventFilter(&firstShow);
    QTest::mouseClick(run.child<QLabel>("Label4"), Qt::LeftButton);
    qApp->removeEventFilter(&firstShow);
    frmver *v = run.app->windows().find<frmver>();
    QVERIFY(v && v->isVisible());
    QCOMPARE(firstShow.at, std::optional<QPoint>(v->pos()));
    QCOMPARE(v->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(v->windowModality(), Qt::ApplicationModal);
    QCOMPARE(v->findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("ミナトリ"));
    QCOMPARE(v->findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("Version1.0.17"));
    QCOMPARE(v->findChild<QLabel *>(QStringLiteral("Label4"))->text(), QStringLiteral("Marlowgate"));
    QVERIFY(!v->findChild<QLabel *>(QStringLiteral("Label5"))->text().isEmpty());
    saveScreenshot(v, QStringLiteral("frmver"));
    QVERIFY2(clippedCaptions(v).isEmpty(), qPrintable(clippedCaptions(v).join(u'\n')));
    const QRect owner = run.screen->frameGeometry();
    QCOMPARE(v->pos(), owner.topLeft() + QPoint((owner.width() - v->width()) / 2, (owner.height() - v->height()) / 2));
    clickRow(run.list(), 1);
    const QStringList before = run.rows();
    QTest::mouseClick(v->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(!run.app->windows().find<frmver>());
    QCOMPARE(run.child<QComboBox>("Combo1")->count(), 12);
    QCOMPARE(run.display(), QStringLiteral("名前を選びなさい"));
    QCOMPARE(run.rows(), before);
  }

  void zeroLeavesThroughTheProgramMenu() {
    Run run;
    // A stand-in for the menu program that writes down its arguments.
    const QString folder = run.inst.rootFolder() + QStringLiteral("/起動");
    QVERIFY(QDir().mkpath(folder));
    const QString launcher = folder + QStringLiteral("/プログラムメニューc.exe");
    const QString out = folder + QStringLiteral("/arguments.txt");
    {
      QFile f(launcher);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/arguments.tmp\" && mv \"$(dirname \"$0\")/arguments.tmp\" "
              "\"$(dirname \"$0\")/arguments.txt\"\n");
      f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    run.open();
    QTest::keyClick(run.list(), Qt::Key_0);
    QVERIFY(run.app->hasEnded());
    QCOMPARE(run.app->exitCode(), 0);
    QVERIFY(run.messages.shown.empty());
    QVERIFY(run.app->windows().openWindows().empty());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 10000);
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("001\n"));
  }

  void aMissingMenuProgramIsNamedAndTheProgramStillEnds() {
    Run run;
    run.open();
    QTest::mouseClick(run.child<QPushButton>("Command2"), Qt::LeftButton);
    QCOMPARE(run.messages.shown.size(), size_t(1));
    QVERIFY2(run.messages.shown[0].text.contains(QStringLiteral("プログラムメニューc.exe")),
             qPrintable(run.messages.shown[0].text));
    QVERIFY(run.app->hasEnded());
    QCOMPARE(run.app->exitCode(), 0);
  }
};

MINATORI_WINDOW_TEST_MAIN(NameselWindowTest)
#include "namesel_window_test.moc"
