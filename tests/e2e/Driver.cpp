#include "tests/e2e/Driver.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/Widefolder.h"

namespace driver {

bool WaitFor(const std::function<bool()>& done, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(20);
  }
}

std::string DistFolder() {
  // The download's unzipped folder stands in for the build's when the test is told so.
  if (const char* override_folder = getenv("WAKORA_DIST_OVERRIDE")) return override_folder;
  std::string path = WAKORA_DIST_DIR;
  // A Linux path of the build reaches Windows programs through drive Z:.
  if (!path.empty() && path[0] == '/') {
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    path = "Z:" + path;
  }
  return path;
}

std::wstring Wide(const std::string& utf8) {
  return widefolder::PathOf(utf8).wstring();
}

std::string Utf8(const std::wstring& wide) {
  return widefolder::Utf8Of(std::filesystem::path(wide));
}

std::string MakeTempFolder() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  // A download unzipped into a folder whose name the ANSI code page cannot hold.
  const std::string parent = Utf8(base) + widefolder::Name();
  CreateDirectoryW(Wide(parent).c_str(), nullptr);
  static int counter = 0;
  for (;;) {
    std::string folder = parent + "\\wakora-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(++counter);
    if (CreateDirectoryW(Wide(folder).c_str(), nullptr)) return folder;
  }
}

void CopyFiles(const std::string& from, const std::string& to, const std::string& pattern) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(from + "\\" + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = Utf8(found.cFileName);
    CopyFileW(Wide(from + "\\" + name).c_str(), Wide(to + "\\" + name).c_str(), FALSE);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

bool CopyOneFile(const std::string& from, const std::string& to) {
  return CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE) != 0;
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(widefolder::PathOf(path), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool SameFile(const std::string& a, const std::string& b) {
  const std::string left = ReadFile(a);
  return !left.empty() && left == ReadFile(b);
}

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run key's values whose command holds `folder`: their names and commands.
std::vector<std::pair<std::wstring, std::wstring>> RunValues(const std::string& folder) {
  std::vector<std::pair<std::wstring, std::wstring>> found;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return found;
  std::wstring needle = Wide(folder);
  CharLowerW(needle.data());
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    wchar_t data[4096] = L"";
    DWORD name_size = 256, data_size = sizeof data - sizeof(wchar_t), type = 0;
    if (RegEnumValueW(key, index, name, &name_size, nullptr, &type, reinterpret_cast<BYTE*>(data),
                      &data_size) != ERROR_SUCCESS) {
      break;
    }
    std::wstring command = data;
    CharLowerW(command.data());
    if (type == REG_SZ && command.find(needle) != std::wstring::npos) found.push_back({name, data});
  }
  RegCloseKey(key);
  return found;
}

}  // namespace

std::vector<std::wstring> Records(const std::string& folder) {
  std::vector<std::wstring> commands;
  for (const auto& value : RunValues(folder)) commands.push_back(value.second);
  return commands;
}

void ForgetRecords(const std::string& folder) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  for (const auto& value : RunValues(folder)) RegDeleteValueW(key, value.first.c_str());
  RegCloseKey(key);
}

Program::Program(DWORD process, const std::string& folder) : folder_(folder), title_("Wakora") {
  info_.dwProcessId = process;
  info_.hProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, process);
}

Program::Program(const std::string& folder, const std::string& exe, const std::string& arguments)
    : folder_(folder), title_(exe.substr(0, exe.rfind('.'))) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring command =
      Wide("\"" + folder + "\\" + exe + "\"" + (arguments.empty() ? "" : " " + arguments));
  CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, Wide(folder).c_str(),
                 &startup, &info_);
}

Program::~Program() {
  if (leave_running_) {
    if (info_.hProcess) CloseHandle(info_.hProcess);
    if (info_.hThread) CloseHandle(info_.hThread);
    return;
  }
  // A program ended from outside keeps the records of its alarms, as after a crash.
  if (Running()) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
    ForgetRecords(folder_);
  }
  if (info_.hProcess) CloseHandle(info_.hProcess);
  if (info_.hThread) CloseHandle(info_.hThread);
}

bool Program::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Program::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (info_.hProcess) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

bool Program::WaitForExit(DWORD milliseconds) {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0;
}

namespace {

struct FindTop {
  DWORD process;
  const char* class_name;
  const char* title;
  HWND found;
};

BOOL CALLBACK FindTopProc(HWND window, LPARAM data) {
  auto* find = reinterpret_cast<FindTop*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != find->process) return TRUE;
  char name[64];
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpiA(name, find->class_name) != 0) return TRUE;
  if (find->title && WindowText(window) != find->title) return TRUE;
  find->found = window;
  return FALSE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

}  // namespace

HWND Program::TopWindow(const char* class_name, const char* title) const {
  FindTop find{info_.dwProcessId, class_name, title, nullptr};
  EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&find));
  return find.found;
}

HWND Program::MessageWindow(const char* class_name, const char* title) const {
  for (HWND window = nullptr;
       (window = FindWindowExA(HWND_MESSAGE, window, class_name, title)) != nullptr;) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == info_.dwProcessId) return window;
  }
  return nullptr;
}

namespace {

struct FindDialog {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM data) {
  auto* find = reinterpret_cast<FindDialog*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[64];
  GetClassNameA(window, name, sizeof name);
  if (process == find->process && lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window)) {
    find->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

namespace {

struct FindText {
  const std::string& text;
  HWND found;
};

BOOL CALLBACK FindBoxWithText(HWND window, LPARAM data) {
  auto* find = reinterpret_cast<FindText*>(data);
  char name[64];
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window) &&
      MessageBoxText(window).rfind(find->text, 0) == 0) {
    find->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindMessageBox(const std::string& text) {
  FindText find{text, nullptr};
  EnumWindows(FindBoxWithText, reinterpret_cast<LPARAM>(&find));
  return find.found;
}

HWND Program::MessageBoxWindow() const {
  FindDialog find{info_.dwProcessId, nullptr};
  EnumWindows(FindVisibleDialog, reinterpret_cast<LPARAM>(&find));
  return find.found;
}

std::vector<HWND> Program::Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND Program::Child(const char* class_name, int index) const {
  HWND main = MainWindow();
  if (!main) return nullptr;
  for (HWND child : Children(main)) {
    char name[64];
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, class_name) == 0 && index-- == 0) return child;
  }
  return nullptr;
}

std::string WindowText(HWND window) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 2000, nullptr);
  return Utf8(text);
}

void SetText(HWND window, const std::string& text) {
  SetWindowTextW(window, Wide(text).c_str());
}

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t wide[256] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
    items.push_back(Utf8(wide));
  }
  return items;
}

int ComboIndex(HWND combo) {
  return static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
}

void ChooseComboItem(HWND combo, int index) {
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  const int id = GetDlgCtrlID(combo);
  SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

void Click(HWND window, int x, int y) {
  PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

std::string MessageBoxText(HWND box) {
  std::string text;
  for (HWND child : Program::Children(box)) {
    char name[64];
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0) text += WindowText(child);
  }
  return text;
}

void PressOk(HWND box) {
  for (HWND child : Program::Children(box)) {
    char name[64];
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Button") == 0) {
      PostMessageA(child, BM_CLICK, 0, 0);
      return;
    }
  }
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace driver
