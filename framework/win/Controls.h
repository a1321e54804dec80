// Controls: TControl, the base of every control, and the windowless TGraphicControl. The
// windowed controls are in WinControls.
//
// Messages reach a control through WndProc, which dispatches them to virtual handlers named
// after them (WMLButtonDown, CMMouseEnter...). A class overrides the handlers it cares about and
// calls its base's for the rest; the last base answers with DefaultHandler.
//
// Coordinates: a control's bounds are in its parent's client coordinates. Windowless controls
// are painted on their parent's canvas, in creation order, below every windowed control; their
// mouse messages come from the parent, translated to their own client coordinates.
//
// Ownership: a control is owned by its owner component (usually the form) and freed by it. A
// parent does not own its children, but a control leaves its parent when it goes.
//
// Anchors: a control remembers where it was placed and how large its parent's client area was
// then (whenever code sets its bounds, and when it gets its parent); when the parent changes size
// the parent moves it from there as its anchors say. Every size it takes, from code, alignment,
// anchors or the user, stays within its Constraints.
//
// Drag and drop: one drag at a time, between controls of the program. The source's window (a
// windowless source's parent) holds the mouse capture while it runs; the events get coordinates
// in the client area of the control that receives them.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <vector>

#include "framework/core/Classes.h"
#include "framework/core/Layout.h"
#include "framework/core/Typinfo.h"
#include "framework/win/Accessible.h"
#include "framework/win/Graphics.h"
#include "framework/win/Messages.h"

class TWinControl;
class TPopupMenu;

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
  crDrag = -12,
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

const TEnumInfo& AnchorKindInfo();  // akLeft, akTop, akRight, akBottom

// A control's size limits, stored in a form description as "Constraints.MinWidth = 50"; 0 is no
// limit. Setting a minimum above the maximum raises the maximum to it, and the other way round.
// A change tells the control (OnChange), which takes the new limits at once.
class TSizeConstraints : public TPersistent {
  DECLARE_CLASS_INFO()
 public:
  int MinWidth() const { return limits_.MinWidth; }
  int MinHeight() const { return limits_.MinHeight; }
  int MaxWidth() const { return limits_.MaxWidth; }
  int MaxHeight() const { return limits_.MaxHeight; }
  void SetMinWidth(int value) { SetLimit(&TSizeLimits::MinWidth, value); }
  void SetMinHeight(int value) { SetLimit(&TSizeLimits::MinHeight, value); }
  void SetMaxWidth(int value) { SetLimit(&TSizeLimits::MaxWidth, value); }
  void SetMaxHeight(int value) { SetLimit(&TSizeLimits::MaxHeight, value); }
  const TSizeLimits& Limits() const { return limits_; }
  void Assign(const TPersistent* source) override;
  // Every limit set times multiplier / divider, for a new screen resolution.
  void Scale(int multiplier, int divider);

  TNotifyEvent OnChange;

 private:
  void SetLimit(int TSizeLimits::*limit, int value);
  void Change(const TSizeLimits& limits);
  TSizeLimits limits_;
};

// How a drag starts: only from BeginDrag, or also by a left press and a move past the system's
// drag distance.
enum class TDragMode { dmManual, dmAutomatic };
// What a drag is for: dropping on another control, or docking (there are no dock sites: a dock
// drag always ends without a target).
enum class TDragKind { dkDrag, dkDock };
enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };
const TEnumInfo& EnumInfoOf(TDragMode);
const TEnumInfo& EnumInfoOf(TDragKind);

// Runs of inherited properties that the controls publish together, each in its stored order
// (form descriptions store a control's properties in the order it publishes them). A class
// publishes the runs it has among the names of its own.
inline constexpr std::array kPublishBounds{"Left", "Top", "Width", "Height"};
inline constexpr std::array kPublishHints{"ParentShowHint", "PopupMenu", "ShowHint"};
inline constexpr std::array kPublishTabStop{"TabOrder", "TabStop"};
inline constexpr std::array kPublishFocusEvents{"OnEnter", "OnExit"};
inline constexpr std::array kPublishKeyEvents{"OnKeyDown", "OnKeyPress", "OnKeyUp"};
inline constexpr std::array kPublishMouseEvents{"OnMouseDown", "OnMouseMove", "OnMouseUp"};
// The focus, key and mouse events in a row.
inline constexpr std::array kPublishInputEvents{"OnEnter",     "OnExit",   "OnKeyDown",
                                                "OnKeyPress",  "OnKeyUp",  "OnMouseDown",
                                                "OnMouseMove", "OnMouseUp"};
inline constexpr std::array kPublishDragEvents{"OnDragDrop", "OnDragOver"};
inline constexpr std::array kPublishDockEvents{"OnEndDock", "OnEndDrag"};

// The source may hand the targets another object to see as the dragged one (Source).
using TStartDragEvent = TEvent<TObject*, TObject*&>;
using TStartDockEvent = TStartDragEvent;
// A target says whether it takes the drop. Accept comes in true: a control with a handler
// accepts unless the handler says no, one without a handler never does.
using TDragOverEvent = TEvent<TObject*, TObject*, int, int, TDragState, bool&>;
using TDragDropEvent = TEvent<TObject*, TObject*, int, int>;
// The target is null when the drag was cancelled or ended over no control that accepts.
using TEndDragEvent = TEvent<TObject*, TObject*, int, int>;

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
  TAnchors Anchors() const { return anchors_; }
  // Also takes the present place as the one to keep the distances of.
  void SetAnchors(TAnchors anchors);
  TSizeConstraints* Constraints() const { return constraints_.get(); }
  void SetConstraints(TSizeConstraints* constraints) { constraints_->Assign(constraints); }
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
  // Whether the mouse is captured for this control: a windowless control asks its parent window.
  virtual bool MouseCapture() const;
  virtual void SetMouseCapture(bool capture);
  bool MouseInside() const { return mouse_inside_; }

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
  // While ParentShowHint is set, ShowHint is the parent's; setting ShowHint clears it.
  bool ShowHint() const;
  void SetShowHint(bool show);
  bool ParentShowHint() const { return parent_show_hint_; }
  void SetParentShowHint(bool value);

  // --- drag and drop
  TDragMode DragMode() const { return drag_mode_; }
  void SetDragMode(TDragMode mode) { drag_mode_ = mode; }
  TDragKind DragKind() const { return drag_kind_; }
  void SetDragKind(TDragKind kind) { drag_kind_ = kind; }
  // The cursor over a target that accepts.
  int DragCursor() const { return drag_cursor_; }
  void SetDragCursor(int cursor) { drag_cursor_ = cursor; }
  // Starts a drag from this control: at once, or once the mouse has moved `threshold` pixels
  // (-1: the system's drag distance). Nothing while another drag runs.
  void BeginDrag(bool immediate, int threshold = -1);
  // Ends the drag this control started: dropped on the target under the mouse when that one
  // accepts, else cancelled.
  void EndDrag(bool drop);
  bool Dragging() const;

  // --- painting
  virtual void Invalidate();
  virtual void Update();
  void Repaint();  // invalidate and paint at once

  // --- messages
  virtual void WndProc(TMessage& message);
  LRESULT Perform(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
  virtual void DefaultHandler(TMessage& message);
  virtual void Click();
  // Above its siblings of the same kind (windowless ones are painted in list order).
  virtual void BringToFront();

  // --- screen resolution. Form descriptions are laid out at 96 pixels per inch; a form read
  // on a screen of another resolution scales itself and everything in it.
  // The resolution this control is laid out for: its form's.
  virtual int PixelsPerInch() const;
  // A length of the stored layout or artwork in this control's pixels.
  int ScaleDesign(int pixels) const { return MulDiv(pixels, PixelsPerInch(), 96); }
  // Scales place, size, size limits and an own font by multiplier / divider; a windowed
  // control its children too.
  virtual void ChangeScale(int multiplier, int divider) { ScaleOwn(multiplier, divider); }

  // --- what assistive tools see of a windowless control (a windowed one is its window)
  virtual TAccessibleRole AccessibleRole() const { return TAccessibleRole::arNone; }
  virtual AnsiString AccessibleName() const { return StripAccelerator(Caption()); }
  // Does the control's default action (a button presses); false when it has none.
  virtual bool AccessiblePress() { return false; }
  // The control this one names, as a label names the field beside it; null for most.
  virtual TWinControl* LabelledControl() const { return nullptr; }
  // The label that names this control when none has it as its labelled control: a radio
  // button without a caption of its own is named by the label of the field it chooses.
  virtual TControl* LabelledBy() const { return nullptr; }

  // --- events
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnResize;
  TStartDragEvent OnStartDrag;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;
  TStartDockEvent OnStartDock;
  TEndDragEvent OnEndDock;

  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;

 protected:
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void DblClick();
  virtual void Resize();
  // The drag's events, as this control's part in it: source (start, end) or target.
  virtual void DoStartDrag(TObject*& drag_object) { OnStartDrag(this, drag_object); }
  virtual void DoStartDock(TObject*& drag_object) { OnStartDock(this, drag_object); }
  virtual void DragOver(TObject* source, int x, int y, TDragState state, bool& accept);
  virtual void DragDrop(TObject* source, int x, int y) { OnDragDrop(this, source, x, y); }
  virtual void DoEndDrag(TObject* target, int x, int y) { OnEndDrag(this, target, x, y); }
  virtual void DoEndDock(TObject* target, int x, int y) { OnEndDock(this, target, x, y); }
  // The parent's font or colour changed (CM_PARENTFONTCHANGED, CM_PARENTCOLORCHANGED);
  // ParentFont/ParentColor controls follow.
  virtual void ParentFontChanged();
  virtual void ParentColorChanged();
  // Our own font or colour changed: repaint; a parent tells its children.
  virtual void FontChanged();
  virtual void ColorChanged() { Invalidate(); }
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
  // The control's own part of ChangeScale: place, size, limits, own font.
  virtual void ScaleOwn(int multiplier, int divider);
  // Alt and a character: answers 1 when the character is our accelerator and we acted on it.
  virtual void CMDialogChar(TMessage& message) { message.Result = 0; }

  // Keeps what the window says of our place and text, without acting on it.
  void StoreBounds(int left, int top, int width, int height);
  // After code set our bounds: an aligned control has its parent lay out its children again,
  // and the new place becomes the one the anchors keep.
  void BoundsSetByCode();
  void StoreCaption(const AnsiString& caption) { caption_ = caption; }
  const AnsiString& StoredCaption() const { return caption_; }

  TControlStyle control_style_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  bool mouse_inside_ = false;

 private:
  void DoMouseDown(TMessage& message, TMouseButton button, TShiftState extra);
  void DoMouseUp(TMessage& message, TMouseButton button);
  void FontPropertyChanged(TObject*);
  void ConstraintsChanged(TObject*);
  // Takes the present bounds and the parent's client size as the place the anchors keep.
  void RecordAnchorOrigin();

  friend class TWinControl;  // lays its children out from their anchor origins
  friend class TDragTracker;

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
  TAnchors anchors_ = kDefaultAnchors;
  TAnchorOrigin anchor_origin_;
  bool placed_by_parent_ = false;  // the parent's layout sets our bounds: not by code
  std::unique_ptr<TSizeConstraints> constraints_;
  TDragMode drag_mode_ = TDragMode::dmManual;
  TDragKind drag_kind_ = TDragKind::dkDrag;
  int drag_cursor_ = crDrag;
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

// Cancels the drag that runs (Escape in the message loop); false when none does.
bool CancelDrag();

// Opens a control's popup menu at screen coordinates (defined with the menus).
void PopupMenuAt(TPopupMenu* menu, int x, int y);

// Makes sure the common controls (time picker and the others) are registered; idempotent.
void InitCommonControls(DWORD classes);
// The current shift state from the keyboard and mouse buttons.
TShiftState KeyboardShiftState();
// The shift state of a mouse message's WPARAM.
TShiftState MouseShiftState(WPARAM wparam);
