#include "view/font_size.h"

#include <climits>

#include <gtest/gtest.h>

TEST(FontSize, KeypadStepsStayWithinBounds) {
  struct Case {
    int size, delta, expected;
  };
  const Case cases[] = {
      {10, +1, 11},
      {10, -1, 9},
      {2, -1, 1},
      {1, -1, 1},
      {1637, +1, 1638},
      {1638, +1, 1638},
      {0, -1, 1},
      {-5, +1, 1},
      {5000, +1, 1638},  // out-of-range settings are
                         // pulled in
      {INT_MAX, +1, 1638},
      {INT_MIN, -1, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StepFontSize(c.size, c.delta), c.expected) << c.size << " " << c.delta;
  }
}

TEST(FontSize, PointSizeFromDialogHeight) {
  struct Case {
    long height;
    int dpi, expected;
  };
  const Case cases[] = {
      {-13, 96, 10},      // 9.75 points rounds up
      {-12, 96, 9},       // exactly 9
      {-15, 96, 11},      // 11.25 rounds down
      {-14, 96, 11},      // 10.5 rounds half up
      {-16, 120, 10},     // 9.6 at 120 dpi
      {-20, 72, 20},      // one pixel per point
      {0, 96, 1},         // zero height would give 0 points: lower bound
      {-1, 96, 1},        // 0.75 + 0.5 = 1.25
      {13, 96, 1},        // positive (cell) heights give negative points: lower bound
      {-2184, 96, 1638},  // 1638 points exactly
      {-2200, 96, 1638},  // above the upper bound
      {-2000000000L, 96, 1638},
      {-13, 0, 1},  // a device without a resolution does not divide by zero
      {-13, -96, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PointSizeFromHeight(c.height, c.dpi), c.expected) << c.height << " @ " << c.dpi;
  }
}
