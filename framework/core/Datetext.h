// Reading a date or a time of day that a user typed into a date-time picker with free input,
// and the picker's time format. Portable: no locale is consulted, so the accepted forms are
// fixed and unambiguous.
#pragma once

#include "framework/core/Datetime.h"

// A time of day: "h", "h:mm" or "h:mm:ss" (24 hours), or the same followed by "am" or "pm"
// (12 hours, blank before it optional, any case). True with the time in `time`.
bool TryParseTimeText(const AnsiString& text, TDateTime& time);

// A date: "yyyy-mm-dd", "d.m.yyyy" or "m/d/yyyy". True with the date in `date`.
bool TryParseDateText(const AnsiString& text, TDateTime& date);

// A time format in the locale's picture syntax ("h:mm:ss tt") without its seconds: the
// seconds' field goes with the separator before it ("h:mm tt"), or, when it comes first, with
// the separator after it. Quoted text ('...') is kept as it stands.
AnsiString TimeFormatWithoutSeconds(const AnsiString& format);
