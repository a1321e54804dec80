#include "controls-extra/Ccalendr.h"

#include "framework/win/Locale.h"

namespace {

TDateTime Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return EncodeDate(now.wYear, now.wMonth, now.wDay);
}

}  // namespace

const TClassInfo& TCCalendar::StaticClassInfo() {
  auto never = [](const TCCalendar&) { return false; };
  static const TClassInfo& info =
      TClassBuilder<TCCalendar>("TCCalendar", &TCustomGrid::StaticClassInfo())
          .Publish(kPublishBounds)
          .Property("Day", &TCCalendar::Day, &TCCalendar::SetDay)
          .StoredIf(never, "never")
          .Property("Month", &TCCalendar::Month, &TCCalendar::SetMonth)
          .StoredIf(never, "never")
          .Property("Year", &TCCalendar::Year, &TCCalendar::SetYear)
          .StoredIf(never, "never")
          .Property("StartOfWeek", &TCCalendar::StartOfWeek, &TCCalendar::SetStartOfWeek,
                    Default(1))
          .Property("UseCurrentDate", &TCCalendar::UseCurrentDate, &TCCalendar::SetUseCurrentDate,
                    Default(true))
          .Property("ReadOnly", &TCCalendar::ReadOnly, &TCCalendar::ReadOnly, Default(false))
          .Publish({"GridLineWidth"})
          .Property("OnChange", &TCCalendar::OnChange, &TCCalendar::OnChange)
          .Publish({"Align", "Anchors", "BorderStyle", "Color", "Constraints", "Ctl3D",
                    "DragCursor", "DragKind", "DragMode", "Enabled", "Font", "ParentColor",
                    "ParentFont"})
          .Publish(kPublishHints)
          .Publish(kPublishTabStop)
          .Publish({"Visible"})
          .Publish({"OnClick", "OnDblClick"})
          .Publish(kPublishDragEvents)
          .Publish(kPublishDockEvents)
          .Publish(kPublishFocusEvents)
          .Publish(kPublishKeyEvents)
          .Publish({"OnStartDock", "OnStartDrag"})
          .Build();
  return info;
}

TCCalendar::TCCalendar(TComponent* owner) : TCustomGrid(owner) {
  SetFixedCols(0);
  SetFixedRows(1);
  SetColCount(7);
  SetRowCount(7);
  SetScrollBars(TScrollStyle::ssNone);
  FShownDate = Today();
  SetOptions((Options() & ~GridOption(TGridOption::goRangeSelect)) |
             GridOption(TGridOption::goDrawFocusSelected));
  UpdateCalendar();
}

void TCCalendar::SeTCCalendarDate(TDateTime Value) {
  // A value no date can show would leave the calendar without a month.
  if (DecodeDate(Value).Year == 0) throw EConvertError(kInvalidDateMessage);
  FShownDate = Value;
  UpdateCalendar();
  Change();
}

int TCCalendar::GetDateElement(int Index) const {
  const TDateParts date = DecodeDate(FShownDate);
  switch (Index) {
    case 1:
      return date.Year;
    case 2:
      return date.Month;
    case 3:
      return date.Day;
    default:
      return -1;
  }
}

void TCCalendar::SetDateElement(int Index, int Value) {
  const std::optional<TDateParts> taken =
      TakeDateElement(DecodeDate(FShownDate), Index, Value, DaysThisMonth());
  if (!taken) return;
  FShownDate = EncodeDate(taken->Year, taken->Month, taken->Day);
  FUseCurrentDate = false;
  UpdateCalendar();
  Change();
}

void TCCalendar::SetStartOfWeek(short Value) {
  if (Value < 1 || Value > 7) {
    // The days must stay under the right heading: a correction that changes the first
    // column's weekday lays the month out again.
    if (FStartOfWeek == 1) return;
    Value = 1;
  }
  if (Value == FStartOfWeek) return;
  FStartOfWeek = Value;
  UpdateCalendar();
}

void TCCalendar::SetUseCurrentDate(bool Value) {
  if (Value == FUseCurrentDate) return;
  FUseCurrentDate = Value;
  if (!Value) return;
  FShownDate = Today();
  UpdateCalendar();
}

void TCCalendar::ChangeMonth(int Delta) {
  const TDateParts date = StepMonth(DecodeDate(FShownDate), Delta, [this](int year, int month) {
    return DaysPerMonth(year, month);
  });
  SeTCCalendarDate(EncodeDate(date.Year, date.Month, date.Day));
}

void TCCalendar::NextYear() {
  StepYear(1);
}

void TCCalendar::PrevYear() {
  StepYear(-1);
}

void TCCalendar::StepYear(int Delta) {
  const TDateParts date = DecodeDate(FShownDate);
  const TDateParts to = ::StepYear(date, Delta);
  if (to.Day != date.Day) SetDateElement(3, to.Day);
  SetDateElement(1, to.Year);
}

AnsiString TCCalendar::GetCellText(int ACol, int ARow) const {
  if (ARow == 0) return locale::ShortDayName(HeadingDayIndex(ACol, FStartOfWeek) + 1);
  const int day = CellDay(ACol, ARow, FFirstCellDay, DaysThisMonth());
  return day > 0 ? IntToStr(day) : AnsiString();
}

void TCCalendar::Change() {
  OnChange(this);
}

int TCCalendar::DaysThisMonth() const {
  const TDateParts date = DecodeDate(FShownDate);
  return DaysPerMonth(date.Year, date.Month);
}

bool TCCalendar::IsLeapYear(int AYear) const {
  return ::IsLeapYear(AYear);
}

int TCCalendar::DaysPerMonth(int AYear, int AMonth) const {
  if (AMonth == 2) return IsLeapYear(AYear) ? 29 : 28;
  return DaysInMonth(AYear, AMonth);
}

void TCCalendar::UpdateCalendar() {
  FMovingCursor = true;
  TScopeExit done([this] { FMovingCursor = false; });
  const TDateParts date = DecodeDate(FShownDate);
  FFirstCellDay = FirstCellDayOf(DayOfWeek(EncodeDate(date.Year, date.Month, 1)), FStartOfWeek);
  const TGridCoord cell = DayCell(date.Day, FFirstCellDay);
  MoveColRow(cell.X, cell.Y, false, false);
  Invalidate();
}

void TCCalendar::DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState) {
  const AnsiString text = GetCellText(ACol, ARow);
  TCanvas* canvas = Canvas();
  const SIZE size = canvas->TextExtent(text);
  canvas->TextRect(ARect, ARect.left + (ARect.right - ARect.left - size.cx) / 2,
                   ARect.top + (ARect.bottom - ARect.top - size.cy) / 2, text);
}

bool TCCalendar::SelectCell(int ACol, int ARow) {
  if (ReadOnly && !FMovingCursor) return false;
  if (GetCellText(ACol, ARow).empty()) return false;
  return TCustomGrid::SelectCell(ACol, ARow);
}

void TCCalendar::Click() {
  const int day = CellDay(Col(), Row(), FFirstCellDay, DaysThisMonth());
  if (day > 0) SetDateElement(3, day);
  TCustomGrid::Click();
}

void TCCalendar::WMSize(TMessage& Message) {
  // The base keeps the bounds and the view in step with the window.
  TCustomGrid::WMSize(Message);
  SetDefaultColWidth((LOWORD(Message.LParam) - 6 * GridLineWidth()) / 7);
  SetDefaultRowHeight((HIWORD(Message.LParam) - 6 * GridLineWidth()) / 7);
}

namespace Ccalendr {
void Register() {
  RegisterComponentClass(TCCalendar::StaticClassInfo());
}
}  // namespace Ccalendr
