#include "framework/win/Messages.h"

#include <cstring>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "framework/win/Platform.h"

namespace {

// What a bound window carries: its target and, for a taken-over window, its previous procedure.
struct TBinding {
  TMessageTarget* Target = nullptr;  // not owned
  WNDPROC Previous = nullptr;
};

const char kUtilityClass[] = "WeftUtility";

// The bindings live in the process, not on the windows: every message looks its window up, and
// a window property costs a round trip to the window server where the system keeps them (under
// Wine, tens of microseconds each). An entry goes with its window's WM_NCDESTROY or an unbind.
// Only the thread of a window handles its messages, but the table is the process's: a lock.
std::mutex binding_lock;
std::unordered_map<HWND, TBinding>& Bindings() {
  // Never destroyed: windows may still go after the statics of the process have.
  static auto* bindings = new std::unordered_map<HWND, TBinding>();
  return *bindings;
}

bool FindBinding(HWND window, TBinding& binding) {
  if (!window) return false;
  std::lock_guard<std::mutex> hold(binding_lock);
  auto found = Bindings().find(window);
  if (found == Bindings().end()) return false;
  binding = found->second;
  return true;
}

// A new window's handle may be a dead one's that somehow went unseen: `fresh` replaces any entry.
void Bind(HWND window, TMessageTarget* target, bool fresh) {
  const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
  const TBinding binding{target, current != FrameworkWindowProc ? current : nullptr};
  {
    std::lock_guard<std::mutex> hold(binding_lock);
    auto [entry, added] = Bindings().try_emplace(window, binding);
    if (!added && !fresh) return;
    entry->second = binding;
  }
  if (binding.Previous) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FrameworkWindowProc));
  }
}

// Forgets the binding; a taken-over window gets its own procedure back unless it is gone.
// False when the window was not bound.
bool Forget(HWND window, bool restore_procedure) {
  TBinding binding;
  {
    std::lock_guard<std::mutex> hold(binding_lock);
    auto found = Bindings().find(window);
    if (found == Bindings().end()) return false;
    binding = found->second;
    Bindings().erase(found);
  }
  if (restore_procedure && binding.Previous) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(binding.Previous));
  }
  return true;
}

// The window being created by CreateBoundWindow on this thread, and its target.
struct TCreation {
  TMessageTarget* Target;
  const TWindowRequest* Request;
  HWND Bound = nullptr;
  TCreation* Outer = nullptr;
};
thread_local TCreation* creating = nullptr;
// The creation hook kept by the outermost TCreationBurst of this thread, and how deep they nest.
thread_local HHOOK burst_hook = nullptr;
thread_local int burst_depth = 0;

bool SameClassName(const wchar_t* announced, const std::wstring& requested) {
  if (_wcsicmp(announced, requested.c_str()) == 0) return true;
  // A class redirected by the program's manifest (the version 6 controls) may be announced
  // under its versioned name, "6.0.x.y!Edit".
  const wchar_t* bang = std::wcsrchr(announced, L'!');
  return bang && _wcsicmp(bang + 1, requested.c_str()) == 0;
}

// Class names and captions of requests are ASCII or texts of the program.
std::wstring WideName(const char* name) {
  return name ? WideText(name) : std::wstring();
}

// Whether the window the system announces is the one the request asked for. While one
// CreateWindowEx runs, the system may make other windows first and announce them to the same
// hook: on Windows the first top-level window of a thread brings the thread's IME window (and
// the text services' window), made inside its creation, and another CBT hook may make windows
// of its own there. The first window announced is therefore not necessarily ours; binding one
// of those would leave our window deaf to its first messages and hand the stranger to an
// object that later destroys it.
bool IsRequestedWindow(const TWindowRequest& request, const CREATESTRUCTW& announced) {
  const std::wstring requested = WideName(request.ClassName);
  if (IS_INTRESOURCE(announced.lpszClass)) {
    // Announced by its atom: look the requested class's atom up (rare, so not paid up front).
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    const HINSTANCE owner = request.SystemClass ? nullptr : GetModuleHandleW(nullptr);
    const ATOM atom = static_cast<ATOM>(GetClassInfoExW(owner, requested.c_str(), &info));
    if (atom == 0 || atom != LOWORD(reinterpret_cast<ULONG_PTR>(announced.lpszClass))) return false;
  } else if (!announced.lpszClass || !SameClassName(announced.lpszClass, requested)) {
    return false;
  }
  // A message-only window's parent may be announced as the hidden root of such windows.
  return request.Parent == HWND_MESSAGE || announced.hwndParent == request.Parent;
}

LRESULT CALLBACK CreationHook(int code, WPARAM wparam, LPARAM lparam) noexcept {
  if (code == HCBT_CREATEWND && creating && !creating->Bound) {
    const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lparam);
    if (create && create->lpcs && IsRequestedWindow(*creating->Request, *create->lpcs)) {
      const HWND window = reinterpret_cast<HWND>(wparam);
      try {
        Bind(window, creating->Target, true);
        creating->Bound = window;
      } catch (...) {
        // Unbound, the window is bound once CreateWindowEx returns.
        ReportException();
      }
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

void DefaultExceptionHook(const std::exception& error) {
  MessageBoxW(nullptr, WideText(error.what()).c_str(), L"Error",
              MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

TExceptionHook exception_hook = DefaultExceptionHook;

void RegisterFrameworkClass(const TWindowRequest& request, HINSTANCE instance) {
  // Registered wide: the system then hands every message's text over as UTF-16.
  const std::wstring name = WideName(request.ClassName);
  WNDCLASSW existing{};
  if (GetClassInfoW(instance, name.c_str(), &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = request.ClassStyle;
  wc.lpfnWndProc = FrameworkWindowProc;
  wc.hInstance = instance;
  wc.hIcon = request.ClassIcon;
  wc.hIconSm = request.ClassSmallIcon;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = name.c_str();
  if (!RegisterClassExW(&wc)) {
    RaiseLastOSError(Format("Cannot register the window class %s", request.ClassName).c_str());
  }
}

}  // namespace

LRESULT CallPrevious(HWND window, const TMessage& message, WNDPROC previous) {
  return previous ? CallWindowProcW(previous, window, message.Msg, message.WParam, message.LParam)
                  : DefWindowProcW(window, message.Msg, message.WParam, message.LParam);
}

HWND CreateBoundWindow(TMessageTarget& target, const TWindowRequest& request) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!request.SystemClass) RegisterFrameworkClass(request, instance);
  TCreationBurst burst;  // the creation hook, unless an outer burst keeps it already
  TCreation creation{&target, &request, nullptr, creating};
  creating = &creation;
  const std::wstring class_name = WideName(request.ClassName);
  const std::wstring caption = WideName(request.Caption);
  HWND window = CreateWindowExW(request.ExStyle, class_name.c_str(),
                                request.Caption ? caption.c_str() : nullptr, request.Style,
                                request.X, request.Y, request.Width, request.Height, request.Parent,
                                request.Menu, instance, nullptr);
  creating = creation.Outer;
  if (!window) {
    RaiseLastOSError(Format("Cannot create a window of class %s", request.ClassName).c_str());
  }
  // Without the hook (refused by the system) the window is bound now, before anyone sees it.
  if (!creation.Bound) Bind(window, &target, true);
  return window;
}

TCreationBurst::TCreationBurst() {
  if (burst_depth++ == 0) {
    burst_hook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
  }
}

TCreationBurst::~TCreationBurst() {
  if (--burst_depth == 0 && burst_hook) {
    UnhookWindowsHookEx(burst_hook);
    burst_hook = nullptr;
  }
}

void BindWindow(HWND window, TMessageTarget& target) {
  if (window) Bind(window, &target, false);
}

void UnbindWindow(HWND window) {
  Forget(window, true);
}

TMessageTarget* BoundTarget(HWND window) {
  TBinding binding;
  return FindBinding(window, binding) ? binding.Target : nullptr;
}

WNDPROC BoundPrevious(HWND window) {
  TBinding binding;
  return FindBinding(window, binding) ? binding.Previous : nullptr;
}

LRESULT CALLBACK FrameworkWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) noexcept {
  TBinding binding;
  if (!FindBinding(window, binding)) return DefWindowProcW(window, msg, wparam, lparam);
  TMessageTarget* target = binding.Target;
  WNDPROC previous = binding.Previous;
  TMessage message{msg, wparam, lparam, 0};
  try {
    target->TargetMessage(window, message, previous);
  } catch (...) {
    ReportException();
  }
  if (msg == WM_NCDESTROY && Forget(window, false)) {
    try {
      target->TargetWindowGone(window);
    } catch (...) {
      ReportException();
    }
  }
  return message.Result;
}

TExceptionHook SetExceptionHook(TExceptionHook hook) {
  return std::exchange(exception_hook, hook ? hook : DefaultExceptionHook);
}

void ReportException() noexcept {
  try {
    try {
      throw;
    } catch (const std::exception& error) {
      exception_hook(error);
    } catch (...) {
      exception_hook(Exception("Unknown exception"));
    }
  } catch (...) {
    // The display itself failed. Nothing may unwind into the system's frames.
    MessageBeep(MB_ICONHAND);
  }
}

// ---------------------------------------------------------------------------------------------
// TMessageWindow

TMessageWindow::TMessageWindow(THandler handler, const char* caption)
    : handler_(std::move(handler)) {
  TWindowRequest request;
  request.ClassName = kUtilityClass;
  request.ClassStyle = 0;
  request.Caption = caption;
  request.Parent = HWND_MESSAGE;
  window_.Reset(CreateBoundWindow(*this, request));
}

TMessageWindow::TMessageWindow(THandler handler, DWORD style, DWORD ex_style, const char* caption,
                               int x, int y, HICON icon, HICON small_icon)
    : handler_(std::move(handler)) {
  TWindowRequest request;
  request.ClassName = kUtilityClass;
  request.ClassStyle = 0;
  request.ClassIcon = icon;
  request.ClassSmallIcon = small_icon;
  request.Caption = caption;
  request.Style = style;
  request.ExStyle = ex_style;
  request.X = x;
  request.Y = y;
  window_.Reset(CreateBoundWindow(*this, request));
}

TMessageWindow::~TMessageWindow() {
  // The handler may belong to an object that is going: no message reaches it any more.
  UnbindWindow(window_.Get());
}

void TMessageWindow::TargetMessage(HWND window, TMessage& message, WNDPROC previous) {
  // The creation's own messages come before CreateBoundWindow returns.
  if (!window_) window_.Reset(window);
  if (!handler_ || !handler_(message)) message.Result = CallPrevious(window, message, previous);
}

void TMessageWindow::TargetWindowGone(HWND window) {
  if (window_.Get() == window) window_.Release();
}
