#include "platform/displayscale.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>

#include "platform/twips.h"

namespace minatori {

namespace {
int g_titleBarRoom = 0;
double g_layoutScale = 1.0;
}  // namespace

double layoutScale() { return g_layoutScale; }
void setLayoutScale(double scale) { g_layoutScale = scale; }

double designScale(const StartScreen &screen) {
  const int titleBar = screen.framed ? kTitleBarAllowance : 0;
  const double byWidth = static_cast<double>(screen.available.width()) / kDesignWidth;
  const double byHeight = static_cast<double>(screen.available.height() - titleBar) / kDesignHeight;
  // Below a quarter the design is unusable anyway; keep the factor sane.
  return std::max(0.25, std::min(byWidth, byHeight));
}

std::optional<double> applyDesignScale(const char *programPath) {
  const std::optional<StartScreen> measured = measureStartScreen(programPath);
  if (!measured) return std::nullopt;
  const StartScreen &screen = *measured;
  const double factor = designScale(screen);
  if (factor > 1) {
    const double given = qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble() : 0;
    qputenv("QT_SCALE_FACTOR", QByteArray::number((given > 0 ? given : 1.0) * factor, 'g', 6));
  } else {
    setLayoutScale(factor);
  }
  // The title bar in the windows' pixels: the toolkit's scale has shrunk it.
  g_titleBarRoom = screen.framed ? static_cast<int>(kTitleBarAllowance / std::max(1.0, factor) + 0.5) : 0;
  return factor;
}

int titleBarRoom() { return g_titleBarRoom; }

namespace {
qreal screenRatio() { return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0; }
}  // namespace

QPixmap screenPixmap(QSize size) {
  const qreal ratio = screenRatio();
  QPixmap pixmap(size * ratio);
  pixmap.setDevicePixelRatio(ratio);
  return pixmap;
}

QPixmap designPicture(QSize size, const std::function<void(QPainter &)> &draw) {
  const QSize window(dpx(size.width()), dpx(size.height()));
  QPixmap pixmap = screenPixmap(window);
  {
    QPainter painter(&pixmap);
    painter.scale(static_cast<double>(window.width()) / size.width(), static_cast<double>(window.height()) / size.height());
    draw(painter);
  }
  return pixmap;
}

}  // namespace minatori
