#include "app/Handover.h"

#include <sddl.h>
#include <shellapi.h>

#include "app/Services.h"
#include "framework/win/Forms.h"
#include "framework/win/Handles.h"
#include "framework/win/Platform.h"
#include "lang/Watranskomp.h"

std::vector<AnsiString> StartArguments() {
  std::vector<AnsiString> arguments = CommandLineArguments(GetCommandLineW());
  std::vector<AnsiString> recorded;
  if (arguments.size() == 2 && arguments[0].size() == 3 &&
      (arguments[0][0] == '/' || arguments[0][0] == '-') &&
      AsciiLowerCase(arguments[0].substr(1)) == "id" && RecordedArguments(arguments[1], recorded)) {
    return recorded;
  }
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
  const AnsiString message =
      StartMessage(request, [&](int number) { return catalogue.Text(number); });
  const UINT icon = request.Kind == TStartKind::Bad ? MB_ICONERROR : MB_ICONINFORMATION;
  MessageBoxW(nullptr, WideText(message).c_str(), WideText(Application->Title()).c_str(),
              MB_OK | icon | MB_SETFOREGROUND);
}

void ShowMissingLanguageFiles(const std::vector<AnsiString>& missing) {
  AnsiString message = "Wakora cannot set this alarm: its language files are missing.\n";
  for (const AnsiString& file : missing) message += "\n" + file;
  message += "\n\nPut the language files that came with Wakora beside the program.";
  MessageBoxW(nullptr, WidePath(message).c_str(), L"Wakora",
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
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
// The running copies

namespace {

// The user's security identifier, and as text.
struct TUserSid {
  std::vector<BYTE> Bytes;
  AnsiString Text;
  PSID Sid() { return Bytes.empty() ? nullptr : Bytes.data(); }
};

TUserSid UserSid() {
  TUserSid user;
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return user;
  const TKernelHandle owned_token(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return user;
  const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  LPSTR text = nullptr;
  if (!IsValidSid(sid) || !ConvertSidToStringSidA(sid, &text)) return user;
  user.Text = text;
  LocalFree(text);
  user.Bytes.assign(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + GetLengthSid(sid));
  return user;
}

// A security descriptor whose DACL lets the user alone in; freed with it.
class TUserOnly {
 public:
  explicit TUserOnly(const AnsiString& sid) {
    const std::wstring text = L"D:P(A;;GA;;;" + WidePath(sid) + L")";
    if (!sid.empty() && ConvertStringSecurityDescriptorToSecurityDescriptorW(
                            text.c_str(), SDDL_REVISION_1, &descriptor_, nullptr)) {
      attributes_.lpSecurityDescriptor = descriptor_;
    }
  }
  ~TUserOnly() { LocalFree(descriptor_); }
  TUserOnly(const TUserOnly&) = delete;
  TUserOnly& operator=(const TUserOnly&) = delete;
  SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
};

// The private namespace calls, loaded where the system has them (Wine has not).
struct TNamespaceCalls {
  HANDLE(WINAPI* CreateBoundary)(LPCWSTR, ULONG);
  BOOL(WINAPI* AddSid)(HANDLE*, PSID);
  VOID(WINAPI* DeleteBoundary)(HANDLE);
  HANDLE(WINAPI* Create)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
  HANDLE(WINAPI* Open)(LPVOID, LPCWSTR);
  BOOLEAN(WINAPI* Close)(HANDLE, ULONG);
  bool Present() const {
    return CreateBoundary && AddSid && DeleteBoundary && Create && Open && Close;
  }
};

const TNamespaceCalls& NamespaceCalls() {
  static const TNamespaceCalls calls{
      SystemFunction<decltype(TNamespaceCalls::CreateBoundary)>(L"kernel32.dll",
                                                                "CreateBoundaryDescriptorW"),
      SystemFunction<decltype(TNamespaceCalls::AddSid)>(L"kernel32.dll",
                                                        "AddSIDToBoundaryDescriptor"),
      SystemFunction<decltype(TNamespaceCalls::DeleteBoundary)>(L"kernel32.dll",
                                                                "DeleteBoundaryDescriptor"),
      SystemFunction<decltype(TNamespaceCalls::Create)>(L"kernel32.dll", "CreatePrivateNamespaceW"),
      SystemFunction<decltype(TNamespaceCalls::Open)>(L"kernel32.dll", "OpenPrivateNamespaceW"),
      SystemFunction<decltype(TNamespaceCalls::Close)>(L"kernel32.dll", "ClosePrivateNamespace"),
  };
  return calls;
}

// Creates or opens the namespace `alias` bounded by the user's SID; null where it cannot.
HANDLE OpenUserNamespace(const std::wstring& alias, PSID sid, SECURITY_ATTRIBUTES* attributes) {
  const TNamespaceCalls& calls = NamespaceCalls();
  if (!calls.Present() || !sid) return nullptr;
  HANDLE boundary = calls.CreateBoundary(alias.c_str(), 0);
  if (!boundary) return nullptr;
  HANDLE space = nullptr;
  if (calls.AddSid(&boundary, sid)) {
    // Another copy may close the last handle between our two calls: try once more.
    for (int attempt = 0; attempt < 2 && !space; ++attempt) {
      space = calls.Create(attributes, boundary, alias.c_str());
      if (!space && GetLastError() == ERROR_ALREADY_EXISTS) {
        space = calls.Open(boundary, alias.c_str());
      }
    }
  }
  calls.DeleteBoundary(boundary);
  return space;
}

void Pump() {
  if (Application) {
    Application->ProcessMessages();
    return;
  }
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

bool RunsThisProgram(DWORD process) {
  const TKernelHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  if (!handle) return false;
  std::wstring path(32768, L'\0');
  auto size = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(handle.Get(), 0, path.data(), &size)) return false;
  static const std::wstring own = WidePath(ModulePath());
  return !own.empty() && CompareStringOrdinal(path.c_str(), static_cast<int>(size), own.c_str(),
                                              static_cast<int>(own.size()), TRUE) == CSTR_EQUAL;
}

// One slot of the shared table. Other processes read and write it at the same time: the
// process id is what makes an entry, claimed and given back with one atomic exchange.
struct TRunningCopy::TEntry {
  volatile LONG ProcessId;  // 0: free
  LONG Reserved;
  volatile ULONG64 Window;
};
static_assert(sizeof(TRunningCopy::TEntry) == 16, "the table's layout is shared");

TRunningCopy::TRunningCopy(const AnsiString& name) {
  TUserSid user = UserSid();
  TUserOnly security(user.Text);
  FNamespace = OpenUserNamespace(WidePath(name), user.Sid(), security.Attributes());
  const std::wstring prefix = FNamespace
                                  ? WidePath(name) + L"\\"
                                  : L"Local\\" + WidePath(name + ".Alarm." + user.Text) + L".";
  FMutex = TKernelHandle(CreateMutexW(security.Attributes(), FALSE, (prefix + L"Lock").c_str()));
  constexpr DWORD kTableSize = sizeof(TEntry) * kSlots;
  FMapping =
      TKernelHandle(CreateFileMappingW(INVALID_HANDLE_VALUE, security.Attributes(), PAGE_READWRITE,
                                       0, kTableSize, (prefix + L"Copies").c_str()));
  // A mapping of another size was not made by us: nobody is offered anything through it.
  if (FMapping) {
    FTable = static_cast<TEntry*>(
        MapViewOfFile(FMapping.Get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kTableSize));
  }
}

TRunningCopy::~TRunningCopy() {
  if (FTable) {
    // Ours only: a copy that took the slot over stays entered.
    if (FSlot >= 0) {
      InterlockedCompareExchange(&FTable[FSlot].ProcessId, 0,
                                 static_cast<LONG>(GetCurrentProcessId()));
    }
    UnmapViewOfFile(FTable);
  }
  Unlock();
  FMutex.Reset();
  FMapping.Reset();
  if (FNamespace) NamespaceCalls().Close(FNamespace, 0);
}

bool TRunningCopy::Lock() {
  if (FLocked || !FMutex) return FLocked;
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD passed = GetTickCount() - start;
    if (passed >= kLockTimeout) return false;
    HANDLE mutex = FMutex.Get();
    const DWORD result =
        MsgWaitForMultipleObjects(1, &mutex, FALSE, kLockTimeout - passed, QS_ALLINPUT);
    // A copy that died holding the mutex leaves it abandoned, and so ours.
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0) {
      FLocked = true;
      return true;
    }
    if (result != WAIT_OBJECT_0 + 1) return false;
    // The thread's windows go on answering while it waits; among their messages may be a
    // hand-over from the copy that holds the mutex.
    Pump();
  }
}

void TRunningCopy::Unlock() {
  if (FLocked) ReleaseMutex(FMutex.Get());
  FLocked = false;
}

HWND TRunningCopy::LiveWindow(const TEntry& entry) const {
  const auto process = static_cast<DWORD>(entry.ProcessId);
  const auto window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(entry.Window));
  // A crashed copy's window is gone, or its handle now belongs to another process; a process
  // of another program may have written anything.
  DWORD owner = 0;
  if (process == 0 || !IsWindow(window) || !GetWindowThreadProcessId(window, &owner) ||
      owner != process || !RunsThisProgram(process)) {
    return nullptr;
  }
  return window;
}

std::vector<HWND> TRunningCopy::EnteredWindows() const {
  std::vector<HWND> windows;
  if (!FTable) return windows;
  for (int slot = 0; slot < kSlots; ++slot) {
    if (HWND window = LiveWindow(FTable[slot])) windows.push_back(window);
  }
  return windows;
}

bool TRunningCopy::HandOver(const TAlarmRequest& alarm) {
  Lock();
  const AnsiString block = PackArguments(AlarmArguments(alarm));
  COPYDATASTRUCT data{kHandOverTag, static_cast<DWORD>(block.size()),
                      const_cast<char*>(block.data())};
  const HWND own = FTable && FSlot >= 0 ? LiveWindow(FTable[FSlot]) : nullptr;
  for (HWND window : EnteredWindows()) {
    if (window == own) continue;
    // A countdown of 0 minutes rings at once: the copy may then come to the front.
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    AllowSetForegroundWindow(process);
    DWORD_PTR answer = FALSE;
    // A copy that waits for an alarm answers FALSE; a hung one, or one of higher integrity
    // (the system drops our message), answers nothing.
    if (SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                            SMTO_ABORTIFHUNG, kHandOverTimeout, &answer) &&
        answer == TRUE) {
      Unlock();
      return true;
    }
  }
  return false;
}

void TRunningCopy::Enter(HWND window) {
  Lock();
  if (FTable && FSlot < 0) {
    const auto self = static_cast<LONG>(GetCurrentProcessId());
    for (int slot = 0; slot < kSlots && FSlot < 0; ++slot) {
      TEntry& entry = FTable[slot];
      const LONG owner = entry.ProcessId;
      if (owner != 0 && LiveWindow(entry)) continue;
      if (InterlockedCompareExchange(&entry.ProcessId, self, owner) == owner) FSlot = slot;
    }
  }
  if (FTable && FSlot >= 0) FTable[FSlot].Window = reinterpret_cast<ULONG_PTR>(window);
  Unlock();
}
