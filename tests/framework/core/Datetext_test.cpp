#include "framework/core/Datetext.h"

#include <gtest/gtest.h>

namespace {

struct TimeCase {
  const char* Text;
  bool Valid;
  int Hour = 0, Minute = 0, Second = 0;
};

TEST(TryParseTimeText, TwentyFourAndTwelveHourFormsAndNothingElse) {
  const TimeCase cases[] = {
      {"10:01:50", true, 10, 1, 50},
      {"10:01", true, 10, 1, 0},
      {"7", true, 7, 0, 0},
      {" 23:59:59 ", true, 23, 59, 59},
      {"0:00", true, 0, 0, 0},
      {"7:05 pm", true, 19, 5, 0},
      {"7:05PM", true, 19, 5, 0},
      {"12:30 am", true, 0, 30, 0},  // the first half hour of the day
      {"12:30 pm", true, 12, 30, 0},
      {"24:00", false},
      {"13:00 pm", false},
      {"0:15 am", false},
      {"10:60", false},
      {"10:01:60", false},
      {"10:01:50:10", false},
      {"10:", false},
      {":10", false},
      {"1 0", false},
      {"100:00", false},
      {"-1:00", false},
      {"am", false},
      {"", false},
      {"zehn", false},
  };
  for (const TimeCase& c : cases) {
    TDateTime time = -1;
    EXPECT_EQ(TryParseTimeText(c.Text, time), c.Valid) << "'" << c.Text << "'";
    if (c.Valid) {
      EXPECT_EQ(time, EncodeTime(c.Hour, c.Minute, c.Second, 0)) << "'" << c.Text << "'";
    }
  }
}

struct DateCase {
  const char* Text;
  bool Valid;
  int Year = 0, Month = 0, Day = 0;
};

TEST(TryParseDateText, IsoGermanAndUsFormsWithRealDatesOnly) {
  const DateCase cases[] = {
      {"2026-12-07", true, 2026, 12, 7},
      {"7.12.2026", true, 2026, 12, 7},
      {"07.12.2026", true, 2026, 12, 7},
      {"12/7/2026", true, 2026, 12, 7},
      {"2024-02-29", true, 2024, 2, 29},
      {"2023-02-29", false},
      {"31.4.2026", false},
      {"13/1/2026", false},
      {"7.12.26", false},  // a two-digit year is not guessed
      {"26-12-07", false},
      {"2026-12", false},
      {"2026-12-07-01", false},
      {"2026.12.07", false},
      {"", false},
      {"heute", false},
  };
  for (const DateCase& c : cases) {
    TDateTime date = -1;
    EXPECT_EQ(TryParseDateText(c.Text, date), c.Valid) << "'" << c.Text << "'";
    if (c.Valid) {
      EXPECT_EQ(date, EncodeDate(c.Year, c.Month, c.Day)) << "'" << c.Text << "'";
    }
  }
}

// More of the rule beside the alarm's own cases (Timetext_test).
TEST(TimeFormatWithoutSeconds, KeepsTheMarkerAndQuotedText) {
  const struct {
    const char* Format;
    const char* Short;
  } cases[] = {
      {"tt hh:mm:ss", "tt hh:mm"},
      {"HH.mm.ss' Uhr'", "HH.mm' Uhr'"},
      {"'s:'HH:mm:ss", "'s:'HH:mm"},  // a quoted s is text
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TimeFormatWithoutSeconds(c.Format), c.Short) << c.Format;
  }
}

}  // namespace
