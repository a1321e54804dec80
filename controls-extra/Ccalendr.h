// Ccalendr: TCCalendar, a month calendar on the framework's grid: 7 columns and 7 rows, the
// first row naming the weekdays (the locale's abbreviated names) and the other six holding
// the days of one month. The calendar holds one date; its month is shown and its day is the
// grid's current cell. Clicking or moving to a day makes that day the date; the operations
// step by month and by year. StartOfWeek is the weekday of the first column.
//
// A move by the user raises OnClick after the date has changed to the new day. OnChange
// follows every change of the date. Where the days fall and the date arithmetic are
// Ccalendr_core's; only the date part of CalendarDate counts.
#pragma once

#include "controls-extra/Ccalendr_core.h"
#include "framework/win/Grids.h"

class TCCalendar : public TCustomGrid {
  DECLARE_CLASS_INFO()
 public:
  explicit TCCalendar(TComponent* owner);

  // The date; setting it shows its month and fires OnChange, but leaves UseCurrentDate. A
  // value outside the years 1 to 9999 raises EConvertError and changes nothing.
  TDateTime CalendarDate() const { return FShownDate; }
  void SeTCCalendarDate(TDateTime Value);
  // CalendarDate counts as stored exactly while it is not today's date taken by
  // UseCurrentDate.
  bool StoreCalendarDate() const { return !FUseCurrentDate; }

  // Day (3), month (2) or year (1) of the date; -1 for another index.
  int GetDateElement(int Index) const;
  // Takes a day, month or year into the date when it is above 0, in range and new, turns
  // UseCurrentDate off and fires OnChange. An impossible date (31 April, 29 February of
  // another year) raises EConvertError and leaves the date as it was.
  void SetDateElement(int Index, int Value);
  int Day() const { return GetDateElement(3); }
  void SetDay(int Value) { SetDateElement(3, Value); }
  int Month() const { return GetDateElement(2); }
  void SetMonth(int Value) { SetDateElement(2, Value); }
  int Year() const { return GetDateElement(1); }
  void SetYear(int Value) { SetDateElement(1, Value); }

  // 1 = Monday ... 7 = Sunday; another value becomes 1. Only a change lays the month out again.
  short StartOfWeek() const { return FStartOfWeek; }
  void SetStartOfWeek(short Value);
  // Switching it on takes today's date.
  bool UseCurrentDate() const { return FUseCurrentDate; }
  void SetUseCurrentDate(bool Value);

  // A month on or back, keeping the day where the month has it and its last day otherwise.
  void NextMonth() { ChangeMonth(1); }
  void PrevMonth() { ChangeMonth(-1); }
  void ChangeMonth(int Delta);
  // A year on or back; 29 February becomes the 28th first.
  void NextYear();
  void PrevYear();

  // The weekday's name in the first row, the day's number in the others, or nothing.
  AnsiString GetCellText(int ACol, int ARow) const;
  int FirstCellDay() const { return FFirstCellDay; }

  // The user cannot move the current cell; the date operations still can.
  bool ReadOnly = false;
  TNotifyEvent OnChange;

  virtual void Change();
  virtual int DaysThisMonth() const;
  virtual bool IsLeapYear(int AYear) const;
  // Shows the date's month and moves the current cell to its day.
  virtual void UpdateCalendar();
  // The month's length; 0 for a month outside 1 to 12.
  virtual int DaysPerMonth(int AYear, int AMonth) const;

 protected:
  void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) override;
  bool SelectCell(int ACol, int ARow) override;
  void Click() override;
  void WMSize(TMessage& Message) override;

 private:
  // A year on (1) or back (-1).
  void StepYear(int Delta);

  TDateTime FShownDate = 0;
  int FFirstCellDay = 1;
  short FStartOfWeek = 1;
  bool FMovingCursor = false;
  bool FUseCurrentDate = true;
};

namespace Ccalendr {
// Makes TCCalendar known to form descriptions by its class name.
void Register();
}  // namespace Ccalendr
