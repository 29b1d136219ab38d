#pragma once
// Window geometry is given in twips, 15 to a pixel, for windows designed at
// 1024 × 768 pixels.

#include <cmath>

namespace minatori {

inline constexpr double kTwipsPerPixel = 15.0;

constexpr int twips(double t) {
  const double px = t / kTwipsPerPixel;
  return static_cast<int>(px < 0 ? px - 0.5 : px + 0.5);
}

}  // namespace minatori
