#include "framework/win/GraphicHost.h"

#include <windowsx.h>

#include "framework/win/WinControls.h"

TGraphicControl* TGraphicHost::ControlAt(POINT point) const {
  const auto& children = window_.Controls();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    auto* graphic = dynamic_cast<TGraphicControl*>(*it);
    if (!graphic || !graphic->Visible()) continue;
    const RECT r = graphic->BoundsRect();
    if (PtInRect(&r, point)) return graphic;
  }
  return nullptr;
}

void TGraphicHost::Paint(HDC dc) const {
  RECT clip;
  GetClipBox(dc, &clip);
  for (TControl* child : window_.Controls()) {
    auto* graphic = dynamic_cast<TGraphicControl*>(child);
    if (!graphic || !graphic->Visible() || graphic->Width() <= 0 || graphic->Height() <= 0) {
      continue;
    }
    const RECT bounds = graphic->BoundsRect();
    RECT overlap;
    if (!IntersectRect(&overlap, &bounds, &clip)) continue;
    TSavedDC saved(dc);
    POINT old_origin;
    GetViewportOrgEx(dc, &old_origin);
    IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    SetViewportOrgEx(dc, old_origin.x + bounds.left, old_origin.y + bounds.top, nullptr);
    graphic->PaintOn(dc);
  }
}

bool TGraphicHost::RouteMouse(TMessage& message) {
  const POINT point{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  HWND window = window_.WindowHandle();
  TControl* target = capture_;
  if (target && (!window || GetCapture() != window)) {
    capture_ = nullptr;
    target = nullptr;
  }
  if (message.Msg == WM_MOUSEMOVE && !target) UpdateMouseOver(ControlAt(point));
  if (!target) {
    target = ControlAt(point);
    if (!target || !target->Enabled()) return false;
  }
  TMessage routed = message;
  routed.LParam = MAKELPARAM(point.x - target->Left(), point.y - target->Top());
  target->WndProc(routed);
  message.Result = routed.Result;
  return true;
}

void TGraphicHost::MouseLeft() {
  UpdateMouseOver(nullptr);
}

void TGraphicHost::CaptureChanged(HWND new_owner) {
  // The capture moving to our own window is a windowless child taking it: nothing is lost.
  HWND window = window_.WindowHandle();
  if (new_owner == window && window) return;
  // A child that still holds the press did not release it itself: tell it.
  if (TControl* lost = capture_) {
    capture_ = nullptr;
    lost->Perform(CM_CANCELMODE);
  }
}

void TGraphicHost::SetCapture(TControl* child, bool capture) {
  if (capture) {
    capture_ = child;
    ::SetCapture(window_.Handle());
  } else if (capture_ == child) {
    capture_ = nullptr;
    HWND window = window_.WindowHandle();
    if (window && GetCapture() == window) ReleaseCapture();
  }
}

bool TGraphicHost::HasCapture(const TControl* child) const {
  HWND window = window_.WindowHandle();
  return capture_ == child && window && GetCapture() == window;
}

void TGraphicHost::Forget(const TControl* child) {
  if (mouse_over_ == child) mouse_over_ = nullptr;
  if (capture_ == child) capture_ = nullptr;
}

void TGraphicHost::UpdateMouseOver(TControl* child) {
  if (child == mouse_over_) return;
  TControl* old = mouse_over_;
  mouse_over_ = child;
  if (old) old->Perform(CM_MOUSELEAVE);
  if (child) child->Perform(CM_MOUSEENTER);
}
