#include "framework/win/Locale.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

AnsiString Info(LCTYPE type) {
  char buffer[128] = {};
  GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof(buffer));
  return buffer;
}

// The program counts days from Sunday = 1; the locale from Monday.
TEST(LocaleTest, DayNamesStartOnSunday) {
  const LCTYPE by_day[] = {LOCALE_SABBREVDAYNAME7, LOCALE_SABBREVDAYNAME1, LOCALE_SABBREVDAYNAME2,
                           LOCALE_SABBREVDAYNAME3, LOCALE_SABBREVDAYNAME4, LOCALE_SABBREVDAYNAME5,
                           LOCALE_SABBREVDAYNAME6};
  for (int day = 1; day <= 7; ++day) {
    EXPECT_EQ(locale::ShortDayName(day), Info(by_day[day - 1])) << day;
    EXPECT_FALSE(locale::ShortDayName(day).empty()) << day;
  }
  EXPECT_THROW(locale::ShortDayName(0), ERangeError);
  EXPECT_THROW(locale::ShortDayName(8), ERangeError);
}

TEST(LocaleTest, TimeFormatAndSeparatorHaveNoTrailingZero) {
  const AnsiString format = locale::LongTimeFormat();
  EXPECT_EQ(format, Info(LOCALE_STIMEFORMAT));
  EXPECT_EQ(format.find('\0'), AnsiString::npos);
  EXPECT_NE(format.find("ss"), AnsiString::npos) << format;
  EXPECT_EQ(locale::TimeAMString(), Info(LOCALE_S1159));
  EXPECT_EQ(locale::TimePMString(), Info(LOCALE_S2359));
  EXPECT_EQ(locale::DecimalSeparator(), static_cast<wchar_t>(Info(LOCALE_SDECIMAL)[0]));
}

struct CompareCase {
  const char* a;
  const char* b;
  int sign;
};

TEST(LocaleTest, CompareTextAnswersTheOrder) {
  const CompareCase cases[] = {
      {"12:30", "12:30", 0}, {"12:30", "12:31", -1}, {"b", "a", 1},
      {"", "", 0},           {"", "a", -1},          {"abc", "ab", 1},
  };
  for (const CompareCase& test : cases) {
    const int result = locale::CompareText(test.a, test.b);
    EXPECT_EQ((result > 0) - (result < 0), test.sign) << test.a << " vs " << test.b;
  }
  EXPECT_NE(locale::CompareText("abc", "ABC"), 0) << "the comparison ignores case";
}

// Accented and Greek capitals are lowered too.
TEST(LocaleTest, CaseMappingCoversEveryScript) {
  EXPECT_EQ(locale::LowerCase("WAVÄÖÜΣ"), "waväöüσ");
  EXPECT_EQ(locale::UpperCase("waväöüσ"), "WAVÄÖÜΣ");
  EXPECT_EQ(locale::LowerCase(""), "");
  EXPECT_EQ(locale::LowerCase(AnsiString("A\0B", 3)), AnsiString("a\0b", 3));
}

// File names are UTF-8; a script the code page lacks is cased and compared as well.
TEST(LocaleTest, FileNamesAreCasedAndComparedInEveryScript) {
  struct Row {
    const char* name;
    const char* lower;
    const char* upper;
  };
  const Row rows[] = {
      {"Windows", "windows", "WINDOWS"},
      {"Ärger", "ärger", "ÄRGER"},
      {"Σοφ", "σοφ", "ΣΟΦ"},
      {"", "", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(locale::LowerCaseFileName(row.name), row.lower) << row.name;
    EXPECT_EQ(locale::UpperCaseFileName(row.name), row.upper) << row.name;
    EXPECT_EQ(locale::CompareFileNames(row.lower, row.upper), 0) << row.name;
  }
  const CompareCase order[] = {{"a", "B", -1}, {"b", "A", 1}, {"system", "System32", -1}};
  for (const CompareCase& test : order) {
    const int result = locale::CompareFileNames(test.a, test.b);
    EXPECT_EQ((result > 0) - (result < 0), test.sign) << test.a << " vs " << test.b;
  }
}

}  // namespace
