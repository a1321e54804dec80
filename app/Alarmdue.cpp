#include "app/Alarmdue.h"

#include <algorithm>

#include "framework/core/Datetime.h"

namespace {

constexpr int64_t kFileTimeEpochDays = 109205;  // 1 January 1601 to 30 December 1899
constexpr int64_t kFileTimeStepsPerMs = 10000;

TMilliseconds FloorDivide(TMilliseconds value, TMilliseconds divisor) {
  const TMilliseconds quotient = value / divisor;
  return value % divisor != 0 && value < 0 ? quotient - 1 : quotient;
}

// The wall time at which `change` happens in `year`; false when it does not happen that year.
bool ChangeWall(const TZoneChange& change, int year, TMilliseconds& wall) {
  if (change.Month < 1 || change.Month > 12) return false;
  int day = change.Week;
  if (change.Year != 0) {
    if (change.Year != year) return false;
  } else {
    TDateTime first;
    if (!TryEncodeDate(year, change.Month, 1, first)) return false;
    const int first_weekday = DayOfWeek(first) - 1;  // 0 = Sunday
    const int weekday = (change.DayOfWeek % 7 + 7) % 7;
    day = 1 + (weekday - first_weekday + 7) % 7 + (std::clamp(change.Week, 1, 5) - 1) * 7;
    while (day > DaysInMonth(year, change.Month)) day -= 7;
  }
  TDateTime date;
  if (!TryEncodeDate(year, change.Month, day, date)) return false;
  wall = static_cast<TMilliseconds>(date) * kDayMs + change.TimeOfDay;
  return true;
}

// The UTC instants at which the local clock shows `wall`, earliest first: none in a gap that
// the clock jumps over, two in an hour that it runs twice.
int UtcCandidates(const TZoneRule& rule, TMilliseconds wall, TMilliseconds (&found)[2]) {
  int count = 0;
  for (const int offset : {rule.StandardOffset, rule.DaylightOffset}) {
    const TMilliseconds utc = wall - offset * kMinuteMs;
    if (LocalOffset(rule, utc) != offset || (count == 1 && found[0] == utc)) continue;
    found[count++] = utc;
  }
  if (count == 2 && found[1] < found[0]) std::swap(found[0], found[1]);
  return count;
}

// The instant at which the clock jumps over `wall`, which it never shows.
TMilliseconds JumpOver(const TZoneRule& rule, TMilliseconds wall) {
  const int larger = std::max(rule.StandardOffset, rule.DaylightOffset);
  const int smaller = std::min(rule.StandardOffset, rule.DaylightOffset);
  TMilliseconds short_of = wall - larger * kMinuteMs;  // the clock still shows less
  TMilliseconds beyond = wall - smaller * kMinuteMs;   // the clock already shows more
  while (beyond - short_of > 1) {
    const TMilliseconds middle = short_of + (beyond - short_of) / 2;
    (LocalFromUtc(rule, middle) > wall ? beyond : short_of) = middle;
  }
  return beyond;
}

// The clock's passes through the minute that begins at `wall`.
int Passes(const TZoneRule& rule, TMilliseconds wall, TDueMoment (&passes)[2]) {
  TMilliseconds found[2];
  const int count = UtcCandidates(rule, wall, found);
  if (count == 0) {
    const TMilliseconds jump = JumpOver(rule, wall);
    passes[0] = {jump, jump};
    return 1;
  }
  for (int i = 0; i < count; ++i) passes[i] = {found[i], found[i] + kMinuteMs};
  return count;
}

}  // namespace

int LocalOffset(const TZoneRule& rule, TMilliseconds utc) {
  const TMilliseconds standard_wall = utc + rule.StandardOffset * kMinuteMs;
  const int year = DecodeDate(static_cast<TDateTime>(FloorDivide(standard_wall, kDayMs))).Year;
  TMilliseconds start, end;
  if (!ChangeWall(rule.DaylightStart, year, start) || !ChangeWall(rule.DaylightEnd, year, end)) {
    return rule.StandardOffset;
  }
  start -= rule.StandardOffset * kMinuteMs;
  end -= rule.DaylightOffset * kMinuteMs;
  // South of the equator daylight time runs over the turn of the year.
  const bool daylight = start < end ? utc >= start && utc < end : utc >= start || utc < end;
  return daylight ? rule.DaylightOffset : rule.StandardOffset;
}

TMilliseconds LocalFromUtc(const TZoneRule& rule, TMilliseconds utc) {
  return utc + LocalOffset(rule, utc) * kMinuteMs;
}

TAlarmDue CountdownDue(const TZoneRule& rule, TMilliseconds utc_now, TMilliseconds tick_now,
                       int64_t minutes) {
  const TMilliseconds length = minutes * kMinuteMs;
  TAlarmDue due;
  due.Countdown = true;
  due.Tick = tick_now + length;
  due.Wall = LocalFromUtc(rule, utc_now + length);
  return due;
}

TAlarmDue TimeOfDayDue(const TZoneRule& rule, TMilliseconds utc_now, int minute_of_day) {
  const TMilliseconds today = FloorDivide(LocalFromUtc(rule, utc_now), kDayMs);
  TAlarmDue due;
  // From yesterday: a clock set back over midnight shows yesterday's minutes once more.
  for (TMilliseconds day = today - 1; day <= today + 2; ++day) {
    due.Wall = day * kDayMs + minute_of_day * kMinuteMs;
    TDueMoment passes[2];
    const int count = Passes(rule, due.Wall, passes);
    for (due.Occurrence = 0; due.Occurrence < count; ++due.Occurrence) {
      if (passes[due.Occurrence].Missed > utc_now) return due;
    }
  }
  due.Occurrence = 0;
  return due;
}

TAlarmDue RequestDue(const TZoneRule& rule, TMilliseconds utc_now, TMilliseconds tick_now,
                     const TAlarmRequest& request) {
  switch (request.When) {
    case TAlarmWhen::In:
      return CountdownDue(rule, utc_now, tick_now, request.Minutes);
    case TAlarmWhen::At:
      return TimeOfDayDue(rule, utc_now, request.Hour * 60 + request.Minute);
    case TAlarmWhen::OnDate: {
      TAlarmDue due;
      due.Wall = request.Moment;
      due.Dated = true;
      return due;
    }
    case TAlarmWhen::Moment: {
      TAlarmDue due;
      due.Countdown = true;
      due.Tick = tick_now + std::max<TMilliseconds>(0, request.Moment - utc_now);
      due.Wall = LocalFromUtc(rule, request.Moment);
      return due;
    }
  }
  return {};
}

TAlarmRequest RecordRequest(const TZoneRule& rule, const TAlarmDue& due, TMilliseconds utc_now,
                            TMilliseconds tick_now, const TAlarmRequest& alarm) {
  TAlarmRequest record = alarm;
  // The minute on the clock, unless it is the second pass of an hour the clock runs twice:
  // only the moment in UTC tells that one apart.
  if (due.Countdown || due.Occurrence != 0) {
    record.When = TAlarmWhen::Moment;
    const TMilliseconds start = DueMoment(rule, due, utc_now, tick_now).Start;
    record.Moment = FloorDivide(start + 999, 1000) * 1000;  // never early
  } else {
    record.When = TAlarmWhen::OnDate;
    record.Moment = FloorDivide(due.Wall, kMinuteMs) * kMinuteMs;
    const TMilliseconds in_day = record.Moment - FloorDivide(record.Moment, kDayMs) * kDayMs;
    record.Hour = static_cast<int>(in_day / (60 * kMinuteMs));
    record.Minute = static_cast<int>(in_day / kMinuteMs % 60);
  }
  return record;
}

TDueMoment DueMoment(const TZoneRule& rule, const TAlarmDue& due, TMilliseconds utc_now,
                     TMilliseconds tick_now) {
  if (due.Countdown) {
    const TMilliseconds start = utc_now + (due.Tick - tick_now);
    return {start, start};
  }
  TDueMoment passes[2];
  const int count = Passes(rule, due.Wall, passes);
  return passes[std::clamp(due.Occurrence, 0, count - 1)];
}

bool AlarmOverdue(const TZoneRule& rule, const TAlarmDue& due, TMilliseconds utc_now,
                  TMilliseconds tick_now) {
  return utc_now >= DueMoment(rule, due, utc_now, tick_now).Missed;
}

AnsiString AlarmTipText(const TTimeFormat& short_format, TMilliseconds wall) {
  const TMilliseconds time_of_day = wall - FloorDivide(wall, kDayMs) * kDayMs;
  return "Wakora – " + FormatTimeOfDay(short_format, static_cast<TDateTime>(time_of_day) / kDayMs);
}

int64_t FileTimeFromUtc(TMilliseconds utc) {
  return (utc + kFileTimeEpochDays * kDayMs) * kFileTimeStepsPerMs;
}

TMilliseconds UtcFromFileTime(int64_t file_time) {
  return file_time / kFileTimeStepsPerMs - kFileTimeEpochDays * kDayMs;
}
