// Trayicon: TTrayIcon, a non-visual component that keeps one icon in the notification area of
// the taskbar, reports clicks on it, opens a popup menu on a right click, can hide the
// application's taskbar button, and can make a program single-instance.
//
// Every tray operation hands the shell one notification record (TNotifyIconData, the first,
// 88-byte form of the shell's record) that the control keeps filled. The shell answers mouse
// actions on the icon with message 1025 to a hidden message-only window that the control owns;
// the shell's "TaskbarCreated" after Explorer restarts reaches it through the application's
// window.
//
// The icon is always there while it should be: at logon the taskbar may exist and not answer
// yet, so an icon the shell refused is added again on a timer until the shell takes it, and an
// icon the shell no longer knows (a refused change) is added anew.
//
// Ownership: the control owns its hidden window, its icon object (the shell only borrows the
// icon's handle) and the named file mapping of the single-instance check. The popup menu is
// not owned.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>

#include "framework/core/Classes.h"
#include "framework/core/Typinfo.h"
#include "framework/win/Graphics.h"
#include "framework/win/Menus.h"
#include "framework/win/WinControls.h"

// The shell's notification record in its first form; the shell tells the forms apart by
// cbSize, so the layout must not move.
struct TNotifyIconData {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  char szTip[64];
};
static_assert(sizeof(TNotifyIconData) == 88, "the shell expects the 88-byte record");
static_assert(offsetof(TNotifyIconData, cbSize) == 0);
static_assert(offsetof(TNotifyIconData, hWnd) == 4);
static_assert(offsetof(TNotifyIconData, uID) == 8);
static_assert(offsetof(TNotifyIconData, uFlags) == 12);
static_assert(offsetof(TNotifyIconData, uCallbackMessage) == 16);
static_assert(offsetof(TNotifyIconData, hIcon) == 20);
static_assert(offsetof(TNotifyIconData, szTip) == 24);

// The system calls of the tray icon, replaceable by tests: every shell call goes through
// ShellNotify, so that a test can watch the records; Halt ends a second instance (it flushes
// the C runtime's files and exits the process with code 0, without closing any window).
struct TTrayServices {
  std::function<BOOL(DWORD message, PNOTIFYICONDATAA data)> ShellNotify;
  std::function<void()> Halt;
};
// The process-wide instance, starting with the real calls.
TTrayServices& TrayServices();

class TTrayIcon : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  // Messages of the hidden window.
  static constexpr UINT TrayCallbackMessage =
      WM_USER + 1;  // from the shell; LPARAM = mouse message
  static constexpr UINT ApplyToolTipMessage = WM_USER + 2;  // apply the tool tip once more
  static constexpr size_t MaxToolTipLength = 62;
  // The timer of the hidden window that adds a refused icon again, and its interval.
  static constexpr UINT_PTR RetryTimer = 1;
  static constexpr UINT RetryInterval = 2000;

  explicit TTrayIcon(TComponent* owner);
  ~TTrayIcon() override;

  // The single-instance check (when IDMessage is set), then ShowApp is applied once more.
  void Loaded() override;
  // Forgets the popup menu when it goes.
  void Notification(TComponent* component, TOperation operation) override;

  bool Active() const { return FActive; }
  void SetActive(bool value);
  bool ShowDesigning() const { return FShowDesigning; }
  void SetShowDesigning(bool value);
  // The picture in the tray; owned. Changing it (by SetIcon or directly) updates the tray.
  TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(TIcon* icon);
  bool ShowApp() const { return FShowApp; }
  void SetShowApp(bool value);
  const AnsiString& ToolTip() const { return FToolTip; }
  void SetToolTip(const AnsiString& text);

  // Shell calls with the record; each answers whether the shell call succeeded. A refused add
  // is tried again on the retry timer; a refused change adds the icon anew.
  bool AddIcon();
  bool ModifyIcon();  // no shell call while inactive, and true
  bool DeleteIcon();  // with the record as last filled
  void FillDataStructure();
  void DoRightClick(TObject* sender);
  void GoToPreviousInstance();
  // Answers whether the message was the tray's own; the others go to the system.
  bool WndProc(TMessage& message);

  HWND WindowHandle() const { return FWindow.Handle(); }
  const TNotifyIconData& IconData() const { return FIconData; }
  UINT MessageID() const { return FMessageID; }
  HANDLE MappingHandle() const { return FMappingHandle.Get(); }

  // Name of the single-instance check; empty means no check.
  AnsiString IDMessage;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnRightClick;
  TPopupMenu* PopupMenu = nullptr;  // not owned

 private:
  // The icon is in the tray: Active at run time, ShowDesigning while designing.
  bool IconShown() const;

  TKernelHandle FMappingHandle;  // owned: marks this instance as running
  TNotifyIconData FIconData{};
  std::unique_ptr<TIcon> FIcon;  // owned
  AnsiString FToolTip;
  bool FActive = false;
  bool FShowApp = false;
  bool FShowDesigning = false;
  UINT FMessageID = 0;
  int FTaskbarHook = 0;    // on the application's window, for the shell's broadcast
  TMessageWindow FWindow;  // owned: hears the shell; last, so that it sees every field made
};

namespace Trayicon {
// Makes TTrayIcon known to form descriptions by its class name.
void Register();
}  // namespace Trayicon
