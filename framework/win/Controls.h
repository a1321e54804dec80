// Controls: the windowless TGraphicControl, the windowed TWinControl and TCustomControl.
//
// Messages reach a control through WndProc, which dispatches them to virtual handlers named
// after them (WMPaint, WMSize, CMMouseEnter...). A class overrides the handlers it cares
// about and calls its base's for the rest; the last base answers with DefaultHandler, which is
// DefWindowProc for our own window classes and the original window procedure for the system's
// (button, edit, combo box...). WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR* and WM_DRAWITEM that a child
// window sends its parent are reflected back to the child's object as CN_* messages.
//
// Coordinates: a control's bounds are in its parent's client coordinates. Windowless controls
// are painted on their parent's canvas, in creation order, below every windowed control; their
// mouse messages come from the parent, translated to their own client coordinates.
//
// Ownership: a control is owned by its owner component (usually the form) and freed by it. A
// parent does not own its children, but a control leaves its parent when it goes, and a windowed
// control destroys its window before it goes.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/core/Classes.h"
#include "framework/core/Typinfo.h"
#include "framework/win/Graphics.h"

class TWinControl;
class TPopupMenu;

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

// The framework's own messages.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_MOUSEENTER = CM_BASE + 1;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 2;
constexpr UINT CM_ENTER = CM_BASE + 3;
constexpr UINT CM_EXIT = CM_BASE + 4;
constexpr UINT CM_SHOWEXCEPTION = CM_BASE + 5;
// A windowless control's press ends early: its parent window lost the mouse capture to another
// window (a menu, Alt+Tab, a window that called SetCapture).
constexpr UINT CM_CANCELMODE = CM_BASE + 6;
// A reflected notification: CN_BASE + the original message.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
const TEnumInfo& EnumInfoOf(TAlign);
// The border of a control that has one (panel, edit...): none or a single line.
enum class TBorderStyle { bsNone, bsSingle };
const TEnumInfo& EnumInfoOf(TBorderStyle);

enum TCursor : int {
  crDefault = 0,
  crNone = -1,
  crArrow = -2,
  crCross = -3,
  crIBeam = -4,
  crSizeAll = -22,
  crSizeNESW = -6,
  crSizeNS = -7,
  crSizeNWSE = -8,
  crSizeWE = -9,
  crUpArrow = -10,
  crHourGlass = -11,
  crNo = -18,
  crHandPoint = -21,
};
const TIdentMap& CursorIdents();
HCURSOR CursorHandle(int cursor);

// Control style flags.
enum TControlStyleFlag : uint32_t {
  csAcceptsControls = 1,  // may hold child controls
  csCaptureMouse = 2,     // takes the mouse capture while a button is down on it
  csClickEvents = 4,      // a press and release over it is a click
  csFramed = 8,           // draws a frame of its own
  csSetCaption = 16,      // takes its name as its caption while the caption is empty
  csOpaque = 32,          // paints every pixel of its area
  csDoubleClicks = 64,    // reports double clicks
  csFixedHeight = 128,    // its height is set by its content
  csFixedWidth = 256,
  csReplicatable = 512,
};
using TControlStyle = uint32_t;

class TControl : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // --- parent and placement
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  void SetParentComponent(TComponent* parent) override;
  TComponent* GetParentComponent() const override;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
  void SetTop(int top) { SetBounds(left_, top, width_, height_); }
  void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
  void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  virtual RECT ClientRect() const { return {0, 0, width_, height_}; }
  int ClientWidth() const;
  int ClientHeight() const;
  virtual void SetClientWidth(int width);
  virtual void SetClientHeight(int height);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  POINT ClientToScreen(POINT point) const;
  POINT ScreenToClient(POINT point) const;
  // The control's client origin in the window that paints it.
  virtual POINT OriginInWindow() const;

  // --- state
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent up to a top-level window visible.
  virtual bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  TControlStyle ControlStyle() const { return control_style_; }
  void SetControlStyle(TControlStyle style) { control_style_ = style; }
  bool MouseCapture() const;
  void SetMouseCapture(bool capture);

  // --- looks
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool ParentColor() const { return parent_color_; }
  void SetParentColor(bool parent_color);
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* font) { font_->Assign(font); }
  bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool parent_font);
  AnsiString Caption() const { return Text(); }
  void SetCaption(const AnsiString& caption) { SetText(caption); }
  // A windowed control reads its window's text, which the user may have changed.
  virtual AnsiString Text() const { return caption_; }
  virtual void SetText(const AnsiString& text);
  int Cursor() const { return cursor_; }
  void SetCursor(int cursor) { cursor_ = cursor; }
  TPopupMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* menu);
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& hint) { hint_ = hint; }
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool show) { show_hint_ = show; }
  bool ParentShowHint() const { return parent_show_hint_; }
  void SetParentShowHint(bool value) { parent_show_hint_ = value; }

  // --- painting
  virtual void Invalidate();
  virtual void Update();
  void Repaint();  // invalidate and paint at once

  // --- messages
  virtual void WndProc(TMessage& message);
  LRESULT Perform(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
  virtual void DefaultHandler(TMessage& message);
  virtual void Click();
  void BringToFront();

  // --- events
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnResize;

  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;

 protected:
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void DblClick();
  virtual void Resize();
  // The parent's font or colour changed; ParentFont/ParentColor controls follow.
  virtual void ParentFontChanged();
  virtual void ParentColorChanged();
  virtual void FontChanged();
  virtual void TextChanged() { Invalidate(); }
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() { Invalidate(); }

  // Message handlers.
  virtual void WMLButtonDown(TMessage& message);
  virtual void WMLButtonUp(TMessage& message);
  virtual void WMLButtonDblClk(TMessage& message);
  virtual void WMRButtonDown(TMessage& message);
  virtual void WMRButtonUp(TMessage& message);
  virtual void WMMouseMove(TMessage& message);
  virtual void WMContextMenu(TMessage& message);
  virtual void CMMouseEnter(TMessage& message) { DefaultHandler(message); }
  virtual void CMMouseLeave(TMessage& message) { DefaultHandler(message); }
  // Ends the press as a left release outside the control: no click, and MouseUp sees it, so a
  // pressed look goes up and whatever the press started stops.
  virtual void CMCancelMode(TMessage& message);

  TControlStyle control_style_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  bool mouse_inside_ = false;

 private:
  void DoMouseDown(TMessage& message, TMouseButton button, TShiftState extra);
  void DoMouseUp(TMessage& message, TMouseButton button);
  void FontPropertyChanged(TObject*);

  friend class TWinControl;
  TWinControl* parent_ = nullptr;  // not owned
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = TAlign::alNone;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clWindow;
  bool parent_color_ = true;
  std::unique_ptr<TFont> font_;
  bool parent_font_ = true;
  AnsiString caption_;
  bool applying_parent_font_ = false;
  int cursor_ = crDefault;
  TPopupMenu* popup_menu_ = nullptr;  // not owned
  AnsiString hint_;
  bool show_hint_ = false;
  bool parent_show_hint_ = true;
  bool clicked_ = false;  // a left press on us that has not been released
};

// A control without a window of its own, painted on its parent's canvas.
class TGraphicControl : public TControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TGraphicControl(TComponent* owner);
  // The canvas is the parent's, clipped to this control and with its origin at our top left,
  // only while Paint runs.
  TCanvas* Canvas() { return &canvas_; }
  // Paints on the parent's DC; called by the parent in creation order.
  void PaintOn(HDC dc);

 protected:
  virtual void Paint() {}

 private:
  TCanvas canvas_;
};

class TWinControl : public TControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // The window; created on first use, with the parent's first.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
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
  TGraphicControl* GraphicControlAt(POINT point) const;
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
  bool Ctl3D() const { return ctl3d_; }
  void SetCtl3D(bool value) { ctl3d_ = value; }
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
  void Loaded() override;
  POINT OriginInWindow() const override { return {0, 0}; }
  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;
  // Lays out children with an Align; called when the client area changes.
  virtual void AlignControls();
  // Paints the windowless children in creation order.
  void PaintControls(HDC dc);

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
  };
  virtual void CreateParams(TCreateParams& params);
  // Creates the window from CreateParams; then CreateWnd's callers create the children's.
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // Called once the window exists (fonts, texts and state are applied to it here).
  virtual void HandleCreated();
  void FontChanged() override;

  virtual void KeyDown(uint16_t& key, TShiftState shift);
  virtual void KeyUp(uint16_t& key, TShiftState shift);
  virtual void KeyPress(char& key);
  virtual void DoEnter() { OnEnter(this); }
  virtual void DoExit() { OnExit(this); }
  // The brush for WM_CTLCOLOR* of a system control: our colour and font colour.
  HBRUSH ControlBrush(HDC dc);
  // Fills the background with our colour, opaque or not: forms and windowed controls without
  // csOpaque rely on it. A control that leaves its background to its parent answers
  // WM_ERASEBKGND itself instead.
  virtual void PaintBackground(HDC dc, const RECT& rect);

  virtual void WMPaint(TMessage& message);
  virtual void WMEraseBkgnd(TMessage& message);
  virtual void WMSize(TMessage& message);
  virtual void WMMove(TMessage& message) { DefaultHandler(message); }
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
  virtual void CMEnter(TMessage& message);
  virtual void CMExit(TMessage& message);
  // Reflected notifications from our own window's parent.
  virtual void CNCommand(TMessage& message) { message.Result = 0; }
  virtual void CNNotify(TMessage& message) { message.Result = 0; }
  virtual void CNCtlColor(TMessage& message);
  virtual void CNDrawItem(TMessage& message) { message.Result = 0; }
  virtual void CNMeasureItem(TMessage& message) { message.Result = 0; }

  // Routes a mouse message of our window to the windowless child under it (or capturing it).
  bool RouteToGraphicControl(TMessage& message);

  HWND handle_ = nullptr;           // owned: destroyed with the control
  WNDPROC default_proc_ = nullptr;  // the system class's procedure, for subclassed windows

 private:
  friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
  friend class TControl;
  void CreateHandle();
  void UpdateTabOrderZ();
  void UpdateMouseOver(TGraphicControl* control);

  std::vector<TControl*> controls_;     // not owned
  std::vector<TWinControl*> tab_list_;  // windowed children in tab order, not owned
  bool tab_stop_ = false;
  bool ctl3d_ = true;
  bool parent_ctl3d_ = true;
  bool tracking_leave_ = false;
  TGraphicControl* mouse_control_ = nullptr;    // windowless child under the mouse, not owned
  TGraphicControl* capture_control_ = nullptr;  // windowless child holding the capture
  TGdiObject brush_;                            // for WM_CTLCOLOR*
  TColor brush_color_ = clNone;
  int wanted_tab_order_ = -1;  // set while loading, applied by Loaded
};

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

// Shows an exception that escaped a handler; the application installs its display here.
extern void (*HandleControlException)(const std::exception& error);
// Opens a control's popup menu at screen coordinates (defined with the menus).
void PopupMenuAt(TPopupMenu* menu, int x, int y);

// Makes sure the common controls (time picker and the others) are registered; idempotent.
void InitCommonControls(DWORD classes);
// The current shift state from the keyboard and mouse buttons.
TShiftState KeyboardShiftState();
// The shift state of a mouse message's WPARAM.
TShiftState MouseShiftState(WPARAM wparam);
