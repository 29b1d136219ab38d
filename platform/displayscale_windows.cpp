#include <windows.h>

#include <shellapi.h>
#include <shellscalingapi.h>

#include <QByteArray>
#include <QString>
#include <cstring>

#include "platform/displayscale.h"

namespace minatori {

namespace {
// "-platform offscreen" on the command line or in QT_QPA_PLATFORM: the
// toolkit will show no window, so there is nothing to fit.
bool offscreenRequested() {
  const QByteArray env = qgetenv("QT_QPA_PLATFORM");
  if (env.startsWith("offscreen") || env.startsWith("minimal")) return true;
  int argc = 0;
  wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  bool found = false;
  for (int i = 1; argv && i + 1 < argc; ++i)
    if (std::wcscmp(argv[i], L"-platform") == 0 &&
        (std::wcsncmp(argv[i + 1], L"offscreen", 9) == 0 || std::wcsncmp(argv[i + 1], L"minimal", 7) == 0))
      found = true;
  LocalFree(argv);
  return found;
}

QRect toolkitRect(const RECT &r, double ratio) {
  return QRect(qRound(r.left / ratio), qRound(r.top / ratio), qRound((r.right - r.left) / ratio),
               qRound((r.bottom - r.top) / ratio));
}
}  // namespace

// The system's work area (the screen without the taskbar) of the primary
// monitor, without a second application object: the toolkit's own one
// follows. The process is made per-monitor DPI aware first, as the toolkit
// makes it anyway, so the system reports physical pixels; dividing by the
// monitor's scale (96 dpi = 100 %) and by any QT_SCALE_FACTOR gives the
// toolkit's pixels.
std::optional<StartScreen> measureStartScreen(const char *) {
  if (offscreenRequested()) return std::nullopt;
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  RECT work{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) return std::nullopt;
  const HMONITOR monitor = MonitorFromPoint(POINT{work.left, work.top}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return std::nullopt;
  UINT dpiX = 96, dpiY = 96;
  if (GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY) != S_OK || dpiX == 0) dpiX = 96;
  // A factor already given to the toolkit shrinks its pixels as well.
  bool given = false;
  const double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&given);
  const double ratio = dpiX / 96.0 * (given && factor > 0 ? factor : 1.0);
  StartScreen screen;
  screen.geometry = toolkitRect(info.rcMonitor, ratio);
  screen.available = toolkitRect(work, ratio);
  screen.framed = true;  // Windows always gives a window its title bar and frame
  return screen;
}

}  // namespace minatori
