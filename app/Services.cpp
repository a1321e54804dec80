#include "app/Services.h"

#include <mmsystem.h>
#include <shellapi.h>

#include "framework/win/Forms.h"
#include "framework/win/Locale.h"

TAlarmServices SystemAlarmServices() {
  TAlarmServices services;
  services.Now = [] {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return EncodeDate(t.wYear, t.wMonth, t.wDay) +
           EncodeTime(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
  };
  services.TimeFormat = [] {
    return TTimeFormat{locale::LongTimeFormat(), locale::TimeAMString(), locale::TimePMString()};
  };
  services.CompareText = [](const AnsiString& a, const AnsiString& b) {
    return locale::CompareText(a, b);
  };
  services.LowerCase = [](const AnsiString& text) { return locale::LowerCase(text); };
  services.ModulePath = [] {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return AnsiString(path, length);
  };
  services.PlaySound = [](const AnsiString& file, UINT flags) {
    sndPlaySoundA(file.c_str(), flags);
  };
  services.ShellExecute = [](const AnsiString& verb, const AnsiString& file,
                             const AnsiString& parameters, const AnsiString& folder, int show) {
    ShellExecuteA(nullptr, verb.c_str(), file.c_str(), parameters.c_str(), folder.c_str(), show);
  };
  services.ShowMessage = [](const AnsiString& text) { Application->MessageBox(text, MB_OK); };
  return services;
}

TAlarmServices& AlarmServices() {
  static TAlarmServices services = SystemAlarmServices();
  return services;
}
