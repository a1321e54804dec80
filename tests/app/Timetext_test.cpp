#include "app/Timetext.h"

#include <gtest/gtest.h>

namespace {

TDateTime At(int hour, int minute, int second) {
  return EncodeDate(2026, 12, 7) + EncodeTime(hour, minute, second, 0);
}

// The design's own texts: the full text with its last three characters cut off.
AnsiString CutThree(const TTimeFormat& format, TDateTime value) {
  AnsiString text = FormatTimeOfDay(format, value);
  return text.size() > 3 ? text.substr(0, text.size() - 3) : AnsiString();
}

TEST(TimeText, FormatsEveryField) {
  const TTimeFormat us{"h:mm:ss tt", "AM", "PM"};
  EXPECT_EQ(FormatTimeOfDay(us, At(0, 5, 9)), "12:05:09 AM");
  EXPECT_EQ(FormatTimeOfDay(us, At(12, 0, 0)), "12:00:00 PM");
  EXPECT_EQ(FormatTimeOfDay(us, At(23, 59, 59)), "11:59:59 PM");
  EXPECT_EQ(FormatTimeOfDay({"HH:mm:ss", "", ""}, At(7, 3, 2)), "07:03:02");
  EXPECT_EQ(FormatTimeOfDay({"H.mm' Uhr'", "", ""}, At(7, 3, 2)), "7.03 Uhr");
  EXPECT_EQ(FormatTimeOfDay({"t h:m:s", "vorm.", "nachm."}, At(15, 3, 2)), "n 3:3:2");
}

struct FormatCase {
  const char* Picture;
  const char* Expected;  // the alarm text of 14:07:33
};

TEST(TimeText, AlarmTextNamesTheMinuteAndTheHalfOfTheDay) {
  const FormatCase cases[] = {
      {"HH:mm:ss", "14:07"},       {"H:mm:ss", "14:07"},
      {"h:mm:ss tt", "2:07 PM"},  // the marker stays, the seconds go
      {"hh:mm:ss tt", "02:07 PM"}, {"tt h:mm:ss", "PM 2:07"},
      {"tt hh:mm:ss", "PM 02:07"}, {"HH'h'mm'm'ss", "14h07"},
      {"HH:mm", "14:07"},     // no seconds at all
      {"hh.mm.ss", "14.07"},  // no marker tells 2:07 from 14:07: the hour on its 24-hour value
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.Picture);
    EXPECT_EQ(AlarmTimeText({c.Picture, "AM", "PM"}, At(14, 7, 33)), c.Expected);
  }
}

TEST(TimeText, FormatsEndingInSecondsGiveExactlyTheCutTexts) {
  const char* const pictures[] = {"HH:mm:ss", "H:mm:ss", "tt h:mm:ss", "tt hh:mm:ss", "HH.mm.ss"};
  for (const char* picture : pictures) {
    const TTimeFormat format{picture, "AM", "PM"};
    for (int minutes = 0; minutes < 24 * 60; minutes += 7) {
      const TDateTime value = At(minutes / 60, minutes % 60, minutes % 60);
      ASSERT_EQ(AlarmTimeText(format, value), CutThree(format, value)) << picture;
    }
  }
}

TEST(TimeText, TwelveHourSuffixTextsTellMorningFromAfternoon) {
  const TTimeFormat us{"h:mm:ss tt", "AM", "PM"};
  // The cut texts of these differ only in the seconds, and 9:05 AM equals 9:05 PM after it.
  EXPECT_EQ(CutThree(us, At(9, 5, 10)), "9:05:10");
  EXPECT_NE(AlarmTimeText(us, At(9, 5, 10)), AlarmTimeText(us, At(21, 5, 10)));
  EXPECT_EQ(AlarmTimeText(us, At(9, 5, 10)), AlarmTimeText(us, At(9, 5, 59)));
}

TEST(TimeText, SecondsFieldLeavesWithItsSeparator) {
  EXPECT_EQ(PictureWithoutSeconds("h:mm:ss tt"), "h:mm tt");
  EXPECT_EQ(PictureWithoutSeconds("HH:mm:ss"), "HH:mm");
  EXPECT_EQ(PictureWithoutSeconds("ss:HH"), "HH");
  EXPECT_EQ(PictureWithoutSeconds("H' Uhr 'mm' und 'ss"), "H' Uhr 'mm");
  EXPECT_EQ(PictureWithoutSeconds("HH:mm"), "HH:mm");
}

}  // namespace
