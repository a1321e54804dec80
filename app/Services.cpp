#include "app/Services.h"

#include <mmsystem.h>
#include <shellapi.h>

#include <cstring>

#include "framework/win/Forms.h"
#include "framework/win/Handles.h"
#include "framework/win/Locale.h"
#include "framework/win/Platform.h"

namespace {

TZoneChange ZoneChange(const SYSTEMTIME& date) {
  return {date.wYear, date.wMonth, date.wDay, date.wDayOfWeek,
          ((date.wHour * 60 + date.wMinute) * 60 + date.wSecond) * 1000 + date.wMilliseconds};
}

// Whether `file` opens and begins as a wave: a RIFF file of the form "WAVE".
bool ReadableWave(const AnsiString& file) {
  const TKernelHandle handle(CreateFileW(WidePath(file).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  char header[12];
  DWORD read = 0;
  return handle && ReadFile(handle.Get(), header, sizeof header, &read, nullptr) &&
         read == sizeof header && memcmp(header, "RIFF", 4) == 0 &&
         memcmp(header + 8, "WAVE", 4) == 0;
}

}  // namespace

HANDLE AlarmWakeTimer() {
  static const TKernelHandle timer(CreateWaitableTimerA(nullptr, TRUE, nullptr));
  return timer.Get();
}

TAlarmServices SystemAlarmServices() {
  TAlarmServices services;
  services.Now = [] {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return EncodeDate(t.wYear, t.wMonth, t.wDay) +
           EncodeTime(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
  };
  services.UtcNow = [] {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return UtcFromFileTime(static_cast<int64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime);
  };
  services.TickCount = [] {
    // GetTickCount64 is missing before Vista, so the 32-bit count is widened here; it wraps
    // every 49.7 days, and an armed alarm reads it every second.
    static DWORD last = GetTickCount();
    static TMilliseconds wraps = 0;
    const DWORD now = GetTickCount();
    if (now < last) wraps += TMilliseconds{1} << 32;
    last = now;
    return wraps + now;
  };
  services.ZoneRule = [] {
    TIME_ZONE_INFORMATION zone{};
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return TZoneRule{};
    TZoneRule rule;
    rule.StandardOffset = -static_cast<int>(zone.Bias + zone.StandardBias);
    // A zone without changes may still state a daylight bias; it never applies.
    rule.DaylightOffset = rule.StandardOffset;
    if (zone.StandardDate.wMonth != 0 && zone.DaylightDate.wMonth != 0) {
      rule.DaylightOffset = -static_cast<int>(zone.Bias + zone.DaylightBias);
      rule.DaylightStart = ZoneChange(zone.DaylightDate);
      rule.DaylightEnd = ZoneChange(zone.StandardDate);
    }
    return rule;
  };
  services.TimeFormat = [] {
    return TTimeFormat{locale::LongTimeFormat(), locale::TimeAMString(), locale::TimePMString()};
  };
  services.ShortTimeFormat = [] {
    return TTimeFormat{locale::ShortTimeFormat(), locale::TimeAMString(), locale::TimePMString()};
  };
  services.SetWakeTimer = [](LONGLONG due, BOOL resume) {
    if (HANDLE timer = AlarmWakeTimer()) {
      LARGE_INTEGER when;
      when.QuadPart = due;
      SetWaitableTimer(timer, &when, 0, nullptr, nullptr, resume);
    }
  };
  services.CancelWakeTimer = [] {
    if (HANDLE timer = AlarmWakeTimer()) CancelWaitableTimer(timer);
  };
  services.CompareText = [](const AnsiString& a, const AnsiString& b) {
    return locale::CompareText(a, b);
  };
  services.LowerCase = [](const AnsiString& text) { return locale::LowerCase(text); };
  services.ModulePath = ModulePath;
  services.PlaySound = [](const AnsiString& file, UINT flags) {
    // The sound library loads with the first sound, not with the program.
    static const auto play =
        SystemFunction<BOOL(WINAPI*)(const wchar_t*, UINT)>(L"winmm.dll", "sndPlaySoundW");
    if (!play || ((flags & SND_NODEFAULT) && !ReadableWave(file))) return false;
    return play(WidePath(file).c_str(), flags) != FALSE;
  };
  services.ShellExecute = [](const AnsiString& verb, const AnsiString& file,
                             const AnsiString& parameters, const AnsiString& folder, int show) {
    const HINSTANCE result =
        ShellExecuteW(nullptr, WidePath(verb).c_str(), WidePath(file).c_str(),
                      WidePath(parameters).c_str(), WidePath(folder).c_str(), show);
    return reinterpret_cast<INT_PTR>(result) > 32;
  };
  services.ShowMessage = [](const AnsiString& text) { Application->MessageBox(text, MB_OK); };
  services.SetExecutionState = [](EXECUTION_STATE state) { return SetThreadExecutionState(state); };
  return services;
}

TAlarmServices& AlarmServices() {
  static TAlarmServices services = SystemAlarmServices();
  return services;
}
