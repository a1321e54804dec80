// Cgrid: TCColorGrid, a focusable control that shows the sixteen standard colours as a grid of
// squares and lets the user pick two of them: the foreground with the left mouse button or F,
// the background with the other buttons or B. Marks name the chosen squares: "VG" the
// foreground's, "HG" the background's, "VH" one that both share. The selection, a cursor of
// its own, is the square the keys work on. Either colour can be switched off: it keeps its
// index but shows no mark and takes no new choice, unless ClickEnablesColor lets a click or
// its key switch it on again.
//
// The colours are the system's default palette, read once. A change draws the squares it
// concerns at once on the control's window; only a new ordering or 3-D look repaints the whole
// control. Where the squares lie and what the keys do is Cgrid_core's.
//
// Coordinates: client pixels, origin at the top left; the control's size snaps to whole
// squares.
#pragma once

#include "controls-extra/Cgrid_core.h"
#include "framework/win/WinControls.h"

class TCColorGrid : public TCustomControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TCColorGrid(TComponent* owner);

  TGridOrdering GridOrdering() const { return FGridOrdering; }
  // An ordering outside go16x1 .. go1x16 is ignored.
  void SetGridOrdering(TGridOrdering Value);
  // The index setters redraw what changes and fire OnChange; they store any value, and a
  // square outside 0 to 15 shows nothing.
  int ForegroundIndex() const { return FForegroundIndex; }
  void SetForegroundIndex(int Value);
  int BackgroundIndex() const { return FBackgroundIndex; }
  void SetBackgroundIndex(int Value);
  bool ForegroundEnabled() const { return FForegroundEnabled; }
  void EnableForeground(bool Value);
  bool BackgroundEnabled() const { return FBackgroundEnabled; }
  void EnableBackground(bool Value);
  int Selection() const { return FSelection; }
  void SetSelection(int Value);
  // The chosen squares' colours; black for an index outside 0 to 15.
  TColor GetForegroundColor() const { return SquareColor(FSystemColors, FForegroundIndex); }
  TColor GetBackgroundColor() const { return SquareColor(FSystemColors, FBackgroundIndex); }
  // The square under a client point, the point clamped into the control.
  int SquareFromPos(int X, int Y) const;
  int CellWidth() const { return FCellWidth; }
  int CellHeight() const { return FCellHeight; }

  // A click or key on a switched-off colour switches it on and takes the square.
  bool ClickEnablesColor = false;
  // A colour index changed.
  TNotifyEvent OnChange;

 protected:
  void CreateWnd() override;
  void Paint() override;
  virtual void Change();
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WMSize(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;
  void WMCaptureChanged(TMessage& Message) override;
  void CMCtl3DChanged(TMessage& Message) override;

  // Snaps the bounds to whole squares and takes the squares' size from them.
  void UpdateCellSizes(bool Repaint);
  // Draws a square without its mark, with the keyboard cursor if asked.
  void DrawSquare(int Index, bool WithCursor);
  // Draws the marks of the enabled colours.
  void DrawFgBg();

 private:
  // The step before a click or key takes a square: a switched-off colour that the click may
  // switch on is switched on, its old square redrawn, and its index made -1, so that taking
  // any square counts as a change.
  void EnableForClick(bool Foreground);
  // The index setters and the switches of both colours.
  void SetColorIndex(bool Foreground, int Value);
  void EnableColor(bool Foreground, bool Value);
  RECT SquareRect(int Index) const;
  bool ShowsCursor(int Index) const { return Index == FSelection && FFocused; }

  TPaletteEntry FSystemColors[20];
  int FForegroundIndex = 0;
  int FBackgroundIndex = 0;
  bool FForegroundEnabled = true;
  bool FBackgroundEnabled = true;
  int FSelection = 0;
  int FCellWidth = 0;
  int FCellHeight = 0;
  int FColumns = 4;
  int FRows = 4;
  TGridOrdering FGridOrdering = TGridOrdering::go4x4;
  bool FFocused = false;
  TMouseButton FDragButton = TMouseButton::mbLeft;
  bool FDragging = false;
  bool FUpdatingCellSizes = false;  // a resize that the snapping itself caused
};

namespace Cgrid {
// Makes TCColorGrid known to form descriptions by its class name.
void Register();
}  // namespace Cgrid
