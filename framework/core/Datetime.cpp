#include "framework/core/Datetime.h"

#include <cmath>

const char* const kInvalidDateMessage = "Ungültiges Argument zum Codieren des Datums";
const char* const kInvalidTimeMessage = "Ungültiges Argument zum Codieren der Uhrzeit";

namespace {

constexpr int64_t kMillisecondsPerDay = 24LL * 60 * 60 * 1000;
// Days from 0001-01-01 (day 1) to 1899-12-30.
constexpr int64_t kDelta = 693594;

int64_t DaysBeforeYear(int64_t year) {
  const int64_t y = year - 1;
  return y * 365 + y / 4 - y / 100 + y / 400;
}

}  // namespace

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month)) {
    return false;
  }
  int64_t days = DaysBeforeYear(year);
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  days += day;
  date = static_cast<double>(days - kDelta);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& time) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999) {
    return false;
  }
  const int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
  time = static_cast<double>(ms) / kMillisecondsPerDay;
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime date;
  if (!TryEncodeDate(year, month, day, date)) throw EConvertError(kInvalidDateMessage);
  return date;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  TDateTime time;
  if (!TryEncodeTime(hour, minute, second, millisecond, time)) {
    throw EConvertError(kInvalidTimeMessage);
  }
  return time;
}

namespace {

// 0001-01-01 and 9999-12-31.
constexpr double kFirstDay = -693593;
constexpr double kLastDay = 2958465;

// Splits a value into whole days (toward zero) and milliseconds into the day, rounding to the
// nearest millisecond so that 0.5 ms of representation error never shows as 59.999 s. A
// negative value's fraction counts forward from its day's midnight. Answers false for values
// that are not finite or lie outside the years 1 to 9999.
bool Split(TDateTime value, int64_t& days, int64_t& ms) {
  days = 0;
  ms = 0;
  if (!std::isfinite(value)) return false;
  const double whole = std::trunc(value);
  if (whole < kFirstDay || whole > kLastDay) return false;
  days = static_cast<int64_t>(whole);
  ms = static_cast<int64_t>(std::llround(std::fabs(value - whole) * kMillisecondsPerDay));
  if (ms >= kMillisecondsPerDay) {
    ms -= kMillisecondsPerDay;
    days += value < 0 ? -1 : 1;
    if (days < kFirstDay || days > kLastDay) return false;
  }
  return true;
}

}  // namespace

TDateParts DecodeDate(TDateTime date) {
  int64_t days, ms;
  if (!Split(date, days, ms)) return {0, 0, 0};
  const int64_t day_number = days + kDelta;  // 1 = 0001-01-01
  int64_t year = (day_number - 1) * 400 / 146097 + 1;
  while (DaysBeforeYear(year) >= day_number) --year;
  while (DaysBeforeYear(year + 1) < day_number) ++year;
  int64_t day_of_year = day_number - DaysBeforeYear(year);
  int month = 1;
  while (day_of_year > DaysInMonth(static_cast<int>(year), month)) {
    day_of_year -= DaysInMonth(static_cast<int>(year), month);
    ++month;
  }
  return {static_cast<int>(year), month, static_cast<int>(day_of_year)};
}

TTimeParts DecodeTime(TDateTime time) {
  int64_t days, ms;
  if (!Split(time, days, ms)) return {0, 0, 0, 0};
  const int millisecond = static_cast<int>(ms % 1000);
  const int64_t seconds = ms / 1000;
  return {static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
          static_cast<int>(seconds % 60), millisecond};
}

int DayOfWeek(TDateTime date) {
  int64_t days, ms;
  if (!Split(date, days, ms)) return 0;
  // 1899-12-30 was a Saturday (7).
  const int64_t r = ((days + 6) % 7 + 7) % 7;
  return static_cast<int>(r) + 1;
}

TDateTime DatePart(TDateTime value) {
  return std::trunc(value);
}

TDateTime TimePart(TDateTime value) {
  return std::fabs(value - std::trunc(value));
}

TDateTime WithTimeOfDay(TDateTime value, TDateTime time_of_day) {
  const TDateTime date = DatePart(value);
  // Before 1899-12-30 the time of day counts away from zero, like the day itself.
  return date < 0 ? date - TimePart(time_of_day) : date + TimePart(time_of_day);
}
