// A program for the single-instance test: one tray icon with Active true and IDMessage set,
// loaded in the order a form loads it (Active, the other properties, then Loaded). Every icon
// it adds to or deletes from the notification area is written into its result file as "add"
// or "delete". A second copy ends inside Loaded. A copy that goes on writes "running",
// signals "<name>-ready", waits up to ten seconds for the registered message, then writes
// "received" or "timeout". Given an icon file, it shows that icon (for a look at the tray).
//
//   TrayInstance.exe NAME RESULT_FILE [ICON_FILE]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "controls/Trayicon.h"
#include "framework/win/Forms.h"

namespace {

void WriteResult(const char* file, const char* text) {
  if (FILE* out = std::fopen(file, "ab")) {
    std::fprintf(out, "%s\n", text);
    std::fclose(out);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc != 3 && __argc != 4) return 2;
  const char* name = __argv[1];
  const char* result_file = __argv[2];
  InitApplication();
  Application->Initialize();
  const auto shell = TrayServices().ShellNotify;
  TrayServices().ShellNotify = [shell, result_file](DWORD message, PNOTIFYICONDATAW data) {
    if (message == NIM_ADD) WriteResult(result_file, "add");
    if (message == NIM_DELETE) WriteResult(result_file, "delete");
    return shell(message, data);
  };
  TComponent owner(nullptr);
  auto* tray = new TTrayIcon(&owner);
  tray->SetActive(true);
  if (__argc == 4) tray->Icon()->LoadFromFile(__argv[3]);
  tray->IDMessage = name;
  if (__argc == 4) tray->SetToolTip("Wakora");
  tray->Loaded();

  WriteResult(result_file, "running");
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, (AnsiString(name) + "-ready").c_str());
  SetEvent(ready);
  bool received = false;
  const DWORD end = GetTickCount() + 10000;
  while (!received && GetTickCount() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == tray->MessageID()) received = true;
      DispatchMessageA(&msg);
    }
  }
  WriteResult(result_file, received ? "received" : "timeout");
  CloseHandle(ready);
  return received ? 0 : 1;
}
