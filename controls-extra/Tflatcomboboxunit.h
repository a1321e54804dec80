// Tflatcomboboxunit: TFlatComboBox, a combo box drawn flat: a one-pixel border of ColorBorder
// and a small flat arrow button at the right edge in place of the system's sunken frame and
// drop button. With UseAdvColors the border and button colours are darker shades of the
// parent's colour.
//
// The system's combo box still paints and handles the control; the flat look is painted over
// it: the border on the window's DC after each paint, the button in the client area with the
// system's own button strip clipped out of the system's painting. Coordinates are the
// control's client pixels; the combo box window has no non-client area. The button, its arrow
// and the items grow with the resolution of the form's screen.
//
// The drop-down list's messages come through ComboWndProc (the framework takes over the list);
// while FListDefaultProc is set, ListWndProc handles them and sizes the list to its items.
//
// Ownership: the edit and list windows are the system's (not owned). The brushes of a paint
// live only during it.
#pragma once

#include "controls-extra/Flatutilitys.h"
#include "framework/win/StdCtrls.h"

class TFlatComboBox : public TCustomComboBox {
  DECLARE_CLASS_INFO()
 public:
  explicit TFlatComboBox(TComponent* owner);

  // Index 0 ColorArrow, 1 ColorArrowBackground, 2 ColorBorder; other indexes change nothing.
  void SetColors(int Index, TColor Value);
  // Index 0 AdvColorBorder, 1 AdvColorArrowBackground; clamped to 0..100.
  void SetAdvColors(int Index, TAdvColors Value);
  void SetUseAdvColors(bool Value);

  TColor GetColorArrow() const { return ColorArrow; }
  TColor GetColorArrowBackground() const { return ColorArrowBackground; }
  TColor GetColorBorder() const { return ColorBorder; }
  TAdvColors GetAdvColorBorder() const { return AdvColorBorder; }
  TAdvColors GetAdvColorArrowBackground() const { return AdvColorArrowBackground; }
  bool GetUseAdvColors() const { return UseAdvColors; }

  // Whether the border shows the active state: dropped down, or the focus on the box or its
  // edit field; while designing, whether the box is enabled.
  bool GetSolidBorder() const;
  // The flat button, in client coordinates (its frame and arrow: widened by 1 on each side).
  RECT GetButtonRect() const;

  void SetParent(TWinControl* parent) override;

 protected:
  void WndProc(TMessage& Message) override;
  void ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc) override;
  // A disabled box draws its items' text greyed, as the system draws its own styles.
  void DrawItem(int index, const RECT& rect, TOwnerDrawState state) override;
  // The drop-down list's messages while it is subclassed.
  virtual void ListWndProc(TMessage& Message);

  void HandleCreated() override;
  void DestroyWnd() override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMKeyDown(TMessage& Message) override;
  void WMPaint(TMessage& Message) override;
  void WMNCPaint(TMessage& Message);
  void WMSysColorChange(TMessage& Message) override;
  void CNCommand(TMessage& Message) override;
  void FontChanged() override;
  void ParentColorChanged() override;

  // ColorBorder and ColorArrowBackground from the parent's colour (the button face without a
  // parent), when UseAdvColors.
  void CalcAdvColors();
  // Repaints the band between the system's selection and the flat button (list styles).
  void InvalidateSelection();
  void PaintButton();
  void PaintBorder();
  void SetSolidBorder();
  void RedrawBorders();

 private:
  // Runs `paint` with paint_canvas_ bound to a DC: the paint's own while WMPaint runs, else
  // the client area's for the moment.
  template <class Paint>
  void WithCanvas(Paint paint);
  // The flat button's width on the screen: FFlatButtonWidth is its width at 96 pixels per inch.
  int FlatButtonWidth() const { return ScaleDesign(FFlatButtonWidth); }
  // A simple box has no drop button, so no flat one either: only the flat border.
  bool HasFlatButton() const { return Style() != TComboBoxStyle::csSimple; }
  // Excludes the system's drop button, `extra` pixels wider to the left, from the clipping.
  void ExcludeSystemButton(int extra);
  // The property setters of form descriptions.
  void SetColorArrow(TColor value) { SetColors(0, value); }
  void SetColorArrowBackground(TColor value) { SetColors(1, value); }
  void SetColorBorder(TColor value) { SetColors(2, value); }
  void SetAdvColorBorder(TAdvColors value) { SetAdvColors(0, value); }
  void SetAdvColorArrowBackground(TAdvColors value) { SetAdvColors(1, value); }

  TColor ColorArrow = clBlack;
  TColor ColorArrowBackground = 0xC5D6D9;
  TColor ColorBorder = 0x8396A0;
  bool UseAdvColors = false;
  TAdvColors AdvColorArrowBackground = 10;
  TAdvColors AdvColorBorder = 50;
  int FFlatButtonWidth = 11;
  HWND FEditChild = nullptr;           // not owned: the system's edit field
  WNDPROC FListDefaultProc = nullptr;  // the list's own procedure while ListWndProc handles it
  HWND FListWindow = nullptr;          // not owned: the system's drop-down list
  bool FBorderActive = false;
  TCanvas paint_canvas_;  // the flat painting's; bound only while a painting step runs
};

namespace Tflatcomboboxunit {
// Makes TFlatComboBox known to form descriptions by its class name.
void Register();
}  // namespace Tflatcomboboxunit
