#include "framework/win/Timer.h"

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

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
  if (window_) KillTimer(window_->Handle(), kTimerId);
}

HWND TTimer::Handle() const {
  if (!window_) {
    auto* self = const_cast<TTimer*>(this);
    window_ = std::make_unique<TMessageWindow>(
        [self](TMessage& message) { return self->WndProc(message); });
  }
  return window_->Handle();
}

bool TTimer::WndProc(TMessage& message) {
  if (message.Msg != WM_TIMER) return false;
  if (enabled_) Timer();
  message.Result = 0;
  return true;
}

void TTimer::UpdateTimer() {
  const bool runs = enabled_ && interval_ > 0 && !IsLoading();
  if (window_) KillTimer(window_->Handle(), kTimerId);
  if (runs) SetTimer(Handle(), kTimerId, interval_, nullptr);
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
