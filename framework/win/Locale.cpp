#include "framework/win/Locale.h"

#include <windows.h>

#include <algorithm>

#include "framework/core/Datetext.h"
#include "framework/win/Platform.h"

namespace locale {

namespace {

AnsiString LocaleInfo(LCTYPE type, const char* fallback) {
  const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, nullptr, 0);
  if (length <= 0) return fallback;
  std::wstring text(static_cast<size_t>(length), L'\0');
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text.data(), length) <= 0) return fallback;
  return TextOf(text.c_str(), wcsnlen(text.c_str(), text.size()));
}

// CompareStringW on the texts: <0, 0 or >0.
int Compare(const AnsiString& a, const AnsiString& b, DWORD flags) {
  const std::wstring left = WideText(a), right = WideText(b);
  const int result =
      CompareStringW(LOCALE_USER_DEFAULT, flags, left.data(), static_cast<int>(left.size()),
                     right.data(), static_cast<int>(right.size()));
  if (result == 0) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);  // the call failed
  return result - CSTR_EQUAL;
}

}  // namespace

AnsiString LongTimeFormat() {
  return LocaleInfo(LOCALE_STIMEFORMAT, "HH:mm:ss");
}

AnsiString ShortTimeFormat() {
  const AnsiString format = LocaleInfo(LOCALE_SSHORTTIME, "");
  return format.empty() ? TimeFormatWithoutSeconds(LongTimeFormat()) : format;
}

AnsiString TimeAMString() {
  return LocaleInfo(LOCALE_S1159, "AM");
}

AnsiString TimePMString() {
  return LocaleInfo(LOCALE_S2359, "PM");
}

wchar_t DecimalSeparator() {
  wchar_t separator[8] = L"";
  return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 1 ? separator[0]
                                                                                : L'.';
}

AnsiString ShortDayName(int day) {
  static const char* const kFallback[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  if (day < 1 || day > 7) throw ERangeError(Format("Day %d is not between 1 and 7", day));
  // The locale counts from Monday (LOCALE_SABBREVDAYNAME1) to Sunday (...7).
  const LCTYPE type = day == 1 ? LOCALE_SABBREVDAYNAME7 : LOCALE_SABBREVDAYNAME1 + (day - 2);
  return LocaleInfo(type, kFallback[day - 1]);
}

int CompareText(const AnsiString& a, const AnsiString& b) {
  return Compare(a, b, 0);
}

int CompareTextIgnoringCase(const AnsiString& a, const AnsiString& b) {
  return Compare(a, b, NORM_IGNORECASE);
}

AnsiString LowerCase(AnsiString text) {
  std::wstring wide = WideText(text);
  if (!wide.empty()) CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return TextOf(wide);
}

AnsiString UpperCase(AnsiString text) {
  std::wstring wide = WideText(text);
  if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return TextOf(wide);
}

AnsiString LowerCaseFileName(const AnsiString& name) {
  std::wstring wide = WidePath(name);
  if (!wide.empty()) CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return Utf8Path(wide.data(), wide.size());
}

AnsiString UpperCaseFileName(const AnsiString& name) {
  std::wstring wide = WidePath(name);
  if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return Utf8Path(wide.data(), wide.size());
}

int CompareFileNames(const AnsiString& a, const AnsiString& b) {
  return CompareFileNames(WidePath(a), WidePath(b));
}

void AppendFileNameSortKey(std::wstring_view name, std::string& keys) {
  const int length = static_cast<int>(name.size());
  const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const size_t at = keys.size();
  // Most keys fit in this room, which spares asking for the size first.
  int room = 4 * length + 32;
  keys.resize(at + static_cast<size_t>(room));
  int size = LCMapStringW(LOCALE_USER_DEFAULT, flags, name.data(), length,
                          reinterpret_cast<wchar_t*>(keys.data() + at), room);
  if (size == 0) {
    room = LCMapStringW(LOCALE_USER_DEFAULT, flags, name.data(), length, nullptr, 0);
    keys.resize(at + static_cast<size_t>(std::max(room, 0)));
    size = room > 0 ? LCMapStringW(LOCALE_USER_DEFAULT, flags, name.data(), length,
                                   reinterpret_cast<wchar_t*>(keys.data() + at), room)
                    : 0;
  }
  keys.resize(at + static_cast<size_t>(std::max(size, 0)));
}

int CompareFileNames(const std::wstring& wide_a, const std::wstring& wide_b) {
  const int result = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wide_a.data(),
                                    static_cast<int>(wide_a.size()), wide_b.data(),
                                    static_cast<int>(wide_b.size()));
  if (result == 0) return wide_a.compare(wide_b) < 0 ? -1 : (wide_a == wide_b ? 0 : 1);
  return result - CSTR_EQUAL;
}

}  // namespace locale
