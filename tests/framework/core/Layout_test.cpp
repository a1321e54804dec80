#include "framework/core/Layout.h"

#include <gtest/gtest.h>

#include <ostream>

std::ostream& operator<<(std::ostream& out, const TLayoutRect& r) {
  return out << "{" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << "}";
}

namespace {

struct ButtonCase {
  const char* Name;
  int Width, Height, GlyphWidth, GlyphHeight, CaptionWidth, CaptionHeight;
  TButtonLayout Layout;
  int Margin, Spacing, Offset;
  TLayoutRect Glyph, Caption;
};

TEST(CalcButtonLayout, GlyphAndCaptionPlacedAsTheLayoutSays) {
  using enum TButtonLayout;
  const ButtonCase cases[] = {
      // The start button: 124 x 31, a 16 x 16 glyph left of a 40 x 16 caption, spacing 4,
      // centred as a group: (124 - 60) / 2 = 32.
      {"glyph left, centred group",
       124,
       31,
       16,
       16,
       40,
       16,
       blGlyphLeft,
       -1,
       4,
       0,
       {32, 7, 48, 23},
       {52, 7, 92, 23}},
      {"pressed moves both by one",
       124,
       31,
       16,
       16,
       40,
       16,
       blGlyphLeft,
       -1,
       4,
       1,
       {33, 8, 49, 24},
       {53, 8, 93, 24}},
      {"glyph right",
       124,
       31,
       16,
       16,
       40,
       16,
       blGlyphRight,
       -1,
       4,
       0,
       {76, 7, 92, 23},
       {32, 7, 72, 23}},
      {"glyph top",
       60,
       60,
       16,
       16,
       40,
       14,
       blGlyphTop,
       -1,
       4,
       0,
       {22, 13, 38, 29},
       {10, 33, 50, 47}},
      {"glyph bottom",
       60,
       60,
       16,
       16,
       40,
       14,
       blGlyphBottom,
       -1,
       4,
       0,
       {22, 31, 38, 47},
       {10, 13, 50, 27}},
      {"fixed margin",
       100,
       20,
       16,
       16,
       30,
       10,
       blGlyphLeft,
       5,
       4,
       0,
       {5, 2, 21, 18},
       {25, 5, 55, 15}},
      {"fixed margin, spacing spread",
       100,
       20,
       16,
       16,
       30,
       10,
       blGlyphLeft,
       5,
       -1,
       0,
       {5, 2, 21, 18},
       {45, 5, 75, 15}},
      {"margin and spacing spread evenly",
       100,
       20,
       16,
       16,
       30,
       10,
       blGlyphLeft,
       -1,
       -1,
       0,
       {18, 2, 34, 18},
       {52, 5, 82, 15}},
      // Without a caption the spacing must not push the glyph off centre.
      {"glyph only is centred", 24, 24, 16, 16, 0, 0, blGlyphLeft, -1, 4, 0, {4, 4, 20, 20}, {}},
      {"caption only is centred",
       100,
       20,
       0,
       0,
       30,
       10,
       blGlyphLeft,
       -1,
       4,
       0,
       {},
       {35, 5, 65, 15}},
      {"nothing at all", 100, 20, 0, 0, 0, 0, blGlyphLeft, -1, 4, 1, {}, {}},
      // Contents wider than the button overflow on both sides, still centred.
      {"too narrow",
       20,
       20,
       16,
       16,
       30,
       10,
       blGlyphLeft,
       -1,
       4,
       0,
       {-15, 2, 1, 18},
       {5, 5, 35, 15}},
  };
  for (const ButtonCase& c : cases) {
    const TButtonContentLayout got =
        CalcButtonLayout(c.Width, c.Height, c.GlyphWidth, c.GlyphHeight, c.CaptionWidth,
                         c.CaptionHeight, c.Layout, c.Margin, c.Spacing, c.Offset);
    EXPECT_EQ(got.Glyph, c.Glyph) << c.Name;
    EXPECT_EQ(got.Caption, c.Caption) << c.Name;
  }
}

struct PictureCase {
  const char* Name;
  int Width, Height, PictureWidth, PictureHeight;
  bool Center, Stretch, Proportional;
  TLayoutRect Expected;
};

TEST(CalcPictureRect, PlainCentredStretchedAndProportional) {
  const PictureCase cases[] = {
      {"own size at the top left", 100, 50, 20, 10, false, false, false, {0, 0, 20, 10}},
      {"centred", 100, 50, 20, 10, true, false, false, {40, 20, 60, 30}},
      {"larger than the client is clipped, not moved",
       10,
       10,
       20,
       20,
       false,
       false,
       false,
       {0, 0, 20, 20}},
      {"centred larger picture overhangs evenly",
       10,
       10,
       20,
       20,
       true,
       false,
       false,
       {-5, -5, 15, 15}},
      {"stretched fills the client", 100, 50, 20, 10, false, true, false, {0, 0, 100, 50}},
      {"proportional shrinks a wide picture",
       100,
       100,
       200,
       50,
       false,
       false,
       true,
       {0, 0, 100, 25}},
      {"proportional shrinks a tall picture",
       100,
       100,
       50,
       200,
       false,
       false,
       true,
       {0, 0, 25, 100}},
      {"proportional leaves a small picture alone",
       100,
       100,
       20,
       10,
       false,
       false,
       true,
       {0, 0, 20, 10}},
      {"proportional stretch grows to fit", 100, 100, 20, 10, true, true, true, {0, 25, 100, 75}},
      {"empty picture draws nothing", 100, 100, 0, 0, true, true, true, {}},
      {"a sliver keeps one pixel", 100, 1, 1000, 2000, false, false, true, {0, 0, 1, 1}},
  };
  for (const PictureCase& c : cases) {
    EXPECT_EQ(CalcPictureRect(c.Width, c.Height, c.PictureWidth, c.PictureHeight, c.Center,
                              c.Stretch, c.Proportional),
              c.Expected)
        << c.Name;
  }
}

// --- Alignment: each case is a 100 x 80 area and the children in creation order.
struct AlignCase {
  const char* Name;
  std::vector<TAlignedChild> Children;
  std::vector<TLayoutRect> Expected;
};

TEST(AlignChildren, EachAlignTakesItsEdgeOfWhatIsLeftInDeclarationOrder) {
  using enum TAlign;
  const TLayoutRect area{0, 0, 100, 80};
  // clang-format off
  const AlignCase cases[] = {
      {"none keeps its bounds, even outside the area",
       {{alNone, true, {-5, 70, 200, 90}}},
       {{-5, 70, 200, 90}}},
      {"top keeps its height and takes the full width",
       {{alTop, true, {7, 7, 10, 17}}},
       {{0, 0, 100, 10}}},
      {"bottom keeps its height at the bottom edge",
       {{alBottom, true, {0, 0, 5, 12}}},
       {{0, 68, 100, 80}}},
      {"left keeps its width and takes the full height",
       {{alLeft, true, {3, 3, 23, 4}}},
       {{0, 0, 20, 80}}},
      {"right keeps its width at the right edge",
       {{alRight, true, {0, 0, 15, 1}}},
       {{85, 0, 100, 80}}},
      {"client fills the area",
       {{alClient, true, {1, 2, 3, 4}}},
       {{0, 0, 100, 80}}},
      {"every align at once: top and bottom first, then left and right, client last,"
       " whatever the creation order",
       {{alClient, true, {}}, {alRight, true, {0, 0, 10, 0}}, {alLeft, true, {0, 0, 20, 0}},
        {alBottom, true, {0, 0, 0, 5}}, {alTop, true, {0, 0, 0, 15}}},
       {{20, 15, 90, 75}, {90, 15, 100, 75}, {0, 15, 20, 75}, {0, 75, 100, 80},
        {0, 0, 100, 15}}},
      {"two tops stack in creation order",
       {{alTop, true, {0, 0, 0, 10}}, {alTop, true, {0, 0, 0, 20}}},
       {{0, 0, 100, 10}, {0, 10, 100, 30}}},
      {"overlapping clients both fill what is left",
       {{alClient, true, {}}, {alClient, true, {}}, {alTop, true, {0, 0, 0, 30}}},
       {{0, 30, 100, 80}, {0, 30, 100, 80}, {0, 0, 100, 30}}},
      {"a hidden child neither moves nor takes room",
       {{alTop, false, {5, 5, 10, 25}}, {alTop, true, {0, 0, 0, 10}}},
       {{5, 5, 10, 25}, {0, 0, 100, 10}}},
      {"zero-size children take no room and get none",
       {{alTop, true, {}}, {alLeft, true, {}}, {alClient, true, {}}},
       {{0, 0, 100, 0}, {0, 0, 0, 80}, {0, 0, 100, 80}}},
      {"children taller than the area leave later ones nothing, never less",
       {{alTop, true, {0, 0, 0, 60}}, {alBottom, true, {0, 0, 0, 60}},
        {alLeft, true, {0, 0, 30, 0}}, {alClient, true, {}}},
       {{0, 0, 100, 60}, {0, 20, 100, 80}, {0, 60, 30, 60}, {30, 60, 100, 60}}},
  };
  // clang-format on
  for (const AlignCase& c : cases) {
    EXPECT_EQ(AlignChildren(area, c.Children), c.Expected) << c.Name;
  }
}

}  // namespace
