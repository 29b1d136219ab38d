// The built program on an X server of its own, driven by real mouse and key
// input through xdotool: a student is chosen, level 2 is answered once with a
// wrong drop among the right ones, timed out once, and the student leaves for
// the program menu; the results log is then checked byte by byte. A student
// closes the drill in the middle of an attempt with the title bar's close
// button; a teacher types the password, opens the criteria editor and closes
// the windows the same way. An administrator runs the share check
// (minatori-check, beside the program) and closes it.
//
//   realinput_test <path of the minatori executable>
//   realinput_test <minatori.exe of a Windows program folder> <menu stand-in .exe> [<holdfile.exe>]
//
// Given a Windows build, the same road runs it under wine (WINEPREFIX from
// the environment) on the same X server: the whole program folder is copied
// into an installation under Japanese folder names, パスデータ.txt names the
// data folder as Windows sees it (drive Z:), and the program menu is a
// Windows stand-in that writes its arguments beside itself. Given the stand-in
// of an anti-virus scanner (holdfile.exe), it holds the results log with no
// sharing across the end of the student's first attempt, which must wait
// and still be recorded, and a scratch file of the share check, which the
// check reports busy.
//
// The drill is made deterministic by a history table of three events, so
// every question asks exactly those three and the candidate list holds only
// them, sorted by their tag; the boxes' places come from placeQuestion.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMap>
#include <QPixmap>
#include <QProcess>
#include <QRect>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "content/historytable.h"
#include "drill/question.h"
#include "platform/clock.h"
#include "platform/textfile.h"
#include "platform/twips.h"
#include "results/seisekikiroku.h"
#include "tests/e2e/xclose.h"
#include "tests/support/testinstallation.h"
#include "tools/installation.h"

extern char **environ;

using namespace minatori;
using namespace minatori::test;

namespace {

QString g_program;          // the executable under test
bool g_wine = false;        // a Windows program, run under wine
QString g_menuStandIn;      // under wine: the Windows stand-in of the program menu
QString g_holdFile;         // under wine: the stand-in of a scanner holding a file, or none
QString g_display;          // ":N" of the X server started for the test
QString g_xserverProblem;   // why there is no X server, when there is none

// --- The X server ---------------------------------------------------------

// Xvfb on a free display it picks itself (-displayfd), started before any Qt
// object exists so this process can open a window system connection to it.
class XServer {
 public:
  explicit XServer(const char *size = "1024x768") {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
      g_xserverProblem = QStringLiteral("Xvfb is not installed (tools/install-deps.sh installs it)");
      return;
    }
    int fds[2];
    if (pipe(fds) != 0) {
      g_xserverProblem = QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
      return;
    }
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    const QByteArray program = xvfb.toLocal8Bit();
    const QByteArray fd = QByteArray::number(fds[1]);
    const QByteArray screen = QByteArray(size) + "x24";
    const char *argv[] = {program.constData(), "-displayfd", fd.constData(), "-screen", "0", screen.constData(),
                          "-nolisten", "tcp", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, const_cast<char **>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
      pid_ = 0;
      close(fds[0]);
      g_xserverProblem = QStringLiteral("cannot start Xvfb: %1").arg(QString::fromLocal8Bit(std::strerror(rc)));
      return;
    }
    // The server writes its display number and a newline once it accepts clients.
    QByteArray number;
    pollfd p{fds[0], POLLIN, 0};
    while (!number.endsWith('\n') && poll(&p, 1, 15000) > 0) {
      char c;
      if (read(fds[0], &c, 1) != 1) break;
      number += c;
    }
    close(fds[0]);
    if (!number.endsWith('\n')) {
      g_xserverProblem = QStringLiteral("Xvfb did not report its display");
      stop();
      return;
    }
    display_ = u':' + QString::fromLatin1(number.trimmed());
  }
  ~XServer() { stop(); }
  const QString &display() const { return display_; }
  void stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }
  bool running() const { return pid_ > 0 && !display_.isEmpty(); }

 private:
  pid_t pid_ = 0;
  QString display_;
};

QProcessEnvironment displayEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("DISPLAY"), g_display);
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  env.remove(QStringLiteral("QT_SCALE_FACTOR"));
  return env;
}

// --- Input through xdotool ------------------------------------------------

struct Xdo {
  QString program = QStandardPaths::findExecutable(QStringLiteral("xdotool"));

  struct Result {
    int code = -1;
    QString out;
  };
  Result run(const QStringList &args) const {
    QProcess p;
    p.setProcessEnvironment(displayEnvironment());
    p.start(program, args);
    Result r;
    if (!p.waitForFinished(10000)) {
      p.kill();
      p.waitForFinished();
      return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    return r;
  }
  // A command that must succeed; failures are reported through gtest.
  void must(const QStringList &args) const {
    const Result r = run(args);
    EXPECT_EQ(r.code, 0) << "xdotool " << args.join(u' ').toStdString();
  }

  void click(QPoint at) const {
    must({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
          QStringLiteral("1")});
  }
  void key(const QString &name) const { must({QStringLiteral("key"), name}); }
  // Press, move in small steps, release: the list starts its drag on the press.
  void drag(QPoint from, QPoint to) const {
    const QString pause = QStringLiteral("0.05");
    const QString step = QStringLiteral("0.02");
    QStringList args{QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y()),
                     QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("sleep"), pause};
    constexpr int kSteps = 12;
    for (int i = 1; i <= kSteps; ++i) {
      const QPoint p = from + (to - from) * i / kSteps;
      args << QStringLiteral("mousemove") << QString::number(p.x()) << QString::number(p.y()) << QStringLiteral("sleep")
           << step;
    }
    args << QStringLiteral("sleep") << pause << QStringLiteral("mouseup") << QStringLiteral("1");
    must(args);
  }

  // Visible top-level windows whose caption is exactly `caption` (xdotool's
  // own match ignores case, and "vantora" differs from "Vantora" only there).
  QStringList windows(const QString &caption) const {
    const Result found = run({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                              u'^' + caption + u'$'});
    QStringList ids;
    for (const QString &id : found.out.split(u'\n', Qt::SkipEmptyParts)) {
      const Result name = run({QStringLiteral("getwindowname"), id});
      if (name.code == 0 && name.out.trimmed() == caption) ids << id;
    }
    return ids;
  }
  QStringList visibleWindows() const {
    return run({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), QString()})
        .out.split(u'\n', Qt::SkipEmptyParts);
  }
  QRect geometry(const QString &id) const {
    const Result r = run({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id});
    QMap<QString, int> v;
    for (const QString &line : r.out.split(u'\n', Qt::SkipEmptyParts)) {
      const qsizetype eq = line.indexOf(u'=');
      if (eq > 0) v.insert(line.left(eq), line.mid(eq + 1).toInt());
    }
    return {v.value(QStringLiteral("X")), v.value(QStringLiteral("Y")), v.value(QStringLiteral("WIDTH")),
            v.value(QStringLiteral("HEIGHT"))};
  }
  // Every visible window's caption, for a failure message.
  QString screenContents() const {
    QStringList out;
    for (const QString &id : visibleWindows()) {
      const QRect g = geometry(id);
      out << QStringLiteral("%1 \"%2\" %3x%4+%5+%6")
                 .arg(id, run({QStringLiteral("getwindowname"), id}).out.trimmed())
                 .arg(g.width()).arg(g.height()).arg(g.x()).arg(g.y());
    }
    return out.isEmpty() ? QStringLiteral("(no visible window)") : out.join(QStringLiteral(", "));
  }
};

void shortWait(int ms) { QThread::msleep(static_cast<unsigned long>(ms)); }

// An absolute host path as wine's drive Z: shows it.
QString wineZPath(const QString &path) { return QStringLiteral("Z:") + QString(path).replace(u'/', u'\\'); }

// A wine prefix in `folder` like the one the tests run in (WINEPREFIX), at
// `dpi` dots per inch: its own registry, the same drive C. The text of what
// failed, or empty.
QString makeWinePrefixAtDpi(const QString &folder, int dpi) {
  const QString base = qEnvironmentVariable("WINEPREFIX");
  if (base.isEmpty()) return QStringLiteral("WINEPREFIX names no prefix to start from");
  QDir().mkpath(folder + QStringLiteral("/dosdevices"));
  for (const char *file : {"system.reg", "user.reg", "userdef.reg", ".update-timestamp"})
    if (!QFile::copy(base + u'/' + QLatin1String(file), folder + u'/' + QLatin1String(file)))
      return QStringLiteral("cannot copy %1 of %2").arg(QLatin1String(file), base);
  if (!QFile::link(base + QStringLiteral("/drive_c"), folder + QStringLiteral("/drive_c")) ||
      !QFile::link(QStringLiteral("../drive_c"), folder + QStringLiteral("/dosdevices/c:")) ||
      !QFile::link(QStringLiteral("/"), folder + QStringLiteral("/dosdevices/z:")))
    return QStringLiteral("cannot link the drives of %1").arg(folder);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("WINEPREFIX"), folder);
  env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
  for (const QStringList &command :
       {QStringList{QStringLiteral("wine"), QStringLiteral("reg"), QStringLiteral("add"),
                    QStringLiteral("HKCU\\Control Panel\\Desktop"), QStringLiteral("/v"), QStringLiteral("LogPixels"),
                    QStringLiteral("/t"), QStringLiteral("REG_DWORD"), QStringLiteral("/d"), QString::number(dpi),
                    QStringLiteral("/f")},
        QStringList{QStringLiteral("wineserver"), QStringLiteral("-w")}}) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(command.front(), command.mid(1));
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
      return command.join(u' ') + QStringLiteral(" failed: ") + QString::fromLocal8Bit(p.readAll());
  }
  return {};
}

// Copies the files and folders in `from` into `to`, replacing files.
void copyTree(const QString &from, const QString &to) {
  QDir().mkpath(to);
  for (const QFileInfo &entry : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
    const QString target = to + u'/' + entry.fileName();
    if (entry.isDir()) {
      copyTree(entry.filePath(), target);
    } else {
      QFile::remove(target);
      QFile::copy(entry.filePath(), target);
    }
  }
}

// --- The installation -----------------------------------------------------

// Three events for level group 1, centuries apart and one of each category,
// tagged so the candidate list sorts them in time order.
const QStringList kEvents = {QStringLiteral("東の港がひらかれる"), QStringLiteral("西の山に寺が建つ"),
                             QStringLiteral("南の国へ使いを送る")};
const QStringList kTags = {QStringLiteral("あ"), QStringLiteral("い"), QStringLiteral("う")};
const int kYears[] = {1000, 1300, 1600};

QString historyCsv() {
  QString text = QStringLiteral("学年,年,月,日,分類,できごと,よみ,備考\r\n");
  for (int i = 0; i < 3; ++i)
    text += QStringLiteral("1,%1,,,%2,%3,%4,\r\n").arg(kYears[i]).arg(i + 1).arg(kEvents[i], kTags[i]);
  return text;
}

// Three students and a teacher; the tests choose the second student, on row
// 2 under the placeholder row, or the teacher on row 4.
constexpr qint16 kStudent = 302;
const QString kRosterText = QStringLiteral(
    "301,2014,0,0,\"港野はると\",0,\"\",\"\"\r\n"
    "302,2014,0,0,\"浜辺みお\",0,\"\",\"\"\r\n"
    "303,2014,0,0,\"岬そら\",0,\"\",\"\"\r\n"
    "304,1980,0,0,\"灯台先生\",0,\"\",\"\"\r\n");
constexpr int kStudentRow = 2;
constexpr int kTeacherRow = 4;
// The demo's teacher password (共通データ.txt).
const QString kPassword = QStringLiteral("hikari");

// Level 2's lowest time: the drill times out after five times this.
// Under wine each drag takes longer (its drag loop polls), so the attempt
// gets more time there.
int lowestTime() { return g_wine ? 10 : 4; }

// The stand-in program menu writes its argument count and arguments beside itself.
const QByteArray kLauncherScript =
    "#!/bin/sh\n"
    "printf '%s\\n' \"$#\" \"$@\" > \"$0.args.tmp\" && mv \"$0.args.tmp\" \"$0.args\"\n";

// --- Where the program's controls are, in window pixels -------------------

// The drill window: Picture2 sits under the 1800-twip status panel, the board
// Picture1 and the list List1 at 375 twips inside it.
const QPoint kBoardOrigin(twips(150), twips(1800 + 375));
const QRect kListRect(twips(11280), twips(1800 + 375), twips(3975), twips(9060));

// The name selection's list and O.K. button (namesel.cpp).
const QRect kNameListRect(twips(90), twips(2790), twips(15090), twips(8295));
const QPoint kNameOk(724 + 60, 88 + 30);
// The end screen's "メニューへ" (Command4).
const QPoint kEndToMenu(232 + 120, 600 + 40);
// The progress screen's "データ処理" (Command8), and "合格タイムデータ変更"
// (Command10_1) on the password panel Picture7 at (612, 84) (seisekitime1.cpp).
const QPoint kDataButton(896 + 60, 50 + 14);
const QPoint kCriteriaButton(612 + 202 + 90, 84 + 78 + 15);

class RealInputTest : public ::testing::Test {
 protected:
  TestInstallation inst{g_wine ? QStringLiteral("みなと 塾/共有 フォルダ") : QString()};
  Xdo xdo;
  QProcess program, secondProgram;
  Question question;  // where the three boxes are

  void SetUp() override {
    ASSERT_TRUE(g_xserverProblem.isEmpty()) << g_xserverProblem.toStdString();
    ASSERT_FALSE(xdo.program.isEmpty()) << "xdotool is not installed (tools/install-deps.sh installs it)";
    ASSERT_FALSE(g_program.isEmpty()) << "usage: realinput_test <minatori executable>";
    ASSERT_TRUE(g_wine || QFileInfo(g_program).isExecutable()) << g_program.toStdString();
    ASSERT_TRUE(!g_wine || QFileInfo::exists(g_menuStandIn)) << "usage: realinput_test <minatori.exe> <menu stand-in .exe>";

    // The tree with the built program and the generated sounds, so every
    // sound the drill plays is found.
    installation::Layout layout = inst.layout();
    layout.executable = g_program;
    layout.soundSources << QStringLiteral(MINATORI_DEMO_SOUNDS);
    installation::layOut(layout);
    if (g_wine) {
      // The DLLs and plugin folders beside the program, and the data folder
      // in the form a Windows PC's パスデータ.txt gives it.
      copyTree(QFileInfo(g_program).absolutePath(), inst.programFolder());
      ASSERT_TRUE(QFile::exists(inst.programFolder() + QStringLiteral("/minatori.exe")));
      QFile pathFile(inst.rootFolder() + QStringLiteral("パスデータ.txt"));
      ASSERT_TRUE(pathFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
      pathFile.write(installation::pathFileBytes(wineZPath(inst.dataFolder())));
    }

    TestInstallation::writeCp932(inst.contentFolder() + QString::fromUtf16(kHistoryFileName), historyCsv());
    TestInstallation::writeCp932(inst.dataFolder() + QStringLiteral("新名簿.txt"), kRosterText);
    writeCriteria();
    writeLauncher();

    const HistoryTable table = parseHistoryRows(historyCsv(), QStringLiteral("history"), 1);
    ASSERT_EQ(table.rowCount(), 3);
    question = placeQuestion(table, {1, 2, 3});
  }

  void TearDown() override {
    if (holder_.state() != QProcess::NotRunning && !holder_.waitForFinished(30000)) {
      kill(-static_cast<pid_t>(holder_.processId()), SIGKILL);
      holder_.waitForFinished(5000);
    }
    if (!started_) return;
    // Also when the program has ended: its output tells why.
    if (HasFailure()) report();
    for (QProcess *p : {&program, &secondProgram}) {
      if (p->state() == QProcess::NotRunning) continue;
      if (g_wine) kill(-static_cast<pid_t>(p->processId()), SIGKILL);
      p->kill();
      p->waitForFinished(5000);
    }
  }

  // What the screen and the program showed when the test failed.
  void report() {
    std::printf("Screen: %s\nLast input: %s\n", qPrintable(xdo.screenContents()), qPrintable(lastStep_));
    const QString shot = QDir::current().absoluteFilePath(QStringLiteral("realinput_test-screen.png"));
    if (QScreen *screen = QGuiApplication::primaryScreen(); screen && screen->grabWindow(0).save(shot))
      std::printf("Screen picture: %s\n", qPrintable(shot));
    if (programEnded())
      std::printf("The program has ended: %s, code %d\n",
                  program.exitStatus() == QProcess::NormalExit ? "normally" : "crashed", program.exitCode());
    // Without the disk audio driver's notice at every sound.
    QStringList lines;
    for (const QString &line : QString::fromLocal8Bit(program.readAll()).split(u'\n'))
      if (!line.contains(QStringLiteral("SDL disk i/o")) && !line.contains(QStringLiteral("Writing to file")))
        lines << line;
    std::printf("Program output:\n%s\n", qPrintable(lines.join(u'\n')));
  }

  void writeCriteria() {
    const QString path = inst.contentFolder() + QStringLiteral("タイム回数データ.txt");
    QFile demo(demoSourceFolder() + QStringLiteral("content/タイム回数データ.txt"));
    ASSERT_TRUE(demo.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = demo.readAll().split('\n');
    ASSERT_GT(lines.size(), 3);
    // Line 3 holds level 2: target time, lowest time, then the rest as the demo has them.
    QList<QByteArray> fields = lines[2].split(',');
    fields[0] = QByteArray::number(lowestTime() - 1);
    fields[1] = QByteArray::number(lowestTime());
    lines[2] = fields.join(',');
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(lines.join('\n'));
  }

  QString launcherPath() const { return inst.rootFolder() + QStringLiteral("起動/プログラムメニューc.exe"); }

  void writeLauncher() {
    ASSERT_TRUE(QDir().mkpath(inst.rootFolder() + QStringLiteral("起動")));
    if (g_wine) {
      ASSERT_TRUE(QFile::copy(g_menuStandIn, launcherPath()));
      return;
    }
    QFile f(launcherPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(kLauncherScript);
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }

  // `name`: minatori, or the share check minatori-check beside it; into
  // secondProgram while the first still runs.
  void startProgram(const QString &name = QStringLiteral("minatori"), bool second = false) {
    started_ = true;
    QProcess &program = second ? secondProgram : this->program;
    QProcessEnvironment env = displayEnvironment();
    // Sounds go to no device and take no time.
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
    env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), g_wine ? QStringLiteral("NUL") : QStringLiteral("/dev/null"));
    env.insert(QStringLiteral("SDL_DISKAUDIODELAY"), QStringLiteral("0"));
    // The unpacked program folder must hold every DLL the program needs, and
    // the program uses its own Windows platform plugin under wine.
    if (g_wine) {
      env.insert(QStringLiteral("MINATORI_WINE_PACKED"), QStringLiteral("1"));
      env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    }
    for (const QString &setting : extraEnvironment_) env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.setWorkingDirectory(inst.rootFolder());
    if (g_wine && !second) {
      // The wineserver of the test before outlives its programs by a few
      // seconds and keeps the screen of the X server it met first: a
      // program started meanwhile on another server measures the old one.
      QProcess server;
      server.setProcessEnvironment(env);
      server.start(QStringLiteral("wineserver"), {QStringLiteral("-w")});
      if (server.waitForStarted(5000)) server.waitForFinished(30000);
    }
    if (g_wine) {
      // The program is a grandchild of the wrapper: a session of its own
      // lets TearDown end the whole group by the wrapper's id.
      program.start(QStringLiteral("setsid"), {QStringLiteral(MINATORI_SOURCE_DIR "/tools/windows/wine-run.sh"),
                                               inst.programFolder() + u'/' + name + QStringLiteral(".exe")});
    } else {
      program.start(inst.programFolder() + u'/' + name, {});
    }
    ASSERT_TRUE(program.waitForStarted(10000)) << program.errorString().toStdString();
  }

  // The program's windows drawn at scale_ times their design size: a point
  // of the design in the window at `window`.
  QPoint at(QPoint window, QPoint design) const {
    return window + QPoint(qRound(design.x() * scale_), qRound(design.y() * scale_));
  }
  // On Windows the program keeps room for a title bar (40 pixels) in the
  // screen's work area, so on the test's 1024 x 768 screen it shrinks its
  // windows to fit 728 pixels; wine on a bare X server draws no frame, so
  // the X window is the client area.
  double scale_ = g_wine ? (768.0 - 40) / 768 : 1.0;
  QStringList extraEnvironment_;  // NAME=value for the program

  // Whether the program has ended; no event loop runs here to notice it.
  bool programEnded() { return program.state() == QProcess::NotRunning || program.waitForFinished(0); }

  // The full-screen window with `caption`, when one shows.
  QString shownWindow(const QString &caption) const {
    // Within a pixel: the toolkit rounds a window's size in its own pixels,
    // then scales it.
    const QSizeF full(1024 * scale_, 768 * scale_);
    for (const QString &id : xdo.windows(caption)) {
      const QSize size = xdo.geometry(id).size();
      if (std::abs(size.width() - full.width()) <= 1 && std::abs(size.height() - full.height()) <= 1) return id;
    }
    return {};
  }
  // Polls until a full-screen window with `caption` shows and `previous` (the
  // screen it takes over from, which may have the same caption) is gone.
  // Empty when the deadline passes or the program has ended.
  QString waitForWindow(const QString &caption, const QString &previous = {}, int seconds = 15) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < seconds * 1000LL) {
      if (previous.isEmpty() || !xdo.visibleWindows().contains(previous))
        if (QString id = shownWindow(caption); !id.isEmpty() && id != previous) {
          screenshot(caption);
          return id;
        }
      if (programEnded()) return {};
      shortWait(50);
    }
    return {};
  }
  // With MINATORI_E2E_SCREENSHOTS naming a folder, a picture of the screen
  // each time a window has shown, numbered in order: to look at.
  void screenshot(const QString &caption) {
    const QString folder = qEnvironmentVariable("MINATORI_E2E_SCREENSHOTS");
    QScreen *screen = QGuiApplication::primaryScreen();
    if (folder.isEmpty() || !screen) return;
    shortWait(500);  // drawn, not only mapped
    QDir().mkpath(folder);
    const QString name = QStringLiteral("%1-%2-%3.png")
                             .arg(QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()))
                             .arg(++screenshots_, 2, 10, QLatin1Char('0'))
                             .arg(caption);
    // This process's own connection shows only the first server; another
    // one is taken by ImageMagick's import where it is installed.
    if (g_display == qEnvironmentVariable("DISPLAY")) {
      screen->grabWindow(0).save(folder + u'/' + name);
    } else if (const QString import = QStandardPaths::findExecutable(QStringLiteral("import")); !import.isEmpty()) {
      QProcess p;
      p.start(import, {QStringLiteral("-display"), g_display, QStringLiteral("-window"), QStringLiteral("root"),
                       folder + u'/' + name});
      p.waitForFinished(30000);
    }
  }
  int screenshots_ = 0;
  // Repeats an input on `previous` until the window with `caption` has taken
  // over: a screen that is still being set up ignores input. A repeat must
  // wait out the slowest hand-over, or it lands in the next window: under
  // wine with no window manager each hidden window costs wine a second's
  // wait for its withdrawal, and a second "2" answers box 2 in the drill.
  QString inputUntilWindow(const std::function<void()> &input, const QString &previous, const QString &caption) {
    const int perTry = g_wine ? 8 : 2, seconds = g_wine ? 30 : 15;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < seconds * 1000LL) {
      input();
      if (QString id = waitForWindow(caption, previous, perTry); !id.isEmpty()) return id;
      if (programEnded()) return {};
    }
    return {};
  }

  // The close button of the window's title bar, as a window manager sends it.
  void closeWithTitleBarButton(const QString &id) {
    step(QStringLiteral("the close button of window %1").arg(id));
    EXPECT_TRUE(sendCloseRequest(g_display.toLocal8Bit().constData(), id.toULong()));
  }
  // The name list's row `row`, then O.K.: the progress screen, or empty.
  QString chooseRow(const QString &names, int row) {
    const QPoint namesAt = xdo.geometry(names).topLeft();
    QFont nameFont(QStringLiteral("IPAGothic"));
    nameFont.setPointSizeF(14.25);
    const int rowHeight = QFontMetrics(nameFont).height() + 4;
    const auto choose = [&] {
      step(QStringLiteral("row %1 and O.K.").arg(row));
      // The rows start under the list's frame, one grid cell each.
      xdo.click(at(namesAt, kNameListRect.topLeft() + QPoint(120, 2 + row * rowHeight + rowHeight / 2)));
      shortWait(100);
      xdo.click(at(namesAt, kNameOk));
    };
    return inputUntilWindow(choose, names, QStringLiteral("vantora"));
  }
  // Start-up, then row `row` of the name list and O.K.: the name list's and
  // the progress screen's windows, empty (the test failed) where one did not show.
  std::pair<QString, QString> startAndChoose(int row) {
    startProgram();
    const QString names = waitForWindow(QStringLiteral("vantora"));
    EXPECT_FALSE(names.isEmpty()) << "the name selection did not show: " << xdo.screenContents().toStdString();
    if (names.isEmpty()) return {};
    const QString progress = chooseRow(names, row);
    EXPECT_FALSE(progress.isEmpty()) << "the progress screen did not show";
    return {names, progress};
  }
  // Level 2 started from the progress screen by its key: the drill's window,
  // empty (the test failed) where it did not start.
  QString startLevelTwo(const QString &progress) {
    if (progress.isEmpty()) return {};
    const QString drill = inputUntilWindow(key("2"), progress, QStringLiteral("Vantora"));
    EXPECT_FALSE(drill.isEmpty()) << "level 2 did not start";
    // Under wine a drag started while the new window still settles is lost
    // and its drop lands with the next drag.
    shortWait(g_wine ? 1500 : 300);
    return drill;
  }
  std::function<void()> key(const char *k) {
    return [this, k] {
      step(QStringLiteral("key %1").arg(QLatin1String(k)));
      xdo.key(QString::fromLatin1(k));
    };
  }
  // Waits for the program to end by itself; its exit code, or -1.
  int exitCode(int seconds = 15) {
    if (!program.waitForFinished(seconds * 1000)) return -1;
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
  }

  // --- The drill board ---
  QPoint boxCentre(QPoint window, int box) const {
    const PlacedItem &item = question.items[static_cast<size_t>(box - 1)];
    const BoardGeometry g;
    return at(window, kBoardOrigin +
           QPoint(twips(item.boxLeft) + twips(g.boxAnchorWidth) / 2, twips(item.boxTop) + twips(g.boxHeight) / 2));
  }
  // Inside the list's first row: a few pixels under its frame and spacing.
  QPoint firstRow(QPoint window) const { return at(window, kListRect.topLeft() + QPoint(60, 12)); }
  // Below the rows: a press there starts no drag.
  QPoint listBelowRows(QPoint window) const { return at(window, kListRect.topLeft() + QPoint(130, 480)); }
  // "O.K." (Command12) under the correction shown under a wrong box.
  QPoint correctionOk(QPoint window, int box) const {
    const PlacedItem &item = question.items[static_cast<size_t>(box - 1)];
    const int h = twips(BoardGeometry{}.boxHeight);
    return at(window, kBoardOrigin + QPoint(twips(item.boxLeft) + 15, twips(item.boxTop) + 2 * h + 8));
  }
  void dropFirstRow(QPoint window, int box) {
    step(QStringLiteral("first row onto box %1").arg(box));
    xdo.drag(firstRow(window), boxCentre(window, box));
    shortWait(g_wine ? 900 : 150);
  }
  // Under wine with holdfile.exe given: starts it holding `file` with no
  // sharing, as an anti-virus scanner does, for as long as `how` says
  // (holdfile's --hold MS or --until STOP), in the program's wine prefix
  // (share modes hold between the programs of one wineserver), and returns
  // once it holds the file. False without it.
  bool holdUnderWine(const QString &file, const QStringList &how) {
    if (!g_wine || g_holdFile.isEmpty()) return false;
    const QString marker = file + QStringLiteral(".held");
    QProcessEnvironment env = displayEnvironment();
    for (const QString &setting : extraEnvironment_) env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    holder_.setProcessEnvironment(env);
    holder_.start(QStringLiteral("setsid"),
                  QStringList{QStringLiteral(MINATORI_SOURCE_DIR "/tools/windows/wine-run.sh"), g_holdFile} << how
                      << QStringLiteral("--marker") << wineZPath(marker) << wineZPath(file));
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(marker)) {
      if (holder_.state() == QProcess::NotRunning || t.elapsed() > 30000) {
        ADD_FAILURE() << "holdfile.exe did not hold " << file.toStdString() << ": " << holder_.readAll().toStdString();
        return false;
      }
      shortWait(20);
    }
    return true;
  }
  QProcess holder_;

  // Names the input about to be made, for a failure report, and reports
  // when the program ended after the one before.
  void step(const QString &what) {
    EXPECT_FALSE(programEnded()) << "before: " << what.toStdString() << ", after: " << lastStep_.toStdString();
    lastStep_ = what;
  }
  QString lastStep_;
  bool started_ = false;
};

TEST_F(RealInputTest, aStudentAnswersLevelTwoTimesOutAndLeavesForTheMenu) {
  const int dayBefore = dateSerial(QDate::currentDate());
  // An empty log, for another program to hold at the end of the first attempt.
  const QString logPath = inst.contentFolder() + QStringLiteral("成績累積データ.dat");
  QFile(logPath).open(QIODevice::WriteOnly);
  // 1. The name selection: the student's row, then O.K.; 2. the progress
  // screen: level 2 by its key.
  const QString drill = startLevelTwo(startAndChoose(kStudentRow).second);
  ASSERT_FALSE(drill.isEmpty());
  const QPoint at = xdo.geometry(drill).topLeft();

  // 3. Question 1: event 1 right; then event 2, now the first row, on box 3
  // is wrong. O.K. puts every box back to "?" and every event in the list.
  dropFirstRow(at, 1);
  screenshot(QStringLiteral("a right drop"));
  dropFirstRow(at, 3);
  screenshot(QStringLiteral("a wrong drop corrected"));
  step(QStringLiteral("O.K. of the correction"));
  xdo.click(correctionOk(at, 3));
  shortWait(150);
  for (int box = 1; box <= 3; ++box) dropFirstRow(at, box);
  shortWait(300);
  // Question 2: event 1 right from the first row. Then nothing is chosen: a
  // press below the rows dragged onto box 3, and the digit 3, judge nothing
  // (either would reset the question, and the attempt would time out). Event
  // 3, now the second row, is chosen with the keys and answered with its
  // digit; event 2 from the first row completes the question.
  dropFirstRow(at, 1);
  step(QStringLiteral("an empty press dragged onto box 3, then 3, with nothing chosen"));
  xdo.drag(listBelowRows(at), boxCentre(at, 3));
  shortWait(150);
  xdo.key(QStringLiteral("3"));
  shortWait(150);
  step(QStringLiteral("the second row by keys, answered with 3"));
  xdo.key(QStringLiteral("Home"));
  xdo.key(QStringLiteral("Down"));
  xdo.key(QStringLiteral("3"));
  shortWait(g_wine ? 900 : 150);
  dropFirstRow(at, 2);
  shortWait(300);
  // Question 3. Under wine a scanner's stand-in holds the log across its
  // last drop, which ends the attempt, for longer than the short retries
  // of a held file: recording the attempt waits for it.
  dropFirstRow(at, 1);
  dropFirstRow(at, 2);
  const bool held = holdUnderWine(logPath, {QStringLiteral("--hold"), QStringLiteral("4000")});
  dropFirstRow(at, 3);

  // 4. The end screen: "メニューへ" shows after half a second.
  const QString end = waitForWindow(QStringLiteral("終了"), drill);
  ASSERT_FALSE(end.isEmpty()) << "the attempt did not end";
  if (held) {
    EXPECT_TRUE(holder_.waitForFinished(30000));
    EXPECT_EQ(holder_.exitCode(), 0) << holder_.readAll().toStdString();
  }
  const QPoint endAt = xdo.geometry(end).topLeft();
  const auto toMenu = [&] {
    step(QStringLiteral("メニューへ"));
    xdo.click(this->at(endAt, kEndToMenu));
  };
  const QString progress2 = inputUntilWindow(toMenu, end, QStringLiteral("vantora"));
  ASSERT_FALSE(progress2.isEmpty()) << "メニューへ did not lead back to the progress screen";

  // 5. Level 2 again, left alone until it times out.
  const QString drill2 = inputUntilWindow(key("2"), progress2, QStringLiteral("Vantora"));
  ASSERT_FALSE(drill2.isEmpty()) << "level 2 did not start again";
  const QString end2 = waitForWindow(QStringLiteral("終了"), drill2, 5 * lowestTime() + 15);
  ASSERT_FALSE(end2.isEmpty()) << "the second attempt did not time out";
  // "メニューへ" has the focus once it shows (after half a second; a timed-out
  // attempt plays no sound): Enter presses it.
  shortWait(1500);
  step(QStringLiteral("Enter on the end screen"));
  xdo.key(QStringLiteral("Return"));
  const QString progress3 = waitForWindow(QStringLiteral("vantora"), end2);
  ASSERT_FALSE(progress3.isEmpty()) << "Enter did not press メニューへ";

  // 6. "0" and "2" typed at once: back to the names, and no drill behind
  // them. Then "0" again to the program menu.
  const auto zeroTwo = [this] {
    step(QStringLiteral("keys 0 and 2 at once"));
    xdo.must({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("0"), QStringLiteral("0"),
              QStringLiteral("2")});
  };
  const QString names2 = inputUntilWindow(zeroTwo, progress3, QStringLiteral("vantora"));
  ASSERT_FALSE(names2.isEmpty()) << "0 did not lead back to the name selection";
  shortWait(g_wine ? 3000 : 1000);
  EXPECT_TRUE(xdo.windows(QStringLiteral("Vantora")).isEmpty()) << "a drill started behind the names: "
                                                               << xdo.screenContents().toStdString();
  step(QStringLiteral("key 0 on the name selection"));
  xdo.key(QStringLiteral("0"));
  ASSERT_TRUE(program.waitForFinished(15000)) << "the program did not end";
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);

  QFile args(launcherPath() + QStringLiteral(".args"));
  QElapsedTimer t;
  t.start();
  while (!args.exists() && t.elapsed() < 10000) shortWait(50);
  ASSERT_TRUE(args.open(QIODevice::ReadOnly)) << "the program menu was not started";
  EXPECT_EQ(args.readAll(), QByteArray("1\n001\n"));

  // 7. The results log: the answered attempt, then the timed-out one.
  const int dayAfter = dateSerial(QDate::currentDate());
  QFile log(logPath);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QByteArray bytes = log.readAll();
  ASSERT_EQ(bytes.size(), 2 * kResultRecordSize);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i + 1);
    const QByteArray raw = bytes.mid(i * kResultRecordSize, kResultRecordSize);
    const Seisekikiroku r = decodeRecord(raw.constData());
    EXPECT_EQ(encodeRecord(r), raw);
    EXPECT_EQ(r.studentNumber, kStudent);
    EXPECT_EQ(r.level, 2);
    EXPECT_TRUE(r.recordDate == dayBefore || r.recordDate == dayAfter) << r.recordDate;
    EXPECT_GE(r.recordTime, 0.0);
    EXPECT_LT(r.recordTime, 1.0);
    EXPECT_NEAR(r.recordTime * 86400, std::round(r.recordTime * 86400), 1e-6);  // to the second
    EXPECT_EQ(raw.mid(recordlayout::SchoolCode, 5), QByteArray("31415"));
    EXPECT_EQ(raw.mid(recordlayout::SpareText1, 5), QByteArray("     "));
    EXPECT_EQ(raw.mid(recordlayout::PointsText, 5), QByteArray("0    "));
    EXPECT_EQ(raw.mid(recordlayout::SpareText2, 5), QByteArray(5, '\0'));
  }
  const Seisekikiroku first = decodeRecord(bytes.constData());
  const Seisekikiroku second = decodeRecord(bytes.constData() + kResultRecordSize);
  // Answered before the time-out, in whole seconds.
  EXPECT_GE(first.resultTime, 1);
  EXPECT_LT(first.resultTime, 5 * lowestTime());
  EXPECT_EQ(second.resultTime, 99999);
  RecordProperty("answeredInSeconds", first.resultTime);
}

TEST_F(RealInputTest, theCloseButtonEndsAnUnfinishedAttemptWithoutARecord) {
  const QString drill = startLevelTwo(startAndChoose(kStudentRow).second);
  ASSERT_FALSE(drill.isEmpty());
  dropFirstRow(xdo.geometry(drill).topLeft(), 1);  // one right answer of the first question
  closeWithTitleBarButton(drill);
  EXPECT_EQ(exitCode(), 0) << "the program did not end normally";
  EXPECT_FALSE(QFile::exists(inst.contentFolder() + QStringLiteral("成績累積データ.dat")));
}

TEST_F(RealInputTest, aTeacherTypesThePasswordAndClosesTheWindows) {
  const QString progress = startAndChoose(kTeacherRow).second;
  ASSERT_FALSE(progress.isEmpty());
  const QPoint progressAt = xdo.geometry(progress).topLeft();
  // The password panel takes the focus into its box; every key typed lands
  // there, the level keys among them ("a" would start level 10 elsewhere).
  const auto openEditor = [&] {
    step(QStringLiteral("データ処理, the password, 合格タイムデータ変更"));
    xdo.click(this->at(progressAt, kDataButton));
    shortWait(200);
    xdo.must({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), kPassword});
    shortWait(100);
    xdo.click(this->at(progressAt, kCriteriaButton));
  };
  const QString editor = inputUntilWindow(openEditor, progress, QStringLiteral("合格タイムデータ変更"));
  ASSERT_FALSE(editor.isEmpty()) << "the criteria editor did not open";
  // Its close button leaves as "戻る" does: back to the progress screen.
  closeWithTitleBarButton(editor);
  const QString progress2 = waitForWindow(QStringLiteral("vantora"), editor);
  ASSERT_FALSE(progress2.isEmpty()) << "closing the editor did not lead back to the progress screen";
  shortWait(300);
  closeWithTitleBarButton(progress2);
  EXPECT_EQ(exitCode(), 0) << "the program did not end normally";
}

// The administrator's share check, started from the program folder as the
// program is: it checks at once and writes its report beside the data, with
// every line OK or information. Then a scratch file of an interrupted check
// lies in the content folder, and under wine a scanner's stand-in holds it:
// "もう一度調べる" reports it busy and still finishes. Once it is let go, the
// next check removes it and leaves nothing behind. Two checks at once stand
// for two PCs: the one holding the lock for "他のパソコンと確かめる" refuses
// the other. "閉じる" ends each, and the results log is as it was.
TEST_F(RealInputTest, anAdministratorChecksTheShareAndAHeldFileOnlyDelaysIt) {
  if (!g_wine) {
    const QString check = QFileInfo(g_program).absolutePath() + QStringLiteral("/minatori-check");
    ASSERT_TRUE(QFile::copy(check, inst.programFolder() + QStringLiteral("/minatori-check"))) << check.toStdString();
  }
  const QString logPath = inst.contentFolder() + QStringLiteral("成績累積データ.dat");
  TestInstallation::writeCp932(logPath, QString(kResultRecordSize, u' '));
  const QByteArray logBefore = TestInstallation::bytesOf(logPath);
  const int seconds = g_wine ? 60 : 20;
  // What `found` finds once it finds something; empty after `seconds`.
  const auto poll = [&](const std::function<QString()> &found) {
    QElapsedTimer t;
    for (t.start(); t.elapsed() < seconds * 1000LL; shortWait(100))
      if (QString what = found(); !what.isEmpty()) return what;
    return QString();
  };
  QString report;  // the path of the report file
  // The text of the report a check writes after `input`; empty when none comes.
  const auto reportAfter = [&](const std::function<void()> &input) {
    if (!report.isEmpty()) QFile::remove(report);
    input();
    report = poll([&] {
      const QStringList found = QDir(inst.dataFolder()).entryList({QStringLiteral("共有点検_*.txt")});
      return found.isEmpty() ? QString() : inst.dataFolder() + found.first();
    });
    return report.isEmpty() ? QString() : readCp932File(report);
  };
  const auto allOk = [](const QString &text) {
    return !text.isEmpty() && !text.contains(QStringLiteral("[問題]")) && !text.contains(QStringLiteral("[注意]"));
  };
  // A check's window other than `other`.
  const auto checkWindow = [&](const QString &other) {
    return poll([&] {
      for (const QString &id : xdo.windows(QStringLiteral("ミナトリ 共有フォルダーの点検")))
        if (id != other) return id;
      return QString();
    });
  };
  const auto leftBehind = [&] {
    return QDir(inst.contentFolder()).entryList({QStringLiteral("minatori-check*")}).join(u' ').toStdString();
  };

  QString text = reportAfter([&] { startProgram(QStringLiteral("minatori-check")); });
  const QString window = checkWindow({});
  ASSERT_FALSE(window.isEmpty()) << "the check's window did not show: " << xdo.screenContents().toStdString();
  screenshot(QStringLiteral("the share check"));
  EXPECT_TRUE(allOk(text)) << text.toStdString();

  // The buttons' row is the window's last: "もう一度調べる", then
  // "他のパソコンと確かめる" at its left end, "閉じる" at its right; no button is
  // narrower than 70 pixels.
  const QRect g = xdo.geometry(window);
  const QPoint otherPc = g.bottomLeft() + QPoint(200, -22);
  const auto again = [&] {
    step(QStringLiteral("もう一度調べる"));
    xdo.click(g.bottomLeft() + QPoint(45, -22));
  };
  const auto closeOf = [this](const QString &id) { return xdo.geometry(id).bottomRight() + QPoint(-45, -22); };
  const QString scratch = inst.contentFolder() + QStringLiteral("minatori-check-") +
                          QFileInfo(report).completeBaseName().mid(QStringLiteral("共有点検_").size()) +
                          QStringLiteral(".tmp");
  QFile(scratch).open(QIODevice::WriteOnly);
  const QString letGo = scratch + QStringLiteral(".let-go");
  if (holdUnderWine(scratch, {QStringLiteral("--until"), wineZPath(letGo)})) {
    text = reportAfter(again);
    screenshot(QStringLiteral("a held scratch file"));
    EXPECT_TRUE(text.contains(QStringLiteral("[注意] 内容フォルダーの権利：点検用のファイルを作るところで止まりました")))
        << text.toStdString();
    QFile(letGo).open(QIODevice::WriteOnly);
    EXPECT_TRUE(holder_.waitForFinished(30000) && holder_.exitCode() == 0) << holder_.readAll().toStdString();
    QFile::remove(letGo);
    QFile::remove(scratch + QStringLiteral(".held"));  // the stand-in's marker
  }
  text = reportAfter(again);
  EXPECT_TRUE(allOk(text)) << text.toStdString();
  EXPECT_EQ(leftBehind(), "");

  step(QStringLiteral("他のパソコンと確かめる"));
  xdo.click(otherPc);
  const QString lockFile = inst.contentFolder() + QStringLiteral("minatori-check-lock.tmp");
  ASSERT_FALSE(poll([&] { return QFile::exists(lockFile) ? lockFile : QString(); }).isEmpty())
      << "他のパソコンと確かめる took no lock";
  text = reportAfter([&] { startProgram(QStringLiteral("minatori-check"), true); });
  const QString second = checkWindow(window);
  ASSERT_FALSE(second.isEmpty()) << "the second check's window did not show: " << xdo.screenContents().toStdString();
  screenshot(QStringLiteral("the second PC's check"));
  EXPECT_TRUE(text.contains(QStringLiteral("[OK] ロック（他のパソコン）：OK"))) << text.toStdString();
  step(QStringLiteral("閉じる of the second check"));
  xdo.click(closeOf(second));
  EXPECT_TRUE(secondProgram.waitForFinished(15000) && secondProgram.exitCode() == 0)
      << "閉じる did not end the second check";

  step(QStringLiteral("閉じる"));
  xdo.click(closeOf(window));
  EXPECT_EQ(exitCode(), 0) << "閉じる did not end the check";
  EXPECT_EQ(leftBehind(), "");
  EXPECT_EQ(TestInstallation::bytesOf(logPath), logBefore);
}

// A laptop of 1920 x 1080 at 150 %: the program's windows are drawn at
// 1.5 x 720/768 of their design, and the drags land on the boxes where they
// are drawn.
TEST_F(RealInputTest, atAnotherScaleTheDragsLandOnTheirBoxes) {
  XServer large("1920x1080");
  ASSERT_TRUE(large.running());
  struct UseDisplay {
    QString kept = g_display;
    explicit UseDisplay(const QString &d) { g_display = d; }
    ~UseDisplay() { g_display = kept; }
  } use(large.display());
  // Under wine the system's own 150 %, 144 dots per inch, in a prefix of
  // its own; on Linux the toolkit's factor, as a desktop sets it.
  QTemporaryDir prefix;
  if (g_wine) {
    const QString problem = makeWinePrefixAtDpi(prefix.path(), 144);
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    extraEnvironment_ << QStringLiteral("WINEPREFIX=") + prefix.path();
  } else {
    extraEnvironment_ << QStringLiteral("QT_SCALE_FACTOR=1.5");
  }
  // The program fills the 720 logical pixels of the screen's height, less
  // the title bar's room under wine, where windows have one.
  scale_ = 1.5 * (g_wine ? 720.0 - 40 : 720.0) / 768;
  const QString progress = startAndChoose(kStudentRow).second;  // at 1440 x 1080, or not shown
  ASSERT_FALSE(progress.isEmpty());
  EXPECT_TRUE(QRect(0, 0, 1920, 1080).contains(xdo.geometry(progress)));
  const QString drill = startLevelTwo(progress);
  ASSERT_FALSE(drill.isEmpty());
  const QPoint window = xdo.geometry(drill).topLeft();
  for (int question = 1; question <= 3; ++question) {
    for (int box = 1; box <= 3; ++box) dropFirstRow(window, box);
    shortWait(300);
  }
  const QString end = waitForWindow(QStringLiteral("終了"), drill);
  ASSERT_FALSE(end.isEmpty()) << "the attempt was not answered by the drags";
  QFile log(inst.contentFolder() + QStringLiteral("成績累積データ.dat"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QByteArray bytes = log.readAll();
  ASSERT_EQ(bytes.size(), kResultRecordSize);
  EXPECT_LT(decodeRecord(bytes.constData()).resultTime, 5 * lowestTime());  // answered, not timed out
  program.kill();
  program.waitForFinished(5000);
}

}  // namespace

int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) g_program = QString::fromLocal8Bit(argv[1]);
  g_wine = g_program.endsWith(QLatin1String(".exe"));
  if (argc > 2) g_menuStandIn = QString::fromLocal8Bit(argv[2]);
  if (argc > 3) g_holdFile = QString::fromLocal8Bit(argv[3]);
  XServer server;
  g_display = server.display();
  std::unique_ptr<QCoreApplication> app;
  if (server.running()) {
    // This process measures the program's fonts on the same server.
    qputenv("DISPLAY", g_display.toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    app = std::make_unique<QGuiApplication>(argc, argv);
  } else {
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  const int rc = RUN_ALL_TESTS();
  app.reset();
  server.stop();
  return rc;
}
