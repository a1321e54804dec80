#include "framework/win/Timer.h"

#include "framework/win/Controls.h"

namespace {
constexpr UINT_PTR kTimerId = 1;
}

const TClassInfo& TTimer::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TTimer>("TTimer", &TComponent::StaticClassInfo())
          .Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, Default(true))
          .Property("Interval", &TTimer::Interval, &TTimer::SetInterval, Default(1000u))
          .Property("OnTimer", &TTimer::OnTimer, &TTimer::OnTimer)
          .Build();
  return info;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA existing{};
  if (!GetClassInfoA(instance, "WakoraTimer", &existing)) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "WakoraTimer";
    if (!RegisterClassA(&wc)) RaiseLastOSError("Cannot register the timer window");
  }
  window_ = CreateWindowExA(0, "WakoraTimer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                            nullptr);
  if (!window_) RaiseLastOSError("Cannot create the timer window");
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TTimer::~TTimer() {
  KillTimer(window_, kTimerId);
  DestroyWindow(window_);
}

LRESULT CALLBACK TTimer::WindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_TIMER) {
    auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (timer && timer->enabled_) {
      try {
        timer->Timer();
      } catch (const std::exception& error) {
        HandleControlException(error);
      } catch (...) {
        // Nothing may unwind into the system's frames.
        HandleControlException(Exception("Unknown exception"));
      }
    }
    return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

void TTimer::UpdateTimer() {
  KillTimer(window_, kTimerId);
  if (enabled_ && interval_ > 0 && !IsLoading()) {
    SetTimer(window_, kTimerId, interval_, nullptr);
  }
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned interval) {
  if (interval == interval_) return;
  interval_ = interval;
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}
