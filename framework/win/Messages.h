// Messages: the framework's one window procedure and the one way its windows are created.
//
// Every window the framework makes, or takes over from the system (an edit's or a combo box's
// window, the children of a combo box), delivers its messages to a TMessageTarget through one
// entry, FrameworkWindowProc. CreateBoundWindow binds the target before the window's first
// message (WM_NCCREATE, and the WM_PARENTNOTIFY of children that a system control makes while
// it is created), whether the class is the framework's own or a system class that it subclasses.
// The entry is noexcept: whatever a handler throws is caught there and handed to the exception
// hook, since C++ exceptions must never unwind through the system's frames.
//
// TMessageWindow is the small hidden window of the application, the timers and the tray icon.
//
// Ownership: a binding does not own its target. A target unbinds itself (UnbindWindow) before it
// goes; the entry forgets a window after its WM_NCDESTROY.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>

#include "framework/core/Sysutils.h"
#include "framework/win/Handles.h"

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

// The framework's own messages.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_MOUSEENTER = CM_BASE + 1;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 2;
constexpr UINT CM_ENTER = CM_BASE + 3;
constexpr UINT CM_EXIT = CM_BASE + 4;
// A windowless control's press ends early: its parent window lost the mouse capture to another
// window (a menu, Alt+Tab, a window that called SetCapture).
constexpr UINT CM_CANCELMODE = CM_BASE + 6;
// The parent's colour or font changed; a control that follows it takes the new one.
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 7;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
// The control's Ctl3D changed: a control that draws a 3-D look draws itself again.
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 9;
// Alt and a character (WPARAM) were pressed in the control's form: a control whose caption
// has that accelerator acts on it and answers 1.
constexpr UINT CM_DIALOGCHAR = CM_BASE + 10;
// A reflected notification: CN_BASE + the original message.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
// Messages from CM_BASE up to here are ours alone and mean nothing to the system.
constexpr UINT CM_LAST = CN_BASE + 0x400;

// Receives the messages of the windows bound to it.
class TMessageTarget {
 public:
  // Handles one message; message.Result is the answer. `previous` is the window procedure the
  // window had before the framework took it over (a system class's), or null for the
  // framework's own classes; unhandled messages go there, or to DefWindowProc.
  virtual void TargetMessage(HWND window, TMessage& message, WNDPROC previous) = 0;
  // After WM_NCDESTROY: the window is gone and no longer bound.
  virtual void TargetWindowGone(HWND) {}

 protected:
  ~TMessageTarget() = default;
};

// Passes a message on to the window's previous procedure, or to DefWindowProc.
LRESULT CallPrevious(HWND window, const TMessage& message, WNDPROC previous);

// What CreateBoundWindow creates. A SystemClass ("EDIT", "COMBOBOX"...) is taken over; otherwise
// ClassName is registered once as a framework class with the given class style and icon.
struct TWindowRequest {
  const char* ClassName = nullptr;
  bool SystemClass = false;
  UINT ClassStyle = CS_DBLCLKS;
  HICON ClassIcon = nullptr;       // not owned; the class keeps them
  HICON ClassSmallIcon = nullptr;  // null: the system makes one from ClassIcon
  const char* Caption = "";
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND Parent = nullptr;
  HMENU Menu = nullptr;  // a child's identifier
};

// The one wrapper around CreateWindowEx. Binds `target` to the new window before its first
// message. Raises EOutOfResources with the system's error text when the window cannot be made.
HWND CreateBoundWindow(TMessageTarget& target, const TWindowRequest& request);
// Takes over a window someone else created (a combo box's edit and list): its messages reach
// `target` from now on. Nothing when it is bound already.
void BindWindow(HWND window, TMessageTarget& target);
// Gives the window its previous procedure back and forgets its target.
void UnbindWindow(HWND window);
// The target bound to a window, or null; and the procedure it had before it was taken over.
TMessageTarget* BoundTarget(HWND window);
WNDPROC BoundPrevious(HWND window);

// While one lives on a thread, the hook that binds new windows stays installed there: a form and
// its controls are made in a row, and installing and removing the hook for each window costs two
// round trips to the window server. Scopes nest; the outermost one removes the hook.
class TCreationBurst {
 public:
  TCreationBurst();
  ~TCreationBurst();
  TCreationBurst(const TCreationBurst&) = delete;
  TCreationBurst& operator=(const TCreationBurst&) = delete;
};

// The framework's window procedure; every framework class and every taken-over window uses it.
LRESULT CALLBACK FrameworkWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) noexcept;

// Shows an exception that escaped a handler; the application installs its display here. The
// hook may throw: ReportException stops whatever it throws.
using TExceptionHook = void (*)(const std::exception& error);
// Installs a hook (null: a plain message box) and answers the one it replaces.
TExceptionHook SetExceptionHook(TExceptionHook hook);
// Hands the exception being handled (call it inside a catch block) to the hook; never throws.
void ReportException() noexcept;

// A hidden window whose messages go to a handler: a message-only window, or a top-level one
// (the application's taskbar window, which must also hear broadcasts that message-only windows
// never get). All of them are of the one framework class "WeftUtility". The handler answers
// whether it handled the message; the others go to DefWindowProc.
class TMessageWindow : private TMessageTarget {
 public:
  using THandler = std::function<bool(TMessage& message)>;
  // A message-only window. `caption` tells it from the program's other hidden ones (for a tool
  // or a test that looks for it).
  explicit TMessageWindow(THandler handler, const char* caption = "");
  // A top-level window of the given styles and caption (the application's window). The icons
  // go to the class when this window is the first of it.
  TMessageWindow(THandler handler, DWORD style, DWORD ex_style, const char* caption, int x, int y,
                 HICON icon = nullptr, HICON small_icon = nullptr);
  ~TMessageWindow();
  TMessageWindow(const TMessageWindow&) = delete;
  TMessageWindow& operator=(const TMessageWindow&) = delete;

  HWND Handle() const { return window_.Get(); }

 private:
  void TargetMessage(HWND window, TMessage& message, WNDPROC previous) override;
  void TargetWindowGone(HWND window) override;
  THandler handler_;
  TWindowHandle window_;  // owned
};
