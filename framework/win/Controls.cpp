#include "framework/win/Controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstring>
#include <iterator>

#include "framework/win/DragDrop.h"
#include "framework/win/Menus.h"
#include "framework/win/WinControls.h"

TShiftState KeyboardShiftState() {
  TShiftState shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

TShiftState MouseShiftState(WPARAM wparam) {
  TShiftState shift = 0;
  if (wparam & MK_SHIFT) shift |= ssShift;
  if (wparam & MK_CONTROL) shift |= ssCtrl;
  if (wparam & MK_LBUTTON) shift |= ssLeft;
  if (wparam & MK_RBUTTON) shift |= ssRight;
  if (wparam & MK_MBUTTON) shift |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

void InitCommonControls(DWORD classes) {
  static DWORD done = 0;
  if ((done & classes) == classes) return;
  INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), classes};
  InitCommonControlsEx(&init);
  done |= classes;
}

const TEnumInfo& EnumInfoOf(TAlign) {
  static const TEnumInfo info{{"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TBorderStyle) {
  static const TEnumInfo info{{"bsNone", "bsSingle"}};
  return info;
}

const TEnumInfo& AnchorKindInfo() {
  static const TEnumInfo info{{"akLeft", "akTop", "akRight", "akBottom"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TDragMode) {
  static const TEnumInfo info{{"dmManual", "dmAutomatic"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TDragKind) {
  static const TEnumInfo info{{"dkDrag", "dkDock"}};
  return info;
}

const TIdentMap& CursorIdents() {
  static const TIdentMap idents{{
                                    {"crDefault", crDefault},
                                    {"crNone", crNone},
                                    {"crArrow", crArrow},
                                    {"crCross", crCross},
                                    {"crIBeam", crIBeam},
                                    {"crSizeAll", crSizeAll},
                                    {"crSizeNESW", crSizeNESW},
                                    {"crSizeNS", crSizeNS},
                                    {"crSizeNWSE", crSizeNWSE},
                                    {"crSizeWE", crSizeWE},
                                    {"crUpArrow", crUpArrow},
                                    {"crHourGlass", crHourGlass},
                                    {"crDrag", crDrag},
                                    {"crNo", crNo},
                                    {"crHandPoint", crHandPoint},
                                },
                                "TCursor"};
  return idents;
}

namespace {

// The drag cursor: the arrow with a sheet under it. The system has none, so it is drawn here
// ('X' black, 'o' white, '.' see-through) and made once for the program's lifetime.
HCURSOR DragCursorHandle() {
  static const HCURSOR cursor = [] {
    // clang-format off
    static const char* const kPicture[] = {
        "X...........",
        "XX..........",
        "XoX.........",
        "XooX........",
        "XoooX.......",
        "XooooX......",
        "XoooooX.....",
        "XooooooX....",
        "XoooooooX...",
        "XooooooooX..",
        "XoooooXXXXX.",
        "XooXooXXXXXXXXXXX",
        "XoX.XooXoooooooX",
        "XX..XooXoooooooX",
        "X....XooXooooooX",
        ".....XooXooooooX",
        "......XXoooooooX",
        ".......XoooooooX",
        ".......XoooooooX",
        ".......XXXXXXXXX",
    };
    // clang-format on
    constexpr int kSize = 32, kRowBytes = kSize / 8;
    BYTE and_mask[kSize * kRowBytes], xor_mask[kSize * kRowBytes] = {};
    memset(and_mask, 0xFF, sizeof and_mask);
    for (int y = 0; y < static_cast<int>(std::size(kPicture)); ++y) {
      for (int x = 0; kPicture[y][x]; ++x) {
        const char c = kPicture[y][x];
        if (c == '.') continue;
        const BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
        and_mask[y * kRowBytes + x / 8] &= static_cast<BYTE>(~bit);
        if (c == 'o') xor_mask[y * kRowBytes + x / 8] |= bit;
      }
    }
    HCURSOR made = CreateCursor(GetModuleHandleA(nullptr), 0, 0, kSize, kSize, and_mask, xor_mask);
    return made ? made : LoadCursorA(nullptr, IDC_ARROW);
  }();
  return cursor;
}

}  // namespace

HCURSOR CursorHandle(int cursor) {
  LPCSTR id = IDC_ARROW;
  switch (cursor) {
    case crCross:
      id = IDC_CROSS;
      break;
    case crIBeam:
      id = IDC_IBEAM;
      break;
    case crSizeAll:
      id = IDC_SIZEALL;
      break;
    case crSizeNESW:
      id = IDC_SIZENESW;
      break;
    case crSizeNS:
      id = IDC_SIZENS;
      break;
    case crSizeNWSE:
      id = IDC_SIZENWSE;
      break;
    case crSizeWE:
      id = IDC_SIZEWE;
      break;
    case crUpArrow:
      id = IDC_UPARROW;
      break;
    case crHourGlass:
      id = IDC_WAIT;
      break;
    case crNo:
      id = IDC_NO;
      break;
    case crHandPoint:
      id = IDC_HAND;
      break;
    case crDrag:
      return DragCursorHandle();
    case crNone:
      return nullptr;
    default:
      break;
  }
  return LoadCursorA(nullptr, id);
}

// ---------------------------------------------------------------------------------------------
// TSizeConstraints

const TClassInfo& TSizeConstraints::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TSizeConstraints>("TSizeConstraints", &TPersistent::StaticClassInfo())
          .Property("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth,
                    Default(0))
          .Property("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight,
                    Default(0))
          .Property("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth,
                    Default(0))
          .Property("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight,
                    Default(0))
          .Build();
  return info;
}

// A negative limit is none; a new limit that crosses its opposite takes the opposite along.
void TSizeConstraints::SetLimit(int TSizeLimits::*limit, int value) {
  TSizeLimits limits = limits_;
  limits.*limit = std::max(value, 0);
  const bool minimum = limit == &TSizeLimits::MinWidth || limit == &TSizeLimits::MinHeight;
  for (auto [min, max] : {std::pair{&TSizeLimits::MinWidth, &TSizeLimits::MaxWidth},
                          std::pair{&TSizeLimits::MinHeight, &TSizeLimits::MaxHeight}}) {
    if (limits.*max > 0 && limits.*min > limits.*max) {
      if (minimum) {
        limits.*max = limits.*min;
      } else {
        limits.*min = limits.*max;
      }
    }
  }
  Change(limits);
}

void TSizeConstraints::Assign(const TPersistent* source) {
  if (auto* other = dynamic_cast<const TSizeConstraints*>(source)) {
    Change(other->limits_);
    return;
  }
  if (!source) {
    Change({});
    return;
  }
  TPersistent::Assign(source);
}

void TSizeConstraints::Scale(int multiplier, int divider) {
  TSizeLimits limits = limits_;
  for (int TSizeLimits::*limit : {&TSizeLimits::MinWidth, &TSizeLimits::MinHeight,
                                  &TSizeLimits::MaxWidth, &TSizeLimits::MaxHeight}) {
    limits.*limit = MulDiv(limits.*limit, multiplier, divider);
  }
  Change(limits);
}

void TSizeConstraints::Change(const TSizeLimits& limits) {
  if (limits == limits_) return;
  limits_ = limits;
  OnChange(this);
}

// ---------------------------------------------------------------------------------------------
// TControl

const TClassInfo& TControl::StaticClassInfo() {
  static constexpr char kMouseParameters[] =
      "TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y";
  static constexpr char kStartDragParameters[] = "TObject* Sender, TObject*& DragObject";
  static constexpr char kEndDragParameters[] = "TObject* Sender, TObject* Target, int X, int Y";
  static const TClassInfo& info =
      TClassBuilder<TControl>("TControl", &TComponent::StaticClassInfo())
          .Property("Left", &TControl::Left, &TControl::SetLeft)
          .Property("Top", &TControl::Top, &TControl::SetTop)
          .Property("Width", &TControl::Width, &TControl::SetWidth)
          .Property("Height", &TControl::Height, &TControl::SetHeight)
          .Declare("Align", &TControl::Align, &TControl::SetAlign, Default(TAlign::alNone))
          .Declare("Anchors", &TControl::Anchors, &TControl::SetAnchors,
                   SetOf(AnchorKindInfo(), kDefaultAnchors, "TAnchors"))
          .ObjectProperty("Constraints", &TControl::Constraints, false)
          .Declare("Caption", &TControl::Caption, &TControl::SetCaption)
          .Declare("Text", &TControl::Text, &TControl::SetText)
          .Declare("Color", &TControl::Color, &TControl::SetColor,
                   [] {
                     TPropOptions options = Default(clWindow);
                     options.Idents = &ColorIdents();
                     return options;
                   }())
          .StoredIf([](const TControl& c) { return !c.ParentColor(); },
                    "while ParentColor is False")
          .Declare("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, Default(true))
          .ObjectProperty(
              "Font", &TControl::Font, false, [](const TControl& c) { return !c.ParentFont(); },
              "while ParentFont is False")
          .Declare("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, Default(true))
          .Declare("Cursor", &TControl::Cursor, &TControl::SetCursor,
                   [] {
                     TPropOptions options = Default(static_cast<int>(crDefault));
                     options.Idents = &CursorIdents();
                     return options;
                   }())
          .Declare("Enabled", &TControl::Enabled, &TControl::SetEnabled, Default(true))
          .Declare("Visible", &TControl::Visible, &TControl::SetVisible, Default(true))
          .Declare("Hint", &TControl::Hint, &TControl::SetHint, Default(AnsiString()))
          .Declare("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, Default(false))
          .StoredIf([](const TControl& c) { return !c.ParentShowHint(); },
                    "while ParentShowHint is False")
          .Declare("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint,
                   Default(true))
          .Declare("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
          .Declare("OnClick", &TControl::OnClick, &TControl::OnClick)
          .Declare("OnDblClick", &TControl::OnDblClick, &TControl::OnDblClick)
          .Declare("OnMouseDown", &TControl::OnMouseDown, &TControl::OnMouseDown,
                   Handler(kMouseParameters))
          .Declare("OnMouseMove", &TControl::OnMouseMove, &TControl::OnMouseMove,
                   Handler("TObject* Sender, TShiftState Shift, int X, int Y"))
          .Declare("OnMouseUp", &TControl::OnMouseUp, &TControl::OnMouseUp,
                   Handler(kMouseParameters))
          .Declare("OnResize", &TControl::OnResize, &TControl::OnResize)
          .Declare("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor,
                   [] {
                     TPropOptions options = Default(static_cast<int>(crDrag));
                     options.Idents = &CursorIdents();
                     return options;
                   }())
          .Declare("DragKind", &TControl::DragKind, &TControl::SetDragKind,
                   Default(TDragKind::dkDrag))
          .Declare("DragMode", &TControl::DragMode, &TControl::SetDragMode,
                   Default(TDragMode::dmManual))
          .Declare("OnDragDrop", &TControl::OnDragDrop, &TControl::OnDragDrop,
                   Handler("TObject* Sender, TObject* Source, int X, int Y"))
          .Declare(
              "OnDragOver", &TControl::OnDragOver, &TControl::OnDragOver,
              Handler(
                  "TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept"))
          .Declare("OnEndDock", &TControl::OnEndDock, &TControl::OnEndDock,
                   Handler(kEndDragParameters))
          .Declare("OnEndDrag", &TControl::OnEndDrag, &TControl::OnEndDrag,
                   Handler(kEndDragParameters))
          .Declare("OnStartDock", &TControl::OnStartDock, &TControl::OnStartDock,
                   Handler(kStartDragParameters))
          .Declare("OnStartDrag", &TControl::OnStartDrag, &TControl::OnStartDrag,
                   Handler(kStartDragParameters))
          .Build();
  return info;
}

TControl::TControl(TComponent* owner)
    : TComponent(owner),
      font_(std::make_unique<TFont>()),
      constraints_(std::make_unique<TSizeConstraints>()) {
  font_->OnAfterChange = TNotifyEvent(this, &TControl::FontPropertyChanged);
  constraints_->OnChange = TNotifyEvent(this, &TControl::ConstraintsChanged);
}

TControl::~TControl() {
  TDragTracker::ControlGone(this);
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* window = dynamic_cast<TWinControl*>(parent)) SetParent(window);
}

TComponent* TControl::GetParentComponent() const {
  return parent_;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EConvertError("A control cannot be its own parent");
  if (parent_) {
    TWinControl* old = parent_;
    Invalidate();
    parent_ = nullptr;
    old->RemoveControl(this);
  }
  if (parent) {
    parent_ = parent;
    parent->InsertControl(this);
    Invalidate();
    RecordAnchorOrigin();
  }
  if (parent_) {
    if (parent_font_) ParentFontChanged();
    if (parent_color_) ParentColorChanged();
  }
}

int TControl::PixelsPerInch() const {
  return parent_ ? parent_->PixelsPerInch() : 96;
}

void TControl::ScaleOwn(int multiplier, int divider) {
  if (multiplier == divider || divider == 0) return;
  constraints_->Scale(multiplier, divider);
  // An own font; one taken from the parent follows the parent's.
  if (!parent_font_) font_->SetHeight(MulDiv(font_->Height(), multiplier, divider));
  SetBounds(MulDiv(left_, multiplier, divider), MulDiv(top_, multiplier, divider),
            MulDiv(width_, multiplier, divider), MulDiv(height_, multiplier, divider));
}

void TControl::SetBounds(int left, int top, int width, int height) {
  ConstrainSize(constraints_->Limits(), width, height);
  if (left == left_ && top == top_ && width == width_ && height == height_) {
    RecordAnchorOrigin();
    return;
  }
  const bool resized = width != width_ || height != height_;
  Invalidate();
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();
  BoundsSetByCode();
  if (resized) Resize();
}

void TControl::BoundsSetByCode() {
  if (placed_by_parent_) return;
  if (parent_ && align_ != TAlign::alNone && !parent_->IsLoading()) parent_->AlignControls();
  RecordAnchorOrigin();
}

void TControl::RecordAnchorOrigin() {
  if (!parent_ || placed_by_parent_) return;
  const RECT client = parent_->ClientRect();
  anchor_origin_ = {{left_, top_, left_ + width_, top_ + height_},
                    client.right - client.left,
                    client.bottom - client.top};
}

void TControl::SetAnchors(TAnchors anchors) {
  anchors_ = anchors;
  RecordAnchorOrigin();
}

void TControl::ConstraintsChanged(TObject*) {
  // The limits hold from now on, but the place the anchors keep stays the one code chose.
  const TAnchorOrigin origin = anchor_origin_;
  SetBounds(left_, top_, width_, height_);
  anchor_origin_ = origin;
}

void TControl::StoreBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
}

int TControl::ClientWidth() const {
  const RECT r = ClientRect();
  return r.right - r.left;
}

int TControl::ClientHeight() const {
  const RECT r = ClientRect();
  return r.bottom - r.top;
}

void TControl::SetClientWidth(int width) {
  SetWidth(width + (width_ - ClientWidth()));
}

void TControl::SetClientHeight(int height) {
  SetHeight(height + (height_ - ClientHeight()));
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  if (parent_ && !IsLoading()) parent_->AlignControls();
}

POINT TControl::OriginInWindow() const {
  POINT origin{left_, top_};
  if (parent_) {
    const POINT parent_origin = parent_->OriginInWindow();
    origin.x += parent_origin.x;
    origin.y += parent_origin.y;
  }
  return origin;
}

POINT TControl::ClientToScreen(POINT point) const {
  // A window knows where its client area is; a form's bounds include its frame.
  if (auto* window = dynamic_cast<const TWinControl*>(this); window && window->WindowHandle()) {
    ::ClientToScreen(window->WindowHandle(), &point);
    return point;
  }
  if (!parent_) return point;
  return parent_->ClientToScreen({point.x + left_, point.y + top_});
}

POINT TControl::ScreenToClient(POINT point) const {
  if (auto* window = dynamic_cast<const TWinControl*>(this); window && window->WindowHandle()) {
    ::ScreenToClient(window->WindowHandle(), &point);
    return point;
  }
  if (!parent_) return point;
  const POINT in_parent = parent_->ScreenToClient(point);
  return {in_parent.x - left_, in_parent.y - top_};
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  Invalidate();
  visible_ = visible;
  Invalidate();
  if (parent_ && align_ != TAlign::alNone) parent_->AlignControls();
  VisibleChanged();
}

bool TControl::Showing() const {
  return visible_ && parent_ && parent_->Showing();
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  EnabledChanged();
}

void TControl::SetColor(TColor color) {
  parent_color_ = false;
  if (color == color_) return;
  color_ = color;
  ColorChanged();
}

void TControl::SetParentColor(bool parent_color) {
  parent_color_ = parent_color;
  if (parent_color && parent_) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!parent_ || !parent_color_) return;
  SetColor(parent_->Color());
  parent_color_ = true;
}

void TControl::SetParentFont(bool parent_font) {
  parent_font_ = parent_font;
  if (parent_font && parent_) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!parent_ || !parent_font_) return;
  applying_parent_font_ = true;
  font_->Assign(parent_->Font());
  applying_parent_font_ = false;
  FontChanged();
}

void TControl::FontPropertyChanged(TObject*) {
  if (!applying_parent_font_) {
    parent_font_ = false;
    FontChanged();
  }
}

void TControl::FontChanged() {
  Invalidate();
}

void TControl::SetText(const AnsiString& text) {
  if (text == caption_) return;
  caption_ = text;
  TextChanged();
}

bool TControl::ShowHint() const {
  return parent_show_hint_ && parent_ ? parent_->ShowHint() : show_hint_;
}

void TControl::SetShowHint(bool show) {
  show_hint_ = show;
  parent_show_hint_ = false;
}

void TControl::SetParentShowHint(bool value) {
  if (!value) show_hint_ = ShowHint();
  parent_show_hint_ = value;
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  popup_menu_ = menu;
}

void TControl::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::opRemove && component == popup_menu_) popup_menu_ = nullptr;
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (parent_ && align_ != TAlign::alNone) parent_->AlignControls();
}

void TControl::Invalidate() {
  if (!parent_ || !parent_->HandleAllocated() || !IsWindowVisible(parent_->WindowHandle())) return;
  const POINT origin = OriginInWindow();
  const POINT parent_origin = parent_->OriginInWindow();
  RECT r{origin.x - parent_origin.x, origin.y - parent_origin.y, 0, 0};
  r.right = r.left + width_;
  r.bottom = r.top + height_;
  InvalidateRect(parent_->WindowHandle(), &r, TRUE);
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

LRESULT TControl::Perform(UINT msg, WPARAM wparam, LPARAM lparam) {
  TMessage message{msg, wparam, lparam, 0};
  WndProc(message);
  return message.Result;
}

void TControl::DefaultHandler(TMessage& message) {
  message.Result = 0;
}

void TControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
      WMLButtonDown(message);
      break;
    case WM_LBUTTONUP:
      WMLButtonUp(message);
      break;
    case WM_LBUTTONDBLCLK:
      WMLButtonDblClk(message);
      break;
    case WM_RBUTTONDOWN:
      WMRButtonDown(message);
      break;
    case WM_RBUTTONUP:
      WMRButtonUp(message);
      break;
    case WM_MOUSEMOVE:
      WMMouseMove(message);
      break;
    case WM_CONTEXTMENU:
      WMContextMenu(message);
      break;
    case CM_MOUSEENTER:
      mouse_inside_ = true;
      CMMouseEnter(message);
      break;
    case CM_MOUSELEAVE:
      mouse_inside_ = false;
      CMMouseLeave(message);
      break;
    case CM_PARENTCOLORCHANGED:
      ParentColorChanged();
      message.Result = 0;
      break;
    case CM_PARENTFONTCHANGED:
      ParentFontChanged();
      message.Result = 0;
      break;
    case CM_CANCELMODE:
      CMCancelMode(message);
      break;
    case CM_DIALOGCHAR:
      CMDialogChar(message);
      break;
    default:
      DefaultHandler(message);
      break;
  }
}

bool TControl::MouseCapture() const {
  return parent_ && parent_->GraphicHost().HasCapture(this);
}

void TControl::SetMouseCapture(bool capture) {
  if (parent_) parent_->GraphicHost().SetCapture(this, capture);
}

void TControl::DoMouseDown(TMessage& message, TMouseButton button, TShiftState extra) {
  const int x = GET_X_LPARAM(message.LParam);
  const int y = GET_Y_LPARAM(message.LParam);
  if (button == TMouseButton::mbLeft && (control_style_ & csCaptureMouse) && enabled_) {
    SetMouseCapture(true);
  }
  if (button == TMouseButton::mbLeft && (control_style_ & csClickEvents)) clicked_ = true;
  MouseDown(button, MouseShiftState(message.WParam) | extra, x, y);
  // The press stays a press (a release without moving is a click) until the mouse moves away.
  if (button == TMouseButton::mbLeft && drag_mode_ == TDragMode::dmAutomatic && enabled_) {
    BeginDrag(false);
  }
}

void TControl::DoMouseUp(TMessage& message, TMouseButton button) {
  const int x = GET_X_LPARAM(message.LParam);
  const int y = GET_Y_LPARAM(message.LParam);
  const bool was_clicked = clicked_ && button == TMouseButton::mbLeft;
  if (button == TMouseButton::mbLeft) {
    clicked_ = false;
    // Only the capture we took: a system control (button, edit) holds its own until it has
    // handled the release, and loses its pressed state when the capture goes early.
    if ((control_style_ & csCaptureMouse) && MouseCapture()) SetMouseCapture(false);
  }
  if (was_clicked && x >= 0 && y >= 0 && x < width_ && y < height_) Click();
  MouseUp(button, MouseShiftState(message.WParam), x, y);
}

void TControl::WMLButtonDown(TMessage& message) {
  DoMouseDown(message, TMouseButton::mbLeft, 0);
  DefaultHandler(message);
}

void TControl::WMLButtonUp(TMessage& message) {
  DoMouseUp(message, TMouseButton::mbLeft);
  DefaultHandler(message);
}

void TControl::WMLButtonDblClk(TMessage& message) {
  if (control_style_ & csDoubleClicks) {
    DoMouseDown(message, TMouseButton::mbLeft, ssDouble);
    DblClick();
  } else {
    DoMouseDown(message, TMouseButton::mbLeft, 0);
  }
  DefaultHandler(message);
}

void TControl::WMRButtonDown(TMessage& message) {
  DoMouseDown(message, TMouseButton::mbRight, 0);
  DefaultHandler(message);
}

void TControl::WMRButtonUp(TMessage& message) {
  DoMouseUp(message, TMouseButton::mbRight);
  DefaultHandler(message);
}

void TControl::WMMouseMove(TMessage& message) {
  MouseMove(MouseShiftState(message.WParam), GET_X_LPARAM(message.LParam),
            GET_Y_LPARAM(message.LParam));
  DefaultHandler(message);
}

void TControl::WMContextMenu(TMessage& message) {
  if (popup_menu_) {
    POINT at{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    if (at.x == -1 && at.y == -1) at = ClientToScreen({0, 0});
    PopupMenuAt(popup_menu_, at.x, at.y);
    message.Result = 0;
    return;
  }
  DefaultHandler(message);
}

void TControl::CMCancelMode(TMessage& message) {
  Perform(WM_LBUTTONUP, 0, MAKELPARAM(-1, -1));
  message.Result = 0;
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseUp(this, button, shift, x, y);
}

void TControl::Click() {
  if (enabled_) OnClick(this);
}

void TControl::DblClick() {
  OnDblClick(this);
}

void TControl::Resize() {
  OnResize(this);
}

void TControl::DragOver(TObject* source, int x, int y, TDragState state, bool& accept) {
  accept = static_cast<bool>(OnDragOver);
  OnDragOver(this, source, x, y, state, accept);
}

void TControl::BeginDrag(bool immediate, int threshold) {
  TDragTracker::Begin(this, immediate, threshold);
}

void TControl::EndDrag(bool drop) {
  TDragTracker::End(this, drop);
}

bool TControl::Dragging() const {
  return TDragTracker::Source() == this;
}

bool CancelDrag() {
  return TDragTracker::Cancel();
}

void TControl::BringToFront() {
  if (!parent_) return;
  parent_->BringChildToFront(this);
  Invalidate();
}

// ---------------------------------------------------------------------------------------------
// TGraphicControl

const TClassInfo& TGraphicControl::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TGraphicControl>("TGraphicControl", &TControl::StaticClassInfo()).Build();
  return info;
}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

void TGraphicControl::PaintOn(HDC dc) {
  canvas_.SetHandle(dc);
  TScopeExit release([this] { canvas_.SetHandle(nullptr); });
  // Artwork is stored for 96 pixels per inch; on another screen it is drawn scaled.
  canvas_.SetSmoothStretch(PixelsPerInch() != 96);
  canvas_.Font()->Assign(Font());
  Paint();
}
