#include "framework/win/WinControls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "framework/win/DragDrop.h"

// ---------------------------------------------------------------------------------------------
// TWinControl

void TWinControl::TargetMessage(HWND window, TMessage& message, WNDPROC previous) {
  // The window's first messages come while CreateWindowEx still runs.
  if (!window_) {
    window_.Reset(window);
    default_proc_ = previous;
  }
  WndProc(message);
}

void TWinControl::TargetWindowGone(HWND window) {
  if (window_.Get() != window) return;
  // The window is gone (the system destroyed it with its parent, or we did): a screen
  // reader's object of it must not reach the standard object of a dead window.
  DisconnectAccessibleObject(*this);
  window_.Release();
  default_proc_ = nullptr;
}

const TClassInfo& TWinControl::StaticClassInfo() {
  static constexpr char kKeyParameters[] = "TObject* Sender, uint16_t& Key, TShiftState Shift";
  static const TClassInfo& info =
      TClassBuilder<TWinControl>("TWinControl", &TControl::StaticClassInfo())
          .Declare("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, Default(-1))
          .StoredIf([](const TWinControl& c) { return c.Parent() != nullptr; },
                    "while it has a parent")
          .Declare("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, Default(false))
          .Declare("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D, Default(true))
          .Declare("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D,
                   Default(true))
          .Declare("OnEnter", &TWinControl::OnEnter, &TWinControl::OnEnter)
          .Declare("OnExit", &TWinControl::OnExit, &TWinControl::OnExit)
          .Declare("OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::OnKeyDown,
                   Handler(kKeyParameters))
          .Declare("OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::OnKeyPress,
                   Handler("TObject* Sender, wchar_t& Key"))
          .Declare("OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::OnKeyUp, Handler(kKeyParameters))
          .Build();
  return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  DisconnectAccessibleObject(*this);
  // Children leave first, so that none of them points back at a dead parent; those that stay
  // are not laid out again for a parent that is going.
  ++align_held_;
  while (!controls_.empty()) controls_.back()->SetParent(nullptr);
  if (WindowHandle()) {
    // Deleted without BeforeDestruction: what is left of us cannot answer the window's last
    // messages, so the window gets none of them.
    UnbindWindow(window_.Get());
    window_.Reset();
  }
}

void TWinControl::BeforeDestruction() {
  TControl::BeforeDestruction();
  DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND window) {
  return dynamic_cast<TWinControl*>(BoundTarget(window));
}

HWND TWinControl::Handle() {
  if (!WindowHandle()) CreateHandle();
  return WindowHandle();
}

void TWinControl::CreateHandle() {
  if (WindowHandle()) return;
  if (Parent()) Parent()->Handle();
  if (WindowHandle()) return;  // the parent's creation made ours
  TCreationBurst burst;        // ours and our children's
  CreateWnd();
  HandleCreated();
  for (TControl* child : controls_) {
    if (auto* window = dynamic_cast<TWinControl*>(child)) window->Handle();
  }
  UpdateTabOrderZ();
  AlignControls();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Caption = StoredCaption();
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (Visible()) params.Style |= WS_VISIBLE;
  if (!Enabled()) params.Style |= WS_DISABLED;
  if (tab_stop_) params.Style |= WS_TABSTOP;
  if (control_style_ & csAcceptsControls) params.Style |= WS_CLIPCHILDREN;
  params.X = Left();
  params.Y = Top();
  params.Width = Width();
  params.Height = Height();
  params.WndParent = Parent() ? Parent()->Handle() : nullptr;
  params.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent) {
    throw EConvertError(Format("Control '%s' has no parent window", Name().c_str()));
  }
  // A child's identifier is never used twice in the process's life, not even after its window
  // went: a notification still in the queue names its sender by identifier (WM_COMMAND's
  // LOWORD, WM_DRAWITEM's CtlID), and a reused one would reach the new control instead.
  static int next_id = 100;
  TWindowRequest request;
  const bool system_class = !params.SystemClass.empty();
  request.ClassName = system_class ? params.SystemClass.c_str() : params.WinClassName.c_str();
  request.SystemClass = system_class;
  request.ClassStyle = params.ClassStyle;
  request.ClassIcon = params.ClassIcon;
  request.ClassSmallIcon = params.ClassSmallIcon;
  request.Caption = params.Caption.c_str();
  request.Style = params.Style;
  request.ExStyle = params.ExStyle;
  request.X = params.X;
  request.Y = params.Y;
  request.Width = params.Width;
  request.Height = params.Height;
  request.Parent = params.WndParent;
  request.Menu = (params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(next_id++) : nullptr;
  // The window binds to us before its first message; TargetMessage takes its handle then.
  HWND window = CreateBoundWindow(*this, request);
  window_.Reset(window);
  default_proc_ = BoundPrevious(window);
}

void TWinControl::HandleCreated() {
  if (default_proc_)
    SendMessageW(WindowHandle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
}

void TWinControl::DestroyWnd() {
  if (!window_) return;
  DisconnectAccessibleObject(*this);
  window_.Reset();
  default_proc_ = nullptr;
}

void TWinControl::DestroyHandle() {
  if (!WindowHandle()) return;
  for (TControl* child : controls_) {
    if (auto* window = dynamic_cast<TWinControl*>(child)) window->DestroyHandle();
  }
  // Keep what the user typed: the text lives on in the caption.
  StoreCaption(Text());
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!WindowHandle()) return;
  const bool had_focus = Focused();
  DestroyHandle();
  CreateHandle();
  if (had_focus) SetFocus();
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  if (auto* window = dynamic_cast<TWinControl*>(control)) {
    tab_list_.push_back(window);
    // A control still being read gets its window once read (Loaded): made now, many a
    // property read after would make it again.
    if (WindowHandle() && !window->IsLoading()) window->Handle();
  }
  // An aligned newcomer takes its edge of what is left, and the others make room.
  if (control->Align() != TAlign::alNone) AlignControls();
}

void TWinControl::RemoveControl(TControl* control) {
  if (auto* window = dynamic_cast<TWinControl*>(control)) {
    window->DestroyHandle();
    tab_list_.erase(std::remove(tab_list_.begin(), tab_list_.end(), window), tab_list_.end());
  }
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  graphic_host_.Forget(control);
  // The others close the gap an aligned one leaves.
  if (control->Align() != TAlign::alNone) AlignControls();
}

void TWinControl::BringChildToFront(TControl* child) {
  auto it = std::find(controls_.begin(), controls_.end(), child);
  if (it == controls_.end()) return;
  controls_.erase(it);
  controls_.push_back(child);
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
  for (TControl* control : controls_) {
    if (control->Owner() == root) proc(control);
  }
}

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  const auto& list = Parent()->tab_list_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (IsLoading()) {
    wanted_tab_order_ = order;
    return;
  }
  if (!Parent() || order < 0) return;
  auto& list = Parent()->tab_list_;
  const auto old_place = std::find(list.begin(), list.end(), this);
  if (old_place == list.end()) return;
  order = std::min<int>(order, static_cast<int>(list.size()) - 1);
  // Read from a form text, a control mostly names the place it has already.
  if (old_place - list.begin() == order) return;
  list.erase(old_place);
  list.insert(list.begin() + order, this);
  Parent()->UpdateTabOrderZ();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  if (wanted_tab_order_ >= 0) {
    const int order = wanted_tab_order_;
    wanted_tab_order_ = -1;
    SetTabOrder(order);
  }
  AlignControls();
  if (!WindowHandle() && Parent() && Parent()->HandleAllocated()) Handle();
}

void TWinControl::UpdateTabOrderZ() {
  if (!WindowHandle()) return;
  // The dialog manager walks siblings in z-order: keep them in tab order, first on top. Windows
  // come in below their elder siblings, so mostly nothing moves; each window that is not right
  // below the one before it in tab order goes there.
  HWND above = nullptr;
  for (TWinControl* child : tab_list_) {
    if (!child->WindowHandle()) continue;
    if (above && GetWindow(child->WindowHandle(), GW_HWNDPREV) != above) {
      SetWindowPos(child->WindowHandle(), above, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    above = child->WindowHandle();
  }
}

void TWinControl::SetTabStop(bool tab_stop) {
  if (tab_stop == tab_stop_) return;
  tab_stop_ = tab_stop;
  if (WindowHandle()) {
    LONG style = GetWindowLongW(WindowHandle(), GWL_STYLE);
    style = tab_stop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    SetWindowLongW(WindowHandle(), GWL_STYLE, style);
  }
}

void TWinControl::SetCtl3D(bool value) {
  if (value == ctl3d_) return;
  ctl3d_ = value;
  Perform(CM_CTL3DCHANGED);
}

bool TWinControl::Focused() const {
  return WindowHandle() && GetFocus() == WindowHandle();
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
  ConstrainSize(Constraints()->Limits(), width, height);
  const bool changed = left != Left() || top != Top() || width != Width() || height != Height();
  if (!changed) {
    RecordAnchorOrigin();
    return;
  }
  StoreBounds(left, top, width, height);
  if (WindowHandle()) {
    SetWindowPos(WindowHandle(), nullptr, Left(), Top(), Width(), Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    AlignControls();
    Resize();
  }
  BoundsSetByCode();
}

RECT TWinControl::ClientRect() const {
  if (WindowHandle()) {
    RECT r;
    GetClientRect(WindowHandle(), &r);
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
  if (WindowHandle()) ShowWindow(WindowHandle(), visible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled) {
  TControl::SetEnabled(enabled);
  if (WindowHandle()) EnableWindow(WindowHandle(), enabled);
}

AnsiString TWinControl::Text() const {
  if (!WindowHandle()) return StoredCaption();
  const int length = GetWindowTextLengthW(WindowHandle());
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(WindowHandle(), text.data(), length + 1);
  return TextOf(text.data(), static_cast<size_t>(std::max(got, 0)));
}

void TWinControl::SetText(const AnsiString& text) {
  if (WindowHandle()) {
    if (Text() == text) return;
    StoreCaption(text);
    SetWindowTextW(WindowHandle(), WideText(text).c_str());
    TextChanged();
    return;
  }
  TControl::SetText(text);
}

void TWinControl::Invalidate() {
  // A window that is not on screen is painted whole when it comes: no call to the window server.
  if (WindowHandle() && IsWindowVisible(WindowHandle()))
    InvalidateRect(WindowHandle(), nullptr, TRUE);
}

void TWinControl::Update() {
  // A hidden window has nothing to paint; it is painted whole when it shows.
  if (WindowHandle() && IsWindowVisible(WindowHandle())) UpdateWindow(WindowHandle());
}

bool TWinControl::Showing() const {
  if (WindowHandle()) return IsWindowVisible(WindowHandle()) != FALSE;
  return false;
}

bool TWinControl::MouseCapture() const {
  return WindowHandle() && GetCapture() == WindowHandle();
}

void TWinControl::SetMouseCapture(bool capture) {
  if (capture) {
    SetCapture(Handle());
  } else if (MouseCapture()) {
    ReleaseCapture();
  }
}

void TWinControl::BringToFront() {
  if (WindowHandle()) {
    SetWindowPos(WindowHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TWinControl::NotifyControls(UINT msg) {
  for (TControl* child : controls_) child->Perform(msg);
}

void TWinControl::FontChanged() {
  TControl::FontChanged();
  if (WindowHandle() && default_proc_) {
    SendMessageW(WindowHandle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
  }
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::ColorChanged() {
  TControl::ColorChanged();
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::ChangeScale(int multiplier, int divider) {
  if (multiplier == divider || divider == 0) return;
  // Our new size first, then the children's: each child's new place is then measured against
  // our new client area, and the alignment runs once at the end.
  ++align_held_;
  {
    TScopeExit release([this] { --align_held_; });
    ScaleOwn(multiplier, divider);
    const std::vector<TControl*> children = controls_;
    for (TControl* child : children) child->ChangeScale(multiplier, divider);
  }
  AlignControls();
}

void TWinControl::AlignControls() {
  if (IsLoading() || align_held_) return;
  const RECT area = ClientRect();
  std::vector<TAlignedChild> children;
  children.reserve(controls_.size());
  for (TControl* child : controls_) {
    // A child placed while we had no size yet keeps its distances from the first size we have.
    if (!child->anchor_origin_.Known()) child->RecordAnchorOrigin();
    const RECT r = child->BoundsRect();
    children.push_back({child->Align(),
                        child->Visible(),
                        {r.left, r.top, r.right, r.bottom},
                        child->Anchors(),
                        child->anchor_origin_,
                        child->Constraints()->Limits()});
  }
  const std::vector<TLayoutRect> placed =
      AlignChildren({area.left, area.top, area.right, area.bottom}, children);
  // Set in the order the alignment takes them, as a child's resize handler may look at the
  // siblings placed before it; the anchored ones first.
  for (TAlign align : {TAlign::alNone, TAlign::alTop, TAlign::alBottom, TAlign::alLeft,
                       TAlign::alRight, TAlign::alClient}) {
    for (size_t i = 0; i < children.size() && i < controls_.size(); ++i) {
      if (children[i].Align != align || placed[i] == children[i].Bounds) continue;
      if (align != TAlign::alNone && !children[i].Visible) continue;
      TControl* child = controls_[i];
      const TLayoutRect& r = placed[i];
      child->placed_by_parent_ = true;
      TScopeExit placed_done([child] { child->placed_by_parent_ = false; });
      child->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    }
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
  if (!WindowHandle()) {
    message.Result = 0;
    return;
  }
  if (message.Msg >= CM_BASE && message.Msg < CM_LAST) {
    // Our own messages mean nothing to the system.
    message.Result = 0;
    return;
  }
  message.Result =
      default_proc_ ? CallWindowProcW(default_proc_, WindowHandle(), message.Msg, message.WParam,
                                      message.LParam)
                    : DefWindowProcW(WindowHandle(), message.Msg, message.WParam, message.LParam);
}

void TWinControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
      if (TDragTracker::MouseMessage(WindowHandle(), message)) return;
      if (message.Msg == WM_MOUSEMOVE && !mouse_inside_ && WindowHandle()) {
        mouse_inside_ = true;
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, WindowHandle(), 0};
        TrackMouseEvent(&track);
        Perform(CM_MOUSEENTER);
      }
      if (graphic_host_.RouteMouse(message)) return;
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
    case WM_WINDOWPOSCHANGING:
      WMWindowPosChanging(message);
      return;
    case WM_GETMINMAXINFO:
      WMGetMinMaxInfo(message);
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
    case WM_GETOBJECT:
      WMGetObject(message);
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
    case CM_CTL3DCHANGED:
      CMCtl3DChanged(message);
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
  TPaintDC dc(WindowHandle(), message.WParam);
  PaintControls(dc.Get());
  message.Result = 0;
}

void TWinControl::WMEraseBkgnd(TMessage& message) {
  if (default_proc_) {
    DefaultHandler(message);
    return;
  }
  RECT r;
  GetClientRect(WindowHandle(), &r);
  PaintBackground(reinterpret_cast<HDC>(message.WParam), r);
  message.Result = 1;
}

void TWinControl::StoreWindowBounds() {
  if (!WindowHandle() || IsIconic(WindowHandle())) return;
  RECT r;
  GetWindowRect(WindowHandle(), &r);
  POINT top_left{r.left, r.top};
  if (GetWindowLongW(WindowHandle(), GWL_STYLE) & WS_CHILD)
    ::ScreenToClient(GetParent(WindowHandle()), &top_left);
  StoreBounds(top_left.x, top_left.y, r.right - r.left, r.bottom - r.top);
}

void TWinControl::WMSize(TMessage& message) {
  DefaultHandler(message);
  StoreWindowBounds();
  AlignControls();
  Resize();
}

void TWinControl::WMMove(TMessage& message) {
  DefaultHandler(message);
  StoreWindowBounds();
}

void TWinControl::WMWindowPosChanging(TMessage& message) {
  auto* position = reinterpret_cast<WINDOWPOS*>(message.LParam);
  // A window being minimised takes the system's icon size, whatever its limits.
  if (position && !(position->flags & SWP_NOSIZE) && WindowHandle() && !IsIconic(WindowHandle())) {
    int width = position->cx, height = position->cy;
    ConstrainSize(Constraints()->Limits(), width, height);
    position->cx = width;
    position->cy = height;
  }
  DefaultHandler(message);
}

void TWinControl::WMGetMinMaxInfo(TMessage& message) {
  DefaultHandler(message);
  auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
  if (!info) return;
  const TSizeLimits& limits = Constraints()->Limits();
  if (limits.MinWidth > 0) info->ptMinTrackSize.x = limits.MinWidth;
  if (limits.MinHeight > 0) info->ptMinTrackSize.y = limits.MinHeight;
  if (limits.MaxWidth > 0) {
    info->ptMaxTrackSize.x = info->ptMaxSize.x = limits.MaxWidth;
    info->ptMinTrackSize.x = std::min<LONG>(info->ptMinTrackSize.x, limits.MaxWidth);
  }
  if (limits.MaxHeight > 0) {
    info->ptMaxTrackSize.y = info->ptMaxSize.y = limits.MaxHeight;
    info->ptMinTrackSize.y = std::min<LONG>(info->ptMinTrackSize.y, limits.MaxHeight);
  }
  message.Result = 0;
}

void TWinControl::WMSetFocus(TMessage& message) {
  DefaultHandler(message);
  FocusArrived();
}

void TWinControl::WMKillFocus(TMessage& message) {
  DefaultHandler(message);
}

void TWinControl::FocusArrived() {
  TWinControl* top = FromHandle(GetAncestor(WindowHandle(), GA_ROOT));
  if (!top) {
    Perform(CM_ENTER);
    return;
  }
  if (top->entered_ == WindowHandle()) return;
  const HWND previous = top->entered_;
  top->entered_ = WindowHandle();
  TWinControl* left =
      previous && IsChild(top->WindowHandle(), previous) ? FromHandle(previous) : nullptr;
  if (left) {
    left->Perform(CM_EXIT);
    if (top->entered_ != WindowHandle()) return;  // the exit handler sent the focus on
  }
  Perform(CM_ENTER);
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

void TWinControl::KeyPress(wchar_t& key) {
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
  // A unit of UTF-16: the window is a wide one.
  auto key = static_cast<wchar_t>(message.WParam);
  KeyPress(key);
  if (key == 0) {
    message.Result = 0;
    return;
  }
  message.WParam = key;
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
  if (item && item->CtlType != ODT_MENU && WindowHandle()) {
    if (TWinControl* child =
            FromHandle(GetDlgItem(WindowHandle(), static_cast<int>(item->CtlID)))) {
      message.Result = child->Perform(CN_MEASUREITEM, message.WParam, message.LParam);
      return;
    }
  }
  DefaultHandler(message);
}

void TWinControl::WMSetCursor(TMessage& message) {
  if (reinterpret_cast<HWND>(message.WParam) == WindowHandle() &&
      LOWORD(message.LParam) == HTCLIENT) {
    POINT point;
    GetCursorPos(&point);
    ::ScreenToClient(WindowHandle(), &point);
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
  graphic_host_.MouseLeft();
  Perform(CM_MOUSELEAVE);
  DefaultHandler(message);
}

void TWinControl::WMCaptureChanged(TMessage& message) {
  const HWND new_owner = reinterpret_cast<HWND>(message.LParam);
  TDragTracker::CaptureChanged(WindowHandle(), new_owner);
  graphic_host_.CaptureChanged(new_owner);
  // Our own press ends as a windowless child's does: its release now goes to another window,
  // and a stray release that came to us later would otherwise still count as a click.
  if (clicked_ && new_owner != WindowHandle()) Perform(CM_CANCELMODE);
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

void TWinControl::WMGetObject(TMessage& message) {
  message.Result = AnswerAccessibleObject(*this, message.WParam, message.LParam);
  if (!message.Result) DefaultHandler(message);
}

bool TWinControl::DialogChar(wchar_t key) {
  for (TControl* child : controls_) {
    if (!child->Visible()) continue;
    if (child->Perform(CM_DIALOGCHAR, key)) return true;
    if (auto* window = dynamic_cast<TWinControl*>(child)) {
      if (window->DialogChar(key)) return true;
    }
  }
  return false;
}

void TWinControl::WMPrintClient(TMessage& message) {
  if (default_proc_) {
    DefaultHandler(message);
    return;
  }
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  RECT r;
  GetClientRect(WindowHandle(), &r);
  PaintBackground(dc, r);
  TMessage paint{WM_PAINT, message.WParam, 0, 0};
  WMPaint(paint);
  message.Result = 0;
}

TControl* FindControl(HWND window, POINT point) {
  while (window) {
    if (TWinControl* control = TWinControl::FromHandle(window)) {
      if (TGraphicControl* graphic = control->GraphicControlAt(point)) return graphic;
      return control;
    }
    // Not GetParent: for a top-level window that is its owner.
    HWND parent = GetAncestor(window, GA_PARENT);
    if (!parent || parent == GetDesktopWindow()) return nullptr;
    MapWindowPoints(window, parent, &point, 1);
    window = parent;
  }
  return nullptr;
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
  TPaintDC dc(WindowHandle(), message.WParam);
  {
    canvas_.SetHandle(dc.Get());
    TScopeExit release([this] { canvas_.SetHandle(nullptr); });
    canvas_.SetSmoothStretch(PixelsPerInch() != 96);
    canvas_.Font()->Assign(Font());
    Paint();
  }
  PaintControls(dc.Get());
  message.Result = 0;
}
