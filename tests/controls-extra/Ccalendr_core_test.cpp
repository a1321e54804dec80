#include "controls-extra/Ccalendr_core.h"

#include <gtest/gtest.h>

namespace {

int DaysPerMonth(int year, int month) {
  return DaysInMonth(year, month);
}

TEST(CalendarLayout, TheFirstOfTheMonthStandsUnderItsWeekday) {
  // Months of 2024 that begin on Sunday, Monday ... Saturday.
  const int months[7] = {9, 1, 10, 5, 2, 3, 6};
  // For each StartOfWeek (1 = Monday ... 7 = Sunday), the column of a first that falls on
  // Sunday ... Saturday.
  const int columns[7][7] = {
      {6, 0, 1, 2, 3, 4, 5}, {5, 6, 0, 1, 2, 3, 4}, {4, 5, 6, 0, 1, 2, 3}, {3, 4, 5, 6, 0, 1, 2},
      {2, 3, 4, 5, 6, 0, 1}, {1, 2, 3, 4, 5, 6, 0}, {0, 1, 2, 3, 4, 5, 6},
  };
  for (int start = 1; start <= 7; ++start) {
    for (int weekday = 1; weekday <= 7; ++weekday) {
      const TDateTime first = EncodeDate(2024, months[weekday - 1], 1);
      ASSERT_EQ(DayOfWeek(first), weekday);
      const int column = columns[start - 1][weekday - 1];
      const int first_cell_day = FirstCellDayOf(weekday, start);
      EXPECT_EQ(first_cell_day, 1 - column) << "start " << start << ", weekday " << weekday;
      EXPECT_EQ(DayCell(1, first_cell_day), (TGridCoord{column, 1}))
          << "start " << start << ", weekday " << weekday;
    }
  }
}

TEST(CalendarLayout, CellsShowTheMonthsDaysAndNothingElse) {
  struct Case {
    int col, row, first_cell_day, days, day;
  };
  const Case cases[] = {
      {5, 1, -5, 31, 0},  // before the 1st
      {6, 1, -5, 31, 1},
      {1, 6, -5, 31, 31},  // a long month from the last column still fits six rows
      {2, 6, -5, 31, 0},   // after the last day
      {0, 5, 1, 28, 0},    // February from column 0 fills exactly four rows
      {6, 4, 1, 28, 28},
      {3, 0, 1, 31, 0},  // the heading row
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CellDay(c.col, c.row, c.first_cell_day, c.days), c.day) << c.col << ", " << c.row;
  }
  EXPECT_EQ(DayCell(31, -5), (TGridCoord{1, 6}));
  // Monday first: Monday (1) heads column 0 and Sunday (0) column 6; Sunday first: Sunday,
  // then Saturday (6) last.
  EXPECT_EQ(HeadingDayIndex(0, 1), 1);
  EXPECT_EQ(HeadingDayIndex(6, 1), 0);
  EXPECT_EQ(HeadingDayIndex(0, 7), 0);
  EXPECT_EQ(HeadingDayIndex(6, 7), 6);
}

TEST(CalendarDates, DateElementsAreTakenOnlyWhenNewAndInRange) {
  const TDateParts jan31{2001, 1, 31};
  struct Case {
    int index, value;
    bool taken;
    TDateParts result;
  };
  const Case cases[] = {
      {2, 4, true, {2001, 4, 31}},  // impossible: building it is what fails
      {1, 2002, true, {2002, 1, 31}},
      {3, 15, true, {2001, 1, 15}},
      {2, 13, false, {}},
      {3, 32, false, {}},
      {3, 31, false, {}},  // unchanged
      {1, 0, false, {}},
      {4, 5, false, {}},
  };
  for (const Case& c : cases) {
    const std::optional<TDateParts> got = TakeDateElement(jan31, c.index, c.value, 31);
    ASSERT_EQ(got.has_value(), c.taken) << c.index << " = " << c.value;
    if (!got) continue;
    EXPECT_EQ(got->Year, c.result.Year);
    EXPECT_EQ(got->Month, c.result.Month);
    EXPECT_EQ(got->Day, c.result.Day);
  }
}

TEST(CalendarDates, AMonthStepKeepsTheDayOrTakesTheMonthsLast) {
  struct Case {
    TDateParts from;
    int delta;
    TDateParts to;
  };
  const Case cases[] = {
      {{2001, 1, 31}, 1, {2001, 2, 28}},
      {{2001, 3, 31}, -1, {2001, 2, 28}},
      {{2000, 1, 31}, 1, {2000, 2, 29}},
      {{2001, 12, 15}, 1, {2002, 1, 15}},
      {{2001, 1, 1}, -1, {2000, 12, 1}},
      {{2001, 5, 10}, 20, {2001, 6, 10}},  // a larger step still reaches only the next month
      {{9999, 12, 31}, 1, {0, 0, 0}},      // past the last year
  };
  for (const Case& c : cases) {
    const TDateParts to = StepMonth(c.from, c.delta, DaysPerMonth);
    EXPECT_TRUE(to.Year == c.to.Year && to.Month == c.to.Month && to.Day == c.to.Day)
        << c.from.Year << "-" << c.from.Month << "-" << c.from.Day << " by " << c.delta << " gave "
        << to.Year << "-" << to.Month << "-" << to.Day;
  }
  const TDateParts leap_day{2004, 2, 29};
  const TDateParts year_on = StepYear(leap_day, 1);
  EXPECT_TRUE(year_on.Year == 2005 && year_on.Month == 2 && year_on.Day == 28);
  const TDateParts years_back = StepYear(leap_day, -4);
  EXPECT_EQ(years_back.Day, 28) << "the 29th goes even where the year reached has one";
}

}  // namespace
