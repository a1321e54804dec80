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

// --- Anchors: a 20 x 20 control at (20, 10) placed in a 100 x 80 parent, which grows to
// 150 x 120 and shrinks to 70 x 60. Each axis is a table; every pair of rows is an anchor set.
struct AxisCase {
  const char* Name;
  TAnchors Anchors;
  int GrownStart, GrownEnd, ShrunkStart, ShrunkEnd;
};

TEST(AnchorBounds, EachAnchorSetKeepsItsDistancesAsTheParentGrowsAndShrinks) {
  const AxisCase across[] = {
      {"neither left nor right keeps its relative centre", 0, 35, 55, 11, 31},
      {"left", akLeft, 20, 40, 20, 40},
      {"right", akRight, 70, 90, -10, 10},
      {"left and right stretch; a negative width is zero", akLeft | akRight, 20, 90, 20, 20},
  };
  const AxisCase down[] = {
      {"neither top nor bottom keeps its relative centre", 0, 20, 40, 5, 25},
      {"top", akTop, 10, 30, 10, 30},
      {"bottom", akBottom, 50, 70, -10, 10},
      {"top and bottom stretch", akTop | akBottom, 10, 70, 10, 10},
  };
  const TAnchorOrigin origin{{20, 10, 40, 30}, 100, 80};
  for (const AxisCase& x : across) {
    for (const AxisCase& y : down) {
      const TAnchors anchors = x.Anchors | y.Anchors;
      EXPECT_EQ(AnchorBounds(origin, anchors, 150, 120),
                (TLayoutRect{x.GrownStart, y.GrownStart, x.GrownEnd, y.GrownEnd}))
          << x.Name << "; " << y.Name << "; growing";
      EXPECT_EQ(AnchorBounds(origin, anchors, 70, 60),
                (TLayoutRect{x.ShrunkStart, y.ShrunkStart, x.ShrunkEnd, y.ShrunkEnd}))
          << x.Name << "; " << y.Name << "; shrinking";
    }
  }
}

// Children placed in a 100 x 80 area, laid out again in a 150 x 120 one.
TEST(AlignChildren, AnchorsActOnceTheParentChangedSizeAndNeverOnAnAlignedSide) {
  using enum TAlign;
  const TLayoutRect grown{0, 0, 150, 120};
  const TAnchors all = akLeft | akTop | akRight | akBottom;
  // clang-format off
  const AlignCase cases[] = {
      {"a child placed before its parent had a size does not move",
       {{alNone, true, {20, 10, 40, 30}, all, {{20, 10, 40, 30}, 0, 0}}},
       {{20, 10, 40, 30}}},
      {"back at the size it was placed in, a child is back where it was placed",
       {{alNone, true, {25, 15, 95, 75}, all, {{20, 10, 40, 30}, 150, 120}}},
       {{20, 10, 40, 30}}},
      {"a hidden child follows its anchors too",
       {{alNone, false, {20, 10, 40, 30}, akRight | akBottom, {{20, 10, 40, 30}, 100, 80}}},
       {{70, 50, 90, 70}}},
      {"top-aligned and anchored to top and bottom takes the growth in height",
       {{alTop, true, {0, 0, 100, 20}, all, {{0, 0, 100, 20}, 100, 80}}},
       {{0, 0, 150, 60}}},
      {"bottom-aligned with the default anchors keeps its height",
       {{alBottom, true, {0, 60, 100, 80}, kDefaultAnchors, {{0, 60, 100, 80}, 100, 80}}},
       {{0, 100, 150, 120}}},
      {"right-aligned and anchored left and right grows within its maximum; the client child"
       " gets the rest",
       {{alRight, true, {80, 0, 100, 80}, all, {{80, 0, 100, 80}, 100, 80}, {0, 0, 40, 0}},
        {alClient, true, {}}},
       {{110, 0, 150, 120}, {0, 0, 110, 120}}},
      {"client-aligned ignores its anchors",
       {{alClient, true, {0, 0, 100, 80}, akRight, {{0, 0, 100, 80}, 100, 80}}},
       {{0, 0, 150, 120}}},
  };
  // clang-format on
  for (const AlignCase& c : cases) {
    EXPECT_EQ(AlignChildren(grown, c.Children), c.Expected) << c.Name;
  }
}

// --- Size limits: each one as code sets a 40 x 20 size, as a client-aligned child fills a
// 100 x 80 area, and as a child anchored on all sides stretches from 20 x 20 to 70 x 60.
struct LimitCase {
  const char* Name;
  TSizeLimits Limits;
  int SetWidth, SetHeight;
  TLayoutRect Aligned, Anchored;
};

TEST(SizeLimits, EachLimitHoldsForCodeAlignmentAndAnchors) {
  // clang-format off
  const LimitCase cases[] = {
      {"none", {}, 40, 20, {0, 0, 100, 80}, {20, 10, 90, 70}},
      {"minimum width", {120, 0, 0, 0}, 120, 20, {0, 0, 120, 80}, {20, 10, 140, 70}},
      {"minimum height", {0, 90, 0, 0}, 40, 90, {0, 0, 100, 90}, {20, 10, 90, 100}},
      {"maximum width", {0, 0, 30, 0}, 30, 20, {0, 0, 30, 80}, {20, 10, 50, 70}},
      {"maximum height", {0, 0, 0, 15}, 40, 15, {0, 0, 100, 15}, {20, 10, 90, 25}},
      {"a minimum above the maximum wins", {50, 0, 30, 0}, 50, 20, {0, 0, 50, 80},
       {20, 10, 70, 70}},
  };
  // clang-format on
  const TAnchors all = akLeft | akTop | akRight | akBottom;
  for (const LimitCase& c : cases) {
    int width = 40, height = 20;
    ConstrainSize(c.Limits, width, height);
    EXPECT_EQ(width, c.SetWidth) << c.Name << ", set by code";
    EXPECT_EQ(height, c.SetHeight) << c.Name << ", set by code";
    const std::vector<TAlignedChild> client{
        {TAlign::alClient, true, {5, 5, 10, 10}, kDefaultAnchors, {}, c.Limits}};
    EXPECT_EQ(AlignChildren({0, 0, 100, 80}, client)[0], c.Aligned) << c.Name << ", aligned";
    const std::vector<TAlignedChild> anchored{
        {TAlign::alNone, true, {20, 10, 40, 30}, all, {{20, 10, 40, 30}, 100, 80}, c.Limits}};
    EXPECT_EQ(AlignChildren({0, 0, 150, 120}, anchored)[0], c.Anchored) << c.Name << ", anchored";
  }
}

}  // namespace
