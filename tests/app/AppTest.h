// A fixture that creates the real window from its embedded form description, with language
// files in a temporary folder and the alarm's services replaced by a settable clock and
// recorders. Nothing here waits for real time.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/Services.h"
#include "app/u_Wakora.h"
#include "lang/Watranskomp.h"
#include "tests/framework/win/WinTest.h"

namespace apptest {

struct SoundCall {
  AnsiString File;
  UINT Flags;
  bool operator==(const SoundCall&) const = default;
};
inline void PrintTo(const SoundCall& call, std::ostream* out) {
  *out << call.File << " with flags " << call.Flags;
}

struct ShellCall {
  AnsiString Verb;
  AnsiString File;
};

std::string TempFolder();
void CopyLanguageFiles(const std::string& folder);
void WriteFile(const std::string& path, const std::string& bytes);

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates Form1 from its form description (FormCreate included), not yet shown.
  void CreateMainWindow();
  // Creates and shows it; the first show applies the texts.
  void StartWindow();

  // The clock that the alarm reads, as local wall time on 7 December 2026 (or `day_offset`
  // days later); the tick count runs on with it (and through a sleep).
  void SetClock(int hour, int minute, int second, int day_offset = 0);
  // The same at any local date and time.
  void SetWallClock(TDateTime local);
  // Real time passes: UTC and the tick count run on together.
  void PassTime(TMilliseconds milliseconds);
  // The user or the time service sets the clock: the tick count does not move.
  void ChangeClock(int minutes);
  // The local time the clock shows, and the UTC moment of a local time.
  TDateTime LocalNow() const;
  TMilliseconds UtcOf(TDateTime local) const;
  // A local time of the clock's day as a UTC file time.
  LONGLONG FileTimeAt(int hour, int minute, int second) const;
  // One tick of Timer1, as its message.
  void Tick();
  void Tick(int hour, int minute, int second, int day_offset = 0) {
    SetClock(hour, minute, second, day_offset);
    Tick();
  }

  std::string folder_;
  std::string exe_path_;  // the program's path as the catalogue and the sounds see it
  bool with_languages_ = true;
  // The zone: the process's own (the system converts, and the services report its real rule),
  // or a rule written into a test, which also converts.
  std::optional<TZoneRule> zone_;
  TMilliseconds utc_ = 0;
  TMilliseconds tick_count_ = 1000000;
  TTimeFormat time_format_{"HH:mm:ss", "", ""};
  int terminations_ = 0;
  std::vector<SoundCall> sounds_;
  std::set<AnsiString> unplayable_;  // sound files that play nothing
  std::vector<ShellCall> shell_;
  bool shell_refuses_ = false;
  std::vector<AnsiString> messages_;
  EXECUTION_STATE execution_state_ = ES_CONTINUOUS;
  std::vector<std::pair<LONGLONG, BOOL>> wake_sets_;       // due time, resume
  bool wakes_ = true;                                      // the computer can wake for the alarm
  std::vector<std::pair<HWND, DWORD>> flashes_;            // window, flags
  std::map<AnsiString, std::vector<AnsiString>> records_;  // the armed alarms' records by name
  int wake_cancels_ = 0;
  int gdi_before_ = 0;
};

}  // namespace apptest
