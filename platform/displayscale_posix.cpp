#include <QGuiApplication>
#include <QScreen>
#include <memory>

#include "platform/displayscale.h"

namespace minatori {

std::optional<StartScreen> measureStartScreen(const char *programPath) {
  int argc = 1;
  char *argv[] = {const_cast<char *>(programPath), nullptr};
  const auto probe = std::make_unique<QGuiApplication>(argc, argv);
  const QString platform = QGuiApplication::platformName();
  const QScreen *primary = QGuiApplication::primaryScreen();
  if (!primary || platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return std::nullopt;
  StartScreen screen;
  screen.geometry = primary->geometry();
  screen.available = primary->availableGeometry();
  // A desktop that keeps room for its panels runs a window manager, which
  // frames windows; a bare X server (a test's) does neither.
  screen.framed = screen.available != screen.geometry;
  return screen;
}

}  // namespace minatori
