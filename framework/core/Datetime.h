// Date-time values: a double whose integer part counts days since 30 December 1899 and
// whose fraction is the time of day. Negative values are dates before 1899-12-30; their
// fraction still counts forward from midnight (-1.25 is 29 December 1899, 06:00).
#pragma once

#include <cstdint>

#include "framework/core/Sysutils.h"

using TDateTime = double;

struct TDateParts {
  int Year;
  int Month;
  int Day;
};

struct TTimeParts {
  int Hour;
  int Minute;
  int Second;
  int Millisecond;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& time);
// Raise EConvertError with the program's own text for an impossible date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
// Values outside the years 1 to 9999, infinities and NaN decode to zeros.
TDateParts DecodeDate(TDateTime date);
TTimeParts DecodeTime(TDateTime time);
// Day of the week, 1 = Sunday to 7 = Saturday (0 where DecodeDate gives zeros).
int DayOfWeek(TDateTime date);
// The date part and the time-of-day part; the time part is always in [0, 1).
TDateTime DatePart(TDateTime value);
TDateTime TimePart(TDateTime value);
// Replaces the time of day of `value`, keeping its date.
TDateTime WithTimeOfDay(TDateTime value, TDateTime time_of_day);

extern const char* const kInvalidDateMessage;
extern const char* const kInvalidTimeMessage;
