// The alarm's time texts: a time of day written with a locale's time format, as the
// platform's time pictures define it (h, hh, H, HH, m, mm, s, ss, t, tt, 'quoted text'). The
// tray tip names the alarm's minute with the short format, which has no seconds.
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
