#include "framework/win/Forms.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/core/Filer.h"
#include "framework/win/Platform.h"

TApplication* Application = nullptr;

namespace {

constexpr UINT CM_ACTIVATEFORM = CM_BASE + 20;

void ApplicationException(const std::exception& error) {
  if (Application) {
    Application->HandleException(error);
  } else {
    MessageBoxW(nullptr, WideText(error.what()).c_str(), L"Error", MB_OK | MB_ICONERROR);
  }
}

// Where a window of that size is centred on the screen.
POINT ScreenCentrePlace(int width, int height) {
  return {(GetSystemMetrics(SM_CXSCREEN) - width) / 2,
          (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
}

AnsiString ModuleBaseName() {
  AnsiString name = ModulePath();
  const size_t slash = name.find_last_of("\\/");
  if (slash != AnsiString::npos) name = name.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != AnsiString::npos) name = name.substr(0, dot);
  return name;
}

}  // namespace

void InitApplication() {
  if (!Application) Application = new TApplication();
}

void DoneApplication() {
  delete Application;
  Application = nullptr;
}

const TEnumInfo& EnumInfoOf(TFormBorderStyle) {
  static const TEnumInfo info{
      {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TFormStyle) {
  static const TEnumInfo info{{"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TPosition) {
  static const TEnumInfo info{
      {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter"}};
  return info;
}

// ---------------------------------------------------------------------------------------------
// TForm

const TClassInfo& TForm::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TForm>("TForm", &TWinControl::StaticClassInfo())
          .Publish({"Left", "Top"})
          .Property("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle,
                    Default(TFormBorderStyle::bsSizeable))
          .Publish({"Caption"})
          .Property("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight)
          .Property("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth)
          .Publish({"Color", "Constraints", "ParentColor", "Font", "ParentFont"})
          .Property("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle,
                    Default(TFormStyle::fsNormal))
          .Property("OldCreateOrder", &TForm::OldCreateOrder, &TForm::SetOldCreateOrder)
          .Property("Position", &TForm::Position, &TForm::SetPosition,
                    Default(TPosition::poDesigned))
          .Publish({"Visible"})
          .Property("OnCreate", &TForm::OnCreate, &TForm::OnCreate)
          .Property("OnShow", &TForm::OnShow, &TForm::OnShow)
          .Property("OnHide", &TForm::OnHide, &TForm::OnHide)
          .Property("OnClose", &TForm::OnClose, &TForm::OnClose)
          .Property("OnDestroy", &TForm::OnDestroy, &TForm::OnDestroy)
          .Publish({"OnClick", "OnDblClick"})
          .Publish(kPublishKeyEvents)
          .Publish({"OnResize"})
          .Build();
  return info;
}

TForm::TForm(TComponent* owner) : TWinControl(owner) {
  SetExceptionHook(ApplicationException);
  TControl::SetVisible(false);
  SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption |
                  csDoubleClicks);
  SetParentColor(false);
  SetColor(clBtnFace);
  SetParentFont(false);
  SetBounds(0, 0, 320, 240);
  if (Application) Application->AddForm(this);
}

TForm::~TForm() {
  if (Application) Application->RemoveForm(this);
  OnDestroy(this);
  if (HandleAllocated()) {
    TControl::SetVisible(false);
    if (Application) Application->UpdateVisible();
  }
}

DWORD TForm::WindowStyle() const {
  DWORD style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  switch (border_style_) {
    case TFormBorderStyle::bsNone:
      style |= WS_POPUP;
      break;
    case TFormBorderStyle::bsSingle:
      style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_BORDER;
      break;
    case TFormBorderStyle::bsSizeable:
      style |= WS_OVERLAPPEDWINDOW;
      break;
    case TFormBorderStyle::bsDialog:
      style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
      break;
    case TFormBorderStyle::bsToolWindow:
      style |= WS_CAPTION | WS_SYSMENU | WS_BORDER;
      break;
    case TFormBorderStyle::bsSizeToolWin:
      style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
      break;
  }
  return style;
}

DWORD TForm::WindowExStyle() const {
  DWORD ex_style = 0;
  if (border_style_ == TFormBorderStyle::bsDialog)
    ex_style |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  if (border_style_ == TFormBorderStyle::bsToolWindow ||
      border_style_ == TFormBorderStyle::bsSizeToolWin) {
    ex_style |= WS_EX_TOOLWINDOW;
  }
  if (form_style_ == TFormStyle::fsStayOnTop) ex_style |= WS_EX_TOPMOST;
  return ex_style;
}

void TForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style = WindowStyle();
  params.ExStyle = WindowExStyle();
  params.WndParent = Application ? Application->Handle() : nullptr;
  if (Application) {
    params.ClassIcon = Application->Icon();
    params.ClassSmallIcon = Application->SmallIcon();
  }
  if (position_ == TPosition::poScreenCenter) {
    const POINT centre = ScreenCentrePlace(Width(), Height());
    params.X = centre.x;
    params.Y = centre.y;
  } else if (position_ == TPosition::poDefault || position_ == TPosition::poDefaultPosOnly) {
    params.X = CW_USEDEFAULT;
  }
}

void TForm::CreateWnd() {
  const int client_width = ClientWidth(), client_height = ClientHeight();
  TWinControl::CreateWnd();
  // A top-level window hears of its place only when it is first shown: until then the place
  // is the one the system gave it (centred, or its default), not the one we held.
  StoreWindowBounds();
  if (Application) Application->ApplyIcon(WindowHandle());
  // The system draws the frame for the monitor it makes the window on, which need not be the
  // resolution we computed the frame for: the client area keeps its size.
  if (ClientWidth() != client_width || ClientHeight() != client_height) {
    const SIZE frame = FrameSize();
    SetBounds(Left(), Top(), client_width + frame.cx, client_height + frame.cy);
  }
  // Made on a monitor of another resolution than the form was read for (a second monitor, or
  // the scale changed since the program started): laid out for it, where it is. A window made
  // while the form is read is left to Loaded.
  const int dpi = WindowPixelsPerInch(WindowHandle());
  if (!IsLoading() && dpi != pixels_per_inch_) {
    scale_place_ = TScalePlace::Kept;
    TScopeExit reset([this] { scale_place_ = TScalePlace::Scaled; });
    ChangeScale(dpi, pixels_per_inch_);
  }
}

SIZE TForm::FrameSizeFor(int pixels_per_inch) const {
  // AdjustWindowRectExForDpi exists from Windows 10 1607 on; before, every window has the
  // system's frame.
  using TAdjustWindowRectExForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust_for_dpi =
      SystemFunction<TAdjustWindowRectExForDpi>(L"user32.dll", "AdjustWindowRectExForDpi");
  RECT frame{0, 0, 0, 0};
  if (!adjust_for_dpi || !adjust_for_dpi(&frame, WindowStyle(), FALSE, WindowExStyle(),
                                         static_cast<UINT>(pixels_per_inch))) {
    frame = RECT{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WindowStyle(), FALSE, WindowExStyle());
  }
  return {frame.right - frame.left, frame.bottom - frame.top};
}

SIZE TForm::FrameSize() const {
  if (HandleAllocated() && !IsIconic(WindowHandle())) {
    RECT window, client;
    GetWindowRect(WindowHandle(), &window);
    GetClientRect(WindowHandle(), &client);
    return {(window.right - window.left) - client.right,
            (window.bottom - window.top) - client.bottom};
  }
  // Before the window exists: the frame of the monitor it will most likely be made on.
  return FrameSizeFor(WindowPixelsPerInch(nullptr));
}

RECT TForm::ClientRect() const {
  if (HandleAllocated()) return TWinControl::ClientRect();
  const SIZE frame = FrameSize();
  return {0, 0, Width() - frame.cx, Height() - frame.cy};
}

void TForm::SetClientWidth(int width) {
  SetWidth(width + FrameSize().cx);
}

void TForm::SetClientHeight(int height) {
  SetHeight(height + FrameSize().cy);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == border_style_) return;
  const int client_width = ClientWidth(), client_height = ClientHeight();
  border_style_ = style;
  // A form's window is created hidden and shown by Show: show the new one as the old was.
  const bool showing = Showing();
  RecreateWnd();
  // Measured in the new window's frame, where there is one.
  if (!IsLoading()) {
    SetClientWidth(client_width);
    SetClientHeight(client_height);
  }
  if (showing) {
    ShowWindow(WindowHandle(), SW_SHOW);
    if (!active_control_ || !active_control_->CanFocus()) {
      SelectNext(nullptr, true);
    } else {
      active_control_->SetFocus();
    }
  }
}

void TForm::SetFormStyle(TFormStyle style) {
  if (style == form_style_) return;
  form_style_ = style;
  if (HandleAllocated()) {
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(WindowHandle(), style == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST,
                 0, 0, 0, 0, flags);
    HWND owner = GetWindow(WindowHandle(), GW_OWNER);
    if (style != TFormStyle::fsStayOnTop && owner &&
        (GetWindowLongW(WindowHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST)) {
      // Wine keeps an owned window topmost: it places it beside its owner instead. Without
      // the owner for a moment the window leaves the topmost band as it should.
      SetWindowLongPtrW(WindowHandle(), GWLP_HWNDPARENT, 0);
      SetWindowPos(WindowHandle(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
      SetWindowLongPtrW(WindowHandle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    }
  }
}

void TForm::SetActiveControl(TWinControl* control) {
  active_control_ = control;
  if (control && HandleAllocated() && Showing() && control->CanFocus()) control->SetFocus();
}

void TForm::RestoreFocus() {
  if (last_focus_ && WindowHandle() && IsChild(WindowHandle(), last_focus_) &&
      IsWindowVisible(last_focus_) && IsWindowEnabled(last_focus_)) {
    ::SetFocus(last_focus_);
    return;
  }
  last_focus_ = nullptr;
  if (active_control_ && active_control_->HandleAllocated() && active_control_->CanFocus()) {
    ::SetFocus(active_control_->Handle());
  }
}

void TForm::Show() {
  SetVisible(true);
  if (HandleAllocated()) {
    SetWindowPos(WindowHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(WindowHandle());
  }
}

void TForm::SetVisible(bool visible) {
  if (IsLoading()) {
    TControl::SetVisible(visible);
    return;
  }
  if (visible) {
    Handle();
    const bool was_visible = Visible() && IsWindowVisible(WindowHandle());
    TControl::SetVisible(true);
    if (!was_visible) {
      OnShow(this);
      ShowWindow(WindowHandle(), SW_SHOW);
      // Shown again, the activation gave the focus back to the control that had it.
      const HWND focus = GetFocus();
      if (!focus || !IsChild(WindowHandle(), focus)) {
        if (!active_control_)
          SelectNext(nullptr, true);
        else if (active_control_->CanFocus())
          active_control_->SetFocus();
      }
    }
  } else {
    const bool was_visible = Visible();
    TControl::SetVisible(false);
    if (HandleAllocated() && IsWindowVisible(WindowHandle())) {
      ShowWindow(WindowHandle(), SW_HIDE);
      if (was_visible) OnHide(this);
    }
  }
  if (Application) Application->UpdateVisible();
}

bool TForm::Showing() const {
  return HandleAllocated() && IsWindowVisible(WindowHandle());
}

void TForm::Close() {
  if (closing_) return;
  closing_ = true;
  OnClose(this);
  closing_ = false;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
  }
  Hide();
}

void TForm::LoadFromResource() {
  AnsiString name = AsciiUpperCase(ClassName());
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC resource =
      FindResourceW(module, WideText(name).c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!resource) {
    throw EFOpenError(Format("The form description %s is missing from the program", name.c_str()));
  }
  HGLOBAL loaded = LoadResource(module, resource);
  const char* data = static_cast<const char*>(LockResource(loaded));
  const DWORD size = SizeofResource(module, resource);
  LoadFromText(AnsiString(data, size));
}

void TForm::Loaded() {
  // Laid out at 96 pixels per inch: on another screen everything is scaled before the
  // controls finish their own loading (a label then sizes itself in its scaled font). The
  // screen is the monitor of the window where the reading has made one already; before the
  // window exists, the system's (CreateWnd looks again).
  const int dpi = WindowPixelsPerInch(WindowHandle());
  if (dpi != pixels_per_inch_) ChangeScale(dpi, pixels_per_inch_);
  TWinControl::Loaded();
}

void TForm::ScaleOwn(int multiplier, int divider) {
  // Measured before anything moves: the system's rectangle comes with a size of its own.
  const int client_width = ClientWidth();
  const int client_height = ClientHeight();
  const RECT before = BoundsRect();
  // The system's place first, before anything else moves or is measured: it is on the monitor
  // whose resolution we take now, and any other place could take the window back over to the
  // other monitor and set off a change once more.
  if (scale_place_ == TScalePlace::Suggested) {
    const RECT& r = suggested_place_;
    SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  Constraints()->Scale(multiplier, divider);
  if (!ParentFont()) Font()->SetHeight(MulDiv(Font()->Height(), multiplier, divider));
  pixels_per_inch_ = MulDiv(pixels_per_inch_, multiplier, divider);
  const SIZE frame = FrameSize();
  const int width = MulDiv(client_width, multiplier, divider) + frame.cx;
  const int height = MulDiv(client_height, multiplier, divider) + frame.cy;
  int left = Left(), top = Top();
  if (scale_place_ == TScalePlace::Scaled) {
    left = MulDiv(left, multiplier, divider);
    top = MulDiv(top, multiplier, divider);
  }
  if (position_ == TPosition::poScreenCenter && scale_place_ != TScalePlace::Suggested &&
      !Showing()) {
    // Not shown yet, so it still opens where its position says: at the centre, at its new size.
    const POINT centre = ScreenCentrePlace(width, height);
    left = centre.x;
    top = centre.y;
  }
  if (scale_place_ != TScalePlace::Suggested) {
    // Grown for a dense screen, the form would reach past its edge: it stays inside the work
    // area of the monitor it was on.
    const POINT place = InsideWorkArea(before, left, top, width, height);
    left = place.x;
    top = place.y;
  }
  SetBounds(left, top, width, height);
}

void TForm::DpiChanged(int pixels_per_inch, const RECT* suggested) {
  if (pixels_per_inch <= 0) return;
  if (suggested) {
    scale_place_ = TScalePlace::Suggested;
    suggested_place_ = *suggested;
  } else {
    scale_place_ = TScalePlace::Kept;
  }
  TScopeExit reset([this] { scale_place_ = TScalePlace::Scaled; });
  if (pixels_per_inch != pixels_per_inch_) {
    ChangeScale(pixels_per_inch, pixels_per_inch_);
  } else {
    // Nothing to scale, but the place is the system's.
    ScaleOwn(pixels_per_inch, pixels_per_inch);
  }
  if (Application && HandleAllocated()) Application->ApplyIcon(WindowHandle());
}

void TForm::LoadFromText(const AnsiString& text) {
  // The controls that get windows while the form is read.
  TCreationBurst burst;
  ReadComponentText(*this, text);
}

void TForm::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
  TWinControl::GetChildren(proc, root);
  for (TComponent* component : Components()) {
    // Components that are neither controls nor placed inside another component.
    if (!dynamic_cast<TControl*>(component) && !component->GetParentComponent()) proc(component);
  }
}

void TForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_CLOSE:
      Close();
      message.Result = 0;
      return;
    case WM_ACTIVATE:
      if (LOWORD(message.WParam) == WA_INACTIVE) {
        // The system gives an activated window the focus itself, not to the child that had it.
        HWND focus = GetFocus();
        if (focus && WindowHandle() && IsChild(WindowHandle(), focus)) last_focus_ = focus;
      }
      TWinControl::WndProc(message);
      if (LOWORD(message.WParam) != WA_INACTIVE) RestoreFocus();
      return;
    case WM_SETFOCUS:
      DefaultHandler(message);
      RestoreFocus();
      return;
    case WM_SHOWWINDOW:
      DefaultHandler(message);
      return;
    case WM_GETDPISCALEDSIZE: {
      // Asked before a move to a monitor of another resolution, for the size we want there:
      // the client area scaled as the layout will be, in the frame the system draws at that
      // resolution. The rectangle it then suggests needs no correction.
      auto* size = reinterpret_cast<SIZE*>(message.LParam);
      const int dpi = static_cast<int>(message.WParam);
      message.Result = FALSE;
      if (size && dpi > 0) {
        const SIZE frame = FrameSizeFor(dpi);
        size->cx = MulDiv(ClientWidth(), dpi, pixels_per_inch_) + frame.cx;
        size->cy = MulDiv(ClientHeight(), dpi, pixels_per_inch_) + frame.cy;
        message.Result = TRUE;
      }
      return;
    }
    case WM_DPICHANGED:
      // Moved to a monitor of another resolution: the window takes the place the system
      // suggests for it, then the layout and the fonts follow.
      DpiChanged(LOWORD(message.WParam), reinterpret_cast<const RECT*>(message.LParam));
      message.Result = 0;
      return;
    default:
      break;
  }
  // Remember which control has the focus, for when the form is activated again.
  if (message.Msg == CM_ENTER) {
    message.Result = 0;
    return;
  }
  TWinControl::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TApplication

TApplication::TApplication() : TComponent(nullptr), title_(ModuleBaseName()) {
  SetExceptionHook(ApplicationException);
}

TApplication::~TApplication() {
  // Forms go first (as owned components), then the taskbar window.
  while (!Components().empty()) Free(Components().back());
  window_.reset();
  for (const auto& [dpi, icons] : scaled_icons_) {
    if (icons.first) DestroyIcon(icons.first);
    if (icons.second) DestroyIcon(icons.second);
  }
}

void TApplication::Initialize() {
  // A drive without a medium (an empty card reader) fails a file call quietly instead of
  // stopping the program with the system's "no disk" box.
  SetErrorMode(SetErrorMode(SEM_FAILCRITICALERRORS) | SEM_FAILCRITICALERRORS);
  InitCommonControls(ICC_WIN95_CLASSES | ICC_DATE_CLASSES);
  Handle();
}

int TApplication::HookMainWindow(TWindowHook hook) {
  static int last_hook = 0;
  hooks_.emplace_back(++last_hook, std::make_shared<TWindowHook>(std::move(hook)));
  return last_hook;
}

void TApplication::UnhookMainWindow(int hook) {
  std::erase_if(hooks_, [hook](const auto& entry) { return entry.first == hook; });
}

bool TApplication::CallHooks(TMessage& message) {
  if (hooks_.empty()) return false;
  // A hook may unhook itself or another one: walk a copy, and skip the ones gone meanwhile.
  const auto hooks = hooks_;
  for (const auto& [id, hook] : hooks) {
    const bool still_hooked = std::any_of(
        hooks_.begin(), hooks_.end(), [id = id](const auto& entry) { return entry.first == id; });
    if (still_hooked && (*hook)(message)) return true;
  }
  return false;
}

bool TApplication::WndProc(TMessage& message) {
  if (CallHooks(message)) return true;
  switch (message.Msg) {
    case WM_CLOSE:
      if (main_form_) main_form_->Close();
      message.Result = 0;
      return true;
    case WM_ACTIVATE:
    case WM_SETFOCUS:
      // The taskbar window is only a stand-in: hand the activation to the form.
      if (window_ && (message.Msg == WM_SETFOCUS || LOWORD(message.WParam) != WA_INACTIVE)) {
        PostMessageW(window_->Handle(), CM_ACTIVATEFORM, 0, 0);
      }
      return false;
    case WM_TIMER:
      if (!hints_.Timer(message.WParam)) return false;
      message.Result = 0;
      return true;
    case CM_ACTIVATEFORM:
      if (main_form_ && main_form_->Showing() && window_ &&
          GetForegroundWindow() == window_->Handle()) {
        SetForegroundWindow(main_form_->Handle());
      }
      message.Result = 0;
      return true;
    default:
      return false;
  }
}

HWND TApplication::Handle() {
  if (window_) return window_->Handle();
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
  window_ = std::make_unique<TMessageWindow>(
      [this](TMessage& message) { return WndProc(message); },
      WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, title_.c_str(), x,
      y, icon_, small_icon_);
  ApplyIcon(window_->Handle());
  hints_.SetTimerWindow(window_->Handle());
  return window_->Handle();
}

void TApplication::SetIconResource(const AnsiString& name) {
  icon_name_ = name;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const std::wstring resource = WideText(name);
  // The system keeps icons loaded with LR_SHARED for the module's lifetime.
  icon_ = static_cast<HICON>(
      LoadImageW(instance, resource.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  small_icon_ = static_cast<HICON>(LoadImageW(instance, resource.c_str(), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  if (window_) ApplyIcon(window_->Handle());
  for (TForm* form : forms_) {
    if (form->HandleAllocated()) ApplyIcon(form->Handle());
  }
}

void TApplication::ApplyIcon(HWND window) const {
  if (!icon_) return;
  HICON big = icon_, small = small_icon_;
  const int dpi = WindowPixelsPerInch(window);
  if (dpi != ScreenPixelsPerInch()) {
    // On a monitor of another scale the caption and the taskbar want other sizes.
    auto found = scaled_icons_.find(dpi);
    if (found == scaled_icons_.end()) {
      HINSTANCE instance = GetModuleHandleW(nullptr);
      const auto load = [&](int width_metric, int height_metric) {
        return static_cast<HICON>(LoadImageW(instance, WideText(icon_name_).c_str(), IMAGE_ICON,
                                             SystemMetricForDpi(width_metric, dpi),
                                             SystemMetricForDpi(height_metric, dpi), 0));
      };
      found = scaled_icons_
                  .emplace(dpi, std::make_pair(load(SM_CXICON, SM_CYICON),
                                               load(SM_CXSMICON, SM_CYSMICON)))
                  .first;
    }
    if (found->second.first) big = found->second.first;
    if (found->second.second) small = found->second.second;
  } else if (!SendMessageW(window, WM_GETICON, ICON_BIG, 0) &&
             reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON)) == icon_ &&
             (!small_icon_ ||
              reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM)) == small_icon_)) {
    // A window whose class carries the icons, and that has none of its own, shows them
    // already; setting them on the window makes the system convert them for the desktop
    // again, milliseconds each.
    return;
  }
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  if (small) SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void TApplication::SetTitle(const AnsiString& title) {
  title_ = title;
  if (window_) SetWindowTextW(window_->Handle(), WideText(title).c_str());
}

void TApplication::AddForm(TForm* form) {
  forms_.push_back(form);
}

void TApplication::RemoveForm(TForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (main_form_ == form) main_form_ = nullptr;
}

void TApplication::UpdateVisible() {
  const bool any_visible = std::any_of(forms_.begin(), forms_.end(), [](TForm* form) {
    return form->HandleAllocated() && IsWindowVisible(form->Handle());
  });
  HWND window = Handle();
  if (any_visible != (IsWindowVisible(window) != FALSE)) {
    ShowWindow(window, any_visible ? SW_SHOWNA : SW_HIDE);
  }
}

void TApplication::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

bool TApplication::PreTranslate(MSG& msg) {
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && CancelDrag()) return true;
  if (msg.message == WM_SYSCHAR) {
    // Alt and a letter: the control of the form whose accelerator it is acts, and the system
    // neither beeps nor opens the window menu.
    auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(GetAncestor(msg.hwnd, GA_ROOT)));
    if (form && form->Enabled() && form->DialogChar(static_cast<wchar_t>(msg.wParam))) return true;
  }
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 &&
      GetKeyState(VK_MENU) >= 0) {
    const LRESULT code =
        SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(root));
    if (!form) return false;
    // The control with the focus may be a system window inside one of ours.
    TWinControl* current = nullptr;
    for (HWND w = msg.hwnd; w && w != root && !current; w = GetParent(w)) {
      current = TWinControl::FromHandle(w);
    }
    form->SelectNext(current, GetKeyState(VK_SHIFT) >= 0);
    return true;
  }
  return false;
}

void TApplication::Dispatch(MSG& msg) {
  // The loop runs handlers of its own (Alt and a letter presses a button): like the window
  // procedure, it shows what they throw and goes on with the next message.
  try {
    hints_.Observe(msg);
    if (PreTranslate(msg)) return;
  } catch (...) {
    ReportException();
    return;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

bool TApplication::HandleMessage() {
  MSG msg;
  // Wide: the characters typed reach the windows as they were typed, whatever the code page.
  const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
  if (got == 0 || got == -1) {
    terminated_ = true;
    return false;
  }
  Dispatch(msg);
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      // Leave the quit for the main loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

void TApplication::Run(int show) {
  if (main_form_) {
    main_form_->Show();
    switch (show) {
      case SW_MINIMIZE:
      case SW_SHOWMINIMIZED:
      case SW_SHOWMINNOACTIVE:
      case SW_FORCEMINIMIZE:
        // The taskbar window carries the button; its forms go and come back with it.
        ShowWindow(Handle(), SW_SHOWMINNOACTIVE);
        break;
      case SW_SHOWMAXIMIZED:
        if (GetWindowLongW(main_form_->Handle(), GWL_STYLE) & WS_MAXIMIZEBOX) {
          ShowWindow(main_form_->Handle(), SW_SHOWMAXIMIZED);
        }
        break;
      default:
        break;
    }
  }
  while (HandleMessage()) {
  }
}

void TApplication::HandleException(const std::exception& error) {
  if (OnException) {
    OnException(this, error);
  } else {
    ShowException(error);
  }
}

void TApplication::ShowException(const std::exception& error) {
  HWND owner = main_form_ && main_form_->Showing() ? main_form_->Handle() : Handle();
  ::MessageBoxW(owner, WideText(error.what()).c_str(), WideText(title_).c_str(),
                MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const AnsiString& text, UINT flags) {
  HWND owner = main_form_ && main_form_->Showing() ? main_form_->Handle() : Handle();
  return ::MessageBoxW(owner, WideText(text).c_str(), WideText(title_).c_str(), flags);
}
