// TTimer: a window timer on a hidden window of its own, delivered by the message loop. The
// window is made when the timer first runs (or its handle is asked for): a form may hold
// timers that stay off for a long time.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/core/Classes.h"
#include "framework/core/Typinfo.h"
#include "framework/win/Messages.h"

class TTimer : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned interval);
  // The hidden window that receives WM_TIMER (tests send it the message directly).
  HWND Handle() const;
  void Loaded() override;

  TNotifyEvent OnTimer;

 protected:
  virtual void Timer() { OnTimer(this); }

 private:
  bool WndProc(TMessage& message);
  void UpdateTimer();

  bool enabled_ = true;
  unsigned interval_ = 1000;
  mutable std::unique_ptr<TMessageWindow> window_;  // owned; made on first use
};
