// The system services of the alarm, behind one small seam: the clock, the module's path,
// sound playback, the shell and the modal message box. Production uses the real calls;
// tests replace members to set the time and record the calls, and never wait for real minutes.
#pragma once

#include <windows.h>

#include <functional>

#include "app/Timetext.h"
#include "framework/core/Datetime.h"

struct TAlarmServices {
  // The local date and time, milliseconds included (GetLocalTime).
  std::function<TDateTime()> Now;
  // The locale's long time format and its day-half markers.
  std::function<TTimeFormat()> TimeFormat;
  // The locale's case-sensitive string comparison (CompareStringA, user default locale).
  std::function<int(const AnsiString&, const AnsiString&)> CompareText;
  // The locale's lower-casing (CharLowerBuffA).
  std::function<AnsiString(const AnsiString&)> LowerCase;
  // The running executable's full path (GetModuleFileNameA).
  std::function<AnsiString()> ModulePath;
  // sndPlaySoundA(file, flags); the result is ignored.
  std::function<void(const AnsiString& file, UINT flags)> PlaySound;
  // ShellExecuteA(no owner, verb, file, parameters, folder, show); the result is ignored.
  std::function<void(const AnsiString& verb, const AnsiString& file, const AnsiString& parameters,
                     const AnsiString& folder, int show)>
      ShellExecute;
  // The application's modal message box with one OK button and no icon.
  std::function<void(const AnsiString& text)> ShowMessage;
};

// The process-wide services; starts with the real calls.
TAlarmServices& AlarmServices();
// The real calls, for a test that wants to put them back.
TAlarmServices SystemAlarmServices();
