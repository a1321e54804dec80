#include "framework/win/DragDrop.h"

#include <windowsx.h>

#include <cstdlib>

#include "framework/win/WinControls.h"

namespace {

enum class TPhase {
  Idle,
  Pending,   // waiting for the mouse to move past the threshold
  Starting,  // the source's press ends and it hears the start
  Running,
  Ending,  // the target and the source hear the end
};

struct TDrag {
  TPhase Phase = TPhase::Idle;
  TControl* Source = nullptr;    // not owned
  TObject* Dragged = nullptr;    // what the targets see as Source; not owned
  TControl* Target = nullptr;    // the control under the mouse; not owned
  TControl* Dropping = nullptr;  // the target while the drag ends; not owned
  bool Accepted = false;
  TDragKind Kind = TDragKind::dkDrag;
  HWND Capture = nullptr;    // the window that holds the mouse for the drag; not owned
  bool TookCapture = false;  // a pending drag took the capture itself and gives it back
  POINT Start{}, Last{};     // screen coordinates
  int ThresholdX = 0, ThresholdY = 0;
};

TDrag drag;
// Where the last mouse message of a framework window was, in screen coordinates, while no drag
// ran: where a drag that BeginDrag starts begins.
POINT last_mouse{};

POINT ScreenPoint(HWND window, LPARAM lparam) {
  POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  ::ClientToScreen(window, &point);
  return point;
}

TControl* TargetAt(POINT screen) {
  HWND window = WindowFromPoint(screen);
  if (!window) return nullptr;
  POINT client = screen;
  ::ScreenToClient(window, &client);
  TControl* control = FindControl(window, client);
  return control && control->Enabled() ? control : nullptr;
}

void ReleaseDragCapture(HWND capture) {
  if (capture && GetCapture() == capture) ReleaseCapture();
}

}  // namespace

void TDragTracker::Begin(TControl* source, bool immediate, int threshold) {
  if (drag.Phase != TPhase::Idle || !source) return;
  HWND capture = nullptr;
  if (auto* window = dynamic_cast<TWinControl*>(source)) {
    capture = window->Handle();
  } else if (source->Parent()) {
    capture = source->Parent()->Handle();
  }
  if (!capture) return;
  drag = TDrag{};
  drag.Phase = TPhase::Pending;
  drag.Source = source;
  drag.Kind = source->DragKind();
  drag.Capture = capture;
  drag.Start = drag.Last = last_mouse;
  drag.ThresholdX = threshold < 0 ? GetSystemMetrics(SM_CXDRAG) : threshold;
  drag.ThresholdY = threshold < 0 ? GetSystemMetrics(SM_CYDRAG) : threshold;
  if (GetCapture() != capture) {
    drag.TookCapture = true;
    SetCapture(capture);
  }
  if (immediate) Start();
}

void TDragTracker::Start() {
  drag.Phase = TPhase::Starting;
  try {
    // The press that began the drag ends without a click.
    TControl* source = drag.Source;
    const bool pressed = source->clicked_ || (!drag.TookCapture && source->MouseCapture());
    source->clicked_ = false;
    if (pressed) source->Perform(CM_CANCELMODE);
    TObject* dragged = drag.Source;
    if (drag.Source && drag.Kind == TDragKind::dkDock) drag.Source->DoStartDock(dragged);
    if (drag.Source && drag.Kind == TDragKind::dkDrag) drag.Source->DoStartDrag(dragged);
    if (drag.Phase != TPhase::Starting || !drag.Source) {
      if (drag.Phase == TPhase::Starting) drag = TDrag{};
      return;
    }
    drag.Dragged = dragged;
    SetCapture(drag.Capture);
    drag.Phase = TPhase::Running;
  } catch (...) {
    const HWND capture = drag.Capture;
    drag = TDrag{};
    ReleaseDragCapture(capture);
    throw;
  }
  Move(drag.Last);
}

void TDragTracker::Move(POINT screen) {
  drag.Last = screen;
  if (drag.Kind == TDragKind::dkDock) {
    ::SetCursor(CursorHandle(crNo));
    return;
  }
  TControl* now = TargetAt(screen);
  if (now != drag.Target) {
    if (TControl* old = drag.Target) {
      drag.Target = nullptr;
      drag.Accepted = false;
      Over(old, TDragState::dsDragLeave);
    }
    if (drag.Phase != TPhase::Running) return;
    drag.Target = now;
    drag.Accepted = now && Over(now, TDragState::dsDragEnter);
  } else if (now) {
    drag.Accepted = Over(now, TDragState::dsDragMove);
  }
  if (drag.Phase == TPhase::Running && drag.Source) {
    ::SetCursor(CursorHandle(drag.Accepted ? drag.Source->DragCursor() : crNo));
  }
}

bool TDragTracker::Over(TControl* target, TDragState state) {
  const POINT at = target->ScreenToClient(drag.Last);
  bool accept = false;
  target->DragOver(drag.Dragged, at.x, at.y, state, accept);
  // A target that went meanwhile takes nothing.
  return accept && (state == TDragState::dsDragLeave || drag.Target == target);
}

void TDragTracker::Finish(bool drop) {
  drag.Phase = TPhase::Ending;
  TScopeExit reset([] { drag = TDrag{}; });
  ReleaseDragCapture(drag.Capture);
  const bool accepted = drop && drag.Accepted;
  drag.Dropping = drag.Target;
  drag.Target = nullptr;
  if (drag.Dropping) Over(drag.Dropping, TDragState::dsDragLeave);
  TControl* dropped_on = accepted ? drag.Dropping : nullptr;
  if (dropped_on) {
    const POINT at = dropped_on->ScreenToClient(drag.Last);
    dropped_on->DragDrop(drag.Dragged, at.x, at.y);
    dropped_on = drag.Dropping;  // null when the drop freed it
  }
  if (!drag.Source) return;
  const POINT at = (dropped_on ? dropped_on : drag.Source)->ScreenToClient(drag.Last);
  if (drag.Kind == TDragKind::dkDock) {
    drag.Source->DoEndDock(nullptr, at.x, at.y);
  } else {
    drag.Source->DoEndDrag(dropped_on, at.x, at.y);
  }
}

void TDragTracker::EndPending() {
  const HWND capture = drag.TookCapture ? drag.Capture : nullptr;
  drag = TDrag{};
  ReleaseDragCapture(capture);
}

void TDragTracker::End(TControl* source, bool drop) {
  if (!source || drag.Source != source) return;
  if (drag.Phase == TPhase::Pending) EndPending();
  if (drag.Phase == TPhase::Running) Finish(drop);
}

bool TDragTracker::Cancel() {
  switch (drag.Phase) {
    case TPhase::Pending:
      EndPending();
      return true;
    case TPhase::Running:
      Finish(false);
      return true;
    default:
      return false;
  }
}

TControl* TDragTracker::Source() {
  return drag.Phase == TPhase::Idle ? nullptr : drag.Source;
}

bool TDragTracker::MouseMessage(HWND window, TMessage& message) {
  if (!window) return false;
  if (drag.Phase == TPhase::Idle) {
    last_mouse = ScreenPoint(window, message.LParam);
    return false;
  }
  if (window != drag.Capture) return false;
  const POINT at = ScreenPoint(window, message.LParam);
  switch (drag.Phase) {
    case TPhase::Pending:
      if (message.Msg == WM_MOUSEMOVE && (std::abs(at.x - drag.Start.x) >= drag.ThresholdX ||
                                          std::abs(at.y - drag.Start.y) >= drag.ThresholdY)) {
        drag.Last = at;
        Start();
        return true;
      }
      // Released before it moved far enough: a click, not a drag.
      if (message.Msg == WM_LBUTTONUP) EndPending();
      return false;
    case TPhase::Running:
      if (message.Msg == WM_MOUSEMOVE || message.Msg == WM_LBUTTONUP) Move(at);
      if (message.Msg == WM_LBUTTONUP && drag.Phase == TPhase::Running) Finish(true);
      message.Result = 0;
      return true;
    default:
      return false;
  }
}

void TDragTracker::CaptureChanged(HWND window, HWND new_owner) {
  if (!window || window != drag.Capture || new_owner == window) return;
  if (drag.Phase == TPhase::Pending) {
    drag = TDrag{};
  } else if (drag.Phase == TPhase::Running) {
    Finish(false);
  }
}

void TDragTracker::ControlGone(const TControl* control) {
  if (drag.Phase == TPhase::Idle) return;
  if (control == drag.Target) {
    drag.Target = nullptr;
    drag.Accepted = false;
  }
  if (control == drag.Dropping) drag.Dropping = nullptr;
  if (drag.Dragged == static_cast<const TObject*>(control)) drag.Dragged = nullptr;
  if (control != drag.Source) return;
  drag.Source = nullptr;
  // Mid-way through its start or its end, the code running sees the source gone.
  if (drag.Phase == TPhase::Pending || drag.Phase == TPhase::Running) {
    const HWND capture = drag.Phase == TPhase::Running || drag.TookCapture ? drag.Capture : nullptr;
    drag = TDrag{};
    ReleaseDragCapture(capture);
  }
}
