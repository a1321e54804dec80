#include "controls-extra/Hslutils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

TEST(RGBtoHSLRange, GivesWholeNumbersOnTheScale) {
  struct Case {
    TColor color;
    int h, s, l;
  };
  const Case cases[] = {
      {RGBColor(255, 255, 255), 0, 0, 240},   {RGBColor(255, 0, 0), 0, 240, 120},
      {RGBColor(128, 128, 128), 0, 0, 120},   {RGBColor(0, 0, 0), 0, 0, 0},
      {RGBColor(0, 255, 0), 80, 240, 120},     // 239 / 3 rounds up
      {RGBColor(0, 0, 255), 159, 240, 120},    // 239 * 2 / 3 rounds down
      {RGBColor(255, 0, 128), 219, 240, 120},  // a negative hue wraps round
      {RGBColor(192, 192, 192), 0, 0, 181},   {RGBColor(200, 150, 100), 20, 114, 141},
  };
  for (const Case& c : cases) {
    int h = -1, s = -1, l = -1;
    RGBtoHSLRange(c.color, h, s, l);
    EXPECT_EQ(h, c.h) << std::hex << c.color;
    EXPECT_EQ(s, c.s) << std::hex << c.color;
    EXPECT_EQ(l, c.l) << std::hex << c.color;
  }
}

TEST(HSLRange, IsTheScaleOfEveryConversion) {
  struct Case {
    int range;
    int h, s, l;
    TColor back;
  };
  // Pure red on several scales. A scale of 1 has no room for a hue; it still answers a colour.
  const Case cases[] = {
      {100, 0, 100, 50, RGBColor(255, 0, 0)},
      {240, 0, 240, 120, RGBColor(255, 0, 0)},
      {1, 0, 1, 0, RGBColor(0, 0, 0)},  // lightness 0.5 rounds to the even 0
  };
  for (const Case& c : cases) {
    HSLRange = c.range;
    int h = -1, s = -1, l = -1;
    RGBtoHSLRange(RGBColor(255, 0, 0), h, s, l);
    const TColor back = HSLRangeToRGB(h, s, l);
    HSLRange = 240;
    EXPECT_EQ(h, c.h) << c.range;
    EXPECT_EQ(s, c.s) << c.range;
    EXPECT_EQ(l, c.l) << c.range;
    EXPECT_EQ(back, c.back) << c.range;
  }
}

// The fractions carry a colour through unchanged but for rounding; the whole-number scale of
// 240 cannot (a hue step moves a saturated channel by about six).
TEST(HSL, EveryColourOfASixteenStepGridComesBackWithinOne) {
  for (int r = 0; r < 256; r += 17) {
    for (int g = 0; g < 256; g += 17) {
      for (int b = 0; b < 256; b += 17) {
        double h = -1, s = -1, l = -1;
        RGBtoHSL(RGBColor(r, g, b), h, s, l);
        ASSERT_TRUE(h >= 0 && h < 1 && s >= 0 && s <= 1 && l >= 0 && l <= 1) << r << g << b;
        const TColor back = HSLtoRGB(h, s, l);
        const int error = std::max(
            {std::abs(RedOf(back) - r), std::abs(GreenOf(back) - g), std::abs(BlueOf(back) - b)});
        EXPECT_LE(error, 1) << r << " " << g << " " << b;
      }
    }
  }
}

}  // namespace
