#include "controls-extra/Flatutilitys_core.h"

#include <gtest/gtest.h>

#include <ostream>

std::ostream& operator<<(std::ostream& out, const TLayoutRect& r);

namespace {

TEST(AdvancedColorFromRGB, MovesTheLightnessOfTheBaseColour) {
  using enum TColorCalcType;
  struct Case {
    TColor base, current;
    int amount;
    TColorCalcType direction;
    TColor expected;
  };
  const TColor grey = RGBColor(192, 192, 192);
  const Case cases[] = {
      {grey, clRed, 50, darken, RGBColor(150, 150, 150)},  // lightness 181 + 10 - 50 = 141
      {grey, clRed, 10, darken, grey},                     // 181 + 10 - 10
      {clBlack, clRed, 50, darken, clBlack},               // below 0: 0
      {grey, clRed, 0, darken, clRed},                     // no amount: the current colour
      {grey, clRed, 0, lighten, clRed},
      {grey, clRed, 20, lighten, RGBColor(224, 224, 224)},  // 211
      {grey, clRed, 100, lighten, clWhite},                 // capped at the scale
      {clWhite, clRed, 5, darken, clWhite},                 // 245 would spill past white
      {clRed, clBlack, 50, darken, RGBColor(170, 0, 0)},    // the hue stays
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AdvancedColorFromRGB(c.base, c.current, c.amount, c.direction), c.expected)
        << std::hex << c.base << " " << std::dec << c.amount;
  }
}

TEST(FlatMeasures, FontHeightMinAndOverlap) {
  // An eighth more than the cell, ties to even.
  const int heights[][2] = {{16, 18}, {8, 9}, {12, 14}, {13, 15}, {20, 22}, {0, 0}};
  for (const auto& h : heights) EXPECT_EQ(FontHeightOfCell(h[0]), h[1]) << h[0];

  EXPECT_EQ(Min(3, 65535), 3);
  EXPECT_EQ(Min(65535, 3), 3);
  EXPECT_EQ(Min(40000, 30000), 30000);

  struct Case {
    TLayoutRect a, b;
    bool overlap;
  };
  const Case cases[] = {
      {{0, 0, 10, 10}, {5, 5, 15, 15}, true},
      {{0, 0, 10, 10}, {2, 2, 4, 4}, true},
      {{0, 0, 10, 10}, {10, 0, 20, 10}, false},  // edges touch: the right edge is outside
      {{0, 0, 10, 10}, {3, 3, 3, 8}, false},     // an empty rectangle overlaps nothing
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RectInRect(c.a, c.b), c.overlap) << c.a << " " << c.b;
    EXPECT_EQ(RectInRect(c.b, c.a), c.overlap) << c.b << " " << c.a;
  }
}

TEST(CalcFlatButtonLayout, PlacesGlyphAndCaptionForEachLayout) {
  using enum TButtonLayout;
  struct Case {
    TLayoutRect area;
    TFlatPoint shift;
    TButtonLayout layout;
    int gap, margin;
    TFlatPoint glyph, text;
    TFlatPoint glyph_at;
    TLayoutRect text_rect;
  };
  const TLayoutRect area{10, 20, 110, 60};  // 100 x 40
  const TFlatPoint glyph{16, 16}, text{30, 13}, none{0, 0};
  // clang-format off
  const Case cases[] = {
      {area, {0, 0}, blGlyphLeft, 2, 4, glyph, text, {14, 32}, {32, 34, 62, 47}},
      {area, {1, 1}, blGlyphLeft, 2, 4, glyph, text, {15, 33}, {33, 35, 63, 48}},
      {area, {0, 0}, blGlyphRight, 2, 4, glyph, text, {90, 32}, {58, 34, 88, 47}},
      {area, {0, 0}, blGlyphTop, 2, 4, glyph, text, {52, 24}, {45, 42, 75, 55}},
      {area, {0, 0}, blGlyphBottom, 2, 4, glyph, text, {52, 40}, {45, 25, 75, 38}},
      // Margin and gap -1: each a third of the free space.
      {area, {0, 0}, blGlyphLeft, -1, -1, glyph, text, {28, 32}, {62, 34, 92, 47}},
      // Gap -1: half of what the margin leaves.
      {area, {0, 0}, blGlyphRight, -1, 2, glyph, text, {92, 32}, {36, 34, 66, 47}},
      // No caption: no gap, so margin -1 centres the glyph along the axis.
      {area, {0, 0}, blGlyphLeft, 5, -1, glyph, none, {52, 32}, {68, 40, 68, 40}},
      {area, {0, 0}, blGlyphTop, -1, -1, glyph, none, {52, 32}, {60, 48, 60, 48}},
      {area, {0, 0}, blGlyphRight, 5, 3, glyph, none, {91, 32}, {91, 40, 91, 40}},
      // No glyph: no gap either.
      {area, {0, 0}, blGlyphBottom, 3, -1, none, text, {60, 46}, {45, 33, 75, 46}},
      // Too little room: the thirds truncate toward zero.
      {{0, 0, 30, 20}, {0, 0}, blGlyphLeft, -1, -1, glyph, text, {-5, 2}, {6, 4, 36, 17}},
  };
  // clang-format on
  for (const Case& c : cases) {
    const TFlatButtonPlacement placed =
        CalcFlatButtonLayout(c.area, c.shift, c.layout, c.gap, c.margin, c.glyph, c.text);
    const int row = static_cast<int>(&c - cases);
    EXPECT_EQ(placed.GlyphAt.X, c.glyph_at.X) << row;
    EXPECT_EQ(placed.GlyphAt.Y, c.glyph_at.Y) << row;
    EXPECT_EQ(placed.TextRect, c.text_rect) << row;
  }
}

}  // namespace
