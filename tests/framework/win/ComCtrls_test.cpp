#include "framework/win/ComCtrls.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cmath>

#include "framework/core/Filer.h"
#include "tests/framework/win/ExtTest.h"

namespace {

const char* const kForm = R"(object Form1: TForm
  Left = 40
  Top = 40
  BorderStyle = bsDialog
  Caption = 'Picker'
  ClientHeight = 100
  ClientWidth = 240
  object DateTimePicker1: TDateTimePicker
    Left = 20
    Top = 20
    Width = 90
    Height = 21
    Kind = dtkTime
    ParseInput = False
    TabOrder = 0
  end
  object DateTimePicker2: TDateTimePicker
    Left = 20
    Top = 60
    Width = 120
    Height = 21
    TabOrder = 1
  end
end
)";

// One millisecond, as a fraction of a day.
constexpr double kMillisecond = 1.0 / 86400000.0;

TDateTime At(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
  return WithTimeOfDay(EncodeDate(year, month, day), EncodeTime(hour, minute, second, ms));
}

class PickerTest : public exttest::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    Show(kForm);
    picker_ = Find<TDateTimePicker>("DateTimePicker1");
    picker_->OnChange = [this](TObject*) { ++changes_; };
    picker_->OnClick = [this](TObject*) { ++clicks_; };
  }
  // What the window itself shows.
  SYSTEMTIME Shown() const {
    SYSTEMTIME time{};
    SendMessageA(picker_->Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return time;
  }

  TDateTimePicker* picker_ = nullptr;
  int changes_ = 0;
  int clicks_ = 0;
};

struct SystemTimeCase {
  TDateTime Value;
  WORD Year, Month, Day, DayOfWeek, Hour, Minute, Second, Millisecond;
};

TEST(SystemTime, DateTimeConvertsBothWaysWithTheDayOfTheWeek) {
  const SystemTimeCase cases[] = {
      {0.0, 1899, 12, 30, 6, 0, 0, 0, 0},
      {36526.5, 2000, 1, 1, 6, 12, 0, 0, 0},
      {At(2026, 12, 7, 10, 1, 50, 250), 2026, 12, 7, 1, 10, 1, 50, 250},
      {At(2024, 2, 29, 23, 59, 59, 999), 2024, 2, 29, 4, 23, 59, 59, 999},
      {At(1601, 1, 1, 0, 0, 0), 1601, 1, 1, 1, 0, 0, 0, 0},
      {At(9999, 12, 31, 23, 59, 59), 9999, 12, 31, 5, 23, 59, 59, 0},
  };
  for (const SystemTimeCase& c : cases) {
    const SYSTEMTIME t = DateTimeToSystemTime(c.Value);
    EXPECT_EQ(t.wYear, c.Year) << c.Value;
    EXPECT_EQ(t.wMonth, c.Month) << c.Value;
    EXPECT_EQ(t.wDay, c.Day) << c.Value;
    EXPECT_EQ(t.wDayOfWeek, c.DayOfWeek) << c.Value;
    EXPECT_EQ(t.wHour, c.Hour) << c.Value;
    EXPECT_EQ(t.wMinute, c.Minute) << c.Value;
    EXPECT_EQ(t.wSecond, c.Second) << c.Value;
    EXPECT_EQ(t.wMilliseconds, c.Millisecond) << c.Value;
    EXPECT_NEAR(SystemTimeToDateTime(t), c.Value, kMillisecond / 2) << c.Value;
  }
}

TEST(SystemTime, DatesThePickerCannotShowAreRefused) {
  for (const TDateTime value : {At(1600, 12, 31, 23, 0, 0), 2958466.0, -700000.0}) {
    EXPECT_THROW(DateTimeToSystemTime(value), EConvertError) << value;
  }
}

TEST_F(PickerTest, IsTheSystemTimePickerInTimeFormatWithoutFreeTyping) {
  char name[64] = {};
  GetClassNameA(picker_->Handle(), name, sizeof(name));
  EXPECT_STREQ(name, "SysDateTimePick32");
  const LONG style = GetWindowLongA(picker_->Handle(), GWL_STYLE);
  EXPECT_EQ(style & DTS_TIMEFORMAT, DTS_TIMEFORMAT) << "time with up-down arrows";
  EXPECT_EQ(style & DTS_APPCANPARSE, 0);
  picker_->SetParseInput(true);
  EXPECT_EQ(GetWindowLongA(picker_->Handle(), GWL_STYLE) & DTS_APPCANPARSE, DTS_APPCANPARSE);
  const LONG date_style =
      GetWindowLongA(Find<TDateTimePicker>("DateTimePicker2")->Handle(), GWL_STYLE);
  EXPECT_NE(date_style & DTS_TIMEFORMAT, DTS_TIMEFORMAT) << "the default kind shows a date";
}

// The user's locale for the length of a test: its time formats as given, restored afterwards.
class LocaleTimeFormats {
 public:
  LocaleTimeFormats(const char* long_format, const char* short_format) {
    for (auto& [type, saved] : saved_) {
      char text[80] = {};
      GetLocaleInfoA(LOCALE_USER_DEFAULT, type, text, sizeof(text));
      saved = text;
    }
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, long_format);
    SetLocaleInfoA(LOCALE_USER_DEFAULT, kShortTime, short_format);
  }
  ~LocaleTimeFormats() {
    for (const auto& [type, saved] : saved_)
      SetLocaleInfoA(LOCALE_USER_DEFAULT, type, saved.c_str());
  }

 private:
  static constexpr LCTYPE kShortTime = 0x79;  // LOCALE_SSHORTTIME
  std::pair<LCTYPE, AnsiString> saved_[2] = {{LOCALE_STIMEFORMAT, {}}, {kShortTime, {}}};
};

// The long format's seconds would crowd the narrow picker and cut off the half-day marker.
TEST_F(PickerTest, ATimeShowsTheLocalesHoursAndMinutesWithTheMarker) {
  const struct {
    const char* Long;
    const char* Short;
    const char* Shown;
  } cases[] = {
      {"h:mm:ss tt", "h:mm tt", "8:30 PM"},
      {"HH:mm:ss", "HH:mm", "20:30"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Long);
    LocaleTimeFormats formats(c.Long, c.Short);
    picker_->RecreateWnd();
    picker_->SetTime(EncodeTime(20, 30, 15, 0));
    char text[64] = {};
    GetWindowTextA(picker_->Handle(), text, sizeof(text));
    EXPECT_STREQ(text, c.Shown);
    EXPECT_EQ(Shown().wSecond, 15) << "the value keeps its seconds";
  }
}

struct KeepCase {
  TDateTime Start;
  TDateTime Set;
  TDateTime Expected;
  const char* What;
};

TEST_F(PickerTest, SettingTheTimeKeepsTheDateAndTheOtherWayRound) {
  const KeepCase time_cases[] = {
      {At(2026, 12, 7, 8, 0, 0), EncodeTime(10, 1, 50, 0), At(2026, 12, 7, 10, 1, 50),
       "a time of day alone"},
      {At(2026, 12, 7, 8, 0, 0), At(1999, 3, 4, 23, 59, 0), At(2026, 12, 7, 23, 59, 0),
       "the date of a whole date-time is ignored"},
      {At(2024, 2, 29, 12, 0, 0), 0.0, At(2024, 2, 29, 0, 0, 0), "midnight"},
  };
  for (const KeepCase& c : time_cases) {
    picker_->SetDateTime(c.Start);
    picker_->SetTime(c.Set);
    EXPECT_NEAR(picker_->DateTime(), c.Expected, kMillisecond / 2) << c.What;
    EXPECT_EQ(Shown().wDay, DateTimeToSystemTime(c.Expected).wDay) << c.What << " (window)";
    EXPECT_EQ(Shown().wHour, DateTimeToSystemTime(c.Expected).wHour) << c.What << " (window)";
  }
  picker_->SetDateTime(At(2026, 12, 7, 10, 1, 50));
  picker_->SetDate(At(2025, 1, 2, 3, 4, 5));
  EXPECT_NEAR(picker_->DateTime(), At(2025, 1, 2, 10, 1, 50), kMillisecond / 2);
  EXPECT_NEAR(picker_->Time(), EncodeTime(10, 1, 50, 0), kMillisecond / 2);
  EXPECT_EQ(picker_->Date(), EncodeDate(2025, 1, 2));
  EXPECT_EQ(changes_, 0) << "setting from code fires no OnChange";
}

TEST_F(PickerTest, CodeKeepsItsMilliseconds) {
  const TDateTime value = At(2026, 12, 7, 10, 1, 50, 375);
  picker_->SetDateTime(value);
  EXPECT_NEAR(picker_->DateTime(), value, kMillisecond / 2);
}

TEST_F(PickerTest, OnChangeComesFromTheUserOnly) {
  picker_->SetDateTime(At(2026, 12, 7, 10, 1, 50));
  picker_->SetKind(TDateTimeKind::dtkDate);
  picker_->SetKind(TDateTimeKind::dtkTime);
  EXPECT_EQ(changes_, 0) << "from code, not even through a new window";

  // The user steps the selected field with the arrow key.
  picker_->SetFocus();
  const TDateTime before = picker_->DateTime();
  PostMessageA(picker_->Handle(), WM_KEYDOWN, VK_RIGHT, 0);  // onto a field
  PostMessageA(picker_->Handle(), WM_KEYDOWN, VK_UP, 0);
  PostMessageA(picker_->Handle(), WM_KEYUP, VK_UP, 0);
  wintest::Pump();
  EXPECT_NE(picker_->DateTime(), before) << "the key changed the value";
  EXPECT_EQ(changes_, 1);
  EXPECT_NEAR(picker_->Date(), EncodeDate(2026, 12, 7), 0) << "a time picker keeps the date";
}

TEST_F(PickerTest, ClickOnThePickerFiresOnClickOnlyWhenReleasedOverIt) {
  HWND window = picker_->Handle();
  wintest::Click(window, 5, 5);
  EXPECT_EQ(clicks_, 1);
  wintest::PostMouse(window, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
  wintest::PostMouse(window, WM_LBUTTONUP, 300, 5);
  wintest::Pump();
  EXPECT_EQ(clicks_, 1) << "released elsewhere";
  EXPECT_EQ(changes_, 0) << "a click changes nothing";
}

TEST_F(PickerTest, ValueLivesWithoutAWindowAndAcrossANewOne) {
  TDateTimePicker loose(nullptr);
  const TDateTime value = At(2026, 12, 7, 6, 30, 0);
  loose.SetDateTime(value);
  loose.SetTime(EncodeTime(7, 45, 0, 0));
  EXPECT_FALSE(loose.HandleAllocated());
  EXPECT_NEAR(loose.DateTime(), At(2026, 12, 7, 7, 45, 0), kMillisecond / 2);

  // A value the user put into the window survives a recreation.
  SYSTEMTIME user = DateTimeToSystemTime(At(2026, 12, 8, 21, 15, 0));
  SendMessageA(picker_->Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&user));
  picker_->SetKind(TDateTimeKind::dtkDate);
  EXPECT_NEAR(picker_->DateTime(), At(2026, 12, 8, 21, 15, 0), kMillisecond / 2);
  EXPECT_EQ(Shown().wHour, 21);
  picker_->DestroyHandle();
  EXPECT_NEAR(picker_->DateTime(), At(2026, 12, 8, 21, 15, 0), kMillisecond / 2);
}

TEST_F(PickerTest, ADateOutOfRangeIsRefusedAndTheOldValueStays) {
  const TDateTime value = At(2026, 12, 7, 10, 0, 0);
  picker_->SetDateTime(value);
  EXPECT_THROW(picker_->SetDateTime(At(1500, 1, 1, 0, 0, 0)), EConvertError);
  EXPECT_THROW(picker_->SetDate(3000000.0), EConvertError);
  EXPECT_NEAR(picker_->DateTime(), value, kMillisecond / 2);
  EXPECT_EQ(Shown().wYear, 2026);
}

// What the system hands the picker's parent when the user has typed text (with ParseInput).
SYSTEMTIME Typed(HWND parent, TDateTimePicker* picker, const char* text) {
  NMDATETIMESTRINGA typed{};
  typed.nmhdr.hwndFrom = picker->Handle();
  typed.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(picker->Handle()));
  typed.nmhdr.code = DTN_USERSTRINGA;
  typed.pszUserString = text;
  typed.dwFlags = GDT_NONE;
  SendMessageA(parent, WM_NOTIFY, typed.nmhdr.idFrom, reinterpret_cast<LPARAM>(&typed));
  EXPECT_EQ(typed.dwFlags, DWORD{GDT_VALID}) << text;
  return typed.st;
}

TEST_F(PickerTest, TypedTextIsReadAndNonsenseKeepsTheValue) {
  picker_->SetParseInput(true);
  picker_->SetDateTime(At(2026, 12, 7, 8, 0, 0));
  const std::pair<const char*, TDateTime> times[] = {
      {"10:01:50", At(2026, 12, 7, 10, 1, 50)},
      {"7:05 pm", At(2026, 12, 7, 19, 5, 0)},
      {"Unsinn", At(2026, 12, 7, 8, 0, 0)},
      {"2025-01-02", At(2026, 12, 7, 8, 0, 0)},  // a date is no time
  };
  for (const auto& [text, expected] : times) {
    EXPECT_NEAR(SystemTimeToDateTime(Typed(Window(), picker_, text)), expected, kMillisecond / 2)
        << text;
  }
  auto* date_picker = Find<TDateTimePicker>("DateTimePicker2");
  date_picker->SetDateTime(At(2026, 12, 7, 8, 0, 0));
  EXPECT_NEAR(SystemTimeToDateTime(Typed(Window(), date_picker, "2.1.2025")),
              At(2025, 1, 2, 8, 0, 0), kMillisecond / 2)
      << "a typed date keeps the time of day";
}

TEST_F(PickerTest, KindAndTimeRoundTripThroughTheFormText) {
  picker_->SetDateTime(At(2026, 12, 7, 10, 1, 50));
  const AnsiString text = WriteComponentText(*form_);
  EXPECT_NE(text.find("Kind = dtkTime"), AnsiString::npos);
  EXPECT_EQ(text.find("ParseInput"), AnsiString::npos) << "false is the default";
  TForm copy(nullptr);
  copy.LoadFromText(text);
  auto* read = dynamic_cast<TDateTimePicker*>(copy.FindComponent("DateTimePicker1"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Kind(), TDateTimeKind::dtkTime);
  EXPECT_NEAR(read->DateTime(), At(2026, 12, 7, 10, 1, 50), kMillisecond);
}

}  // namespace
