#include "controls-extra/Cgauges_core.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

std::ostream& operator<<(std::ostream& out, const TLayoutRect& r);

std::ostream& operator<<(std::ostream& out, const TGaugePoint& p) {
  return out << "(" << p.X << ", " << p.Y << ")";
}

namespace {

TEST(GaugePercent, FloorsTheShareOfTheRange) {
  const int cases[][4] = {
      // progress, minimum, maximum, percent
      {50, 0, 100, 50},
      {2, 0, 3, 66},
      {5, 5, 5, 0},
      {0, -100, 100, 50},
      {INT_MAX, INT_MIN, INT_MAX, 100},  // the range does not fit in 32 bits
  };
  for (const auto& c : cases) EXPECT_EQ(GaugePercent(c[0], c[1], c[2]), c[3]) << c[0];
}

TEST(GaugeRange, BoundsRefuseAnEmptyRangeAndPullTheProgress) {
  enum Setter { kMin, kMax, kProgress };
  struct Case {
    int max_value, progress;  // before; the minimum is 0
    Setter set;
    int value;
    int new_min, new_max, new_progress;
    bool changed;
    const char* message;  // of the exception, or null
  };
  const Case cases[] = {
      {100, 0, kMin, 150, 0, 100, 0, false, "Wert muß zwischen -2147483647 und 99 liegen"},
      {100, 0, kMax, -5, 0, 100, 0, false, "Wert muß zwischen 1 und 2147483647 liegen"},
      {INT_MIN, 0, kMin, 5, 0, INT_MIN, INT_MIN, false,
       "Wert muß zwischen -2147483647 und -2147483648 liegen"},
      {100, 70, kMax, 40, 0, 40, 40, true, nullptr},
      {100, 10, kMin, 30, 30, 100, 30, true, nullptr},
      {100, 0, kProgress, 1000, 0, 100, 100, true, nullptr},
      {100, 50, kProgress, -3, 0, 100, 0, true, nullptr},
      {1000, 0, kProgress, 9, 0, 1000, 9, false, nullptr},  // still 0 %: no repaint
      {1000, 9, kProgress, 10, 0, 1000, 10, true, nullptr},
  };
  for (const Case& c : cases) {
    TGaugeRange range;
    range.SetMaxValue(c.max_value, false);
    range.SetProgress(c.progress);
    bool changed = false;
    AnsiString message;
    try {
      changed = c.set == kMin   ? range.SetMinValue(c.value)
                : c.set == kMax ? range.SetMaxValue(c.value)
                                : range.SetProgress(c.value);
    } catch (const Exception& error) {
      message = error.Message;
    }
    const AnsiString row = Format("%d set to %d", static_cast<int>(c.set), c.value);
    EXPECT_EQ(changed, c.changed) << row;
    EXPECT_EQ(message, c.message ? c.message : "") << row;
    EXPECT_EQ(range.MinValue(), c.new_min) << row;
    EXPECT_EQ(range.MaxValue(), c.new_max) << row;
    EXPECT_EQ(range.Progress(), c.new_progress) << row;
  }
}

TEST(GaugeGeometry, BarsFillTheirShareOfThePaintRectangle) {
  struct Case {
    TCGaugeKind kind;
    bool border;
    int percent;
    TLayoutRect filled;
  };
  using enum TCGaugeKind;
  // 100 x 100: with a border the paint rectangle is (1, 1, 99, 99) and W = H = 99.
  const Case cases[] = {
      {gkHorizontalBar, true, 50, {1, 1, 49, 99}},
      {gkHorizontalBar, false, 100, {0, 0, 101, 101}},
      {gkHorizontalBar, true, 0, {}},
      {gkVerticalBar, true, 50, {1, 50, 99, 99}},
      {gkVerticalBar, true, 100, {1, 1, 99, 99}},     // capped at H - 1: the whole area
      {gkVerticalBar, false, 100, {0, 1, 101, 101}},  // the top row keeps the back colour
  };
  for (const Case& c : cases) {
    const TLayoutRect rect = GaugePaintRect(100, 100, c.border);
    EXPECT_EQ(GaugeBarRect(c.kind, rect, c.percent), c.filled)
        << static_cast<int>(c.kind) << " at " << c.percent << "%, border " << c.border;
  }
  EXPECT_EQ(GaugeTextOrigin(GaugePaintRect(100, 100, true), 20, 13), (TGaugePoint{39, 43}))
      << "text offset by the rectangle's left and top";
}

TEST(GaugeGeometry, PieAndNeedlePointsFollowThePercentage) {
  struct Case {
    int percent;
    TGaugePoint pie_start, needle_tip;
  };
  // 100 x 100 with a border: the pie's centre is (49, 49), the needle's hub (50, 98).
  const Case cases[] = {
      {25, {98, 48}, {14, 28}},  // pie from three o'clock back to twelve
      {50, {49, 98}, {49, 0}},   // the needle straight up
      {100, {48, 0}, {100, 97}},
  };
  const TLayoutRect rect = GaugePaintRect(100, 100, true);
  for (const Case& c : cases) {
    const TGaugePie pie = GaugePieGeometry(rect, true, c.percent);
    EXPECT_EQ(pie.Bounds, (TLayoutRect{1, 1, 99, 99}));
    EXPECT_EQ(pie.Start, c.pie_start) << c.percent << "%";
    EXPECT_EQ(pie.End, (TGaugePoint{49, 0}));
    const TGaugeNeedle needle = GaugeNeedleGeometry(rect, true, 100, c.percent);
    EXPECT_EQ(needle.Tip, c.needle_tip) << c.percent << "%";
    EXPECT_EQ(needle.Hub, (TGaugePoint{50, 98}));
  }
  const TGaugeNeedle dial = GaugeNeedleGeometry(GaugePaintRect(100, 60, false), false, 100, 0);
  EXPECT_EQ(dial.DialBounds, (TLayoutRect{0, 0, 100, 119})) << "not twice the height";
  EXPECT_EQ(dial.DialStart, (TGaugePoint{100, 59}));
  EXPECT_EQ(dial.BaseFrom, (TGaugePoint{0, 60}));
}

}  // namespace
