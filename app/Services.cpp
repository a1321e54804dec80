#include "app/Services.h"

#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

#include "app/Wavefile.h"
#include "framework/win/Forms.h"
#include "framework/win/Handles.h"
#include "framework/win/Locale.h"
#include "framework/win/Platform.h"

namespace {

TZoneChange ZoneChange(const SYSTEMTIME& date) {
  return {date.wYear, date.wMonth, date.wDay, date.wDayOfWeek,
          ((date.wHour * 60 + date.wMinute) * 60 + date.wSecond) * 1000 + date.wMilliseconds};
}

// How long a look at a file may hold up the ringing window: a share that went offline answers
// only after the network's time-out.
constexpr DWORD kFileLookLimit = 1000;

// Runs `look` on a thread of its own and waits for its answer up to `limit` milliseconds; false
// when it has not answered by then (it finishes unwatched).
bool AnswerWithin(DWORD limit, std::function<bool()> look) {
  struct TLook {
    std::function<bool()> Look;
    std::atomic<bool> Answer{false};
    TKernelHandle Done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  };
  const auto shared = std::make_shared<TLook>();
  shared->Look = std::move(look);
  if (!shared->Done) return shared->Look();
  std::thread([shared] {
    shared->Answer = shared->Look();
    SetEvent(shared->Done.Get());
  }).detach();
  return WaitForSingleObject(shared->Done.Get(), limit) == WAIT_OBJECT_0 && shared->Answer;
}

// Whether an output device takes `format`; where there is no device to ask, or it cannot say,
// the format is not judged.
bool DeviceTakesFormat(std::string format) {
  using TWaveOutOpen =
      MMRESULT(WINAPI*)(HWAVEOUT*, UINT, const WAVEFORMATEX*, DWORD_PTR, DWORD_PTR, DWORD);
  static const auto open = SystemFunction<TWaveOutOpen>(L"winmm.dll", "waveOutOpen");
  if (!open) return true;
  // A PCM record may stop before the size of its extra bytes: that size is 0.
  format.resize(std::max(format.size(), sizeof(WAVEFORMATEX)), '\0');
  const auto* record = reinterpret_cast<const WAVEFORMATEX*>(format.data());
  return open(nullptr, WAVE_MAPPER, record, 0, 0, WAVE_FORMAT_QUERY) != WAVERR_BADFORMAT;
}

// Whether `file` is a wave that plays: its chunks hold samples, and a device takes their format.
bool PlayableWave(const AnsiString& file) {
  const TKernelHandle handle(CreateFileW(WidePath(file).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!handle || !GetFileSizeEx(handle.Get(), &size)) return false;
  const TWaveReader read = [&handle](uint64_t offset, size_t count) {
    std::string bytes(count, '\0');
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD done = 0;
    if (!SetFilePointerEx(handle.Get(), at, nullptr, FILE_BEGIN) ||
        !ReadFile(handle.Get(), bytes.data(), static_cast<DWORD>(count), &done, nullptr)) {
      done = 0;
    }
    bytes.resize(done);
    return bytes;
  };
  std::string format;
  return ReadWaveFormat(static_cast<uint64_t>(size.QuadPart), read, format) &&
         DeviceTakesFormat(format);
}

// Modern Standby (connected standby) pauses desktop programs while the screen is off: a wake-up
// timer then wakes nothing that could ring.
bool PausedWhileTheScreenIsOff() {
  using TGetPwrCapabilities = BOOLEAN(WINAPI*)(SYSTEM_POWER_CAPABILITIES*);
  static const auto capabilities =
      SystemFunction<TGetPwrCapabilities>(L"powrprof.dll", "GetPwrCapabilities");
  SYSTEM_POWER_CAPABILITIES power{};
  // The flag (AoAc) is the third of the bytes after FastSystemS4, which older headers call
  // spare2: Hiberboot, WakeAlarmPresent, AoAc.
  return capabilities && capabilities(&power) && power.spare2[2];
}

// A file's name, as opposed to an address for the shell: a drive or a share comes first.
bool NamesAFile(const AnsiString& name) {
  return (name.size() >= 3 && name[1] == ':') || name.rfind("\\\\", 0) == 0;
}

// Where the records live: a value per armed alarm in the user's Run key, and beside it, under
// the program's own key, the arguments of a record whose command would be too long.
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kLongRecordsKey[] = L"Software\\Wakora\\Alarms";
// The system starts no longer command from the Run key.
constexpr size_t kMaxRunCommand = 260;

std::wstring RecordName(const AnsiString& id) {
  return L"Wakora alarm " + WidePath(id);
}

bool SetText(const wchar_t* key, const std::wstring& name, const std::wstring& text) {
  HKEY opened = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const TScopeExit close([opened] { RegCloseKey(opened); });
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(opened, name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
}

void DeleteText(const wchar_t* key, const std::wstring& name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) return;
  RegDeleteValueW(opened, name.c_str());
  RegCloseKey(opened);
}

bool RecordAlarmInRunKey(const AnsiString& id, const std::vector<AnsiString>& arguments) {
  const AnsiString program = ModulePath();
  std::wstring command = WidePath(CommandLine(program, arguments));
  if (command.size() > kMaxRunCommand) {
    // A long reminder or path: the command names the record, which keeps the arguments.
    if (!SetText(kLongRecordsKey, WidePath(id), command)) return false;
    command = WidePath(CommandLine(program, {"/id", id}));
  } else {
    DeleteText(kLongRecordsKey, WidePath(id));
  }
  return SetText(kRunKey, RecordName(id), command);
}

}  // namespace

AnsiString NewRecordId() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return Format("%08lX%08lX%08lX", GetCurrentProcessId(), now.dwHighDateTime, now.dwLowDateTime);
}

bool RecordedArguments(const AnsiString& id, std::vector<AnsiString>& arguments) {
  arguments.clear();
  if (!ValidId(id)) return false;
  DWORD size = 0;
  const std::wstring name = WidePath(id);
  if (RegGetValueW(HKEY_CURRENT_USER, kLongRecordsKey, name.c_str(), RRF_RT_REG_SZ, nullptr,
                   nullptr, &size) != ERROR_SUCCESS) {
    return false;
  }
  std::wstring command(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(command.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, kLongRecordsKey, name.c_str(), RRF_RT_REG_SZ, nullptr,
                   command.data(), &size) != ERROR_SUCCESS) {
    return false;
  }
  arguments = CommandLineArguments(command.c_str());
  return !arguments.empty();
}

std::vector<AnsiString> CommandLineArguments(const wchar_t* command) {
  std::vector<AnsiString> arguments;
  int count = 0;
  LPWSTR* split = CommandLineToArgvW(command, &count);
  if (!split) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8Path(split[i], wcslen(split[i])));
  LocalFree(split);
  return arguments;
}

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
  // Every system the program runs on has the 64-bit count (its thread library needs it too):
  // the 32-bit one would lose 49.7 days over a long hibernation that nothing read it through.
  services.TickCount = [] { return static_cast<TMilliseconds>(GetTickCount64()); };
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
  services.ShortTimeFormat = [] {
    return TTimeFormat{locale::ShortTimeFormat(), locale::TimeAMString(), locale::TimePMString()};
  };
  services.SetWakeTimer = [](LONGLONG due, BOOL resume) {
    HANDLE timer = AlarmWakeTimer();
    if (!timer) return false;
    LARGE_INTEGER when;
    when.QuadPart = due;
    // The call succeeds where the computer cannot wake for it, and says so in the last error.
    SetLastError(ERROR_SUCCESS);
    if (!SetWaitableTimer(timer, &when, 0, nullptr, nullptr, resume)) return false;
    return !resume || (GetLastError() != ERROR_NOT_SUPPORTED && !PausedWhileTheScreenIsOff());
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
    if (!play) return false;
    if ((flags & SND_NODEFAULT) &&
        !AnswerWithin(kFileLookLimit, [file] { return PlayableWave(file); })) {
      return false;
    }
    return play(WidePath(file).c_str(), flags) != FALSE;
  };
  services.ShellExecute = [](const AnsiString& verb, const AnsiString& file,
                             const AnsiString& parameters, const AnsiString& folder, int show) {
    // The shell would look for an unreachable file for the network's time-out.
    if (NamesAFile(file) && !AnswerWithin(kFileLookLimit, [file] {
          return GetFileAttributesW(WidePath(file).c_str()) != INVALID_FILE_ATTRIBUTES;
        })) {
      return false;
    }
    const HINSTANCE result =
        ShellExecuteW(nullptr, WidePath(verb).c_str(), WidePath(file).c_str(),
                      WidePath(parameters).c_str(), WidePath(folder).c_str(), show);
    return reinterpret_cast<INT_PTR>(result) > 32;
  };
  services.ShowMessage = [](const AnsiString& text) { Application->MessageBox(text, MB_OK); };
  services.ForegroundWindow = [] { return GetForegroundWindow(); };
  services.FlashWindow = [](HWND window, DWORD flags) {
    FLASHWINFO flash{sizeof(FLASHWINFO), window, flags, 0, 0};
    FlashWindowEx(&flash);
  };
  services.SetExecutionState = [](EXECUTION_STATE state) { return SetThreadExecutionState(state); };
  services.RecordAlarm = RecordAlarmInRunKey;
  services.ForgetAlarm = [](const AnsiString& id) {
    DeleteText(kRunKey, RecordName(id));
    DeleteText(kLongRecordsKey, WidePath(id));
  };
  return services;
}

TAlarmServices& AlarmServices() {
  static TAlarmServices services = SystemAlarmServices();
  return services;
}
