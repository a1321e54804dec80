// Platform: small services of the system that every layer above needs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/core/Sysutils.h"

// The screen's resolution in pixels per inch, as the system tells programs that are aware of
// it (96 at 100 %, 144 at 150 %). With monitors of their own resolutions this is the one the
// system had when the program started; a window asks WindowPixelsPerInch.
int ScreenPixelsPerInch();

// The resolution of the monitor a window is on, which tests replace to put a window on a
// screen of another resolution than the system's.
struct TDpiServices {
  // GetDpiForWindow where the system has it (Windows 10 1607 on); elsewhere, and for no
  // window, the screen's.
  std::function<int(HWND window)> WindowPixelsPerInch;
};
// The process-wide instance, starting with the real call.
TDpiServices& DpiServices();
inline int WindowPixelsPerInch(HWND window) {
  return DpiServices().WindowPixelsPerInch(window);
}
// A system metric (GetSystemMetrics' SM_ index) at a resolution: the caption's icons, scroll
// bars and borders are as large on a monitor as its scale makes them, not as the system's
// (GetSystemMetricsForDpi, Windows 10 1607 on; before it, and for the system's resolution,
// the system's metric, scaled).
int SystemMetricForDpi(int index, int pixels_per_inch);
// The same for the monitor that `window` is on.
inline int SystemMetricForWindow(int index, HWND window) {
  return SystemMetricForDpi(index, WindowPixelsPerInch(window));
}

// Where a window of `width` x `height` that would stand at (left, top) goes to stay inside the
// work area of the monitor nearest `around`: moved back over an edge it passes; one larger than
// the work area keeps its top left corner inside. Unchanged where the monitor cannot be asked.
POINT InsideWorkArea(const RECT& around, int left, int top, int width, int height);

// Raises EOutOfResources with the system's text for the last error: "<what>: <system text>".
[[noreturn]] void RaiseLastOSError(const char* what);

// A function of a system library that the program needs only now and then (the file dialog,
// sound, accessibility), loaded from the system folder on its first use, so that starting the
// program does not pay for the library. Null when the library or the function is missing.
FARPROC SystemProcedure(const wchar_t* library, const char* name);
template <class T>
T SystemFunction(const wchar_t* library, const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(SystemProcedure(library, name)));
}

// The running program's full path in UTF-8, however long (GetModuleFileNameW, grown until it
// fits); the empty text when the system cannot tell.
AnsiString ModulePath();

// The texts of the program, UTF-8 like its file names, for the system's wide calls and back:
// the one place where the two meet.
std::wstring WideText(const AnsiString& text);
AnsiString TextOf(const wchar_t* text, size_t length);
inline AnsiString TextOf(const std::wstring& text) {
  return TextOf(text.data(), text.size());
}
// The same for file names.
inline std::wstring WidePath(const AnsiString& path) {
  return WideText(path);
}
inline AnsiString Utf8Path(const wchar_t* path, size_t length) {
  return TextOf(path, length);
}
