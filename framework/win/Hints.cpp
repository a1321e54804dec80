#include "framework/win/Hints.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/win/WinControls.h"

namespace {

const char kHintClass[] = "WeftHint";
// The tip goes this far below the point the mouse rests on, clear of the arrow.
constexpr int kBelowPointer = 20;
// Longer texts wrap at this width.
constexpr int kMaxTextWidth = 300;
// Between the frame and the text.
constexpr int kMarginX = 3, kMarginY = 2;

// The text a control shows: its own hint, else the nearest parent's.
AnsiString HintTextOf(const TControl* control) {
  for (; control; control = control->Parent()) {
    if (!control->Hint().empty()) return control->Hint();
  }
  return {};
}

bool HasTip(const TControl* control) {
  return control && control->ShowHint() && !HintTextOf(control).empty();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// THintWindow

THintWindow::THintWindow(HWND owner) {
  TWindowRequest request;
  request.ClassName = kHintClass;
  request.ClassStyle = CS_SAVEBITS;
  request.Style = WS_POPUP | WS_BORDER;
  request.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  request.Parent = owner;
  window_.Reset(CreateBoundWindow(*this, request));
}

THintWindow::~THintWindow() {
  UnbindWindow(window_.Get());
}

void THintWindow::ActivateHint(POINT at, const AnsiString& text) {
  text_ = text;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  font_.Reset(CreateFontIndirectW(&metrics.lfStatusFont));

  RECT text_rect{0, 0, kMaxTextWidth, 0};
  {
    const TWindowDC dc(window_.Get());
    TSelectObject font(dc.Get(), font_.Get());
    const std::wstring wide = WideText(text_);
    DrawTextW(dc.Get(), wide.data(), static_cast<int>(wide.size()), &text_rect,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  }
  RECT frame{0, 0, text_rect.right + 2 * kMarginX, text_rect.bottom + 2 * kMarginY};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, 0);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;

  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int x = at.x, y = at.y + kBelowPointer;
  if (y + height > work.bottom) y = at.y - height;
  x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
  y = std::max(static_cast<int>(work.top), y);
  SetWindowPos(window_.Get(), HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(window_.Get(), nullptr, TRUE);
  UpdateWindow(window_.Get());
}

void THintWindow::ReleaseHint() {
  if (window_ && IsWindowVisible(window_.Get())) ShowWindow(window_.Get(), SW_HIDE);
  font_.Reset();
}

bool THintWindow::Showing() const {
  return window_ && IsWindowVisible(window_.Get());
}

void THintWindow::Paint(HDC dc) {
  RECT client;
  GetClientRect(window_.Get(), &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_INFOBK));
  if (!font_) return;
  TSavedDC saved(dc);
  SelectObject(dc, font_.Get());
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  SetBkMode(dc, TRANSPARENT);
  RECT text{client.left + kMarginX, client.top + kMarginY, client.right - kMarginX,
            client.bottom - kMarginY};
  const std::wstring wide = WideText(text_);
  DrawTextW(dc, wide.data(), static_cast<int>(wide.size()), &text, DT_WORDBREAK | DT_NOPREFIX);
}

void THintWindow::TargetMessage(HWND window, TMessage& message, WNDPROC previous) {
  switch (message.Msg) {
    case WM_PAINT: {
      TPaintDC dc(window, message.WParam);
      Paint(dc.Get());
      message.Result = 0;
      return;
    }
    case WM_ERASEBKGND:
      message.Result = 1;  // WM_PAINT fills it all
      return;
    case WM_NCHITTEST:
      message.Result = HTTRANSPARENT;
      return;
    case WM_MOUSEACTIVATE:
      message.Result = MA_NOACTIVATE;
      return;
    default:
      message.Result = CallPrevious(window, message, previous);
      return;
  }
}

void THintWindow::TargetWindowGone(HWND window) {
  if (window_.Get() == window) window_.Release();
}

// ---------------------------------------------------------------------------------------------
// THintTracker

THintTracker::THintTracker() = default;
THintTracker::~THintTracker() = default;

void THintTracker::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled) Leave();
}

void THintTracker::Observe(const MSG& msg) {
  switch (msg.message) {
    case WM_MOUSEMOVE:
      MouseMoved(msg.hwnd, {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)});
      return;
    case WM_MOUSELEAVE:
      // Onto a child window the child's own moves follow; only the window we rest on counts.
      if (msg.hwnd == rest_window_) Leave();
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
      Dismiss();
      return;
    default:
      return;
  }
}

void THintTracker::MouseMoved(HWND window, POINT point) {
  // Not while a button holds the mouse or a drag runs.
  if (!enabled_ || GetCapture()) {
    Leave();
    return;
  }
  const TControl* control = FindControl(window, point);
  if (control != rest_control_) {
    Leave();
    rest_control_ = control;
  }
  if (!control) return;
  rest_window_ = window;
  rest_point_ = point;
  if (spent_ || (window_ && window_->Showing()) || !timer_window_) return;
  // The pause counts from the last move: the mouse has to rest.
  if (HasTip(control)) SetTimer(timer_window_, PauseTimer, static_cast<UINT>(pause_), nullptr);
}

bool THintTracker::Timer(UINT_PTR id) {
  if (id == PauseTimer) {
    KillTimer(timer_window_, PauseTimer);
    ShowTip();
    return true;
  }
  if (id == HideTimer) {
    Dismiss();
    return true;
  }
  return false;
}

void THintTracker::ShowTip() {
  if (!enabled_ || spent_ || !rest_window_ || !IsWindow(rest_window_)) return;
  const TControl* control = FindControl(rest_window_, rest_point_);
  if (control != rest_control_ || !HasTip(control)) return;
  if (!window_) window_ = std::make_unique<THintWindow>(timer_window_);
  POINT at = rest_point_;
  ClientToScreen(rest_window_, &at);
  window_->ActivateHint(at, HintTextOf(control));
  spent_ = true;
  SetTimer(timer_window_, HideTimer, static_cast<UINT>(hide_pause_), nullptr);
}

void THintTracker::Hide() {
  if (timer_window_) {
    KillTimer(timer_window_, PauseTimer);
    KillTimer(timer_window_, HideTimer);
  }
  if (window_) window_->ReleaseHint();
}

void THintTracker::Dismiss() {
  Hide();
  spent_ = rest_control_ != nullptr;
}

void THintTracker::Leave() {
  Hide();
  rest_window_ = nullptr;
  rest_control_ = nullptr;
  spent_ = false;
}
