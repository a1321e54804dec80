// Times the window calls that start-up makes most, each many times in a row, and prints the
// mean cost of one. Under Wine a call that the window server answers (a window property, a
// window's z-order neighbour, a hook, a window position) is a round trip to another process;
// one that only reads the process's own copy of the window is not.
//
//   RoundTrips
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

namespace {

LRESULT CALLBACK Plain(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, msg, wparam, lparam);
}

LRESULT CALLBACK PassOn(int code, WPARAM wparam, LPARAM lparam) {
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

template <class F>
void Time(const char* name, int count, F call) {
  LARGE_INTEGER rate, start, end;
  QueryPerformanceFrequency(&rate);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < count; ++i) call(i);
  QueryPerformanceCounter(&end);
  const double micro = static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                       static_cast<double>(rate.QuadPart) / count;
  std::printf("%-36s %9.2f us\n", name, micro);
}

}  // namespace

int main() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = Plain;
  wc.hInstance = instance;
  wc.lpszClassName = "RoundTrips";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "RoundTrips", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, instance, nullptr);
  HWND first = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window,
                               nullptr, instance, nullptr);
  HWND second = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 20, 0, 10, 10, window,
                                nullptr, instance, nullptr);
  SetPropA(window, "RoundTrips", reinterpret_cast<HANDLE>(1));
  LONG_PTR sink = 0;  // printed at the end, so that no call is left out

  std::printf("answered in the process:\n");
  Time("GetWindowLongPtr", 20000, [&](int) { sink += GetWindowLongPtrA(window, GWLP_USERDATA); });
  Time("GetClientRect", 20000, [&](int) {
    RECT r;
    GetClientRect(first, &r);
    sink += r.right;
  });
  Time("IsWindowVisible", 20000, [&](int) { sink += IsWindowVisible(first); });
  std::printf("answered by the window server:\n");
  Time("GetProp", 5000, [&](int) {
    sink += reinterpret_cast<LONG_PTR>(GetPropA(window, "RoundTrips"));
  });
  Time("GetWindow (z-order neighbour)", 5000, [&](int) {
    sink += reinterpret_cast<LONG_PTR>(GetWindow(second, GW_HWNDPREV));
  });
  Time("InvalidateRect", 5000, [&](int) { InvalidateRect(first, nullptr, TRUE); });
  Time("GetDC (screen) + ReleaseDC", 2000, [&](int) { ReleaseDC(nullptr, GetDC(nullptr)); });
  Time("CreateCompatibleDC + DeleteDC", 2000, [&](int) { DeleteDC(CreateCompatibleDC(nullptr)); });
  Time("SetWindowsHookEx + UnhookWindowsHookEx", 2000, [&](int) {
    UnhookWindowsHookEx(SetWindowsHookExA(WH_CBT, PassOn, nullptr, GetCurrentThreadId()));
  });
  Time("SetWindowPos (z-order)", 2000, [&](int) {
    SetWindowPos(first, HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
  });
  Time("CreateWindowEx + DestroyWindow (button)", 200, [&](int) {
    DestroyWindow(CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window,
                                  nullptr, instance, nullptr));
  });
  // Made and destroyed apart: a top-level window's cost lies mostly in the making.
  static HWND made[100];
  auto make_and_destroy = [&](const char* name, HWND parent, DWORD style) {
    char label[80];
    std::snprintf(label, sizeof label, "CreateWindowEx (%s)", name);
    Time(label, 100, [&](int i) {
      made[i] = CreateWindowExA(0, "RoundTrips", "", style, 0, 0, 0, 0, parent, nullptr, instance,
                                nullptr);
    });
    std::snprintf(label, sizeof label, "DestroyWindow (%s)", name);
    Time(label, 100, [&](int i) { DestroyWindow(made[i]); });
  };
  make_and_destroy("hidden popup", nullptr, WS_POPUP);
  make_and_destroy("message-only", HWND_MESSAGE, 0);
  make_and_destroy("hidden child", window, WS_CHILD);
  // A tray icon's change: a call into the shell's process, which waits for its answer.
  NOTIFYICONDATAA tray{};
  tray.cbSize = NOTIFYICONDATAA_V1_SIZE;
  tray.hWnd = window;
  tray.uFlags = NIF_TIP;
  Shell_NotifyIconA(NIM_ADD, &tray);
  Time("Shell_NotifyIcon NIM_MODIFY", 100, [&](int i) {
    tray.szTip[0] = static_cast<char>('a' + i % 26);
    sink += Shell_NotifyIconA(NIM_MODIFY, &tray);
  });
  Shell_NotifyIconA(NIM_DELETE, &tray);
  DestroyWindow(window);
  std::printf("(checksum %ld)\n", static_cast<long>(sink & 1));
  return 0;
}
