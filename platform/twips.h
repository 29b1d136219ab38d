#pragma once
// Window geometry is given in twips, 15 to a pixel, for windows designed at
// 1024 × 768 pixels ("design pixels"). Every position, size and type size of
// a window goes through these helpers, which apply the part of the
// program-wide scale that the windows draw themselves (see
// platform/displayscale.h): 1 unless start-up set another.

#include <QRect>
#include <cmath>

namespace minatori {

inline constexpr double kTwipsPerPixel = 15.0;

// The scale the windows lay themselves out at.
double layoutScale();
void setLayoutScale(double scale);

// Twips in window pixels.
inline int twips(double t) {
  const double px = t / kTwipsPerPixel * layoutScale();
  return static_cast<int>(px < 0 ? px - 0.5 : px + 0.5);
}

// Design pixels in window pixels.
inline int dpx(double designPixels) { return twips(designPixels * kTwipsPerPixel); }

// A rectangle given in design pixels. Its edges are scaled, so widgets that
// touch in the design still touch.
inline QRect designRect(double x, double y, double width, double height) {
  const int left = dpx(x), top = dpx(y);
  return QRect(left, top, std::max(1, dpx(x + width) - left), std::max(1, dpx(y + height) - top));
}

// A type size in points, scaled with the windows.
inline double designPoints(double points) { return points * layoutScale(); }

}  // namespace minatori
