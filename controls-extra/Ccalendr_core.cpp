#include "controls-extra/Ccalendr_core.h"

#include <algorithm>

int FirstCellDayOf(int first_weekday, int start_of_week) {
  const int day = 2 - ((first_weekday - start_of_week + 7) % 7);
  return day == 2 ? -5 : day;
}

TGridCoord DayCell(int day, int first_cell_day) {
  const int offset = day - first_cell_day;
  return {offset % 7, offset / 7 + 1};
}

int CellDay(int col, int row, int first_cell_day, int days_in_month) {
  if (row < 1) return 0;
  const int day = first_cell_day + col + (row - 1) * 7;
  return day >= 1 && day <= days_in_month ? day : 0;
}

int HeadingDayIndex(int col, int start_of_week) {
  return (start_of_week + col) % 7;
}

std::optional<TDateParts> TakeDateElement(TDateParts date, int index, int value,
                                          int days_this_month) {
  if (value <= 0) return std::nullopt;
  switch (index) {
    case 1:
      if (value == date.Year) return std::nullopt;
      date.Year = value;
      return date;
    case 2:
      if (value > 12 || value == date.Month) return std::nullopt;
      date.Month = value;
      return date;
    case 3:
      if (value > days_this_month || value == date.Day) return std::nullopt;
      date.Day = value;
      return date;
    default:
      return std::nullopt;
  }
}

TDateParts StepMonth(TDateParts date, int delta, const TDaysPerMonth& days_per_month) {
  const int from_day = delta > 0 ? days_per_month(date.Year, date.Month) : 1;
  const TDateParts reached = DecodeDate(EncodeDate(date.Year, date.Month, from_day) + delta);
  if (reached.Year == 0) return reached;
  const int length = days_per_month(reached.Year, reached.Month);
  return {reached.Year, reached.Month, std::min(date.Day, length)};
}

TDateParts StepYear(TDateParts date, int delta) {
  if (date.Month == 2 && date.Day == 29) date.Day = 28;
  date.Year += delta;
  return date;
}
