// Alarmdue: when an armed alarm is due, kept so that sleep and clock changes cannot hide it.
//
// A countdown counts real minutes on the system's tick count, which neither setting the clock
// nor daylight saving moves: N minutes armed at some moment are due N minutes after it, to the
// millisecond. The wall clock never decides it; its minute text would match early after a jump
// forward.
//
// A time of day rings in its minute on the clock. To also catch a minute that passed unseen
// (the computer slept, the clock jumped), arming records the wall-clock minute it waits for,
// placed in UTC through the zone's rule each time it is looked at, so that the minute moves
// with a change of zone or of daylight saving.
//
// An armed alarm is also recorded as the arguments that arm it again at the next logon: a
// countdown as its moment in UTC, a time of day as its minute on that day's clock.
//
// Moments are milliseconds since 30 December 1899 00:00, the date-time epoch: UTC for
// instants, the local clock for wall times. Zone offsets are minutes ahead of UTC.
#pragma once

#include <cstdint>

#include "app/Cmdline.h"
#include "app/Timetext.h"

using TMilliseconds = int64_t;
constexpr TMilliseconds kMinuteMs = 60 * 1000;
constexpr TMilliseconds kDayMs = 24 * 60 * kMinuteMs;

// A change between standard and daylight time, as the system states it: every year on the
// Week-th DayOfWeek of Month (Week 5 is the last), or once, on day Week of Month in Year, at
// TimeOfDay on the clock that runs until the change.
struct TZoneChange {
  int Year = 0;       // 0: every year
  int Month = 0;      // 1 to 12; 0: no change
  int Week = 0;       // 1 to 5, or the day of the month of a one-off change
  int DayOfWeek = 0;  // 0 = Sunday
  int TimeOfDay = 0;  // milliseconds after midnight
};

struct TZoneRule {
  int StandardOffset = 0;
  int DaylightOffset = 0;
  TZoneChange DaylightStart;  // on the standard clock; Month 0: the zone keeps standard time
  TZoneChange DaylightEnd;    // on the daylight clock
};

// Minutes that the local clock is ahead of UTC at the instant `utc`.
int LocalOffset(const TZoneRule& rule, TMilliseconds utc);
TMilliseconds LocalFromUtc(const TZoneRule& rule, TMilliseconds utc);

// What an armed alarm waits for: a countdown its tick, a time of day (besides its minute text)
// the passes of its minute.
struct TAlarmDue {
  bool Countdown = false;
  TMilliseconds Tick = 0;  // countdown: the tick count at which it is due
  TMilliseconds Wall = 0;  // the local wall time of the target minute (countdown: of the due)
  int Occurrence = 0;      // time of day: 1 for the second pass of a minute the clock runs twice
  bool Dated = false;      // time of day: rings on Wall's day only, not on the hour's next pass
};

// Any count: 0 or less is due at once, 1440 a day later.
TAlarmDue CountdownDue(const TZoneRule& rule, TMilliseconds utc_now, TMilliseconds tick_now,
                       int64_t minutes);
// The next time the local clock shows `minute_of_day` (0 to 1439), the current minute included.
TAlarmDue TimeOfDayDue(const TZoneRule& rule, TMilliseconds utc_now, int minute_of_day);
// What a request asks for, looked at now. A moment or a day that has passed is due at once.
TAlarmDue RequestDue(const TZoneRule& rule, TMilliseconds utc_now, TMilliseconds tick_now,
                     const TAlarmRequest& request);
// The request that arms `due` again after a restart: its moment (a countdown's rounded up to
// the second) with the reminder, the sound and the record's name of `alarm`.
TAlarmRequest RecordRequest(const TZoneRule& rule, const TAlarmDue& due, TMilliseconds utc_now,
                            TMilliseconds tick_now, const TAlarmRequest& alarm);

// The due in UTC: when it begins (the moment to wake the computer for), and from when on it
// has passed unseen, so that the alarm fires at once. A time of day is missed when its whole
// minute has passed, or as soon as the clock jumps over it; a countdown as soon as it begins.
struct TDueMoment {
  TMilliseconds Start;
  TMilliseconds Missed;
};
TDueMoment DueMoment(const TZoneRule& rule, const TAlarmDue& due, TMilliseconds utc_now,
                     TMilliseconds tick_now);
bool AlarmOverdue(const TZoneRule& rule, const TAlarmDue& due, TMilliseconds utc_now,
                  TMilliseconds tick_now);

// The tray tip of an armed alarm: the program's name and the target's time of day.
AnsiString AlarmTipText(const TTimeFormat& short_format, TMilliseconds wall);

// The system's file times: 100-nanosecond steps since 1 January 1601.
int64_t FileTimeFromUtc(TMilliseconds utc);
TMilliseconds UtcFromFileTime(int64_t file_time);
