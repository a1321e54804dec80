// GraphicHost: what a window does for the windowless controls it holds. It paints them on its
// DC in creation order, each clipped to its bounds with the origin at its top left; routes the
// window's mouse messages to the one under the pointer (or the one holding the capture), in the
// child's own client coordinates; tells them when the mouse enters and leaves them; and ends a
// child's press when the window loses the capture to another one.
//
// Ownership: the host belongs to its window control and points at children it does not own; a
// child that leaves is forgotten (Forget).
#pragma once

#include <windows.h>

#include "framework/win/Messages.h"

class TControl;
class TGraphicControl;
class TWinControl;

class TGraphicHost {
 public:
  explicit TGraphicHost(TWinControl& window) : window_(window) {}
  TGraphicHost(const TGraphicHost&) = delete;
  TGraphicHost& operator=(const TGraphicHost&) = delete;

  // The topmost visible windowless child at a client point of the window, or null.
  TGraphicControl* ControlAt(POINT point) const;
  // Paints the visible windowless children that the DC's clip box touches.
  void Paint(HDC dc) const;
  // Hands a mouse message of the window to the child that holds the capture or lies under the
  // pointer; false when it is none of theirs.
  bool RouteMouse(TMessage& message);
  // The mouse left the window.
  void MouseLeft();
  // The window's capture went to `new_owner`: a child still pressed hears CM_CANCELMODE.
  void CaptureChanged(HWND new_owner);

  // Captures the mouse for a child (through the window), or lets it go.
  void SetCapture(TControl* child, bool capture);
  bool HasCapture(const TControl* child) const;
  // A child leaves the window.
  void Forget(const TControl* child);

 private:
  void UpdateMouseOver(TControl* child);

  TWinControl& window_;             // not owned: the host is part of it
  TControl* mouse_over_ = nullptr;  // the child under the mouse; not owned
  TControl* capture_ = nullptr;     // the child holding the capture; not owned
};
