// The user's locale, as the program needs it: time formats, decimal separator, day names,
// and the locale's string comparison and casing. All through the wide functions: texts of any
// script compare and case as the locale has them.
#pragma once

#include <string>
#include <string_view>

#include "framework/core/Sysutils.h"

namespace locale {

// The long time format with seconds, e.g. "HH:mm:ss" or "h:mm:ss tt" (LOCALE_STIMEFORMAT).
AnsiString LongTimeFormat();
// The short time format, hours and minutes with the marker where the locale has one
// (LOCALE_SSHORTTIME; where the system lacks it, the long format without its seconds).
AnsiString ShortTimeFormat();
AnsiString TimeAMString();   // LOCALE_S1159
AnsiString TimePMString();   // LOCALE_S2359
wchar_t DecimalSeparator();  // LOCALE_SDECIMAL, its first character
// Abbreviated day name, 1 = Sunday to 7 = Saturday (LOCALE_SABBREVDAYNAME*).
AnsiString ShortDayName(int day);
// CompareStringW with the user's default locale and no flags: <0, 0 or >0.
int CompareText(const AnsiString& a, const AnsiString& b);
// The same ignoring case (NORM_IGNORECASE).
int CompareTextIgnoringCase(const AnsiString& a, const AnsiString& b);
AnsiString LowerCase(AnsiString text);  // CharLowerBuffW
AnsiString UpperCase(AnsiString text);  // CharUpperBuffW
// File names, UTF-8, cased and compared as UTF-16 so that every script is reached:
// CharLowerBuffW, CharUpperBuffW, and CompareStringW ignoring case (<0, 0 or >0).
AnsiString LowerCaseFileName(const AnsiString& name);
AnsiString UpperCaseFileName(const AnsiString& name);
int CompareFileNames(const AnsiString& a, const AnsiString& b);
// The same for names in UTF-16 already.
int CompareFileNames(const std::wstring& a, const std::wstring& b);
// Appends a key of the name whose byte order is the order of CompareFileNames (LCMapStringW's
// sort key): a sort of many names makes each key once and then compares bytes.
void AppendFileNameSortKey(std::wstring_view name, std::string& keys);

}  // namespace locale
