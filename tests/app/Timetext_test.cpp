#include "app/Timetext.h"

#include <gtest/gtest.h>

namespace {

TDateTime At(int hour, int minute, int second) {
  return EncodeDate(2026, 12, 7) + EncodeTime(hour, minute, second, 0);
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

TEST(TimeText, SecondsFieldLeavesWithItsSeparator) {
  EXPECT_EQ(PictureWithoutSeconds("h:mm:ss tt"), "h:mm tt");
  EXPECT_EQ(PictureWithoutSeconds("HH:mm:ss"), "HH:mm");
  EXPECT_EQ(PictureWithoutSeconds("ss:HH"), "HH");
  EXPECT_EQ(PictureWithoutSeconds("H' Uhr 'mm' und 'ss"), "H' Uhr 'mm");
  EXPECT_EQ(PictureWithoutSeconds("HH:mm"), "HH:mm");
}

}  // namespace
