// Handles: owners of the system handles that are not GDI objects (those are in Graphics), so
// that a handle is released on every path out of a scope, exceptions included.
//
//   TWindowHandle   a window; DestroyWindow
//   TKernelHandle   a kernel object (file mapping, event, waitable timer); CloseHandle
//   TPaintDC        BeginPaint / EndPaint around one WM_PAINT
//   TWindowDC       GetDC / ReleaseDC
//   TSavedDC        SaveDC / RestoreDC: whatever a block selects or clips into a DC goes back
//   TScopeExit      runs a function when the scope ends
//
// Each owner is movable and not copyable; Release gives the handle up without closing it.
#pragma once

#include <windows.h>

#include <utility>

// Owns a window and destroys it when it goes.
class TWindowHandle {
 public:
  TWindowHandle() = default;
  explicit TWindowHandle(HWND window) : window_(window) {}
  ~TWindowHandle() { Reset(); }
  TWindowHandle(TWindowHandle&& other) noexcept : window_(other.Release()) {}
  TWindowHandle& operator=(TWindowHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  TWindowHandle(const TWindowHandle&) = delete;
  TWindowHandle& operator=(const TWindowHandle&) = delete;

  HWND Get() const { return window_; }
  explicit operator bool() const { return window_ != nullptr; }
  void Reset(HWND window = nullptr) {
    HWND old = std::exchange(window_, window);
    if (old && old != window) DestroyWindow(old);
  }
  HWND Release() { return std::exchange(window_, nullptr); }

 private:
  HWND window_ = nullptr;  // owned
};

// Owns a kernel handle. Both null and INVALID_HANDLE_VALUE mean "none", since the system's
// calls answer failure with one or the other.
class TKernelHandle {
 public:
  TKernelHandle() = default;
  explicit TKernelHandle(HANDLE handle) : handle_(Valid(handle) ? handle : nullptr) {}
  ~TKernelHandle() { Reset(); }
  TKernelHandle(TKernelHandle&& other) noexcept : handle_(other.Release()) {}
  TKernelHandle& operator=(TKernelHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  TKernelHandle(const TKernelHandle&) = delete;
  TKernelHandle& operator=(const TKernelHandle&) = delete;

  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(HANDLE handle = nullptr) {
    HANDLE old = std::exchange(handle_, Valid(handle) ? handle : nullptr);
    if (old && old != handle_) CloseHandle(old);
  }
  HANDLE Release() { return std::exchange(handle_, nullptr); }

 private:
  static bool Valid(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }
  HANDLE handle_ = nullptr;  // owned
};

// The framework watches the DCs it draws on for what Windows refuses and Wine lets pass
// (counted in GdiObjects): a GDI object of ours deleted while it is selected into one of them,
// and a DC released or deleted while one of our objects is still selected into it. Watches
// nest: a memory DC that a canvas draws on is watched twice.
void WatchDC(HDC dc);
// Ends one watch; `ending`: the DC is about to be released or deleted, so it is checked first.
void UnwatchDC(HDC dc, bool ending);

// The DC of one WM_PAINT: BeginPaint now, EndPaint when it goes. A WM_PAINT or WM_PRINTCLIENT
// that brings its own DC in WPARAM uses that one instead and ends nothing.
class TPaintDC {
 public:
  TPaintDC(HWND window, WPARAM given_dc)
      : window_(window), dc_(reinterpret_cast<HDC>(given_dc)), began_(given_dc == 0) {
    if (began_) dc_ = BeginPaint(window, &paint_);
    if (dc_) WatchDC(dc_);
  }
  ~TPaintDC() {
    // A given DC is its caller's, who may have selected our objects into it (a control that
    // draws in the font we gave it): only the paint we began ends here.
    if (dc_) UnwatchDC(dc_, began_);
    if (began_) EndPaint(window_, &paint_);
  }
  TPaintDC(const TPaintDC&) = delete;
  TPaintDC& operator=(const TPaintDC&) = delete;

  HDC Get() const { return dc_; }

 private:
  HWND window_;  // not owned
  HDC dc_;       // owned by the window while painting
  bool began_;
  PAINTSTRUCT paint_{};
};

// A window's DC (or the screen's, for a null window): GetDC now, ReleaseDC when it goes.
class TWindowDC {
 public:
  explicit TWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {
    if (dc_) WatchDC(dc_);
  }
  ~TWindowDC() {
    if (!dc_) return;
    UnwatchDC(dc_, true);
    ReleaseDC(window_, dc_);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;

  HDC Get() const { return dc_; }

 private:
  HWND window_;  // not owned
  HDC dc_;       // owned: released
};

// Saves a DC's state (selected objects, clipping, origin, modes) and restores it when it goes.
class TSavedDC {
 public:
  explicit TSavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~TSavedDC() {
    if (saved_) RestoreDC(dc_, saved_);
  }
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;

 private:
  HDC dc_;  // not owned
  int saved_;
};

// Runs `action` when the scope ends, unless dismissed.
template <class Action>
class TScopeExit {
 public:
  explicit TScopeExit(Action action) : action_(std::move(action)) {}
  ~TScopeExit() {
    if (armed_) action_();
  }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;
  void Dismiss() { armed_ = false; }

 private:
  Action action_;
  bool armed_ = true;
};
