#include "framework/core/Grids_core.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

// Columns: a fixed one of 30 pixels, then 20, 40, 20, 20; lines of 1 (2 after the fixed one).
TGridAxis Columns() {
  TGridAxis axis;
  axis.SetCount(5, 20);
  axis.SetFixed(1);
  axis.SetExtent(0, 30);
  axis.SetExtent(2, 40);
  axis.FixedLineWidth = 2;
  return axis;
}

TEST(GridAxis, PixelsMapToCellsWithTheLineBelongingToTheCellBefore) {
  const TGridAxis axis = Columns();
  struct Case {
    int first, pixel, cell;
  };
  // clang-format off
  const Case cases[] = {
      {1, -1, -1}, {1, 0, 0}, {1, 31, 0},    // the fixed cell and its two-pixel line
      {1, 32, 1}, {1, 52, 1}, {1, 53, 2},    // 20 + line
      {1, 94, 3}, {1, 135, 4}, {1, 136, -1}, // past the last line
      {3, 32, 3}, {3, 53, 4}, {3, 74, -1},   // scrolled: 3 follows the fixed cell
      {3, 10, 0},                            // the fixed cell does not scroll
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(axis.At(c.pixel, c.first), c.cell) << "first " << c.first << " pixel " << c.pixel;
    if (c.cell >= 0 && c.cell != 0) {
      const int start = axis.Start(c.cell, c.first);
      EXPECT_TRUE(c.pixel >= start && c.pixel < start + axis.Span(c.cell)) << c.pixel;
    }
  }
  EXPECT_EQ(axis.Start(2, 3), -1) << "a cell scrolled off has no place";
}

TEST(GridAxis, ScrollLimitsFollowTheCellsThatFit) {
  const TGridAxis axis = Columns();
  struct Case {
    int length, first;
    int whole, last_visible, max_first;
  };
  const Case cases[] = {
      {137, 1, 4, 4, 1},  // everything fits: no scrolling
      {100, 1, 2, 3, 3},  // 1 and 2 whole, 3 in part; only 3 and 4 fit in the 68 pixels left
      {100, 2, 2, 4, 3}, {60, 1, 1, 2, 4},  // from 4 only 4 fits in 28 pixels
      {50, 2, 1, 2, 4},  // 2 is larger than the 18 pixels left: still one page step
  };
  for (const Case& c : cases) {
    EXPECT_EQ(axis.WholeVisible(c.first, c.length), c.whole) << c.length << "/" << c.first;
    EXPECT_EQ(axis.LastVisible(c.first, c.length), c.last_visible) << c.length << "/" << c.first;
    EXPECT_EQ(axis.MaxFirst(c.length), c.max_first) << c.length;
  }
}

TEST(GridAxis, ScrollingToACellMovesTheViewAsLittleAsPossible) {
  const TGridAxis axis = Columns();
  struct Case {
    int index, first, length, expected;
  };
  const Case cases[] = {
      {0, 3, 100, 3},  // a fixed cell is always shown
      {2, 3, 100, 2},  // before the view: it becomes the first
      {2, 1, 100, 1},  // shown whole already
      {3, 1, 100, 2},  // in part: one step
      {4, 1, 100, 3},  // 3 and 4 fit in the 68 pixels left, 2 with them would not
      {2, 1, 50, 2},   // larger than the view: shown from its start
  };
  for (const Case& c : cases) {
    EXPECT_EQ(axis.FirstShowing(c.index, c.first, c.length), c.expected)
        << "cell " << c.index << " from " << c.first << " in " << c.length;
  }
}

TEST(GridAxis, ADragPastAnEdgeReachesTheNextCellBeyondIt) {
  const TGridAxis axis = Columns();
  struct Case {
    int pixel, first, length, expected;
  };
  const Case cases[] = {
      {60, 1, 100, 2},   // under the pointer
      {10, 3, 100, 2},   // over the fixed cell: one back
      {-5, 1, 100, 1},   // nothing before the first
      {120, 1, 100, 3},  // past the view: after 2, the last one shown whole
      {120, 4, 100, 4},  // no cell after the last
      {136, 1, 137, 4},  // past the last cell, within the view
  };
  for (const Case& c : cases) {
    EXPECT_EQ(axis.DragTarget(c.pixel, c.first, c.length), c.expected) << c.pixel << "/" << c.first;
  }
}

TEST(GridGeometry, CellRectsAndHitTestsAgree) {
  TGridGeometry grid;
  grid.Cols = Columns();
  grid.Rows.SetCount(4, 10);
  grid.Rows.SetFixed(1);
  EXPECT_EQ(grid.CellRect({2, 1}, {1, 1}), (TLayoutRect{53, 11, 93, 21}));
  EXPECT_EQ(grid.CellRect({2, 3}, {3, 2}), (TLayoutRect{}));
  EXPECT_EQ(grid.CellRect({3, 0}, {3, 2}), (TLayoutRect{32, 0, 52, 10}));
  EXPECT_EQ(grid.CellAt(60, 25, {1, 1}), (TGridCoord{2, 2}));
  EXPECT_EQ(grid.CellAt(60, 25, {1, 2}), (TGridCoord{2, 3}));
  EXPECT_EQ(grid.CellAt(60, 45, {1, 1}), (TGridCoord{-1, -1})) << "below the last row";
}

TEST(GridKeyTarget, KeysMoveWithinTheScrollingCells) {
  TGridGeometry grid;
  grid.Cols.SetCount(4, 10);
  grid.Cols.SetFixed(1);
  grid.Rows.SetCount(6, 10);
  grid.Rows.SetFixed(1);
  struct Case {
    TGridCoord from;
    TGridKey key;
    bool ctrl;
    TGridCoord to;
  };
  using enum TGridKey;
  // clang-format off
  const Case cases[] = {
      {{1, 1}, Left, false, {1, 1}},     {{1, 1}, Up, false, {1, 1}},  // the fixed cells stop them
      {{3, 5}, Right, false, {3, 5}},    {{3, 5}, Down, false, {3, 5}},
      {{2, 2}, Right, false, {3, 2}},    {{2, 2}, Down, false, {2, 3}},
      {{2, 2}, PageDown, false, {2, 5}}, {{2, 4}, PageUp, false, {2, 1}},
      {{2, 3}, Home, false, {1, 3}},     {{2, 3}, End, false, {3, 3}},
      {{2, 3}, Home, true, {1, 1}},      {{2, 3}, End, true, {3, 5}},
      {{3, 2}, Tab, false, {1, 3}},      {{3, 5}, Tab, false, {3, 5}},   // on to the next row; stop at the end
      {{1, 3}, BackTab, false, {3, 2}},  {{1, 1}, BackTab, false, {1, 1}},
  };
  // clang-format on
  for (const Case& c : cases) {
    const TGridCoord to = GridKeyTarget(grid, c.from, c.key, c.ctrl, 3);
    EXPECT_EQ(to, c.to) << "key " << static_cast<int>(c.key) << " from " << c.from.X << ","
                        << c.from.Y << " gave " << to.X << "," << to.Y;
  }
}

}  // namespace

TEST(WheelTurns, NotchesScrollTheSetLinesOrAPageAndSmallTurnsAddUp) {
  struct Case {
    const char* name;
    std::vector<int> deltas;  // one grid's turns in order
    unsigned lines;
    std::vector<int> rows;  // the answer to each
  };
  const Case cases[] = {
      {"a notch towards the user scrolls down", {-120}, 3, {3}},
      {"a notch away scrolls up", {120, 240}, 3, {-3, -6}},
      {"a page per notch", {-120, 120}, kWheelPageScroll, {7, -7}},
      {"a touchpad's small turns", {-30, -30, -30, -30, -30}, 1, {0, 0, 0, 1, 0}},
      {"what is left over counts", {-200, -40}, 1, {1, 1}},
      {"no lines: no scrolling", {-120}, 0, {0}},
      {"lines beyond reason stay in range", {-120 * 200}, 0x7FFFFFFF, {INT_MAX / 2}},
  };
  for (const Case& c : cases) {
    TWheelTurns wheel;
    std::vector<int> rows;
    for (int delta : c.deltas) rows.push_back(wheel.Rows(delta, c.lines, 7));
    EXPECT_EQ(rows, c.rows) << c.name;
  }
}
