// Start-up time of the program against a bare Qt window. Both are started in
// turn on an X server of the bench's own (Xvfb, 1024 x 768), each timed from
// the moment it is started to the X server's MapNotify of its window: the
// program's name list (its first window, the splash, is timed too), the bare
// program's one QWidget. The bench waits on the X connection for the events;
// it does not poll.
//
//   startup_bench <minatori in an installation> <bare_window> [rounds]
//
// The program starts in its own folder, as the classroom machines start it.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

// Last: Xlib's macros (None, Status, KeyPress, ...) would clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr int kWaitMs = 20000;  // for one window to appear before the run counts as failed

// The windows mapped on the X server, with the process and the title their
// toolkit gave them.
class MapWatch {
 public:
  struct Mapped {
    qint64 pid = 0;
    QString title;
  };

  explicit MapWatch(const QByteArray &display) : d_(XOpenDisplay(display.constData())) {
    if (!d_) return;
    pidAtom_ = XInternAtom(d_, "_NET_WM_PID", False);
    nameAtom_ = XInternAtom(d_, "_NET_WM_NAME", False);
    utf8Atom_ = XInternAtom(d_, "UTF8_STRING", False);
    // Top-level windows are the root window's children: their maps are its substructure.
    XSelectInput(d_, DefaultRootWindow(d_), SubstructureNotifyMask);
    XSync(d_, False);
  }
  ~MapWatch() {
    if (d_) XCloseDisplay(d_);
  }
  MapWatch(const MapWatch &) = delete;
  MapWatch &operator=(const MapWatch &) = delete;

  bool ok() const { return d_ != nullptr; }
  int connection() const { return ConnectionNumber(d_); }

  // The maps that have arrived. Reading a window's properties is a round
  // trip that may queue further events, so this reads on until none is left.
  std::vector<Mapped> take() {
    std::vector<Mapped> out;
    while (XPending(d_) > 0) {
      XEvent event;
      XNextEvent(d_, &event);
      if (event.type == MapNotify) out.push_back({pidOf(event.xmap.window), titleOf(event.xmap.window)});
    }
    return out;
  }

 private:
  qint64 pidOf(Window w) const {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    qint64 pid = 0;
    if (XGetWindowProperty(d_, w, pidAtom_, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
            Success &&
        data && format == 32 && count == 1)
      pid = static_cast<qint64>(*reinterpret_cast<unsigned long *>(data));
    if (data) XFree(data);
    return pid;
  }
  QString titleOf(Window w) const {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    QString title;
    if (XGetWindowProperty(d_, w, nameAtom_, 0, 256, False, utf8Atom_, &type, &format, &count, &after, &data) ==
            Success &&
        data && format == 8)
      title = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(count));
    if (data) XFree(data);
    return title;
  }

  Display *d_;
  Atom pidAtom_ = 0, nameAtom_ = 0, utf8Atom_ = 0;
};

// Milliseconds from the start to the first window mapped and to the window
// with the title; nothing when the title did not appear in time.
struct StartTimes {
  double firstMs = 0;
  double titledMs = 0;
};

std::optional<StartTimes> timeStart(MapWatch &watch, const QString &program, const QString &title,
                                    const QProcessEnvironment &env) {
  QProcess process;
  process.setProgram(program);
  process.setWorkingDirectory(QFileInfo(program).absolutePath());
  process.setProcessEnvironment(env);
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  watch.take();  // what earlier runs left behind

  QEventLoop loop;
  std::optional<double> first, titled;
  QElapsedTimer clock;
  auto handle = [&] {
    for (const MapWatch::Mapped &m : watch.take()) {
      if (m.pid != process.processId()) continue;
      const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
      if (!first) first = ms;
      if (m.title == title && !titled) {
        titled = ms;
        loop.quit();
      }
    }
  };
  QSocketNotifier arrived(static_cast<qintptr>(watch.connection()), QSocketNotifier::Read);
  QObject::connect(&arrived, &QSocketNotifier::activated, handle);
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);

  clock.start();
  process.start();
  if (process.waitForStarted(kWaitMs)) {
    handle();
    if (!titled) loop.exec();
  }
  process.kill();
  process.waitForFinished(kWaitMs);
  if (!titled) return std::nullopt;
  return StartTimes{*first, *titled};
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Xvfb on a free display, which it names on its standard output (-displayfd 1).
class XServer {
 public:
  XServer() {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) return;
    server_.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                         QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                         QStringLiteral("tcp")});
    QByteArray number;
    while (!number.endsWith('\n') && server_.waitForReadyRead(kWaitMs)) number += server_.readAllStandardOutput();
    if (number.endsWith('\n')) display_ = ':' + number.trimmed();
  }
  ~XServer() {
    server_.terminate();
    if (!server_.waitForFinished(kWaitMs)) server_.kill();
  }
  const QByteArray &display() const { return display_; }

 private:
  QProcess server_;
  QByteArray display_;
};

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: startup_bench <minatori in an installation> <bare_window> [rounds]\n");
    return 2;
  }
  const QString program = QFileInfo(args[1]).absoluteFilePath(), bare = QFileInfo(args[2]).absoluteFilePath();
  const int rounds = args.size() > 3 ? std::max(1, args[3].toInt()) : 20;

  XServer server;
  if (server.display().isEmpty()) {
    std::fprintf(stderr, "no X server: Xvfb is missing or did not start\n");
    return 1;
  }
  MapWatch watch(server.display());
  if (!watch.ok()) {
    std::fprintf(stderr, "cannot open the X display %s\n", server.display().constData());
    return 1;
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(server.display()));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
  env.remove(QStringLiteral("QT_SCALE_FACTOR"));

  std::vector<double> bareMs, splashMs, namesMs;
  std::printf("round  bare window  splash  name list   (ms from the start to the window's map)\n");
  for (int round = 1; round <= rounds; ++round) {
    const auto b = timeStart(watch, bare, QStringLiteral("bare window"), env);
    const auto p = timeStart(watch, program, QStringLiteral("vantora"), env);
    if (!b || !p) {
      std::fprintf(stderr, "round %d: %s showed no window in %d ms\n", round, !b ? "the bare window" : "the program",
                   kWaitMs);
      return 1;
    }
    bareMs.push_back(b->titledMs);
    splashMs.push_back(p->firstMs);
    namesMs.push_back(p->titledMs);
    std::printf("%5d  %11.1f  %6.1f  %9.1f\n", round, b->titledMs, p->firstMs, p->titledMs);
    std::fflush(stdout);
  }
  std::printf("\nmedians of %d rounds:\n", rounds);
  std::printf("  bare QWidget window       %7.1f ms\n", median(bareMs));
  std::printf("  program: splash           %7.1f ms\n", median(splashMs));
  std::printf("  program: name list        %7.1f ms\n", median(namesMs));
  std::printf("  name list - bare window   %7.1f ms\n", median(namesMs) - median(bareMs));
  return 0;
}
