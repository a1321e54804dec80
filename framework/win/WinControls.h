// WinControls: TWinControl, a control with a window of its own, and TCustomControl, one that
// paints itself on a canvas.
//
// The window's messages come through the framework's window procedure (Messages) to WndProc,
// which dispatches them to virtual handlers named after them (WMPaint, WMSize...). The last base
// answers with DefaultHandler: DefWindowProc for our own window classes, the original window
// procedure for the system's (button, edit, combo box...). WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*
// and WM_DRAWITEM that a child window sends its parent are reflected back to the child's object
// as CN_* messages.
//
// Ownership: a windowed control owns its window. It destroys it in BeforeDestruction, while the
// whole object still answers the window's last messages; a control deleted without that step
// leaves its window unanswered first and then destroys it.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "framework/win/Controls.h"
#include "framework/win/GraphicHost.h"

class TWinControl : public TControl, public TMessageTarget {
  DECLARE_CLASS_INFO()
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  // Destroys the window while the whole object can still answer its last messages.
  void BeforeDestruction() override;

  // The window; created on first use, with the parent's first.
  HWND Handle();
  bool HandleAllocated() const { return static_cast<bool>(window_); }
  // The window if it exists, without creating it.
  HWND WindowHandle() const { return window_.Get(); }
  void HandleNeeded() { Handle(); }
  // Destroys the window and creates it again with the current CreateParams.
  void RecreateWnd();
  void DestroyHandle();
  // A windowed control at the given handle, or null.
  static TWinControl* FromHandle(HWND window);

  // Children in creation order (windowless and windowed).
  const std::vector<TControl*>& Controls() const { return controls_; }
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  // The topmost visible windowless child at a client point, or null.
  TGraphicControl* GraphicControlAt(POINT point) const { return graphic_host_.ControlAt(point); }
  // Moves a windowless child to the end of the painting order.
  void BringChildToFront(TControl* child);
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

  // Tab order among the windowed siblings: 0, 1, 2... also their z-order.
  int TabOrder() const;
  void SetTabOrder(int order);
  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool tab_stop);
  bool Focused() const;
  bool CanFocus() const;
  virtual void SetFocus();
  // Focuses the next (or previous) windowed child in tab order that takes the focus.
  void SelectNext(TWinControl* current, bool forward);
  // Alt and `key`: offers the key to the visible children, depth first in creation order, and
  // answers whether one acted on it (CM_DIALOGCHAR).
  bool DialogChar(wchar_t key);
  bool Ctl3D() const { return ctl3d_; }
  // Tells the control (CM_CTL3DCHANGED) when the value changes.
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return parent_ctl3d_; }
  void SetParentCtl3D(bool value) { parent_ctl3d_ = value; }

  void SetBounds(int left, int top, int width, int height) override;
  RECT ClientRect() const override;
  void SetParent(TWinControl* parent) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  AnsiString Text() const override;
  void SetText(const AnsiString& text) override;
  void Invalidate() override;
  void Update() override;
  bool Showing() const override;
  bool MouseCapture() const override;
  void SetMouseCapture(bool capture) override;
  void BringToFront() override;
  // The windowless children: their painting, their mouse and their capture.
  TGraphicHost& GraphicHost() { return graphic_host_; }
  void Loaded() override;
  POINT OriginInWindow() const override { return {0, 0}; }
  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;
  // Lays out children by their Align and Anchors, within their Constraints; called when the
  // client area changes and when an aligned child comes or goes.
  virtual void AlignControls();
  void ChangeScale(int multiplier, int divider) override;
  // Paints the windowless children in creation order.
  void PaintControls(HDC dc) { graphic_host_.Paint(dc); }

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 protected:
  struct TCreateParams {
    AnsiString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    // A system class to subclass ("EDIT", "BUTTON"...), or empty for our own window class.
    AnsiString SystemClass;
    UINT ClassStyle = CS_DBLCLKS;
    AnsiString WinClassName;  // our own class's name; the class name of the control by default
    HICON ClassIcon = nullptr, ClassSmallIcon = nullptr;  // our own class's, when it is new
  };
  virtual void CreateParams(TCreateParams& params);
  // Creates the window from CreateParams; then CreateWnd's callers create the children's.
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // Called once the window exists (fonts, texts and state are applied to it here).
  virtual void HandleCreated();
  void FontChanged() override;
  void ColorChanged() override;

  virtual void KeyDown(uint16_t& key, TShiftState shift);
  virtual void KeyUp(uint16_t& key, TShiftState shift);
  virtual void KeyPress(wchar_t& key);
  virtual void DoEnter() { OnEnter(this); }
  virtual void DoExit() { OnExit(this); }
  // The focus came to this control (or to a window of its own). CM_EXIT and CM_ENTER tell of
  // the focus moving between the controls of one top-level window, which remembers the control
  // entered last: a window hidden, deactivated or activated again tells its control nothing.
  void FocusArrived();
  // The brush for WM_CTLCOLOR* of a system control: our colour and font colour.
  HBRUSH ControlBrush(HDC dc);
  // Fills the background with our colour, opaque or not: forms and windowed controls without
  // csOpaque rely on it. A control that leaves its background to its parent answers
  // WM_ERASEBKGND itself instead.
  virtual void PaintBackground(HDC dc, const RECT& rect);

  virtual void WMPaint(TMessage& message);
  virtual void WMEraseBkgnd(TMessage& message);
  virtual void WMSize(TMessage& message);
  // Holds every size the window is given, by anyone, within our Constraints.
  virtual void WMWindowPosChanging(TMessage& message);
  // A top-level window tells the system how far the user may size it.
  virtual void WMGetMinMaxInfo(TMessage& message);
  // The system moves a dragged window without a WM_SIZE: the bounds follow the window here too.
  virtual void WMMove(TMessage& message);
  virtual void WMTimer(TMessage& message) { DefaultHandler(message); }
  virtual void WMDestroy(TMessage& message) { DefaultHandler(message); }
  virtual void WMSetFocus(TMessage& message);
  virtual void WMKillFocus(TMessage& message);
  virtual void WMGetDlgCode(TMessage& message) { DefaultHandler(message); }
  virtual void WMKeyDown(TMessage& message);
  virtual void WMKeyUp(TMessage& message);
  virtual void WMChar(TMessage& message);
  virtual void WMCut(TMessage& message) { DefaultHandler(message); }
  virtual void WMPaste(TMessage& message) { DefaultHandler(message); }
  virtual void WMCommand(TMessage& message);
  virtual void WMNotify(TMessage& message);
  virtual void WMCtlColor(TMessage& message);
  virtual void WMDrawItem(TMessage& message);
  virtual void WMMeasureItem(TMessage& message);
  virtual void WMSetCursor(TMessage& message);
  virtual void WMMouseLeave(TMessage& message);
  virtual void WMCaptureChanged(TMessage& message);
  virtual void WMSetFont(TMessage& message) { DefaultHandler(message); }
  virtual void WMGetFont(TMessage& message);
  virtual void WMSysColorChange(TMessage& message);
  virtual void WMPrintClient(TMessage& message);
  // The accessible object of our client area (Accessible).
  virtual void WMGetObject(TMessage& message);
  virtual void CMEnter(TMessage& message);
  virtual void CMExit(TMessage& message);
  virtual void CMCtl3DChanged(TMessage& message) { DefaultHandler(message); }
  // Reflected notifications from our own window's parent.
  virtual void CNCommand(TMessage& message) { message.Result = 0; }
  virtual void CNNotify(TMessage& message) { message.Result = 0; }
  virtual void CNCtlColor(TMessage& message);
  virtual void CNDrawItem(TMessage& message) { message.Result = 0; }
  virtual void CNMeasureItem(TMessage& message) { message.Result = 0; }

  // Takes the window's place and size as the control's, in the parent's client coordinates;
  // nothing while the window is minimised.
  void StoreWindowBounds();

  TWindowHandle window_;            // owned: destroyed with the control
  WNDPROC default_proc_ = nullptr;  // the system class's procedure, for taken-over windows

 private:
  void TargetMessage(HWND window, TMessage& message, WNDPROC previous) override;
  void TargetWindowGone(HWND window) override;
  void CreateHandle();
  void UpdateTabOrderZ();
  // Tells every child a message (CM_PARENTCOLORCHANGED...).
  void NotifyControls(UINT msg);

  std::vector<TControl*> controls_;     // not owned
  std::vector<TWinControl*> tab_list_;  // windowed children in tab order, not owned
  int align_held_ = 0;                  // above 0 while a change of scale lays children out itself
  bool tab_stop_ = false;
  bool ctl3d_ = true;
  bool parent_ctl3d_ = true;
  TGraphicHost graphic_host_{*this};
  TGdiObject brush_;  // for WM_CTLCOLOR*
  TColor brush_color_ = clNone;
  int wanted_tab_order_ = -1;  // set while loading, applied by Loaded
  HWND entered_ = nullptr;     // top-level windows: the control entered last; not owned
};

// The control of ours at a client point of a window: the windowless child there, else the
// window's own control, or that of the nearest window around it that is one of ours (a system
// control's inner window); null over a window that is none of ours.
TControl* FindControl(HWND window, POINT point);

// A windowed control with a canvas of its own, painted by Paint.
class TCustomControl : public TWinControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TCustomControl(TComponent* owner);
  TCanvas* Canvas() { return &canvas_; }

 protected:
  virtual void Paint() {}
  void WMPaint(TMessage& message) override;

 private:
  TCanvas canvas_;
};
