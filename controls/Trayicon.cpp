#include "controls/Trayicon.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "framework/win/Forms.h"
#include "framework/win/Platform.h"

namespace {

constexpr UINT kAllFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

void HaltProcess() {
  std::fflush(nullptr);
  ExitProcess(0);
}

// The shell broadcasts this to every top-level window when the taskbar is created again
// (Explorer restarted); icons that were in the old tray must be added anew.
UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarCreated");
  return message;
}

// A program of higher integrity than Explorer (run as administrator) hears the broadcast only
// when it lets the message through its window's filter. Windows 7 filters per window, Vista
// per process; earlier systems have no filter.
void LetTaskbarCreatedThrough(HWND window) {
  using TPerWindow = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  using TPerProcess = BOOL(WINAPI*)(UINT, DWORD);
  static const auto per_window =
      SystemFunction<TPerWindow>(L"user32.dll", "ChangeWindowMessageFilterEx");
  static const auto per_process =
      SystemFunction<TPerProcess>(L"user32.dll", "ChangeWindowMessageFilter");
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW and MSGFLT_ADD
  const UINT message = TaskbarCreatedMessage();
  if (message == 0) return;
  if (per_window) {
    per_window(window, message, kAllow, nullptr);
  } else if (per_process) {
    per_process(message, kAllow);
  }
}

}  // namespace

TTrayServices& TrayServices() {
  static TTrayServices services{Shell_NotifyIconW, HaltProcess};
  return services;
}

const TClassInfo& TTrayIcon::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TTrayIcon>("TTrayIcon", &TComponent::StaticClassInfo())
          .Property("Active", &TTrayIcon::Active, &TTrayIcon::SetActive)
          .Property("ShowDesigning", &TTrayIcon::ShowDesigning, &TTrayIcon::SetShowDesigning)
          .ObjectProperty("Icon", &TTrayIcon::Icon)
          .Property("IDMessage", &TTrayIcon::IDMessage, &TTrayIcon::IDMessage)
          .Property("ShowApp", &TTrayIcon::ShowApp, &TTrayIcon::SetShowApp)
          .Property("ToolTip", &TTrayIcon::ToolTip, &TTrayIcon::SetToolTip)
          .Property("OnClick", &TTrayIcon::OnClick, &TTrayIcon::OnClick)
          .Property("OnDblClick", &TTrayIcon::OnDblClick, &TTrayIcon::OnDblClick)
          .Property(
              "OnRightClick", &TTrayIcon::OnRightClick, &TTrayIcon::OnRightClick,
              Handler("TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y"))
          .Property("PopupMenu", &TTrayIcon::PopupMenu, &TTrayIcon::PopupMenu)
          .Build();
  return info;
}

TTrayIcon::TTrayIcon(TComponent* owner)
    : TComponent(owner),
      FIcon(std::make_unique<TIcon>()),
      // Message-only: a hidden top-level window costs the program several milliseconds at
      // start-up and shows up among its windows. The broadcast it would hear comes through
      // the application's window instead.
      FWindow([this](TMessage& message) { return WndProc(message); }, "TTrayIcon") {
  // The form description reads the picture straight into the icon object ("Icon.Data"), so
  // every change of the picture, not only SetIcon, reaches the tray.
  FIcon->OnChange = [this](TObject*) { ModifyIcon(); };
  if (Application) {
    FTaskbarHook = Application->HookMainWindow([this](TMessage& message) {
      // The shell broadcasts it to the top-level windows when the taskbar is made again.
      const UINT taskbar_created = TaskbarCreatedMessage();
      if (taskbar_created != 0 && message.Msg == taskbar_created && IconShown()) AddIcon();
      return false;
    });
    LetTaskbarCreatedThrough(Application->Handle());
  }
  SetShowApp(false);
}

TTrayIcon::~TTrayIcon() {
  if (Application) Application->UnhookMainWindow(FTaskbarHook);
  FMappingHandle.Reset();
  if (IconShown()) DeleteIcon();
  FIcon->OnChange = nullptr;
}

bool TTrayIcon::WndProc(TMessage& message) {
  if (message.Msg == ApplyToolTipMessage) {
    SetToolTip(FToolTip);
  } else if (message.Msg == WM_TIMER && message.WParam == RetryTimer) {
    if (IconShown()) {
      AddIcon();
    } else {
      KillTimer(FWindow.Handle(), RetryTimer);
    }
  } else if (message.Msg == TrayCallbackMessage) {
    // Version 4 puts the event in the low word and the icon's place in WPARAM; before it,
    // LPARAM is the mouse message alone.
    const UINT event = FVersion4 ? LOWORD(message.LParam) : static_cast<UINT>(message.LParam);
    switch (event) {
      case WM_LBUTTONUP:
      case NIN_KEYSELECT:  // Enter or Space on the icon (version 4)
        OnClick(this);
        break;
      case WM_LBUTTONDBLCLK:
        OnDblClick(this);
        break;
      case WM_RBUTTONUP:
        // In version 4 the menu comes with WM_CONTEXTMENU, from the keyboard too.
        if (!FVersion4) DoRightClick(this);
        break;
      case WM_CONTEXTMENU:
        if (FVersion4) {
          DoRightClick(this, POINT{static_cast<short>(LOWORD(message.WParam)),
                                   static_cast<short>(HIWORD(message.WParam))});
        }
        break;
      case NIN_BALLOONUSERCLICK:
        OnBalloonClick(this);
        break;
      default:
        break;
    }
  } else {
    return false;
  }
  message.Result = 0;
  return true;
}

bool TTrayIcon::IconShown() const {
  return IsDesigning() ? FShowDesigning : FActive;
}

void TTrayIcon::SetActive(bool value) {
  if (value == FActive) return;
  FActive = value;
  if (IsDesigning()) return;
  if (value) {
    AddIcon();
  } else {
    DeleteIcon();
  }
}

void TTrayIcon::SetShowDesigning(bool value) {
  if (!IsDesigning() || value == FShowDesigning) return;
  FShowDesigning = value;
  if (value) {
    AddIcon();
  } else {
    DeleteIcon();
  }
}

void TTrayIcon::SetShowApp(bool value) {
  FShowApp = value;
  if (IsDesigning() || !Application) return;
  // Also when nothing changed: the window may have been shown or hidden behind our back.
  ShowWindow(Application->Handle(), value ? SW_SHOW : SW_HIDE);
}

void TTrayIcon::SetIcon(TIcon* icon) {
  if (icon == FIcon.get()) return;
  // The icon's change notification calls ModifyIcon.
  FIcon->Assign(icon);
}

void TTrayIcon::SetToolTip(const AnsiString& text) {
  FToolTip = Utf8Prefix(text, MaxToolTipLength);
  ModifyIcon();
}

void TTrayIcon::FillDataStructure() {
  FIconData = TNotifyIconData{};
  FIconData.cbSize = sizeof(TNotifyIconData);
  FIconData.hWnd = FWindow.Handle();
  FIconData.uID = 0;
  // Version 4 shows the tip only when asked to.
  FIconData.uFlags = kAllFlags | NIF_SHOWTIP;
  FIconData.uCallbackMessage = TrayCallbackMessage;
  // The notification area shows small icons: the system's size, which grows with the screen's
  // resolution, drawn from the file's nearest image.
  FIconData.hIcon =
      FIcon->HandleOfSize(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
  const std::wstring tip = WideText(FToolTip);
  tip.copy(FIconData.szTip, std::size(FIconData.szTip) - 1);
}

bool TTrayIcon::AddIcon() {
  FillDataStructure();
  const bool added = TrayServices().ShellNotify(NIM_ADD, &FIconData);
  if (added) {
    // An older shell keeps to its first protocol, and says so.
    FIconData.uVersion = ShellVersion;
    FVersion4 = TrayServices().ShellNotify(NIM_SETVERSION, &FIconData) != FALSE;
    FIconData.uVersion = 0;
    KillTimer(FWindow.Handle(), RetryTimer);
  } else {
    // Refused (the taskbar does not answer yet): again and again until it takes the icon.
    SetTimer(FWindow.Handle(), RetryTimer, RetryInterval, nullptr);
  }
  if (FToolTip.empty()) PostMessageA(FWindow.Handle(), ApplyToolTipMessage, 0, 0);
  return added;
}

bool TTrayIcon::ModifyIcon() {
  FillDataStructure();
  if (!FActive) return true;
  // The shell no longer knows an icon whose add it refused, or that a new taskbar lost.
  return TrayServices().ShellNotify(NIM_MODIFY, &FIconData) || AddIcon();
}

bool TTrayIcon::DeleteIcon() {
  KillTimer(FWindow.Handle(), RetryTimer);
  return TrayServices().ShellNotify(NIM_DELETE, &FIconData);
}

bool TTrayIcon::Notify(const AnsiString& title, const AnsiString& text) {
  if (!FActive) return false;
  FillDataStructure();
  FIconData.uFlags |= NIF_INFO;
  WideText(text).copy(FIconData.szInfo, std::size(FIconData.szInfo) - 1);
  WideText(title).copy(FIconData.szInfoTitle, std::size(FIconData.szInfoTitle) - 1);
  FIconData.dwInfoFlags = NIIF_INFO;
  const bool shown = TrayServices().ShellNotify(NIM_MODIFY, &FIconData) != FALSE;
  // Later changes of the icon or tip must not show the notification again.
  FillDataStructure();
  return shown;
}

bool TTrayIcon::ShowBalloon(const AnsiString& title, const AnsiString& text) {
  // An empty text would take the notification away: a blank keeps it a notification.
  return Notify(title, text.empty() ? AnsiString(" ") : text);
}

bool TTrayIcon::HideBalloon() {
  return Notify("", "");
}

void TTrayIcon::DoRightClick(TObject* sender) {
  POINT cursor{0, 0};
  GetCursorPos(&cursor);
  DoRightClick(sender, cursor);
}

void TTrayIcon::DoRightClick(TObject* sender, POINT cursor) {
  if (PopupMenu) {
    // A tray menu closes properly when the user clicks elsewhere only if the program is in the
    // foreground when the menu opens.
    if (Application) {
      SetForegroundWindow(Application->Handle());
      Application->ProcessMessages();
    }
    PopupMenu->Popup(cursor.x, cursor.y);
  }
  OnRightClick(sender, TMouseButton::mbRight, 0, cursor.x, cursor.y);
}

void TTrayIcon::GoToPreviousInstance() {
  PostMessageA(HWND_BROADCAST, FMessageID, 0, 0);
}

void TTrayIcon::Loaded() {
  TComponent::Loaded();
  if (!IDMessage.empty()) {
    FMessageID = RegisterWindowMessageW(WideText(IDMessage).c_str());
    // A second Loaded must not find our own mapping and take us for a second instance.
    FMappingHandle.Reset();
    FMappingHandle.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 32,
                                            WideText(IDMessage).c_str()));
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS && !IsDesigning()) {
      GoToPreviousInstance();
      // A form adds a stored Active icon before Loaded; the halt closes no window that would
      // take it away, and the shell would keep a dead icon until the mouse passes over it.
      SetActive(false);
      TrayServices().Halt();
    }
  }
  SetShowApp(FShowApp);
}

void TTrayIcon::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == PopupMenu) PopupMenu = nullptr;
}

namespace Trayicon {
void Register() {
  RegisterComponentClass(TTrayIcon::StaticClassInfo());
}
}  // namespace Trayicon
