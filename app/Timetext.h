// The alarm's time texts: a time of day written with a locale's time format, as the
// platform's time pictures define it (h, hh, H, HH, m, mm, s, ss, t, tt, 'quoted text').
//
// An alarm compares minutes, so its texts leave out the seconds. Cutting the last three
// characters off a full time text does that only when the format ends in the seconds;
// with the day-half marker behind the time ("h:mm:ss tt") it would cut the marker and keep
// the seconds. So the seconds field is taken out of the format itself instead.
#pragma once

#include "framework/core/Datetime.h"
#include "framework/core/Sysutils.h"

struct TTimeFormat {
  AnsiString Picture;  // e.g. "HH:mm:ss" or "h:mm:ss tt"
  AnsiString AM;       // the day-half markers
  AnsiString PM;
};

// The time of day of `value` written with `picture`.
AnsiString FormatTimeOfDay(const TTimeFormat& format, TDateTime value);
// The picture without its seconds field and the separator that leads to it.
AnsiString PictureWithoutSeconds(const AnsiString& picture);
// The text an alarm compares: the minute, and on a 12-hour clock the half of the day.
AnsiString AlarmTimeText(const TTimeFormat& format, TDateTime value);
