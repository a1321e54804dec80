// Hints: the application's one tip window, and when it shows.
//
// The message loop hands THintTracker every message it dispatches. When the mouse rests over a
// control whose ShowHint is on (ParentShowHint followed), the pause timer runs from the last move;
// when it fires, the tip shows the control's Hint (or, without one, the nearest parent's) below
// the pointer, and the hide timer starts. Leaving the control, a key, a click or the hide timer
// hide it, and it shows again only once the mouse has gone on to another control. Both timers run
// on the application's window, so tests drive them by sending it WM_TIMER.
//
// The tracker keeps no control between messages, only the window and point where the mouse
// rests, and finds the control there again: a control freed meanwhile leaves nothing behind.
//
// Ownership: the tracker owns the tip window; the tip window owns its font while it shows.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/win/GdiObjects.h"
#include "framework/win/Messages.h"

class TControl;

// A borderline popup in the system's tooltip colours and font that never takes the activation
// and lets the mouse through.
class THintWindow : private TMessageTarget {
 public:
  explicit THintWindow(HWND owner);
  ~THintWindow();
  THintWindow(const THintWindow&) = delete;
  THintWindow& operator=(const THintWindow&) = delete;

  // Shows the text with the tip's top left at a screen point; a tip that would leave the work
  // area moves back into it, above the point when there is no room below.
  void ActivateHint(POINT at, const AnsiString& text);
  void ReleaseHint();
  bool Showing() const;
  HWND Handle() const { return window_.Get(); }
  const AnsiString& Text() const { return text_; }

 private:
  void TargetMessage(HWND window, TMessage& message, WNDPROC previous) override;
  void TargetWindowGone(HWND window) override;
  void Paint(HDC dc);

  TWindowHandle window_;  // owned
  TGdiObject font_;       // owned: the system's tooltip font while the tip shows
  AnsiString text_;
};

class THintTracker {
 public:
  // The timer identifiers on the application's window.
  static constexpr UINT_PTR PauseTimer = 0x4801;
  static constexpr UINT_PTR HideTimer = 0x4802;

  THintTracker();
  ~THintTracker();
  // The window that runs the timers and owns the tip (the application's).
  void SetTimerWindow(HWND window) { timer_window_ = window; }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // In milliseconds.
  int Pause() const { return pause_; }
  void SetPause(int pause) { pause_ = pause; }
  int HidePause() const { return hide_pause_; }
  void SetHidePause(int pause) { hide_pause_ = pause; }

  // Every message the loop dispatches.
  void Observe(const MSG& msg);
  // A WM_TIMER of the timer window; false when it is not one of ours.
  bool Timer(UINT_PTR id);
  // The tip window, or null before the first tip.
  THintWindow* Window() const { return window_.get(); }
  // Hides the tip and forgets where the mouse rests.
  void Leave();

 private:
  void MouseMoved(HWND window, POINT point);
  // The tip stays away until the mouse reaches another control.
  void Dismiss();
  void ShowTip();
  void Hide();

  HWND timer_window_ = nullptr;  // not owned
  std::unique_ptr<THintWindow> window_;
  bool enabled_ = true;
  int pause_ = 500;
  int hide_pause_ = 2500;
  HWND rest_window_ = nullptr;  // not owned: where the mouse rests, found again when needed
  POINT rest_point_{};          // in rest_window_'s client coordinates
  // Compared, never followed: the control may be gone.
  const TControl* rest_control_ = nullptr;
  bool spent_ = false;  // shown or dismissed over rest_control_
};
