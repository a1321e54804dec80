#include "app/Handover.h"

#include <sddl.h>
#include <shellapi.h>

#include "framework/win/Forms.h"
#include "framework/win/Handles.h"
#include "framework/win/Platform.h"
#include "lang/Watranskomp.h"

std::vector<AnsiString> CommandLineArguments() {
  std::vector<AnsiString> arguments;
  int count = 0;
  LPWSTR* split = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!split) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8Path(split[i], wcslen(split[i])));
  LocalFree(split);
  return arguments;
}

AnsiString ResolveExistingFile(const AnsiString& name) {
  if (name.empty()) return AnsiString();
  const std::wstring wide = WidePath(name);
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return AnsiString();
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return AnsiString();
  const AnsiString path = Utf8Path(full.data(), length);
  return FileExists(path) ? path : AnsiString();
}

void ShowStartMessage(const TStartRequest& request) {
  // Only reads the language files: a message changes none of them, and ends nothing.
  const WaTrans catalogue(WaTrans::TMode::ReadOnly);
  const AnsiString message = StartMessage(
      request, [&](int number) { return catalogue.Text(number); },
      TextFromUtf8(request.BadArgument));
  const UINT icon = request.Kind == TStartKind::Bad ? MB_ICONERROR : MB_ICONINFORMATION;
  MessageBoxA(nullptr, message.c_str(), Application->Title().c_str(),
              MB_OK | icon | MB_SETFOREGROUND);
}

bool ReadHandOver(const COPYDATASTRUCT* data, const TFileResolver& resolve, TAlarmRequest& alarm) {
  if (!data || data->dwData != kHandOverTag || (!data->lpData && data->cbData != 0)) return false;
  std::vector<AnsiString> arguments;
  if (!UnpackArguments({static_cast<const char*>(data->lpData), data->cbData}, arguments)) {
    return false;
  }
  const TStartRequest request = ParseStartArguments(arguments, resolve);
  if (request.Kind != TStartKind::Alarm) return false;
  alarm = request.Alarm;
  return true;
}

// ---------------------------------------------------------------------------------------------
// The running copy

namespace {

// The user's security identifier as text: two users of one session get objects of their own.
AnsiString UserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return AnsiString();
  const TKernelHandle owned_token(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> user(size);
  if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size)) {
    return AnsiString();
  }
  LPSTR text = nullptr;
  if (!ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text)) {
    return AnsiString();
  }
  AnsiString sid = text;
  LocalFree(text);
  return sid;
}

}  // namespace

// The mapping's one entry. Other processes read and write it at the same time: the process id
// is what makes an entry, written last and taken out with one atomic exchange.
struct TRunningCopy::TEntry {
  volatile LONG ProcessId;  // 0: no copy entered
  LONG Reserved;
  volatile ULONG64 Window;
};
static_assert(sizeof(ULONG64) == 8 && sizeof(LONG) == 4, "the entry's layout is shared");

TRunningCopy::TRunningCopy(const AnsiString& name) {
  const AnsiString base = "Local\\" + name + ".Alarm." + UserSid();
  FMutex = TKernelHandle(CreateMutexA(nullptr, FALSE, (base + ".Lock").c_str()));
  FMapping = TKernelHandle(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                              sizeof(TEntry), base.c_str()));
  if (FMapping) {
    FEntry = static_cast<TEntry*>(
        MapViewOfFile(FMapping.Get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(TEntry)));
  }
}

TRunningCopy::~TRunningCopy() {
  if (FEntry) {
    // Ours only: a copy that entered itself meanwhile stays entered.
    InterlockedCompareExchange(&FEntry->ProcessId, 0, static_cast<LONG>(GetCurrentProcessId()));
    UnmapViewOfFile(FEntry);
  }
  Unlock();
}

bool TRunningCopy::Lock() {
  if (FLocked || !FMutex) return FLocked;
  // A copy that died holding the mutex leaves it abandoned, and so ours.
  const DWORD result = WaitForSingleObject(FMutex.Get(), kHandOverTimeout);
  FLocked = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  return FLocked;
}

void TRunningCopy::Unlock() {
  if (FLocked) ReleaseMutex(FMutex.Get());
  FLocked = false;
}

HWND TRunningCopy::EnteredWindow() const {
  if (!FEntry) return nullptr;
  const auto process = static_cast<DWORD>(FEntry->ProcessId);
  const auto window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(FEntry->Window));
  // A crashed copy's window is gone, or its handle now belongs to another process.
  DWORD owner = 0;
  if (process == 0 || !IsWindow(window) || !GetWindowThreadProcessId(window, &owner) ||
      owner != process) {
    return nullptr;
  }
  return window;
}

bool TRunningCopy::HandOver(const TAlarmRequest& alarm) {
  Lock();
  const HWND window = EnteredWindow();
  if (!window) return false;
  Unlock();
  const AnsiString block = PackArguments(AlarmArguments(alarm));
  COPYDATASTRUCT data{kHandOverTag, static_cast<DWORD>(block.size()),
                      const_cast<char*>(block.data())};
  // A countdown of 0 minutes rings at once: the running copy may then come to the front.
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  AllowSetForegroundWindow(process);
  DWORD_PTR answer = FALSE;
  if (SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                          kHandOverTimeout, &answer) &&
      answer == TRUE) {
    return true;
  }
  FRefused = true;
  Lock();
  return false;
}

void TRunningCopy::Enter(HWND window) {
  Lock();
  if (FEntry && (FRefused || !EnteredWindow())) {
    FEntry->Window = reinterpret_cast<ULONG_PTR>(window);
    InterlockedExchange(&FEntry->ProcessId, static_cast<LONG>(GetCurrentProcessId()));
  }
  Unlock();
}
