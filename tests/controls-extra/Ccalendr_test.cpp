// The calendar under Wine: clicks and keys on its days, ReadOnly, the date operations and their
// failures, the painted heading, and the size of its cells.
#include "controls-extra/Ccalendr.h"

#include <gtest/gtest.h>

#include <functional>

#include "framework/win/Locale.h"
#include "tests/controls-extra/LibraryTest.h"

namespace {

// A calendar of 7 cells of 30 x 20 pixels each way on a shown form, with counters of its
// events; February 2001 begins on a Thursday, which Monday first puts in column 3.
class CalendarTest : public LibraryFormTest {
 protected:
  void SetUp() override {
    LibraryFormTest::SetUp();
    calendar_ = new TCCalendar(form_);
    calendar_->SetBorderStyle(TBorderStyle::bsNone);
    calendar_->SetBounds(0, 0, 7 * 30 + 6, 7 * 20 + 6);
    calendar_->SeTCCalendarDate(EncodeDate(2001, 2, 15));
    calendar_->OnChange = [this](TObject*) { ++changes_; };
    calendar_->OnClick = [this](TObject*) {
      ++clicks_;
      day_at_click_ = calendar_->Day();
    };
    calendar_->SetParent(form_);
    ShowForm();
  }
  void ClickCell(int col, int row) {
    wintest::Click(calendar_->Handle(), col * 31 + 15, row * 21 + 10);
  }
  TDateTime Date() const { return calendar_->CalendarDate(); }

  TCCalendar* calendar_ = nullptr;
  int changes_ = 0;
  int clicks_ = 0;
  int day_at_click_ = 0;
};

TEST_F(CalendarTest, TheUserPicksDaysButNotEmptyCells) {
  ASSERT_EQ(calendar_->DefaultColWidth(), 30);
  ClickCell(3, 1);
  EXPECT_EQ(calendar_->Day(), 1);
  EXPECT_EQ(clicks_, 1);
  EXPECT_EQ(day_at_click_, 1) << "OnClick comes after the date has changed";
  EXPECT_EQ(changes_, 1);
  EXPECT_FALSE(calendar_->UseCurrentDate());

  // Before the 1st, after the 28th, the heading, and a key to the left of the 1st.
  for (auto [col, row] : {std::pair{2, 1}, {1, 6}, {3, 0}}) ClickCell(col, row);
  PostMessageA(calendar_->Handle(), WM_KEYDOWN, VK_LEFT, 1);
  wintest::Pump();
  EXPECT_EQ(calendar_->Day(), 1);
  EXPECT_EQ(clicks_ + changes_, 2);

  PostMessageA(calendar_->Handle(), WM_KEYDOWN, VK_DOWN, 1);
  wintest::Pump();
  EXPECT_EQ(calendar_->Day(), 8) << "the date follows the keys";
}

TEST_F(CalendarTest, ReadOnlyRefusesTheUserButNotTheDateOperations) {
  calendar_->ReadOnly = true;
  ClickCell(4, 2);
  PostMessageA(calendar_->Handle(), WM_KEYDOWN, VK_RIGHT, 1);
  wintest::Pump();
  EXPECT_EQ(calendar_->Day(), 15);
  EXPECT_EQ(clicks_ + changes_, 0);

  calendar_->NextMonth();
  EXPECT_EQ(Date(), EncodeDate(2001, 3, 15));
  calendar_->SetDay(20);
  EXPECT_EQ(calendar_->GetCellText(calendar_->Col(), calendar_->Row()), "20");
  EXPECT_EQ(changes_, 2);
}

// The month steps' arithmetic is tested natively; here the year steps, which take the 29th
// to the 28th first, and the current cell that follows every step.
TEST_F(CalendarTest, DateOperationsMoveTheCurrentCellWithTheDate) {
  struct Case {
    TDateTime from;
    void (TCCalendar::*operation)();
    TDateTime to;
    int changes;
  };
  const Case cases[] = {
      {EncodeDate(2001, 1, 31), &TCCalendar::NextMonth, EncodeDate(2001, 2, 28), 1},
      {EncodeDate(2004, 2, 29), &TCCalendar::NextYear, EncodeDate(2005, 2, 28), 2},
  };
  for (const Case& c : cases) {
    calendar_->SeTCCalendarDate(c.from);
    changes_ = 0;
    (calendar_->*c.operation)();
    EXPECT_EQ(Date(), c.to) << c.from;
    EXPECT_EQ(changes_, c.changes) << c.from;
    const TGridCoord day = DayCell(calendar_->Day(), calendar_->FirstCellDay());
    EXPECT_EQ((TGridCoord{calendar_->Col(), calendar_->Row()}), day) << "the current cell";
  }
}

TEST_F(CalendarTest, ImpossibleDatesRaiseAndKeepTheDate) {
  calendar_->SeTCCalendarDate(EncodeDate(2001, 1, 31));
  EXPECT_TRUE(calendar_->UseCurrentDate()) << "setting the date keeps UseCurrentDate";
  changes_ = 0;
  // 31 April, and a day beyond the year 9999.
  const std::function<void()> impossible[] = {[&] { calendar_->SetMonth(4); },
                                              [&] { calendar_->SeTCCalendarDate(1e7); }};
  for (const auto& set : impossible) {
    try {
      set();
      ADD_FAILURE() << "an impossible date was taken";
    } catch (const EConvertError& error) {
      EXPECT_EQ(error.Message, "Ungültiges Argument zum Codieren des Datums");
    }
    EXPECT_EQ(Date(), EncodeDate(2001, 1, 31));
  }
  EXPECT_EQ(changes_, 0);
  EXPECT_TRUE(calendar_->UseCurrentDate());
}

TEST_F(CalendarTest, TheHeadingFollowsStartOfWeek) {
  struct Case {
    short start;
    int first_day_name;  // 1 = Sunday
    int first_cell_day;
  };
  const Case cases[] = {{4, 5, 1}, {7, 1, -3}};
  for (const Case& c : cases) {
    calendar_->SetStartOfWeek(c.start);
    EXPECT_EQ(calendar_->FirstCellDay(), c.first_cell_day);
    TBitmap surface;
    surface.SetSize(calendar_->Width(), calendar_->Height());
    SendMessageA(calendar_->Handle(), WM_PRINTCLIENT,
                 reinterpret_cast<WPARAM>(surface.Canvas()->Handle()), PRF_CLIENT);
    const AnsiString name = locale::ShortDayName(c.first_day_name);
    EXPECT_EQ(TextInRect(surface, calendar_->CellRect(0, 0), {name.c_str()}, calendar_->Font(),
                         clBtnFace, clWindowText),
              name)
        << "start " << c.start;
  }

  // Out of range: corrected to 1, which lays the month out again; from 1 nothing changes.
  calendar_->SetStartOfWeek(0);
  EXPECT_EQ(calendar_->StartOfWeek(), 1);
  EXPECT_EQ(calendar_->FirstCellDay(), -2);
  UpdateWindow(calendar_->Handle());
  calendar_->SetStartOfWeek(9);
  EXPECT_FALSE(GetUpdateRect(calendar_->Handle(), nullptr, FALSE)) << "redrawn for nothing";
}

}  // namespace
