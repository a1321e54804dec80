// Handles: owners of the system handles, so that a handle is released on every path out of a
// scope, exceptions included. One template, TOwnedHandle, with a policy per kind of handle; the
// GDI objects' policies (counted and checked) are in GdiObjects.
//
//   TWindowHandle   a window; DestroyWindow
//   TKernelHandle   a kernel object (file mapping, event, waitable timer); CloseHandle
//   TMenuHandle     a menu; DestroyMenu
//   TPaintDC        BeginPaint / EndPaint around one WM_PAINT
//   TWindowDC       GetDC or GetWindowDC / ReleaseDC
//   TSavedDC        SaveDC / RestoreDC: whatever a block selects or clips into a DC goes back
//   TScopeExit      runs a function when the scope ends
//
// Each owner is movable and not copyable; Release gives the handle up without closing it.
#pragma once

#include <windows.h>

#include <utility>

// Owns one system handle and closes it when it goes, on every path out of a scope. The policy
// says what the handle is and what owning it means:
//   THandle              the handle's type
//   Valid(handle)        whether it names an object (a failed call may answer another "none")
//   Check(handle)        the owning constructor's check (a GDI object raises on a failed creation)
//   Taken(handle)        ownership begins (the GDI objects are counted)
//   Given(handle)        ownership ends without closing (Release)
//   Close(handle)        ownership ends by closing
template <class Policy>
class TOwnedHandle {
 public:
  using THandle = typename Policy::THandle;

  TOwnedHandle() = default;
  explicit TOwnedHandle(THandle handle) {
    Policy::Check(handle);
    Reset(handle);
  }
  ~TOwnedHandle() { Reset(); }
  TOwnedHandle(TOwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, THandle{})) {}
  TOwnedHandle& operator=(TOwnedHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, THandle{});
    }
    return *this;
  }
  TOwnedHandle(const TOwnedHandle&) = delete;
  TOwnedHandle& operator=(const TOwnedHandle&) = delete;

  THandle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != THandle{}; }
  // Closes the old handle and owns the new one. The old one is still held while it closes: a
  // window's last messages (WM_DESTROY, WM_NCDESTROY) reach an owner that still knows it, and
  // the owner may let go of it there (Release) when the system tells it the window is gone.
  void Reset(THandle handle = THandle{}) {
    if (!Policy::Valid(handle)) handle = THandle{};
    if (handle == handle_) return;
    if (handle_) Policy::Close(handle_);
    handle_ = handle;
    if (handle) Policy::Taken(handle);
  }
  // Gives the handle up without closing it.
  THandle Release() {
    const THandle handle = std::exchange(handle_, THandle{});
    if (handle) Policy::Given(handle);
    return handle;
  }

 private:
  THandle handle_{};  // owned
};

// The policies whose owning costs nothing beyond the close.
template <class Handle>
struct TPlainHandlePolicy {
  using THandle = Handle;
  static bool Valid(Handle handle) { return handle != nullptr; }
  static void Check(Handle) {}
  static void Taken(Handle) {}
  static void Given(Handle) {}
};

struct TWindowPolicy : TPlainHandlePolicy<HWND> {
  static void Close(HWND window) { DestroyWindow(window); }
};
// A window; DestroyWindow.
using TWindowHandle = TOwnedHandle<TWindowPolicy>;

struct TKernelPolicy : TPlainHandlePolicy<HANDLE> {
  // The system's calls answer failure with null or with INVALID_HANDLE_VALUE.
  static bool Valid(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};
// A kernel object (file mapping, event, waitable timer); CloseHandle.
using TKernelHandle = TOwnedHandle<TKernelPolicy>;

struct TMenuPolicy : TPlainHandlePolicy<HMENU> {
  static void Close(HMENU menu) { DestroyMenu(menu); }
};
// A menu that no window holds; DestroyMenu.
using TMenuHandle = TOwnedHandle<TMenuPolicy>;

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

// A window's DC (or the screen's, for a null window): GetDC now, or GetWindowDC for the whole
// window with its frame; ReleaseDC when it goes. Get() is null when the system gave none.
class TWindowDC {
 public:
  enum class TArea { Client, Whole };
  explicit TWindowDC(HWND window, TArea area = TArea::Client)
      : window_(window), dc_(area == TArea::Whole ? GetWindowDC(window) : GetDC(window)) {
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
