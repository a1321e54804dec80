#include "controls-extra/Perfgrap_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <ostream>
#include <random>
#include <vector>

std::ostream& operator<<(std::ostream& out, const TLayoutRect& r) {
  return out << "{" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << "}";
}

namespace {

// Records what the plot draws, for a control of a size the test sets. A line is kept as the
// rectangle of its two end points.
class RecordingPicture : public TGraphPicture {
 public:
  struct Mark {
    bool line;
    TLayoutRect at;
    TColor color;
    int width;
  };
  int ControlWidth() const override { return width; }
  int ControlHeight() const override { return 100; }
  void SetSize(int w, int h) override { size_set = {0, 0, w, h}; }
  void Fill(const TLayoutRect& rect, TColor color) override {
    marks.push_back({false, rect, color, 0});
  }
  void Line(int x1, int y1, int x2, int y2, TColor color, int w) override {
    marks.push_back({true, {x1, y1, x2, y2}, color, w});
  }
  void Scroll(const TLayoutRect&, const TLayoutRect&) override {}
  void ShowChanges() override { ++repaints; }

  std::vector<Mark> Of(TColor color) const {
    std::vector<Mark> found;
    std::copy_if(marks.begin(), marks.end(), std::back_inserter(found),
                 [color](const Mark& m) { return m.color == color; });
    return found;
  }
  // A full redraw fills the whole picture with the background.
  bool Redrawn() const {
    return std::any_of(marks.begin(), marks.end(), [this](const Mark& m) {
      return m.at == TLayoutRect{0, 0, width, 100};
    });
  }

  int width = 100;
  TLayoutRect size_set;
  std::vector<Mark> marks;
  int repaints = 0;
};

// The ring's bands, oldest first: each band's first value, 0 for an empty band.
std::vector<int> Walk(const TGraphHistory& history) {
  std::vector<int> values;
  for (int slot = history.FirstY(); slot != -1; slot = history.NextY(slot)) {
    const TGraphBand& band = history.Band(slot);
    values.push_back(band.Count ? band.Values[0] : 0);
  }
  return values;
}

// Cycles of one point each, valued 1, 2, 3...
void FillCycles(TGraphHistory& history, int cycles) {
  for (int i = 1; i <= cycles; ++i) {
    history.DataPoint(clRed, i);
    history.ShiftY();
  }
}

TEST(RoundUp, RoundsUpToTheGradientTowardZeroDivision) {
  const int cases[][3] = {
      {1234, 100, 1300}, {1200, 100, 1200}, {-150, 100, 0},          {-1234, 100, -1100},
      {1234, 0, 1234},   {0, 100, 0},       {INT_MAX, 100, INT_MAX}, {INT_MIN, -1, INT_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(RoundUp(c[0], c[1]), c[2]) << c[0] << " by " << c[1];
}

TEST(GraphHistory, TheRingWalksOldestFirstAndTheCurrentBandLast) {
  struct Case {
    int cycles, first, last;
    std::vector<int> walk;
  };
  const Case cases[] = {
      {0, 1, 0, {0, 0, 0, 0, 0}},
      {4, 0, 4, {1, 2, 3, 4, 0}},
      {5, 1, 0, {2, 3, 4, 5, 0}},
      {23, 4, 3, {20, 21, 22, 23, 0}},
  };
  for (const Case& c : cases) {
    TGraphHistory history(5);
    FillCycles(history, c.cycles);
    EXPECT_EQ(history.FirstY(), c.first) << c.cycles << " cycles";
    EXPECT_EQ(history.Last(), c.last) << c.cycles << " cycles";
    EXPECT_EQ(Walk(history), c.walk) << c.cycles << " cycles";
  }
}

TEST(GraphHistory, ASeventeenthPointIsRefusedAndTheCycleCanStillClose) {
  TGraphHistory history(4);
  for (int i = 0; i < kGraphBandPoints; ++i) history.DataPoint(clBlue, i);
  try {
    history.DataPoint(clRed, 99);
    FAIL() << "no exception";
  } catch (const ERangeError& error) {
    EXPECT_STREQ(error.what(), "The graph takes at most 16 points between two updates");
  }
  EXPECT_EQ(history.Band(history.Last()).Count, 16);
  history.ShiftY();
  history.DataPoint(clRed, 1);
}

TEST(GraphHistory, ResizeKeepsTheNewestBands) {
  struct Case {
    int count;
    std::vector<int> walk;
    const char* breaks;
  };
  // Six slots after seven cycles hold 3..7 and the empty current band.
  const Case cases[] = {
      {4, {5, 6, 7, 0}, "narrowing keeps the oldest"},
      {6, {3, 4, 5, 6, 7, 0}, "the same count loses bands"},
      {8, {0, 0, 3, 4, 5, 6, 7, 0}, "widening loses bands or leaves a gap after the newest"},
      {1, {7, 0}, "the ring gets fewer than two slots"},
  };
  for (const Case& c : cases) {
    TGraphHistory history(6);
    FillCycles(history, 7);
    history.Resize(c.count);
    EXPECT_EQ(Walk(history), c.walk) << c.breaks;
    // The next cycle goes on after the newest band.
    history.DataPoint(clRed, 50);
    history.ShiftY();
    EXPECT_EQ(Walk(history).rbegin()[1], 50) << c.breaks;
  }
  // Widening and narrowing back before another cycle loses nothing that fits.
  TGraphHistory history(6);
  FillCycles(history, 7);
  history.Resize(40);
  history.Resize(6);
  EXPECT_EQ(Walk(history), (std::vector<int>{3, 4, 5, 6, 7, 0}));
}

// The maximum is kept up as bands come and go: it must be what a walk over the ring finds.
TEST(GraphHistory, MaximumIsTheLargestValueInTheRing) {
  std::mt19937 random(15);
  std::uniform_int_distribution<int> value(-50, 1000), points(0, kGraphBandPoints);
  TGraphHistory history(7);
  for (int cycle = 0; cycle < 2000; ++cycle) {
    for (int i = points(random); i > 0; --i) history.DataPoint(clRed, value(random) >> cycle % 5);
    if (cycle % 97 == 0) history.Resize(3 + cycle % 11);
    int expected = 0;
    for (int slot = history.FirstY(); slot != -1; slot = history.NextY(slot)) {
      const TGraphBand& band = history.Band(slot);
      for (int i = 0; i < band.Count; ++i) expected = std::max(expected, band.Values[i]);
    }
    ASSERT_EQ(history.Maximum(), expected) << "cycle " << cycle;
    history.ShiftY();
  }
}

class GraphPlotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plot_.OnScaleChange = [this] { ++scale_changes_; };
  }
  void Cycle(std::initializer_list<std::pair<TColor, int>> points) {
    for (const auto& [color, value] : points) plot_.DataPoint(color, value);
    plot_.Update();
  }
  // Empty cycles until every band is empty.
  void Flush() {
    for (int i = plot_.History().Count(); i > 0; --i) Cycle({});
  }
  RecordingPicture picture_;
  TGraphPlot plot_{picture_};
  int scale_changes_ = 0;
};

TEST_F(GraphPlotTest, TheScaleFollowsTheLargestValueUpAndDown) {
  struct Case {
    const char* name;
    int width, gradient;
    std::vector<int> cycles;  // one point each
    std::vector<int> scales;  // after each cycle
    int changes;
  };
  // 9 pixels in bands of 3: a ring of five, so a value leaves it five cycles later.
  const Case cases[] = {
      {"rounded up to the gradient", 100, 100, {1234, 1250, 1300}, {1300, 1300, 1300}, 1},
      {"any value without a gradient", 100, 0, {1234}, {1234}, 1},
      {"down when the top leaves", 9, 100, {2500, 1, 1, 1, 100}, {2500, 2500, 2500, 2500, 100}, 2},
      {"0 with nothing above 0", 9, 100, {-40, 0}, {0, 0}, 1},
  };
  for (const Case& c : cases) {
    picture_.width = c.width;
    plot_.SetGradient(c.gradient);
    plot_.SetScale(1000);
    plot_.Replay();
    scale_changes_ = 0;
    for (size_t i = 0; i < c.cycles.size(); ++i) {
      Cycle({{clRed, c.cycles[i]}});
      EXPECT_EQ(plot_.Scale(), c.scales[i]) << c.name << ", cycle " << i;
    }
    EXPECT_EQ(scale_changes_, c.changes) << c.name;
    Flush();
  }
}

TEST_F(GraphPlotTest, SettersCorrectSilentlyAndOnlyTheScaleIsReported) {
  plot_.SetGridSize(0);
  EXPECT_EQ(plot_.GridSize(), 2);
  picture_.marks.clear();
  plot_.SetStepSize(-5);
  EXPECT_EQ(plot_.StepSize(), 1);
  EXPECT_EQ(plot_.History().Count(), 102) << "the ring is not rebuilt for one-pixel bands";
  EXPECT_TRUE(picture_.Redrawn());
  plot_.SetGradient(100);
  plot_.SetPenWidth(0);
  EXPECT_EQ(scale_changes_, 0) << "a setter other than the scale's reported a scale change";
  // A scale that rounds back to the one it has is still reported, and redrawn.
  picture_.marks.clear();
  plot_.SetScale(950);
  EXPECT_EQ(plot_.Scale(), 1000);
  EXPECT_EQ(scale_changes_, 1);
  EXPECT_TRUE(picture_.Redrawn());
}

// The vertical grid moves with the data: a line enters at the right each time the scroll
// passes the grid size, also when a band is wider than the grid; of a band wider than the
// picture only the lines inside it are drawn.
TEST(GraphPlot, VerticalGridLinesEnterAsTheGraphScrolls) {
  struct Case {
    int step, grid, cycles;
    std::vector<int> entered;  // x of each vertical line that the scrolls draw
  };
  const Case cases[] = {
      {3, 15, 6, {98}},
      {4, 15, 9, {96, 99, 98}},
      {40, 15, 2, {64, 79, 94, 69, 84, 99}},
      {200'000'000, 40, 1, {24, 64}},
      {INT_MAX, 40, 2, {17, 57, 97, 10, 50, 90}},
  };
  for (const Case& c : cases) {
    RecordingPicture picture;
    TGraphPlot plot(picture);
    plot.SetGridSize(c.grid);
    plot.SetStepSize(c.step);
    plot.SetScale(0);  // empty cycles then keep the scale: no full redraw
    picture.marks.clear();
    for (int i = 0; i < c.cycles; ++i) plot.Update();
    std::vector<int> entered;
    for (const auto& m : picture.Of(clGreen)) {
      if (m.at.Left == m.at.Right) entered.push_back(m.at.Left);
    }
    EXPECT_EQ(entered, c.entered) << "step " << c.step;
  }
}

// Windows refuses a rectangle or line whose coordinates pass 2^27 outright: however wide a
// band, what the plot draws lies in the picture's columns, and a line cut there keeps its slope.
TEST(GraphPlot, ABandWiderThanThePictureIsDrawnOnlyWhereItShows) {
  struct Case {
    TGraphKind kind;
    int step;
    int line_starts_at;  // the height of the cut line at its left end
  };
  const Case cases[] = {
      {TGraphKind::pgBar, 3, 0},           {TGraphKind::pgLine, 3, 50},
      {TGraphKind::pgBar, 200'000'000, 0}, {TGraphKind::pgLine, 200'000'000, 31},
      {TGraphKind::pgBar, INT_MAX, 0},     {TGraphKind::pgLine, INT_MAX, 31},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << (c.kind == TGraphKind::pgBar ? "bars" : "lines") << ", step " << c.step);
    RecordingPicture picture;
    TGraphPlot plot(picture);
    plot.SetKind(c.kind);
    plot.SetStepSize(c.step);
    plot.SetGradient(1000);
    for (int value : {500, 700}) {
      plot.DataPoint(clRed, value);
      plot.Update();
    }
    plot.Replay();
    for (const auto& m : picture.marks) {
      EXPECT_GE(std::min(m.at.Left, m.at.Right), 0);
      EXPECT_LE(std::max(m.at.Left, m.at.Right), 100);
    }
    const auto red = picture.Of(clRed);
    ASSERT_FALSE(red.empty());
    if (c.kind == TGraphKind::pgLine) {  // from 500 to 700, 50 and 30 pixels from the top
      EXPECT_EQ(red.back().at, (TLayoutRect{std::max(100 - c.step, 0), c.line_starts_at, 100, 30}));
    }
  }
}

// 100 pixels for 1000 (a gradient of 1000 keeps the scale there).
TEST_F(GraphPlotTest, BarsStackFromThePreviousValueAndSkipZero) {
  plot_.SetKind(TGraphKind::pgBar);
  plot_.SetGradient(1000);
  picture_.marks.clear();
  picture_.repaints = 0;
  Cycle({{clRed, 200}, {clBlue, 0}, {clLime, 500}, {clYellow, 500}});
  ASSERT_EQ(picture_.Of(clRed).size(), 1u);
  EXPECT_EQ(picture_.Of(clRed)[0].at, (TLayoutRect{97, 79, 100, 100}));
  EXPECT_EQ(picture_.Of(clLime)[0].at, (TLayoutRect{97, 49, 100, 80})) << "not from red's top";
  EXPECT_TRUE(picture_.Of(clBlue).empty());
  EXPECT_TRUE(picture_.Of(clYellow).empty()) << "a bar of no height";
  EXPECT_EQ(picture_.repaints, 1);
}

TEST_F(GraphPlotTest, LinesJoinAColourToItsValueInTheBandBefore) {
  plot_.SetPenWidth(3);
  plot_.SetGradient(1000);
  Cycle({{clRed, 500}});
  picture_.marks.clear();
  Cycle({{clRed, 700}, {clLime, 300}, {clBlue, 0}});
  ASSERT_EQ(picture_.Of(clRed).size(), 1u);
  EXPECT_EQ(picture_.Of(clRed)[0].at, (TLayoutRect{97, 50, 100, 30})) << "from 500 to 700";
  EXPECT_EQ(picture_.Of(clRed)[0].width, 3) << "not as wide as the pen width";
  EXPECT_EQ(picture_.Of(clLime)[0].at.Top, 100) << "a new colour does not start at the bottom";
  EXPECT_TRUE(picture_.Of(clBlue).empty()) << "a zero is drawn";
}

TEST_F(GraphPlotTest, AZeroScaleDrawsNoPoints) {
  for (TGraphKind kind : {TGraphKind::pgLine, TGraphKind::pgBar}) {
    plot_.SetKind(kind);
    Cycle({{clRed, -500}});
    EXPECT_EQ(plot_.Scale(), 0);
    picture_.marks.clear();
    Cycle({{clRed, -300}});
    plot_.Replay();
    EXPECT_TRUE(picture_.Of(clRed).empty());
  }
}

// A full redraw puts every band where the scrolling put it: the band closed last at the right
// edge, the one before it a step to the left; a graph narrower than a band shows none.
TEST_F(GraphPlotTest, ReplayPutsTheBandClosedLastAtTheRightEdge) {
  const int cases[][3] = {
      // width, step, left of the band closed last
      {100, 3, 97}, {1000, 3, 997}, {100, 40, 60}, {100, 1, 99}, {2, 3, -1},
  };
  for (const auto& c : cases) {
    picture_.width = c[0];
    plot_.SetKind(TGraphKind::pgBar);
    plot_.SetStepSize(c[1]);
    plot_.Replay();
    Cycle({{clLime, 500}});
    Cycle({{clRed, 500}});
    picture_.marks.clear();
    plot_.Replay();
    const auto red = picture_.Of(clRed);
    if (c[2] < 0) {
      EXPECT_TRUE(red.empty() || red[0].at.Left >= c[0]) << "a band shows in a narrow graph";
    } else {
      ASSERT_EQ(red.size(), 1u) << c[0] << "/" << c[1];
      EXPECT_EQ(red[0].at.Left, c[2]) << c[0] << "/" << c[1];
      EXPECT_EQ(picture_.Of(clLime)[0].at.Right, c[2]) << c[0] << "/" << c[1];
    }
    EXPECT_EQ(plot_.NewBandRect().Left, c[0] - c[1]) << "the drawing place is not restored";
    Flush();
  }
}

// A resize noticed by a full redraw (a new scale before the control was painted) rebuilds
// the ring for the new width, keeping the newest bands.
TEST_F(GraphPlotTest, ReplayAfterAResizeFitsTheRingToTheWidth) {
  Cycle({{clRed, 20}});
  picture_.width = 30;
  Cycle({{clRed, 5000}});  // rescales
  const TGraphHistory& history = plot_.History();
  EXPECT_EQ(history.Count(), 12);
  EXPECT_EQ(Walk(history).rbegin()[1], 5000);
  EXPECT_EQ(Walk(history).rbegin()[2], 20);
  EXPECT_EQ(picture_.size_set, (TLayoutRect{0, 0, 30, 100}));
}

}  // namespace
