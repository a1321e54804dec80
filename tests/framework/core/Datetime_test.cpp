#include "framework/core/Datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

struct DateCase {
  int Year, Month, Day;
  double Serial;
};

TEST(EncodeDate, KnownDaysFromTheEdgesOfTheRange) {
  const DateCase cases[] = {
      {1899, 12, 30, 0},    {1899, 12, 31, 1},   {1900, 1, 1, 2},         {1899, 12, 29, -1},
      {1900, 3, 1, 61},     {2000, 1, 1, 36526}, {2000, 2, 29, 36585},    {2000, 3, 1, 36586},
      {2024, 2, 29, 45351}, {1, 1, 1, -693593},  {9999, 12, 31, 2958465}, {1600, 2, 29, -109512},
      {1970, 1, 1, 25569},
  };
  for (const DateCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Year << "-" << c.Month << "-" << c.Day);
    EXPECT_EQ(EncodeDate(c.Year, c.Month, c.Day), c.Serial);
    const TDateParts parts = DecodeDate(c.Serial);
    EXPECT_EQ(parts.Year, c.Year);
    EXPECT_EQ(parts.Month, c.Month);
    EXPECT_EQ(parts.Day, c.Day);
  }
}

TEST(EncodeDate, ImpossibleDatesRaiseTheProgramsText) {
  const int impossible[][3] = {
      {1900, 2, 29},  // 1900 is divisible by 100 but not 400
      {2100, 2, 29}, {2023, 2, 29},  {2024, 2, 30}, {2024, 4, 31}, {2024, 6, 31},
      {2024, 9, 31}, {2024, 11, 31}, {2024, 1, 32}, {2024, 1, 0},  {2024, 0, 1},
      {2024, 13, 1}, {0, 1, 1},      {10000, 1, 1}, {-1, 1, 1},    {2024, -1, 1},
  };
  for (const auto& d : impossible) {
    SCOPED_TRACE(testing::Message() << d[0] << "-" << d[1] << "-" << d[2]);
    TDateTime untouched = 123.0;
    EXPECT_FALSE(TryEncodeDate(d[0], d[1], d[2], untouched));
    EXPECT_EQ(untouched, 123.0);
    try {
      EncodeDate(d[0], d[1], d[2]);
      ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, "Ungültiges Argument zum Codieren des Datums");
    }
  }
}

TEST(EncodeDate, LeapYearRules) {
  const std::pair<int, bool> years[] = {{1600, true}, {1700, false}, {1900, false}, {2000, true},
                                        {2004, true}, {2023, false}, {2024, true},  {2100, false},
                                        {2400, true}, {4, true},     {1, false}};
  for (const auto& [year, leap] : years) {
    SCOPED_TRACE(year);
    EXPECT_EQ(IsLeapYear(year), leap);
    EXPECT_EQ(DaysInMonth(year, 2), leap ? 29 : 28);
    EXPECT_EQ(EncodeDate(year, 3, 1) - EncodeDate(year, 2, 1), leap ? 29 : 28);
  }
  EXPECT_EQ(DaysInMonth(2024, 0), 0);
  EXPECT_EQ(DaysInMonth(2024, 13), 0);
}

// Every day of years 1 to 9999 encodes to the next serial number: a wrong month length or
// century rule shows up here. Days around the century edges, and every 13th day elsewhere,
// decode back to their date, also with a time of day.
TEST(DecodeDate, EveryDayOfTheWholeRangeRoundTrips) {
  double expected = EncodeDate(1, 1, 1);
  auto check = [&](int year, int month, int day) {
    TDateTime serial = 0;
    if (!TryEncodeDate(year, month, day, serial) || serial != expected) {
      ADD_FAILURE() << year << "-" << month << "-" << day << " encodes to " << serial
                    << ", expected " << expected;
      return false;
    }
    expected += 1;
    const int in_century = year % 100;
    if (in_century > 1 && in_century < 99 && year > 2 && year < 9998 &&
        std::fmod(serial, 13) != 0) {
      return true;
    }
    const TDateParts parts = DecodeDate(WithTimeOfDay(serial, 0.75));
    if (parts.Year != year || parts.Month != month || parts.Day != day) {
      ADD_FAILURE() << serial << " decodes to " << parts.Year << "-" << parts.Month << "-"
                    << parts.Day << ", expected " << year << "-" << month << "-" << day;
      return false;
    }
    if (DecodeTime(WithTimeOfDay(serial, 0.75)).Hour != 18) {
      ADD_FAILURE() << serial << " loses its time of day";
      return false;
    }
    return true;
  };
  for (int year = 1; year <= 9999; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= DaysInMonth(year, month); ++day) {
        if (!check(year, month, day)) return;
      }
    }
  }
}

struct TimeCase {
  int Hour, Minute, Second, Millisecond;
};

TEST(EncodeTime, EdgesRoundTripToTheMillisecond) {
  const TimeCase cases[] = {{0, 0, 0, 0},      {0, 0, 0, 1},     {12, 0, 0, 0},
                            {23, 59, 59, 999}, {6, 30, 15, 500}, {0, 1, 0, 0}};
  for (const TimeCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.Hour << ":" << c.Minute << ":" << c.Second << "." << c.Millisecond);
    const TDateTime time = EncodeTime(c.Hour, c.Minute, c.Second, c.Millisecond);
    EXPECT_GE(time, 0.0);
    EXPECT_LT(time, 1.0);
    const TTimeParts parts = DecodeTime(time);
    EXPECT_EQ(parts.Hour, c.Hour);
    EXPECT_EQ(parts.Minute, c.Minute);
    EXPECT_EQ(parts.Second, c.Second);
    EXPECT_EQ(parts.Millisecond, c.Millisecond);
  }
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
}

TEST(EncodeTime, ImpossibleTimesRaiseTheProgramsText) {
  const TimeCase impossible[] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000},
                                 {-1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, 0, -1}};
  for (const TimeCase& c : impossible) {
    TDateTime untouched = 0.125;
    EXPECT_FALSE(TryEncodeTime(c.Hour, c.Minute, c.Second, c.Millisecond, untouched));
    EXPECT_EQ(untouched, 0.125);
    try {
      EncodeTime(c.Hour, c.Minute, c.Second, c.Millisecond);
      ADD_FAILURE() << "no exception for " << c.Hour << ":" << c.Minute << ":" << c.Second;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, "Ungültiges Argument zum Codieren der Uhrzeit");
    }
  }
}

TEST(DecodeTime, RoundsToTheNearestMillisecondAcrossMidnight) {
  // Sums of minute steps carry representation error; it must not show as 59.999 s.
  TDateTime t = 0;
  for (int i = 0; i < 90; ++i) t += 1.0 / 1440;
  TTimeParts parts = DecodeTime(t);
  EXPECT_EQ(parts.Hour, 1);
  EXPECT_EQ(parts.Minute, 30);
  EXPECT_EQ(parts.Second, 0);
  EXPECT_EQ(parts.Millisecond, 0);

  // A hair before midnight rounds to the next day's 00:00, not to 24:00.
  const TDateTime almost = EncodeDate(2024, 2, 28) + 0.9999999999;
  parts = DecodeTime(almost);
  EXPECT_EQ(parts.Hour, 0);
  EXPECT_EQ(parts.Minute, 0);
  const TDateParts date = DecodeDate(almost);
  EXPECT_EQ(date.Month, 2);
  EXPECT_EQ(date.Day, 29);
}

TEST(DecodeTime, MinuteStepOfTheAlarmLandsOnTheExpectedMinute) {
  // The alarm adds 0.00069444444 per minute, slightly less than 1/1440.
  const TDateTime start = EncodeDate(2024, 5, 1) + EncodeTime(10, 0, 0, 0);
  const TTimeParts parts = DecodeTime(start + 999 * 0.00069444444);
  // 999 steps fall 0.4 ms short of 16 h 39 min, which rounds away.
  EXPECT_EQ(parts.Hour, 2);
  EXPECT_EQ(parts.Minute, 39);
  EXPECT_EQ(parts.Second, 0);
  EXPECT_EQ(DecodeDate(start + 999 * 0.00069444444).Day, 2);
}

TEST(NegativeDates, FractionCountsForwardFromTheDaysMidnight) {
  // -1.25 is 29 December 1899, 06:00 (not 28 December, 18:00).
  TDateParts date = DecodeDate(-1.25);
  EXPECT_EQ(date.Year, 1899);
  EXPECT_EQ(date.Month, 12);
  EXPECT_EQ(date.Day, 29);
  TTimeParts time = DecodeTime(-1.25);
  EXPECT_EQ(time.Hour, 6);
  EXPECT_EQ(time.Minute, 0);
  EXPECT_EQ(DayOfWeek(-1.25), 6);  // Friday

  EXPECT_EQ(DatePart(-1.25), -1.0);
  EXPECT_EQ(TimePart(-1.25), 0.25);
  EXPECT_EQ(WithTimeOfDay(-1.25, 0.5), -1.5);
  EXPECT_EQ(DecodeTime(WithTimeOfDay(-1.25, 0.5)).Hour, 12);
  EXPECT_EQ(DecodeDate(WithTimeOfDay(-1.25, 0.5)).Day, 29);

  const TDateTime before = EncodeDate(1800, 7, 14);
  const TDateTime evening = WithTimeOfDay(before, EncodeTime(18, 45, 0, 0));
  date = DecodeDate(evening);
  time = DecodeTime(evening);
  EXPECT_EQ(date.Year, 1800);
  EXPECT_EQ(date.Month, 7);
  EXPECT_EQ(date.Day, 14);
  EXPECT_EQ(time.Hour, 18);
  EXPECT_EQ(time.Minute, 45);
}

TEST(DayOfWeek, SundayIsOneSaturdayIsSeven) {
  const std::pair<TDateTime, int> cases[] = {
      {EncodeDate(1899, 12, 30), 7}, {EncodeDate(1899, 12, 31), 1},
      {EncodeDate(2000, 1, 1), 7},   {EncodeDate(2024, 1, 1), 2},
      {EncodeDate(2024, 2, 29), 5},  {EncodeDate(1, 1, 1), 2},
      {EncodeDate(1800, 1, 1), 4},   {EncodeDate(9999, 12, 31) + 0.9, 6},
  };
  for (const auto& [date, day] : cases) {
    SCOPED_TRACE(date);
    EXPECT_EQ(DayOfWeek(date), day);
  }
}

TEST(DateAndTimeParts, SplitAndJoin) {
  const TDateTime value = EncodeDate(2024, 3, 10) + EncodeTime(7, 15, 0, 0);
  EXPECT_EQ(DatePart(value), EncodeDate(2024, 3, 10));
  EXPECT_NEAR(TimePart(value), EncodeTime(7, 15, 0, 0), 1e-9);
  const TDateTime moved = WithTimeOfDay(value, EncodeDate(1999, 1, 1) + EncodeTime(23, 0, 0, 0));
  EXPECT_EQ(DecodeDate(moved).Day, 10) << "only the time of day may be taken over";
  EXPECT_EQ(DecodeTime(moved).Hour, 23);
}

TEST(DecodeDate, ValuesOutsideTheRangeDecodeToZerosWithoutOverflow) {
  const double outside[] = {std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            1e300,
                            -1e300,
                            EncodeDate(9999, 12, 31) + 1,
                            EncodeDate(1, 1, 1) - 1,
                            9.3e18};
  for (const double value : outside) {
    SCOPED_TRACE(value);
    const TDateParts date = DecodeDate(value);
    EXPECT_EQ(date.Year, 0);
    EXPECT_EQ(date.Month, 0);
    EXPECT_EQ(date.Day, 0);
    const TTimeParts time = DecodeTime(value);
    EXPECT_EQ(time.Hour, 0);
    EXPECT_EQ(time.Millisecond, 0);
    EXPECT_EQ(DayOfWeek(value), 0);
  }
}

}  // namespace
