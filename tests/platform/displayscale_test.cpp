// The program-wide scale: the whole 1024 × 768 design inside the screen's
// free area, as large as fits, on the screens classrooms have.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/displayscale.h"

using namespace minatori;

namespace {

TEST(DesignScale, FitsTheDesignIntoTheFreeArea) {
  struct Row {
    const char *screen;
    int width, height;  // the screen's pixels
    double system;      // the system's own scaling
    int panel;          // taskbar height, the screen's pixels
    bool framed;
    double factor;      // the program's factor on top of the system's
    int windowWidth;    // the drawn window, the screen's pixels
  };
  const Row rows[] = {
      {"1024 x 768, bare", 1024, 768, 1.0, 0, false, 1.0, 1024},
      {"1366 x 768 laptop, taskbar", 1366, 768, 1.0, 40, true, 688.0 / 768, 917},
      {"1366 x 728 bare", 1366, 728, 1.0, 0, false, 728.0 / 768, 971},
      {"1920 x 1080 at 150 %", 1920, 1080, 1.5, 0, false, 720.0 / 768, 1440},
      {"1920 x 1080 at 150 %, taskbar", 1920, 1080, 1.5, 60, true, 640.0 / 768, 1280},
      {"1920 x 1080", 1920, 1080, 1.0, 0, false, 1080.0 / 768, 1440},
      {"1280 x 1024: width decides", 1280, 1024, 1.0, 0, false, 1.25, 1280},
      {"800 x 600", 800, 600, 1.0, 0, false, 600.0 / 768, 800},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.screen);
    // What the toolkit reports: pixels divided by the system's scaling.
    const int w = static_cast<int>(r.width / r.system), h = static_cast<int>(r.height / r.system);
    StartScreen s{QRect(0, 0, w, h), QRect(0, 0, w, h - static_cast<int>(r.panel / r.system)), r.framed};
    const double factor = designScale(s);
    EXPECT_NEAR(factor, r.factor, 1e-9);
    const int windowWidth = static_cast<int>(std::lround(kDesignWidth * factor * r.system));
    EXPECT_EQ(windowWidth, r.windowWidth);
    // Whole on the screen, title bar included, and at least 85 % of the
    // largest 4:3 area that fits the free area.
    const double windowHeight = kDesignHeight * factor * r.system;
    EXPECT_LE(windowWidth, r.width);
    EXPECT_LE(windowHeight + (r.framed ? kTitleBarAllowance * r.system : 0), r.height - r.panel + 1e-6);
    const double largest = std::min(r.width / 4.0, (r.height - r.panel) / 3.0);
    EXPECT_GE((windowWidth / 4.0) * (windowHeight / 3.0) / (largest * largest), 0.85);
  }
}

}  // namespace
