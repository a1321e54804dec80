// DragDrop: the program's one drag at a time, from BeginDrag to its end.
//
// A drag is pending from BeginDrag until the mouse has moved past the threshold (a release
// before that is an ordinary click), then it runs: the source hears its start, each control the
// mouse passes over hears it enter, move and leave (DragOver) and answers whether it accepts, and
// the cursor shows that answer. A release over an accepting control drops there (DragDrop);
// whatever happens, the source hears the end, with a null target when nothing took the drop. A
// dock drag runs the same way without targets: there are no dock sites.
//
// The mouse is captured for the drag by the source's window, or a windowless source's parent;
// that window hands every mouse message here first (MouseMessage), and its loss of the capture
// cancels the drag. Escape cancels it through the application's message loop (Cancel).
//
// Ownership: the tracker points at the source and the target without owning them; a control
// that goes tells it (ControlGone).
#pragma once

#include <windows.h>

#include "framework/win/Controls.h"

class TDragTracker {
 public:
  static void Begin(TControl* source, bool immediate, int threshold);
  // Ends the drag of `source`, dropping when asked and a target accepts.
  static void End(TControl* source, bool drop);
  // Cancels the drag, pending or running; false when there was none.
  static bool Cancel();
  // The source of the drag that is pending or running, or null.
  static TControl* Source();
  // A mouse message of a framework window; true when the drag took it.
  static bool MouseMessage(HWND window, TMessage& message);
  static void CaptureChanged(HWND window, HWND new_owner);
  static void ControlGone(const TControl* control);

 private:
  static void Start();
  static void Move(POINT screen);
  // Asks `target` whether it takes the drop at the drag's present point.
  static bool Over(TControl* target, TDragState state);
  static void Finish(bool drop);
  static void EndPending();
};
