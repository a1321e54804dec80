#include "tests/app/AppTest.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "framework/win/Platform.h"
#include "tests/Widefolder.h"

namespace apptest {

std::string TempFolder() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    // The program may sit in a folder whose name the ANSI code page cannot hold.
    const std::string folder = Utf8Path(base, wcslen(base)) + "wakora-app-" +
                               std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(++counter) + " " + widefolder::Name();
    if (CreateDirectoryW(WidePath(folder).c_str(), nullptr)) return folder;
  }
}

void CopyLanguageFiles(const std::string& folder) {
  for (char digit = '0'; digit <= '9'; ++digit) {
    std::string name = "Wakora.t0";
    name += digit;
    CopyFileW(WidePath(std::string(WAKORA_LANG_DIR) + "\\" + name).c_str(),
              WidePath(folder + "\\" + name).c_str(), FALSE);
  }
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(widefolder::PathOf(path), std::ios::binary);
  out << bytes;
}

void WindowTest::SetUp() {
  wintest::EnsureApplication();
  gdi_before_ = LiveGdiObjects();
  folder_ = TempFolder();
  exe_path_ = folder_ + "\\Wakora.exe";
  utc_ = UtcOf(EncodeDate(2026, 12, 7) + EncodeTime(12, 0, 0, 0));

  TLanguageServices& languages = LanguageServices();
  languages.ExecutablePath = [this] { return AnsiString(exe_path_); };
  languages.RequestTermination = [this] { ++terminations_; };

  TAlarmServices& services = AlarmServices();
  services = SystemAlarmServices();
  services.Now = [this] { return LocalNow(); };
  services.UtcNow = [this] { return utc_; };
  services.TickCount = [this] { return tick_count_; };
  services.ZoneRule = [this, real = services.ZoneRule] { return zone_ ? *zone_ : real(); };
  services.ShortTimeFormat = [this] {
    return TTimeFormat{PictureWithoutSeconds(time_format_.Picture), time_format_.AM,
                       time_format_.PM};
  };
  services.SetWakeTimer = [this](LONGLONG due, BOOL resume) {
    wake_sets_.push_back({due, resume});
    return wakes_;
  };
  services.FlashWindow = [this](HWND window, DWORD flags) { flashes_.push_back({window, flags}); };
  services.CancelWakeTimer = [this] { ++wake_cancels_; };
  services.ModulePath = [this] { return AnsiString(exe_path_); };
  services.PlaySound = [this](const AnsiString& file, UINT flags) {
    sounds_.push_back({file, flags});
    return unplayable_.count(file) == 0;
  };
  services.ShellExecute = [this](const AnsiString& verb, const AnsiString& file, const AnsiString&,
                                 const AnsiString&, int) {
    shell_.push_back({verb, file});
    return !shell_refuses_;
  };
  services.ShowMessage = [this](const AnsiString& text) { messages_.push_back(text); };
  services.SetExecutionState = [this](EXECUTION_STATE state) {
    return std::exchange(execution_state_, state);
  };
  services.RecordAlarm = [this](const AnsiString& id, const std::vector<AnsiString>& arguments) {
    records_[id] = arguments;
    return true;
  };
  services.ForgetAlarm = [this](const AnsiString& id) { records_.erase(id); };
}

void WindowTest::TearDown() {
  if (Form1) {
    delete Form1;
    Form1 = nullptr;
  }
  delete Trans;
  Trans = nullptr;
  InitWakoraGlobals();
  AlarmServices() = SystemAlarmServices();
  // Leave no quit request behind for the next test.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  wintest::Pump();
  EXPECT_EQ(LiveGdiObjects(), gdi_before_) << "GDI objects leaked";
}

void WindowTest::CreateMainWindow() {
  if (with_languages_) CopyLanguageFiles(folder_);
  InitWakoraGlobals();
  Application->CreateForm(Form1);
}

void WindowTest::StartWindow() {
  CreateMainWindow();
  Form1->Show();
  wintest::Pump();
}

namespace {

SYSTEMTIME SystemTimeOf(TMilliseconds moment) {
  FILETIME file;
  const int64_t steps = FileTimeFromUtc(moment);
  file.dwLowDateTime = static_cast<DWORD>(steps);
  file.dwHighDateTime = static_cast<DWORD>(steps >> 32);
  SYSTEMTIME time;
  FileTimeToSystemTime(&file, &time);
  return time;
}

TMilliseconds MomentOf(const SYSTEMTIME& time) {
  FILETIME file;
  SystemTimeToFileTime(&time, &file);
  return UtcFromFileTime(static_cast<int64_t>(file.dwHighDateTime) << 32 | file.dwLowDateTime);
}

}  // namespace

TDateTime WindowTest::LocalNow() const {
  if (zone_) return static_cast<TDateTime>(LocalFromUtc(*zone_, utc_)) / kDayMs;
  // The system's own conversion, not the services' rule: a test then sees the rule's faults.
  const SYSTEMTIME utc = SystemTimeOf(utc_);
  SYSTEMTIME local;
  SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  return static_cast<TDateTime>(MomentOf(local)) / kDayMs;
}

TMilliseconds WindowTest::UtcOf(TDateTime local) const {
  const TMilliseconds wall = std::llround(local * kDayMs);
  if (zone_) {
    const TMilliseconds utc = wall - zone_->StandardOffset * kMinuteMs;
    return LocalFromUtc(*zone_, utc) == wall ? utc : wall - zone_->DaylightOffset * kMinuteMs;
  }
  const SYSTEMTIME local_time = SystemTimeOf(wall);
  SYSTEMTIME utc_time;
  TzSpecificLocalTimeToSystemTime(nullptr, &local_time, &utc_time);
  return MomentOf(utc_time);
}

void WindowTest::SetWallClock(TDateTime local) {
  const TMilliseconds utc = UtcOf(local);
  tick_count_ += std::max<TMilliseconds>(0, utc - utc_);
  utc_ = utc;
}

void WindowTest::SetClock(int hour, int minute, int second, int day_offset) {
  SetWallClock(EncodeDate(2026, 12, 7) + day_offset + EncodeTime(hour, minute, second, 0));
}

void WindowTest::PassTime(TMilliseconds milliseconds) {
  utc_ += milliseconds;
  tick_count_ += milliseconds;
}

void WindowTest::ChangeClock(int minutes) {
  utc_ += minutes * kMinuteMs;
}

LONGLONG WindowTest::FileTimeAt(int hour, int minute, int second) const {
  return FileTimeFromUtc(UtcOf(DatePart(LocalNow()) + EncodeTime(hour, minute, second, 0)));
}

void WindowTest::Tick() {
  SendMessageA(Form1->Timer1->Handle(), WM_TIMER, 1, 0);
  wintest::Pump();
}

}  // namespace apptest
