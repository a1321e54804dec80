#include "controls-extra/Cgrid_core.h"

#include <gtest/gtest.h>

namespace {

// The wraps of the four arrows on 4 x 4 are driven by real keys in the control's tests.
TEST(ColorGridKeys, ArrowsWrapAroundEveryOrdering) {
  struct Case {
    int columns, rows;
    TColorGridKey key;
    int from, to;
  };
  using enum TColorGridKey;
  // clang-format off
  const Case cases[] = {
      {4, 4, Up, 0, 15},     {4, 4, Up, 6, 2},      {4, 4, Down, 1, 5},    {4, 4, Right, 6, 7},
      {4, 4, Home, 9, 0},    {4, 4, End, 9, 15},
      {8, 2, Up, 3, 10},     {8, 2, Down, 9, 2},    // the other row, the column before or after
      {16, 1, Up, 5, 4},     {16, 1, Down, 5, 6},   {1, 16, Down, 15, 0},
      {4, 4, Right, 20, 0},  {4, 4, Left, -3, 15},  // a selection set out of range from code
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(ColorGridKeyTarget(c.key, c.from, c.columns, c.rows), c.to)
        << c.columns << "x" << c.rows << " key " << static_cast<int>(c.key) << " from " << c.from;
  }
}

TEST(ColorGridSquares, PointsStayOnASquare) {
  const TSquareSizes narrow = SnapToSquares(10, 10, 16, 1);
  EXPECT_EQ(narrow.Width, 0) << "narrower than its columns";
  EXPECT_EQ(narrow.CellWidth, 0);
  struct Case {
    int x, y, width, height, columns, rows, cell_width, cell_height, square;
  };
  const Case cases[] = {
      {30, 60, 100, 100, 4, 4, 25, 25, 9},
      {-5, -5, 100, 100, 4, 4, 25, 25, 0},  // clamped into the control
      {250, 250, 100, 100, 4, 4, 25, 25, 15},
      {102, 10, 103, 100, 4, 4, 25, 25, 3},  // a width not snapped keeps the last column
      {5, 5, 0, 10, 16, 1, 0, 10, 0},        // squares of no width
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SquareAt(c.x, c.y, c.width, c.height, c.columns, c.rows, c.cell_width, c.cell_height),
              c.square)
        << c.x << ", " << c.y;
  }
}

TEST(ColorGridColors, SquaresShowTheSixteenStandardColours) {
  const TColor expected[16] = {
      RGBColor(0, 0, 0),      RGBColor(128, 0, 0),     RGBColor(0, 128, 0),
      RGBColor(128, 128, 0),  RGBColor(0, 0, 128),     RGBColor(128, 0, 128),
      RGBColor(0, 128, 128),  RGBColor(192, 192, 192), RGBColor(128, 128, 128),
      RGBColor(255, 0, 0),    RGBColor(0, 255, 0),     RGBColor(255, 255, 0),
      RGBColor(0, 0, 255),    RGBColor(255, 0, 255),   RGBColor(0, 255, 255),
      RGBColor(255, 255, 255)};
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(SquareColor(kDefaultPaletteEntries, i), expected[i]) << "square " << i;
  }
  EXPECT_EQ(SquareColor(kDefaultPaletteEntries, 16), clBlack);
  EXPECT_EQ(SquareColor(kDefaultPaletteEntries, -1), clBlack);
}

// The marks as painted are checked on the control; here the rest of their rules.
TEST(ColorGridMarks, TextAndColourOfTheMarks) {
  EXPECT_STREQ(ColorGridMark(false, 0, 0, false, true), "HG") << "the foreground switched off";
  EXPECT_STREQ(ColorGridMark(true, 0, 0, true, false), "VG") << "the background switched off";
  EXPECT_EQ(MarkTextColor(clBlack), clWhite);
  EXPECT_EQ(MarkTextColor(clRed), clAqua);
  EXPECT_EQ(MarkTextColor(RGBColor(128, 128, 128)), clBlack);
  EXPECT_EQ(MarkTextColor(RGBColor(127, 0, 128)), RGBColor(255, 255, 0));
}

}  // namespace
