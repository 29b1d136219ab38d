#pragma once
// One program-wide scale: every window is designed at 1024 × 768 pixels and
// shown at one factor that fits that design, whole and with its proportions,
// into the free area of the screen the program starts on. The factor is
// decided once, before the application object exists. Enlarging is left to
// the toolkit's own scaling (QT_SCALE_FACTOR): every window, font, line,
// control and event position scales alike and stays sharp. The toolkit's
// widgets cannot be drawn below their own size, so shrinking (a screen
// smaller than the design) is done by the windows themselves: every position
// and type size goes through the helpers of platform/twips.h.

#include <QPixmap>
#include <QRect>
#include <QSize>
#include <functional>
#include <optional>

class QPainter;

namespace minatori {

inline constexpr int kDesignWidth = 1024;
inline constexpr int kDesignHeight = 768;
// Room kept for a window's title bar and frame, in the screen's pixels as
// the toolkit gives them, where windows have them.
inline constexpr int kTitleBarAllowance = 40;

// The screen the program starts on, in the toolkit's pixels (already
// divided by the system's own scaling, such as 150 % on a laptop).
struct StartScreen {
  QRect geometry;
  QRect available;     // without the taskbar and other panels
  bool framed = false;  // windows get a title bar and a frame
};

// The factor that shows the whole design (and its title bar, when windows
// have one) inside the available area, as large as fits.
double designScale(const StartScreen &screen);

// The start screen, measured before the application object exists; nothing
// on platforms without a screen (offscreen, minimal). One source per system:
// displayscale_posix.cpp asks a short-lived application object of the
// toolkit, displayscale_windows.cpp asks the system.
std::optional<StartScreen> measureStartScreen(const char *programPath);

// Measures the start screen and applies designScale(): above 1 through QT_SCALE_FACTOR
// (multiplying any factor already given there), below 1 as the layout scale.
// Does nothing on platforms without a screen (offscreen, minimal). Returns
// the factor.
std::optional<double> applyDesignScale(const char *programPath);

// The title bar room to leave when centring a window, in design pixels;
// 0 until applyDesignScale() has found framed windows.
int titleBarRoom();

// A pixmap of `size` window pixels at the screen's resolution, to draw on in
// window pixels.
QPixmap screenPixmap(QSize size);
// A picture of `size` design pixels, drawn by `draw` in design pixels, made
// at the window's scale and the screen's resolution: sharp at any scale.
QPixmap designPicture(QSize size, const std::function<void(QPainter &)> &draw);

}  // namespace minatori
