// Trayicon: TTrayIcon, a non-visual component that keeps one icon in the notification area of
// the taskbar, reports clicks on it, opens a popup menu on a right click, can hide the
// application's taskbar button, and can make a program single-instance.
//
// Every tray operation hands the shell one notification record (TNotifyIconData, the shell's
// wide record in its Vista form) that the control keeps filled. The shell answers actions on the
// icon with message 1025 to a hidden message-only window that the control owns, in version 4 of
// its protocol where the shell speaks it: clicks, Enter and Space on the icon, the menu (a right
// click, Shift+F10, the menu key) with the icon's place, and clicks on a notification. The
// shell's "TaskbarCreated" after Explorer restarts reaches the control through the
// application's window.
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

// The shell's notification record; the shell tells its forms apart by cbSize, so the layout
// must not move. The tip holds at most MaxToolTipLength characters of its 128.
using TNotifyIconData = NOTIFYICONDATAW;
static_assert(sizeof(TNotifyIconData) == 956, "the shell expects the Vista record");
static_assert(offsetof(TNotifyIconData, szTip) == 24);
static_assert(offsetof(TNotifyIconData, szInfo) == 288);
static_assert(offsetof(TNotifyIconData, szInfoTitle) == 804);

// The system calls of the tray icon, replaceable by tests: every shell call goes through
// ShellNotify, so that a test can watch the records; Halt ends a second instance (it flushes
// the C runtime's files and exits the process with code 0, without closing any window).
struct TTrayServices {
  std::function<BOOL(DWORD message, PNOTIFYICONDATAW data)> ShellNotify;
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
  // The protocol asked of the shell: clicks and keys on the icon, and the menu at its place.
  static constexpr UINT ShellVersion = 4;
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
  // Opens the popup menu and raises OnRightClick, at the cursor, or at `place` (the icon's, in
  // screen coordinates) when the shell gave it.
  void DoRightClick(TObject* sender);
  void DoRightClick(TObject* sender, POINT place);
  // A notification beside the icon with a title and a text (the shell shows it for a while);
  // a click on it raises OnBalloonClick. HideBalloon takes it away.
  bool ShowBalloon(const AnsiString& title, const AnsiString& text);
  bool HideBalloon();
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
  TNotifyEvent OnBalloonClick;
  TPopupMenu* PopupMenu = nullptr;  // not owned

 private:
  // The icon is in the tray: Active at run time, ShowDesigning while designing.
  bool IconShown() const;
  // Hands a notification to the shell with the icon's record; an empty text takes it away.
  bool Notify(const AnsiString& title, const AnsiString& text);

  TKernelHandle FMappingHandle;  // owned: marks this instance as running
  TNotifyIconData FIconData{};
  std::unique_ptr<TIcon> FIcon;  // owned
  AnsiString FToolTip;
  bool FActive = false;
  bool FShowApp = false;
  bool FShowDesigning = false;
  UINT FMessageID = 0;
  bool FVersion4 = false;  // the shell speaks version 4 of its protocol to us
  int FTaskbarHook = 0;    // on the application's window, for the shell's broadcast
  TMessageWindow FWindow;  // owned: hears the shell; last, so that it sees every field made
};

namespace Trayicon {
// Makes TTrayIcon known to form descriptions by its class name.
void Register();
}  // namespace Trayicon
