// The system services of the alarm, behind one small seam: the clocks and the time zone, the
// wake-up timer, the module's path, sound playback, the shell, the modal message box, the
// system's execution state and the record that brings an armed alarm back after a restart.
// Production uses the real calls; tests replace members to set the time and record the calls, and
// never wait for real minutes.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "app/Alarmdue.h"
#include "app/Timetext.h"
#include "framework/core/Datetime.h"

struct TAlarmServices {
  // The local date and time, milliseconds included (GetLocalTime).
  std::function<TDateTime()> Now;
  // UTC, milliseconds since 30 December 1899 (GetSystemTimeAsFileTime).
  std::function<TMilliseconds()> UtcNow;
  // Milliseconds since the system started, sleep included; setting the clock does not move it
  // (GetTickCount64).
  std::function<TMilliseconds()> TickCount;
  // The time zone's rule (GetTimeZoneInformation).
  std::function<TZoneRule()> ZoneRule;
  // The locale's short time format (hours and minutes) and its day-half markers.
  std::function<TTimeFormat()> ShortTimeFormat;
  // SetWaitableTimer on the program's one wake-up timer: an absolute due time in UTC file-time
  // units, and whether the computer resumes from sleep for it. False when the computer cannot
  // wake for it: the system does not support it, or the program is paused while the screen is
  // off (Modern Standby).
  std::function<bool(LONGLONG due, BOOL resume)> SetWakeTimer;
  // CancelWaitableTimer on it.
  std::function<void()> CancelWakeTimer;
  // The locale's case-sensitive string comparison (CompareStringA, user default locale).
  std::function<int(const AnsiString&, const AnsiString&)> CompareText;
  // The locale's lower-casing (CharLowerBuffA).
  std::function<AnsiString(const AnsiString&)> LowerCase;
  // The running executable's full path, UTF-8 as every file name.
  std::function<AnsiString()> ModulePath;
  // sndPlaySound(file, flags) with a UTF-8 file name; false when nothing plays. An asynchronous
  // call does not hear of a file that fails to play, so with SND_NODEFAULT a file that cannot be
  // read as a wave is refused here first.
  std::function<bool(const AnsiString& file, UINT flags)> PlaySound;
  // ShellExecute(no owner, verb, file, parameters, folder, show) with a UTF-8 file name or
  // address; false when the shell refuses it (a missing file, no program for its type).
  std::function<bool(const AnsiString& verb, const AnsiString& file, const AnsiString& parameters,
                     const AnsiString& folder, int show)>
      ShellExecute;
  // The application's modal message box with one OK button and no icon.
  std::function<void(const AnsiString& text)> ShowMessage;
  // The window that has the foreground (GetForegroundWindow).
  std::function<HWND()> ForegroundWindow;
  // FlashWindowEx on `window` with `flags`, at the system's rate, until FLASHW_STOP.
  std::function<void(HWND window, DWORD flags)> FlashWindow;
  // SetThreadExecutionState: the state to set, the previous state back (0 on failure).
  std::function<EXECUTION_STATE(EXECUTION_STATE)> SetExecutionState;
  // Records an armed alarm where the next logon starts it again: a value named `id` in the
  // user's Run key whose command is the program with `arguments`. False when it could not be
  // written.
  std::function<bool(const AnsiString& id, const std::vector<AnsiString>& arguments)> RecordAlarm;
  // Takes the record `id` out again (it may be missing).
  std::function<void(const AnsiString& id)> ForgetAlarm;
};

// The process-wide services; starts with the real calls.
TAlarmServices& AlarmServices();
// The real calls, for a test that wants to put them back.
TAlarmServices SystemAlarmServices();
// The arguments after the program's name in `command`, UTF-8, split by the system's rules for
// quotes and backslashes (CommandLineToArgvW).
std::vector<AnsiString> CommandLineArguments(const wchar_t* command);
// A name for the record of this copy's alarms, new with every process.
AnsiString NewRecordId();
// The arguments of record `id` that were too long for the Run key's command (a start with
// /id alone reads them); false when there are none.
bool RecordedArguments(const AnsiString& id, std::vector<AnsiString>& arguments);

// The real wake-up timer that SetWakeTimer and CancelWakeTimer set; a manual-reset timer, made
// on first use and owned here. Null when the system refused to make it.
HANDLE AlarmWakeTimer();
