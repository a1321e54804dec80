// Starts the example built against the installed package and waits for its window: captioned
// "Hello, gauge", visible, holding its colour grid. Then closes it as a person would (the close
// box's message) and expects the program to end by itself, with exit code 0.
//   hellogauge_check PATH_TO_HelloGauge.exe
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct TSearch {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindShownWindow(HWND window, LPARAM lparam) {
  auto* search = reinterpret_cast<TSearch*>(lparam);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char caption[64] = "";
  GetWindowTextA(window, caption, sizeof caption);
  if (process == search->process && IsWindowVisible(window) &&
      std::string(caption) == "Hello, gauge" && GetWindow(window, GW_CHILD)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

int Fail(const char* what, PROCESS_INFORMATION& process) {
  std::printf("hello-gauge: %s\n", what);
  TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: hellogauge_check PATH_TO_HelloGauge.exe\n");
    return 2;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string command = std::string("\"") + argv[1] + "\"";
  if (!CreateProcessA(argv[1], command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::printf("hello-gauge: cannot start %s (error %lu)\n", argv[1], GetLastError());
    return 1;
  }

  TSearch search{process.dwProcessId, nullptr};
  for (int waited = 0; waited < 20000 && !search.found; waited += 100) {
    if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) {
      return Fail("ended before its window showed", process);
    }
    EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
  }
  if (!search.found) return Fail("no window \"Hello, gauge\" within 20 seconds", process);
  if (!FindWindowExA(search.found, nullptr, "TCColorGrid", nullptr)) {
    return Fail("its window holds no colour grid", process);
  }
  RECT bounds{};
  GetWindowRect(search.found, &bounds);
  std::printf("hello-gauge: window %ldx%ld at %ld,%ld\n", bounds.right - bounds.left,
              bounds.bottom - bounds.top, bounds.left, bounds.top);

  PostMessageA(search.found, WM_SYSCOMMAND, SC_CLOSE, 0);
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    return Fail("still running 10 seconds after its window was closed", process);
  }
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (code != 0) {
    std::printf("hello-gauge: ended with exit code %lu\n", code);
    return 1;
  }
  return 0;
}
