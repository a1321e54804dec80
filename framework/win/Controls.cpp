#include "framework/win/Controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <map>

#include "framework/win/Menus.h"

namespace {

void ShowExceptionBox(const std::exception& error) {
  MessageBoxA(nullptr, error.what(), "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// The control whose window is being created: its first messages arrive before
// CreateWindowEx returns, so the window procedure binds it on the first message it sees.
thread_local TWinControl* creating_control = nullptr;

const char* const kObjectProperty = "WakoraControl";

}  // namespace

void (*HandleControlException)(const std::exception& error) = ShowExceptionBox;

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
      {"crNo", crNo},
      {"crHandPoint", crHandPoint},
  }};
  return idents;
}

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
    case crNone:
      return nullptr;
    default:
      break;
  }
  return LoadCursorA(nullptr, id);
}

// ---------------------------------------------------------------------------------------------
// TControl

const TClassInfo& TControl::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TControl>("TControl", &TComponent::StaticClassInfo())
          .Property("Left", &TControl::Left, &TControl::SetLeft)
          .Property("Top", &TControl::Top, &TControl::SetTop)
          .Property("Width", &TControl::Width, &TControl::SetWidth)
          .Property("Height", &TControl::Height, &TControl::SetHeight)
          .Declare("Align", &TControl::Align, &TControl::SetAlign, Default(TAlign::alNone))
          .Declare("Caption", &TControl::Caption, &TControl::SetCaption)
          .Declare("Text", &TControl::Text, &TControl::SetText)
          .Declare("Color", &TControl::Color, &TControl::SetColor,
                   [] {
                     TPropOptions options = Default(clWindow);
                     options.Idents = &ColorIdents();
                     return options;
                   }())
          .StoredIf([](const TControl& c) { return !c.ParentColor(); })
          .Declare("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, Default(true))
          .ObjectProperty("Font", &TControl::Font, false,
                          [](const TControl& c) { return !c.ParentFont(); })
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
          .Declare("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint,
                   Default(true))
          .Declare("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
          .Declare("OnClick", &TControl::OnClick, &TControl::OnClick)
          .Declare("OnDblClick", &TControl::OnDblClick, &TControl::OnDblClick)
          .Declare("OnMouseDown", &TControl::OnMouseDown, &TControl::OnMouseDown)
          .Declare("OnMouseMove", &TControl::OnMouseMove, &TControl::OnMouseMove)
          .Declare("OnMouseUp", &TControl::OnMouseUp, &TControl::OnMouseUp)
          .Declare("OnResize", &TControl::OnResize, &TControl::OnResize)
          .Build();
  return info;
}

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
  font_->OnAfterChange = TNotifyEvent(this, &TControl::FontPropertyChanged);
}

TControl::~TControl() {
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
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
  if (parent_) {
    if (parent_font_) ParentFontChanged();
    if (parent_color_) ParentColorChanged();
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  const bool resized = width != width_ || height != height_;
  Invalidate();
  left_ = left;
  top_ = top;
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  Invalidate();
  if (parent_ && align_ != TAlign::alNone && !parent_->IsLoading()) parent_->AlignControls();
  if (resized) Resize();
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
  if (!parent_) return point;
  return parent_->ClientToScreen({point.x + left_, point.y + top_});
}

POINT TControl::ScreenToClient(POINT point) const {
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
  Invalidate();
  if (auto* self = dynamic_cast<TWinControl*>(this)) {
    for (TControl* child : self->Controls()) {
      if (child->parent_color_) child->ParentColorChanged();
    }
  }
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
  if (auto* self = dynamic_cast<TWinControl*>(this)) {
    for (TControl* child : self->Controls()) {
      if (child->parent_font_) child->ParentFontChanged();
    }
  }
}

void TControl::SetText(const AnsiString& text) {
  if (text == caption_) return;
  caption_ = text;
  TextChanged();
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
  if (!parent_ || !parent_->HandleAllocated()) return;
  const POINT origin = OriginInWindow();
  const POINT parent_origin = parent_->OriginInWindow();
  RECT r{origin.x - parent_origin.x, origin.y - parent_origin.y, 0, 0};
  r.right = r.left + width_;
  r.bottom = r.top + height_;
  InvalidateRect(parent_->handle_, &r, TRUE);
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
      CMMouseEnter(message);
      break;
    case CM_MOUSELEAVE:
      CMMouseLeave(message);
      break;
    case CM_CANCELMODE:
      CMCancelMode(message);
      break;
    default:
      DefaultHandler(message);
      break;
  }
}

bool TControl::MouseCapture() const {
  if (auto* self = dynamic_cast<const TWinControl*>(this)) {
    return self->handle_ && GetCapture() == self->handle_;
  }
  return parent_ && parent_->capture_control_ == this && GetCapture() == parent_->handle_;
}

void TControl::SetMouseCapture(bool capture) {
  if (auto* self = dynamic_cast<TWinControl*>(this)) {
    if (capture) {
      SetCapture(self->Handle());
    } else if (MouseCapture()) {
      ReleaseCapture();
    }
    return;
  }
  if (!parent_) return;
  if (capture) {
    parent_->capture_control_ = dynamic_cast<TGraphicControl*>(this);
    SetCapture(parent_->Handle());
  } else if (parent_->capture_control_ == this) {
    parent_->capture_control_ = nullptr;
    if (GetCapture() == parent_->handle_) ReleaseCapture();
  }
}

void TControl::DoMouseDown(TMessage& message, TMouseButton button, TShiftState extra) {
  const int x = GET_X_LPARAM(message.LParam);
  const int y = GET_Y_LPARAM(message.LParam);
  if (button == TMouseButton::mbLeft && (control_style_ & csCaptureMouse) && enabled_) {
    SetMouseCapture(true);
  }
  if (button == TMouseButton::mbLeft && (control_style_ & csClickEvents)) clicked_ = true;
  MouseDown(button, MouseShiftState(message.WParam) | extra, x, y);
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

void TControl::BringToFront() {
  if (auto* self = dynamic_cast<TWinControl*>(this)) {
    if (self->handle_) {
      SetWindowPos(self->handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return;
  }
  if (!parent_) return;
  auto& list = parent_->controls_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.push_back(this);
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
  canvas_.Font()->Assign(Font());
  try {
    Paint();
  } catch (...) {
    canvas_.SetHandle(nullptr);
    throw;
  }
  canvas_.SetHandle(nullptr);
}

// ---------------------------------------------------------------------------------------------
// TWinControl

LRESULT CALLBACK ControlWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  TWinControl* control = TWinControl::FromHandle(window);
  if (!control && creating_control) {
    control = creating_control;
    creating_control = nullptr;
    control->handle_ = window;
    SetPropA(window, kObjectProperty, control);
  }
  if (!control) return DefWindowProcA(window, msg, wparam, lparam);
  TMessage message{msg, wparam, lparam, 0};
  try {
    control->WndProc(message);
  } catch (const std::exception& error) {
    HandleControlException(error);
  } catch (...) {
    HandleControlException(Exception("Unknown exception"));
  }
  if (msg == WM_NCDESTROY) {
    RemovePropA(window, kObjectProperty);
    if (control->handle_ == window) control->handle_ = nullptr;
  }
  return message.Result;
}

const TClassInfo& TWinControl::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TWinControl>("TWinControl", &TControl::StaticClassInfo())
          .Declare("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, Default(-1))
          .StoredIf([](const TWinControl& c) { return c.Parent() != nullptr; })
          .Declare("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, Default(false))
          .Declare("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D, Default(true))
          .Declare("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D,
                   Default(true))
          .Declare("OnEnter", &TWinControl::OnEnter, &TWinControl::OnEnter)
          .Declare("OnExit", &TWinControl::OnExit, &TWinControl::OnExit)
          .Declare("OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::OnKeyDown)
          .Declare("OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::OnKeyPress)
          .Declare("OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::OnKeyUp)
          .Build();
  return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  // Children leave first, so that none of them points back at a dead parent.
  while (!controls_.empty()) controls_.back()->SetParent(nullptr);
  DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND window) {
  if (!window) return nullptr;
  return static_cast<TWinControl*>(GetPropA(window, kObjectProperty));
}

HWND TWinControl::Handle() {
  if (!handle_) CreateHandle();
  return handle_;
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  if (parent_) parent_->Handle();
  if (handle_) return;  // the parent's creation made ours
  CreateWnd();
  HandleCreated();
  for (TControl* child : controls_) {
    if (auto* window = dynamic_cast<TWinControl*>(child)) window->Handle();
  }
  UpdateTabOrderZ();
  AlignControls();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Caption = caption_;
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (Visible()) params.Style |= WS_VISIBLE;
  if (!Enabled()) params.Style |= WS_DISABLED;
  if (tab_stop_) params.Style |= WS_TABSTOP;
  if (control_style_ & csAcceptsControls) params.Style |= WS_CLIPCHILDREN;
  params.X = Left();
  params.Y = Top();
  params.Width = Width();
  params.Height = Height();
  params.WndParent = parent_ ? parent_->Handle() : nullptr;
  params.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent) {
    throw EConvertError(Format("Control '%s' has no parent window", Name().c_str()));
  }
  static int next_id = 100;
  const HMENU id = (params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(next_id++) : nullptr;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  HWND window;
  if (!params.SystemClass.empty()) {
    window = CreateWindowExA(params.ExStyle, params.SystemClass.c_str(), params.Caption.c_str(),
                             params.Style, params.X, params.Y, params.Width, params.Height,
                             params.WndParent, id, instance, nullptr);
    if (!window) RaiseLastOSError(Format("Cannot create the window of %s", Name().c_str()).c_str());
    handle_ = window;
    SetPropA(window, kObjectProperty, this);
    default_proc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlWindowProc)));
  } else {
    WNDCLASSA existing{};
    if (!GetClassInfoA(instance, params.WinClassName.c_str(), &existing)) {
      WNDCLASSA wc{};
      wc.style = params.ClassStyle;
      wc.lpfnWndProc = ControlWindowProc;
      wc.hInstance = instance;
      wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
      wc.lpszClassName = params.WinClassName.c_str();
      wc.hIcon = LoadIconA(instance, "MAINICON");
      if (!RegisterClassA(&wc)) RaiseLastOSError("Cannot register a window class");
    }
    default_proc_ = nullptr;
    creating_control = this;
    window = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(),
                             params.Style, params.X, params.Y, params.Width, params.Height,
                             params.WndParent, id, instance, nullptr);
    creating_control = nullptr;
    if (!window) {
      handle_ = nullptr;
      RaiseLastOSError(Format("Cannot create the window of %s", Name().c_str()).c_str());
    }
    handle_ = window;
  }
}

void TWinControl::HandleCreated() {
  if (default_proc_)
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
}

void TWinControl::DestroyWnd() {
  if (!handle_) return;
  HWND window = handle_;
  DestroyWindow(window);
  handle_ = nullptr;
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (TControl* child : controls_) {
    if (auto* window = dynamic_cast<TWinControl*>(child)) window->DestroyHandle();
  }
  // Keep what the user typed: the text lives on in caption_.
  caption_ = Text();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  const bool had_focus = Focused();
  DestroyHandle();
  CreateHandle();
  if (had_focus) SetFocus();
}

void TWinControl::InsertControl(TControl* control) {
  control->parent_ = this;
  controls_.push_back(control);
  if (auto* window = dynamic_cast<TWinControl*>(control)) {
    tab_list_.push_back(window);
    if (handle_) window->Handle();
  }
  control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
  control->Invalidate();
  if (auto* window = dynamic_cast<TWinControl*>(control)) {
    window->DestroyHandle();
    tab_list_.erase(std::remove(tab_list_.begin(), tab_list_.end(), window), tab_list_.end());
  }
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  if (mouse_control_ == control) mouse_control_ = nullptr;
  if (capture_control_ == control) capture_control_ = nullptr;
  control->parent_ = nullptr;
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
  for (TControl* control : controls_) {
    if (control->Owner() == root) proc(control);
  }
}

TGraphicControl* TWinControl::GraphicControlAt(POINT point) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    auto* graphic = dynamic_cast<TGraphicControl*>(*it);
    if (!graphic || !graphic->Visible()) continue;
    const RECT r = graphic->BoundsRect();
    if (PtInRect(&r, point)) return graphic;
  }
  return nullptr;
}

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  const auto& list = parent_->tab_list_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (IsLoading()) {
    wanted_tab_order_ = order;
    return;
  }
  if (!parent_ || order < 0) return;
  auto& list = parent_->tab_list_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  order = std::min<int>(order, static_cast<int>(list.size()));
  list.insert(list.begin() + order, this);
  parent_->UpdateTabOrderZ();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  if (wanted_tab_order_ >= 0) {
    const int order = wanted_tab_order_;
    wanted_tab_order_ = -1;
    SetTabOrder(order);
  }
  AlignControls();
}

void TWinControl::UpdateTabOrderZ() {
  if (!handle_) return;
  // The dialog manager walks siblings in z-order: put them in tab order, first on top.
  for (TWinControl* child : tab_list_) {
    if (child->handle_) {
      SetWindowPos(child->handle_, HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
  }
}

void TWinControl::SetTabStop(bool tab_stop) {
  if (tab_stop == tab_stop_) return;
  tab_stop_ = tab_stop;
  if (handle_) {
    LONG style = GetWindowLongA(handle_, GWL_STYLE);
    style = tab_stop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    SetWindowLongA(handle_, GWL_STYLE, style);
  }
}

bool TWinControl::Focused() const {
  return handle_ && GetFocus() == handle_;
}

bool TWinControl::CanFocus() const {
  for (const TControl* control = this; control; control = control->Parent()) {
    if (!control->Visible() || !control->Enabled()) return false;
  }
  return true;
}

void TWinControl::SetFocus() {
  ::SetFocus(Handle());
}

void TWinControl::SelectNext(TWinControl* current, bool forward) {
  // All windowed descendants in tab order, depth first.
  std::vector<TWinControl*> order;
  std::function<void(TWinControl*)> collect = [&](TWinControl* parent) {
    for (TWinControl* child : parent->tab_list_) {
      order.push_back(child);
      collect(child);
    }
  };
  collect(this);
  if (order.empty()) return;
  auto it = std::find(order.begin(), order.end(), current);
  const int count = static_cast<int>(order.size());
  int index = it == order.end() ? (forward ? -1 : count) : static_cast<int>(it - order.begin());
  for (int step = 0; step < count; ++step) {
    index = forward ? (index + 1) % count : (index - 1 + count) % count;
    TWinControl* candidate = order[static_cast<size_t>(index)];
    if (candidate->tab_stop_ && candidate->CanFocus() && candidate->Showing()) {
      candidate->SetFocus();
      return;
    }
  }
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  const bool changed = left != Left() || top != Top() || width != Width() || height != Height();
  if (!changed) return;
  left_ = left;
  top_ = top;
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  if (handle_) {
    SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    AlignControls();
    Resize();
  }
  if (parent_ && Align() != TAlign::alNone && !parent_->IsLoading()) parent_->AlignControls();
}

RECT TWinControl::ClientRect() const {
  if (handle_) {
    RECT r;
    GetClientRect(handle_, &r);
    return r;
  }
  return TControl::ClientRect();
}

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == Parent()) return;
  DestroyHandle();
  TControl::SetParent(parent);
}

void TWinControl::SetVisible(bool visible) {
  if (visible == Visible()) return;
  TControl::SetVisible(visible);
  if (handle_) ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled) {
  TControl::SetEnabled(enabled);
  if (handle_) EnableWindow(handle_, enabled);
}

AnsiString TWinControl::Text() const {
  if (!handle_) return caption_;
  const int length = GetWindowTextLengthA(handle_);
  AnsiString text(static_cast<size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(handle_, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

void TWinControl::SetText(const AnsiString& text) {
  if (handle_) {
    if (Text() == text) return;
    caption_ = text;
    SetWindowTextA(handle_, text.c_str());
    TextChanged();
    return;
  }
  TControl::SetText(text);
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

bool TWinControl::Showing() const {
  if (handle_) return IsWindowVisible(handle_) != FALSE;
  return false;
}

void TWinControl::FontChanged() {
  TControl::FontChanged();
  if (handle_ && default_proc_) {
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
  }
}

void TWinControl::AlignControls() {
  if (IsLoading()) return;
  RECT area = ClientRect();
  auto place = [&](TAlign align) {
    for (TControl* child : controls_) {
      if (child->Align() != align || !child->Visible()) continue;
      const int w = child->Width(), h = child->Height();
      switch (align) {
        case TAlign::alTop:
          child->SetBounds(area.left, area.top, area.right - area.left, h);
          area.top += h;
          break;
        case TAlign::alBottom:
          child->SetBounds(area.left, area.bottom - h, area.right - area.left, h);
          area.bottom -= h;
          break;
        case TAlign::alLeft:
          child->SetBounds(area.left, area.top, w, area.bottom - area.top);
          area.left += w;
          break;
        case TAlign::alRight:
          child->SetBounds(area.right - w, area.top, w, area.bottom - area.top);
          area.right -= w;
          break;
        case TAlign::alClient:
          child->SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
          break;
        case TAlign::alNone:
          break;
      }
    }
  };
  for (TAlign align :
       {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
    place(align);
  }
}

void TWinControl::PaintControls(HDC dc) {
  RECT clip;
  GetClipBox(dc, &clip);
  for (TControl* child : controls_) {
    auto* graphic = dynamic_cast<TGraphicControl*>(child);
    if (!graphic || !graphic->Visible() || graphic->Width() <= 0 || graphic->Height() <= 0) {
      continue;
    }
    const RECT bounds = graphic->BoundsRect();
    RECT overlap;
    if (!IntersectRect(&overlap, &bounds, &clip)) continue;
    const int saved = SaveDC(dc);
    POINT old_origin;
    GetViewportOrgEx(dc, &old_origin);
    IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    SetViewportOrgEx(dc, old_origin.x + bounds.left, old_origin.y + bounds.top, nullptr);
    try {
      graphic->PaintOn(dc);
    } catch (...) {
      RestoreDC(dc, saved);
      throw;
    }
    RestoreDC(dc, saved);
  }
}

void TWinControl::PaintBackground(HDC dc, const RECT& rect) {
  TGdiObject brush(CreateSolidBrush(ColorToRGB(Color())));
  ::FillRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
}

HBRUSH TWinControl::ControlBrush(HDC dc) {
  if (!brush_ || brush_color_ != Color()) {
    brush_.Reset(CreateSolidBrush(ColorToRGB(Color())));
    brush_color_ = Color();
  }
  SetTextColor(dc, ColorToRGB(Font()->Color()));
  SetBkColor(dc, ColorToRGB(Color()));
  return static_cast<HBRUSH>(brush_.Get());
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (!handle_) {
    message.Result = 0;
    return;
  }
  if (message.Msg >= CM_BASE && message.Msg < CN_BASE + 0x400) {
    // Our own messages mean nothing to the system.
    message.Result = 0;
    return;
  }
  message.Result =
      default_proc_
          ? CallWindowProcA(default_proc_, handle_, message.Msg, message.WParam, message.LParam)
          : DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
}

bool TWinControl::RouteToGraphicControl(TMessage& message) {
  POINT point{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  TGraphicControl* target = capture_control_;
  if (target && GetCapture() != handle_) {
    capture_control_ = nullptr;
    target = nullptr;
  }
  if (message.Msg == WM_MOUSEMOVE && !target) UpdateMouseOver(GraphicControlAt(point));
  if (!target) {
    target = GraphicControlAt(point);
    if (!target || !target->Enabled()) return false;
  }
  TMessage routed = message;
  routed.LParam = MAKELPARAM(point.x - target->Left(), point.y - target->Top());
  target->WndProc(routed);
  message.Result = routed.Result;
  return true;
}

void TWinControl::UpdateMouseOver(TGraphicControl* control) {
  if (control == mouse_control_) return;
  TGraphicControl* old = mouse_control_;
  mouse_control_ = control;
  if (old) {
    old->mouse_inside_ = false;
    old->Perform(CM_MOUSELEAVE);
  }
  if (control) {
    control->mouse_inside_ = true;
    control->Perform(CM_MOUSEENTER);
  }
}

void TWinControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
      if (message.Msg == WM_MOUSEMOVE && !mouse_inside_ && handle_) {
        mouse_inside_ = true;
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, handle_, 0};
        TrackMouseEvent(&track);
        Perform(CM_MOUSEENTER);
      }
      if (RouteToGraphicControl(message)) return;
      TControl::WndProc(message);
      return;
    case WM_PAINT:
      WMPaint(message);
      return;
    case WM_ERASEBKGND:
      WMEraseBkgnd(message);
      return;
    case WM_SIZE:
      WMSize(message);
      return;
    case WM_MOVE:
      WMMove(message);
      return;
    case WM_TIMER:
      WMTimer(message);
      return;
    case WM_DESTROY:
      WMDestroy(message);
      return;
    case WM_SETFOCUS:
      WMSetFocus(message);
      return;
    case WM_KILLFOCUS:
      WMKillFocus(message);
      return;
    case WM_GETDLGCODE:
      WMGetDlgCode(message);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      WMKeyDown(message);
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      WMKeyUp(message);
      return;
    case WM_CHAR:
      WMChar(message);
      return;
    case WM_CUT:
      WMCut(message);
      return;
    case WM_PASTE:
      WMPaste(message);
      return;
    case WM_COMMAND:
      WMCommand(message);
      return;
    case WM_NOTIFY:
      WMNotify(message);
      return;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      WMCtlColor(message);
      return;
    case WM_DRAWITEM:
      WMDrawItem(message);
      return;
    case WM_MEASUREITEM:
      WMMeasureItem(message);
      return;
    case WM_SETCURSOR:
      WMSetCursor(message);
      return;
    case WM_MOUSELEAVE:
      WMMouseLeave(message);
      return;
    case WM_CAPTURECHANGED:
      WMCaptureChanged(message);
      return;
    case WM_SETFONT:
      WMSetFont(message);
      return;
    case WM_GETFONT:
      WMGetFont(message);
      return;
    case WM_SYSCOLORCHANGE:
      WMSysColorChange(message);
      return;
    case WM_PRINTCLIENT:
      WMPrintClient(message);
      return;
    case CM_ENTER:
      CMEnter(message);
      return;
    case CM_EXIT:
      CMExit(message);
      return;
    case CN_COMMAND:
      CNCommand(message);
      return;
    case CN_NOTIFY:
      CNNotify(message);
      return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORLISTBOX:
      CNCtlColor(message);
      return;
    case CN_DRAWITEM:
      CNDrawItem(message);
      return;
    case CN_MEASUREITEM:
      CNMeasureItem(message);
      return;
    default:
      TControl::WndProc(message);
      return;
  }
}

void TWinControl::WMPaint(TMessage& message) {
  if (default_proc_) {
    DefaultHandler(message);
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = message.WParam ? reinterpret_cast<HDC>(message.WParam) : BeginPaint(handle_, &ps);
  try {
    PaintControls(dc);
  } catch (...) {
    if (!message.WParam) EndPaint(handle_, &ps);
    throw;
  }
  if (!message.WParam) EndPaint(handle_, &ps);
  message.Result = 0;
}

void TWinControl::WMEraseBkgnd(TMessage& message) {
  if (default_proc_) {
    DefaultHandler(message);
    return;
  }
  RECT r;
  GetClientRect(handle_, &r);
  PaintBackground(reinterpret_cast<HDC>(message.WParam), r);
  message.Result = 1;
}

void TWinControl::WMSize(TMessage& message) {
  DefaultHandler(message);
  if (handle_ && !IsIconic(handle_)) {
    RECT r;
    GetWindowRect(handle_, &r);
    // Keep our bounds in step with the window, in the parent's client coordinates.
    POINT top_left{r.left, r.top};
    if (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD)
      ::ScreenToClient(GetParent(handle_), &top_left);
    left_ = top_left.x;
    top_ = top_left.y;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
  }
  AlignControls();
  Resize();
}

void TWinControl::WMSetFocus(TMessage& message) {
  DefaultHandler(message);
  Perform(CM_ENTER);
}

void TWinControl::WMKillFocus(TMessage& message) {
  Perform(CM_EXIT);
  DefaultHandler(message);
}

void TWinControl::CMEnter(TMessage& message) {
  DoEnter();
  message.Result = 0;
}

void TWinControl::CMExit(TMessage& message) {
  DoExit();
  message.Result = 0;
}

void TWinControl::KeyDown(uint16_t& key, TShiftState shift) {
  OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(uint16_t& key, TShiftState shift) {
  OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
  OnKeyPress(this, key);
}

void TWinControl::WMKeyDown(TMessage& message) {
  uint16_t key = static_cast<uint16_t>(message.WParam);
  KeyDown(key, KeyboardShiftState());
  if (key == 0) {
    message.Result = 0;
    return;
  }
  message.WParam = key;
  DefaultHandler(message);
}

void TWinControl::WMKeyUp(TMessage& message) {
  uint16_t key = static_cast<uint16_t>(message.WParam);
  KeyUp(key, KeyboardShiftState());
  if (key == 0) {
    message.Result = 0;
    return;
  }
  message.WParam = key;
  DefaultHandler(message);
}

void TWinControl::WMChar(TMessage& message) {
  char key = static_cast<char>(message.WParam);
  KeyPress(key);
  if (key == 0) {
    message.Result = 0;
    return;
  }
  message.WParam = static_cast<unsigned char>(key);
  DefaultHandler(message);
}

void TWinControl::WMCommand(TMessage& message) {
  if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(message.LParam))) {
    if (child != this) {
      message.Result = child->Perform(CN_COMMAND, message.WParam, message.LParam);
      return;
    }
  }
  DefaultHandler(message);
}

void TWinControl::WMNotify(TMessage& message) {
  const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
  if (header) {
    if (TWinControl* child = FromHandle(header->hwndFrom)) {
      if (child != this) {
        message.Result = child->Perform(CN_NOTIFY, message.WParam, message.LParam);
        return;
      }
    }
  }
  DefaultHandler(message);
}

void TWinControl::WMCtlColor(TMessage& message) {
  if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(message.LParam))) {
    if (child != this) {
      message.Result = child->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
      return;
    }
  }
  DefaultHandler(message);
}

void TWinControl::CNCtlColor(TMessage& message) {
  message.Result = reinterpret_cast<LRESULT>(ControlBrush(reinterpret_cast<HDC>(message.WParam)));
}

void TWinControl::WMDrawItem(TMessage& message) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
  if (item && item->CtlType != ODT_MENU) {
    if (TWinControl* child = FromHandle(item->hwndItem)) {
      message.Result = child->Perform(CN_DRAWITEM, message.WParam, message.LParam);
      return;
    }
  }
  DefaultHandler(message);
}

void TWinControl::WMMeasureItem(TMessage& message) {
  const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(message.LParam);
  if (item && item->CtlType != ODT_MENU && handle_) {
    if (TWinControl* child = FromHandle(GetDlgItem(handle_, static_cast<int>(item->CtlID)))) {
      message.Result = child->Perform(CN_MEASUREITEM, message.WParam, message.LParam);
      return;
    }
  }
  DefaultHandler(message);
}

void TWinControl::WMSetCursor(TMessage& message) {
  if (reinterpret_cast<HWND>(message.WParam) == handle_ && LOWORD(message.LParam) == HTCLIENT) {
    POINT point;
    GetCursorPos(&point);
    ::ScreenToClient(handle_, &point);
    int cursor = Cursor();
    if (TGraphicControl* graphic = GraphicControlAt(point)) {
      if (graphic->Cursor() != crDefault) cursor = graphic->Cursor();
    }
    if (cursor != crDefault) {
      ::SetCursor(CursorHandle(cursor));
      message.Result = TRUE;
      return;
    }
  }
  DefaultHandler(message);
}

void TWinControl::WMMouseLeave(TMessage& message) {
  mouse_inside_ = false;
  UpdateMouseOver(nullptr);
  Perform(CM_MOUSELEAVE);
  DefaultHandler(message);
}

void TWinControl::WMCaptureChanged(TMessage& message) {
  // The capture moving to our own window is a windowless child taking it: nothing is lost.
  if (reinterpret_cast<HWND>(message.LParam) != handle_ || !handle_) {
    // A windowless child that still holds the press did not release it itself: tell it.
    if (TGraphicControl* lost = capture_control_) {
      capture_control_ = nullptr;
      lost->Perform(CM_CANCELMODE);
    }
  }
  DefaultHandler(message);
}

void TWinControl::WMGetFont(TMessage& message) {
  if (default_proc_) {
    DefaultHandler(message);
    return;
  }
  message.Result = reinterpret_cast<LRESULT>(Font()->Handle());
}

void TWinControl::WMSysColorChange(TMessage& message) {
  brush_.Reset();
  Invalidate();
  DefaultHandler(message);
}

void TWinControl::WMPrintClient(TMessage& message) {
  if (default_proc_) {
    DefaultHandler(message);
    return;
  }
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  RECT r;
  GetClientRect(handle_, &r);
  PaintBackground(dc, r);
  TMessage paint{WM_PAINT, message.WParam, 0, 0};
  WMPaint(paint);
  message.Result = 0;
}

// ---------------------------------------------------------------------------------------------
// TCustomControl

const TClassInfo& TCustomControl::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TCustomControl>("TCustomControl", &TWinControl::StaticClassInfo()).Build();
  return info;
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::WMPaint(TMessage& message) {
  PAINTSTRUCT ps;
  HDC dc = message.WParam ? reinterpret_cast<HDC>(message.WParam) : BeginPaint(handle_, &ps);
  canvas_.SetHandle(dc);
  canvas_.Font()->Assign(Font());
  try {
    Paint();
    canvas_.SetHandle(nullptr);
    PaintControls(dc);
  } catch (...) {
    canvas_.SetHandle(nullptr);
    if (!message.WParam) EndPaint(handle_, &ps);
    throw;
  }
  if (!message.WParam) EndPaint(handle_, &ps);
  message.Result = 0;
}
