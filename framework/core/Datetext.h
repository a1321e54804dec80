// Reading a date or a time of day that a user typed into a date-time picker with free input.
// Portable: no locale is consulted, so the accepted forms are fixed and unambiguous.
#pragma once

#include "framework/core/Datetime.h"

// A time of day: "h", "h:mm" or "h:mm:ss" (24 hours), or the same followed by "am" or "pm"
// (12 hours, blank before it optional, any case). True with the time in `time`.
bool TryParseTimeText(const AnsiString& text, TDateTime& time);

// A date: "yyyy-mm-dd", "d.m.yyyy" or "m/d/yyyy". True with the date in `date`.
bool TryParseDateText(const AnsiString& text, TDateTime& date);
