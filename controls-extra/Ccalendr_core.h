// Ccalendr_core: the month calendar (Ccalendr) without its window: where the days of a month
// fall in its grid of 7 columns and 7 rows, and the date arithmetic of its operations. No
// <windows.h>.
//
// Row 0 of the grid names the weekdays; rows 1 to 6 hold the days. StartOfWeek is the weekday
// of column 0: 1 = Monday ... 6 = Saturday, 7 = Sunday. Weekdays otherwise count 1 = Sunday to
// 7 = Saturday, as DayOfWeek gives them.
#pragma once

#include <functional>
#include <optional>

#include "framework/core/Datetime.h"
#include "framework/core/Grids_core.h"

// The day number that row 1, column 0 stands for, from -5 to 1, for a month whose first day
// is the given weekday. A first that would fall before row 1 takes the last column of row 1.
int FirstCellDayOf(int first_weekday, int start_of_week);
// The column (X) and row (Y) of a day of the month.
TGridCoord DayCell(int day, int first_cell_day);
// The day a cell of rows 1 to 6 shows, or 0 when it shows none (before the 1st, after the
// month's last day, or in the heading row).
int CellDay(int col, int row, int first_cell_day, int days_in_month);
// Which abbreviated day name heads a column, 0 = Sunday to 6 = Saturday.
int HeadingDayIndex(int col, int start_of_week);

// The calendar's month lengths, which a subclass may change.
using TDaysPerMonth = std::function<int(int year, int month)>;

// The date after taking `value` as the year (index 1), month (2) or day (3), or nothing when
// the value is not taken: 0 or less, a month above 12, a day beyond `days_this_month`, the
// value the date has already, or another index. The result may be an impossible date (31 April).
std::optional<TDateParts> TakeDateElement(TDateParts date, int index, int value,
                                          int days_this_month);

// The date one month on (`delta` > 0) or back: from the last (first) day of the month, `delta`
// days on; in the month reached, the same day, or its last day where it is shorter. A step
// past the years 1 to 9999 gives all zeros.
TDateParts StepMonth(TDateParts date, int delta, const TDaysPerMonth& days_per_month);
// The date one year on (`delta` > 0) or back; 29 February becomes the 28th first, as the year
// reached may not have it.
TDateParts StepYear(TDateParts date, int delta);
