#include "framework/win/Platform.h"

#include <algorithm>

#include "framework/win/Handles.h"

void RaiseLastOSError(const char* what) {
  const DWORD error = GetLastError();
  AnsiString text;
  if (error != 0) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length && buffer) text = TextOf(buffer, length);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
      text.pop_back();
    }
    if (text.empty()) text = Format("System error %lu", static_cast<unsigned long>(error));
  } else {
    // GDI often fails without setting an error code.
    text = "Out of system resources";
  }
  throw EOutOfResources(Format("%s: %s", what, text.c_str()));
}

FARPROC SystemProcedure(const wchar_t* library, const char* name) {
  // A full path: a library of that name beside the program must not be taken instead.
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + library;
  HMODULE module = GetModuleHandleW(path.c_str());
  if (!module) module = LoadLibraryW(path.c_str());
  return module ? GetProcAddress(module, name) : nullptr;
}

AnsiString ModulePath() {
  // GetModuleFileNameW cuts the path short, without an error on older systems, when the
  // buffer is too small: grow it until the answer leaves room to spare.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return AnsiString();
    if (length < path.size() - 1) return Utf8Path(path.data(), length);
    path.resize(path.size() * 2);
  }
}

std::wstring WideText(const AnsiString& text) {
  const std::u16string wide = Utf8ToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

AnsiString TextOf(const wchar_t* text, size_t length) {
  if (!text) return AnsiString();
  return Utf16ToUtf8(std::u16string(text, text + length));
}

int ScreenPixelsPerInch() {
  // GetDpiForSystem exists from Windows 10 on; before, the screen DC's answer is the same one.
  using TGetDpiForSystem = UINT(WINAPI*)();
  static const auto get_dpi_for_system =
      SystemFunction<TGetDpiForSystem>(L"user32.dll", "GetDpiForSystem");
  if (get_dpi_for_system) {
    const UINT dpi = get_dpi_for_system();
    if (dpi > 0) return static_cast<int>(dpi);
  }
  const TWindowDC screen(nullptr);
  const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : 96;
}

int SystemMetricForDpi(int index, int pixels_per_inch) {
  using TGetSystemMetricsForDpi = int(WINAPI*)(int, UINT);
  static const auto for_dpi =
      SystemFunction<TGetSystemMetricsForDpi>(L"user32.dll", "GetSystemMetricsForDpi");
  const int system = ScreenPixelsPerInch();
  if (pixels_per_inch <= 0 || pixels_per_inch == system) return GetSystemMetrics(index);
  if (for_dpi) return for_dpi(index, static_cast<UINT>(pixels_per_inch));
  return MulDiv(GetSystemMetrics(index), pixels_per_inch, system);
}

POINT InsideWorkArea(const RECT& around, int left, int top, int width, int height) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  HMONITOR monitor = MonitorFromRect(&around, MONITOR_DEFAULTTONEAREST);
  if (!monitor || !GetMonitorInfoA(monitor, &info)) return {left, top};
  const RECT& work = info.rcWork;
  return {
      std::max(std::min(left, static_cast<int>(work.right) - width), static_cast<int>(work.left)),
      std::max(std::min(top, static_cast<int>(work.bottom) - height), static_cast<int>(work.top))};
}

TDpiServices& DpiServices() {
  static TDpiServices services{[](HWND window) {
    using TGetDpiForWindow = UINT(WINAPI*)(HWND);
    static const auto get_dpi_for_window =
        SystemFunction<TGetDpiForWindow>(L"user32.dll", "GetDpiForWindow");
    // Zero for a window that is gone.
    const UINT dpi = window && get_dpi_for_window ? get_dpi_for_window(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : ScreenPixelsPerInch();
  }};
  return services;
}
