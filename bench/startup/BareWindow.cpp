// The yardstick of the start-up benchmark: a plain Win32 program that does the visible work
// of the alarm window and nothing else. Same caption, the same dialog frame and client size,
// the same windowed children at the same places (two drop-down lists, two edits, a time
// picker, a check box, two radio buttons, a button, a panel), the same font, and an icon in
// the notification area. No component framework, no form description, no language files.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <initializer_list>

namespace {

constexpr UINT kTrayMessage = WM_USER + 1;

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, msg, wparam, lparam);
  }
}

HWND Child(HWND parent, const char* class_name, const char* text, DWORD style, int x, int y,
           int width, int height, HFONT font) {
  HWND child = CreateWindowExA(0, class_name, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                               height, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
  InitCommonControlsEx(&init);
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.hIcon = LoadIconA(instance, "MAINICON");
  wc.lpszClassName = "BareWindow";
  RegisterClassA(&wc);

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD ex_style = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  RECT frame{0, 0, 392, 294};
  AdjustWindowRectEx(&frame, style, FALSE, ex_style);
  HWND window = CreateWindowExA(ex_style, "BareWindow", "Wakora 3.8", style, 236, 108,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, instance, nullptr);
  HFONT font =
      CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  Child(window, "STATIC", "", SS_SUNKEN, 335, 4, 43, 41, font);  // the panel
  Child(window, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 282, 107, 97, 150,
        font);
  Child(window, DATETIMEPICK_CLASSA, "", DTS_TIMEFORMAT | WS_TABSTOP, 48, 178, 73, 21, font);
  HWND sounds = Child(window, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 36, 112,
                      143, 150, font);
  for (const char* item : {"Wakora1", "Wakora2", "Wakora3", "UserSelected"}) {
    SendMessageA(sounds, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  SendMessageA(sounds, CB_SETCURSEL, 0, 0);
  Child(window, "BUTTON", "", BS_AUTOCHECKBOX | WS_TABSTOP, 34, 93, 12, 14, font);
  Child(window, "EDIT", "Time's up!", ES_AUTOHSCROLL | WS_TABSTOP, 147, 178, 216, 21, font);
  Child(window, "BUTTON", "", BS_AUTORADIOBUTTON | WS_TABSTOP, 32, 182, 13, 13, font);
  Child(window, "BUTTON", "", BS_AUTORADIOBUTTON | WS_TABSTOP, 32, 209, 13, 13, font);
  Child(window, "EDIT", "15", ES_MULTILINE | WS_TABSTOP, 49, 205, 42, 22, font);
  Child(window, "BUTTON", "...", BS_PUSHBUTTON | WS_TABSTOP, 180, 112, 23, 20, font);

  NOTIFYICONDATAA tray{};
  tray.cbSize = NOTIFYICONDATAA_V1_SIZE;
  tray.hWnd = window;
  tray.uFlags = NIF_MESSAGE | NIF_ICON;
  tray.uCallbackMessage = kTrayMessage;
  tray.hIcon = wc.hIcon;
  Shell_NotifyIconA(NIM_ADD, &tray);

  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  Shell_NotifyIconA(NIM_DELETE, &tray);
  DeleteObject(font);
  return 0;
}
