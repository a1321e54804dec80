#include "controls/Cspin.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "framework/win/Locale.h"
#include "framework/win/Platform.h"

namespace {

void DefaultBeep() {
  MessageBeep(0);
}

constexpr unsigned kFirstRepeatDelay = 400;  // ms from the press to the first repeat
constexpr unsigned kRepeatInterval = 100;    // ms between further repeats
constexpr int kMinButtonWidth = 15;

// Loads the bitmap resource `name` of the program's own module into `glyph`. A module without
// the resource leaves the glyph as it is.
void LoadResourceGlyph(TBitmap* glyph, const char* name) {
  try {
    glyph->LoadFromResourceName(GetModuleHandleA(nullptr), name);
  } catch (const EReadError&) {
  }
}

// value + step, held at the ends of the 32-bit range instead of wrapping round.
int SaturatingAdd(int value, int64_t step) {
  const int64_t sum = value + step;
  return static_cast<int>(std::clamp<int64_t>(sum, INT_MIN, INT_MAX));
}

}  // namespace

TSpinServices& SpinServices() {
  static TSpinServices services{DefaultBeep};
  return services;
}

// ---------------------------------------------------------------------------------------------
// TTimerSpeedButton

const TClassInfo& TTimerSpeedButton::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TTimerSpeedButton>("TTimerSpeedButton", &TSpeedButton::StaticClassInfo())
          .PublishInherited()
          .Build();
  return info;
}

TTimerSpeedButton::TTimerSpeedButton(TComponent* owner) : TSpeedButton(owner) {}

// The repeat timer goes with the button's other owned components.
TTimerSpeedButton::~TTimerSpeedButton() = default;

void TTimerSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TSpeedButton::MouseDown(button, shift, x, y);
  if (FTimeBtnState & tbAllowTimer) {
    if (!FRepeatTimer) FRepeatTimer = new TTimer(this);
    FRepeatTimer->OnTimer = TNotifyEvent(this, &TTimerSpeedButton::TimerExpired);
    FRepeatTimer->SetInterval(kFirstRepeatDelay);
    FRepeatTimer->SetEnabled(true);
  }
}

void TTimerSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  // Also when the click on release fails: the timer must not go on running.
  TScopeExit stop([this] {
    if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
  });
  TSpeedButton::MouseUp(button, shift, x, y);
}

void TTimerSpeedButton::TimerExpired(TObject*) {
  // A press that took no capture (the right button) ends where no release reaches us.
  if (!MouseCapture()) {
    FRepeatTimer->SetEnabled(false);
    return;
  }
  FRepeatTimer->SetInterval(kRepeatInterval);
  // Off the button (drawn up) the repeats pause.
  if (IsDown()) {
    TScopeExit stop([this] { FRepeatTimer->SetEnabled(false); });
    Click();
    stop.Dismiss();
  }
}

void TTimerSpeedButton::Paint() {
  TSpeedButton::Paint();
  if (FTimeBtnState & tbFocusRect) {
    RECT frame{3, 3, Width() - 3, Height() - 3};
    if (IsDown()) OffsetRect(&frame, 1, 1);
    DrawFocusRect(Canvas()->Handle(), &frame);
  }
}

// ---------------------------------------------------------------------------------------------
// TCSpinButton

const TClassInfo& TCSpinButton::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TCSpinButton>("TCSpinButton", &TWinControl::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Align", "Anchors", "Constraints", "Ctl3D"})
          .ObjectProperty("DownGlyph", &TCSpinButton::GetDownGlyph)
          .Publish({"DragCursor", "DragMode", "Enabled"})
          .Property("FocusControl", &TCSpinButton::FocusControl, &TCSpinButton::FocusControl)
          .Publish(
              {"ParentCtl3D", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop"})
          .ObjectProperty("UpGlyph", &TCSpinButton::GetUpGlyph)
          .Publish({"Visible"})
          .Property("OnDownClick", &TCSpinButton::OnDownClick, &TCSpinButton::OnDownClick)
          .Publish(kPublishDragEvents)
          .Publish(kPublishDockEvents)
          .Publish(kPublishFocusEvents)
          .Publish({"OnStartDock", "OnStartDrag"})
          .Property("OnUpClick", &TCSpinButton::OnUpClick, &TCSpinButton::OnUpClick)
          .Build();
  return info;
}

TCSpinButton::TCSpinButton(TComponent* owner) : TWinControl(owner) {
  SetControlStyle((ControlStyle() & ~(csAcceptsControls | csSetCaption)) | csFramed | csOpaque);
  FUpButton = CreateButton();
  FDownButton = CreateButton();
  SetUpGlyph(nullptr);
  SetDownGlyph(nullptr);
  SetBounds(Left(), Top(), 20, 25);
  FFocusedButton = FUpButton;
}

// The arrow buttons go with the other owned components.
TCSpinButton::~TCSpinButton() = default;

TTimerSpeedButton* TCSpinButton::CreateButton() {
  auto* button = new TTimerSpeedButton(this);
  button->OnClick = TNotifyEvent(this, &TCSpinButton::BtnClick);
  button->OnMouseDown = TMouseEvent(this, &TCSpinButton::BtnMouseDown);
  button->SetVisible(true);
  button->SetEnabled(true);
  button->SetTimeBtnState(tbAllowTimer);
  button->SetNumGlyphs(1);
  button->SetParent(this);
  return button;
}

TBitmap* TCSpinButton::GetUpGlyph() const {
  return FUpButton->Glyph();
}

TBitmap* TCSpinButton::GetDownGlyph() const {
  return FDownButton->Glyph();
}

void TCSpinButton::SetUpGlyph(TBitmap* value) {
  if (value) {
    FUpButton->SetGlyph(value);
    return;
  }
  LoadResourceGlyph(FUpButton->Glyph(), "SpinUp");
  FUpButton->SetNumGlyphs(1);
  FUpButton->Invalidate();
}

void TCSpinButton::SetDownGlyph(TBitmap* value) {
  if (value) {
    FDownButton->SetGlyph(value);
    return;
  }
  LoadResourceGlyph(FDownButton->Glyph(), "SpinDown");
  FDownButton->SetNumGlyphs(1);
  FDownButton->Invalidate();
}

void TCSpinButton::AdjustSize(int& width, int& height) {
  if (!FUpButton || !FDownButton) return;
  width = std::max(width, kMinButtonWidth);
  const int up_height = height / 2;
  FUpButton->SetBounds(0, 0, width, up_height);
  // The down arrow starts one row higher, so the two share a border line.
  FDownButton->SetBounds(0, up_height - 1, width, height - up_height + 1);
}

void TCSpinButton::SetBounds(int left, int top, int width, int height) {
  AdjustSize(width, height);
  TWinControl::SetBounds(left, top, width, height);
}

void TCSpinButton::AdjustToButtons() {
  int width = Width();
  int height = Height();
  AdjustSize(width, height);
  if (width != Width() || height != Height()) {
    TWinControl::SetBounds(Left(), Top(), width, height);
  }
}

void TCSpinButton::WMSize(TMessage& message) {
  TWinControl::WMSize(message);
  AdjustToButtons();
  message.Result = 0;
}

void TCSpinButton::Loaded() {
  TWinControl::Loaded();
  AdjustToButtons();
}

void TCSpinButton::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == TOperation::opRemove && component == FocusControl) FocusControl = nullptr;
}

void TCSpinButton::WMSetFocus(TMessage& message) {
  TWinControl::WMSetFocus(message);
  FFocusedButton->SetTimeBtnState(FFocusedButton->TimeBtnState() | tbFocusRect);
  FFocusedButton->Invalidate();
}

void TCSpinButton::WMKillFocus(TMessage& message) {
  FFocusedButton->SetTimeBtnState(FFocusedButton->TimeBtnState() & ~tbFocusRect);
  FFocusedButton->Invalidate();
  TWinControl::WMKillFocus(message);
}

void TCSpinButton::WMGetDlgCode(TMessage& message) {
  message.Result = DLGC_WANTARROWS;
}

void TCSpinButton::KeyDown(uint16_t& key, TShiftState) {
  switch (key) {
    case VK_SPACE:
      FFocusedButton->Click();
      break;
    case VK_UP:
      SetFocusBtn(FUpButton);
      FUpButton->Click();
      break;
    case VK_DOWN:
      SetFocusBtn(FDownButton);
      FDownButton->Click();
      break;
    default:
      break;
  }
}

void TCSpinButton::BtnMouseDown(TObject* sender, TMouseButton button, TShiftState, int, int) {
  if (button != TMouseButton::mbLeft) return;
  SetFocusBtn(dynamic_cast<TTimerSpeedButton*>(sender));
  if (FocusControl && FocusControl->TabStop() && FocusControl->CanFocus() &&
      !FocusControl->Focused()) {
    FocusControl->SetFocus();
  } else if (TabStop() && !Focused() && CanFocus()) {
    SetFocus();
  }
}

void TCSpinButton::BtnClick(TObject* sender) {
  if (sender == FUpButton) {
    OnUpClick(this);
  } else {
    OnDownClick(this);
  }
}

void TCSpinButton::SetFocusBtn(TTimerSpeedButton* button) {
  if (!button || !TabStop() || !CanFocus() || button == FFocusedButton) return;
  FFocusedButton->SetTimeBtnState(FFocusedButton->TimeBtnState() & ~tbFocusRect);
  FFocusedButton = button;
  if (Focused()) {
    button->SetTimeBtnState(button->TimeBtnState() | tbFocusRect);
    Invalidate();
  }
}

// ---------------------------------------------------------------------------------------------
// TCSpinEdit

const TClassInfo& TCSpinEdit::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TCSpinEdit>("TCSpinEdit", &TCustomEdit::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Anchors", "AutoSelect", "AutoSize", "Color", "Constraints", "Ctl3D",
                    "DragCursor", "DragMode"})
          .Property("EditorEnabled", &TCSpinEdit::EditorEnabled, &TCSpinEdit::SetEditorEnabled,
                    Default(true))
          .Publish({"Enabled", "Font"})
          .Property("Increment", &TCSpinEdit::Increment, &TCSpinEdit::SetIncrement, Default(1))
          .Property("MaxValue", &TCSpinEdit::MaxValue, &TCSpinEdit::SetMaxValue, Default(0))
          .Property("MinValue", &TCSpinEdit::MinValue, &TCSpinEdit::SetMinValue, Default(0))
          .Publish({"ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu",
                    "ReadOnly", "ShowHint"})
          .Publish(kPublishTabStop)
          .Property("Value", &TCSpinEdit::StoredValue, &TCSpinEdit::SetValue, Default(0))
          .Publish({"Visible", "OnChange", "OnClick", "OnDblClick"})
          .Publish(kPublishDragEvents)
          .Publish({"OnEndDrag"})
          .Publish(kPublishInputEvents)
          .Publish({"OnStartDrag"})
          .Build();
  return info;
}

TCSpinEdit::TCSpinEdit(TComponent* owner) : TCustomEdit(owner) {
  FButton = new TCSpinButton(this);
  FButton->SetWidth(15);
  FButton->SetHeight(17);
  FButton->SetVisible(true);
  FButton->SetParent(this);
  FButton->FocusControl = this;
  FButton->OnUpClick = TNotifyEvent(this, &TCSpinEdit::UpClick);
  FButton->OnDownClick = TNotifyEvent(this, &TCSpinEdit::DownClick);
  SetText("0");
  SetControlStyle(ControlStyle() & ~csSetCaption);
  FIncrement = 1;
  FEditorEnabled = true;
}

// The spin button is freed as an owned component; from here on nothing may reach it.
TCSpinEdit::~TCSpinEdit() {
  FButton = nullptr;
}

void TCSpinEdit::GetChildren(const std::function<void(TComponent*)>&, TComponent*) {}

void TCSpinEdit::CreateParams(TCreateParams& params) {
  TCustomEdit::CreateParams(params);
  // Multi-line only so that the formatting rectangle can keep the text off the arrows.
  params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
}

void TCSpinEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  // The window was sized before it was ours to hear, so lay it out now.
  LayoutField();
}

void TCSpinEdit::WMSetFont(TMessage& message) {
  TCustomEdit::WMSetFont(message);
  // A multi-line edit resets its formatting rectangle to the client area on a new font.
  SetEditRect();
}

int TCSpinEdit::GetValue() {
  int value = 0;
  if (TryStrToInt(Text(), value)) return value;
  SetText(IntToStr(FMinValue));
  return FMinValue;
}

void TCSpinEdit::SetValue(int value) {
  SetText(IntToStr(CheckValue(value)));
}

int TCSpinEdit::CheckValue(int value) const {
  if (FMaxValue == FMinValue) return value;
  if (value < FMinValue) return FMinValue;
  if (value > FMaxValue) return FMaxValue;
  return value;
}

void TCSpinEdit::UpClick(TObject*) {
  if (ReadOnly()) {
    SpinServices().Beep();
    return;
  }
  SetValue(SaturatingAdd(GetValue(), FIncrement));
}

void TCSpinEdit::DownClick(TObject*) {
  if (ReadOnly()) {
    SpinServices().Beep();
    return;
  }
  SetValue(SaturatingAdd(GetValue(), -int64_t{FIncrement}));
}

bool TCSpinEdit::IsValidChar(wchar_t key) {
  constexpr wchar_t kSelectAll = 1, kCopy = 3;  // Ctrl+A, Ctrl+C
  const auto code = static_cast<unsigned>(key);
  // The field is a multi-line edit: a tab or a line feed (Ctrl+I, Ctrl+J, Ctrl+Enter) would go
  // into the text, which then reads as no number at all.
  bool valid = key == locale::DecimalSeparator() || key == '+' || key == '-' ||
               (key >= '0' && key <= '9') ||
               (code < 32 && key != '\r' && key != '\t' && key != '\n');
  // Without the editor only the control characters that edit nothing stay.
  if (valid && !FEditorEnabled && key != kSelectAll && key != kCopy) valid = false;
  return valid;
}

void TCSpinEdit::KeyDown(uint16_t& key, TShiftState shift) {
  if (key == VK_UP) {
    UpClick(this);
  } else if (key == VK_DOWN) {
    DownClick(this);
  }
  TCustomEdit::KeyDown(key, shift);
  // Delete and Shift+Insert edit the text without a character: keep them out too.
  if (!FEditorEnabled &&
      (key == VK_DELETE || (key == VK_INSERT && (shift & ssShift) && !(shift & ssCtrl)))) {
    key = 0;
    SpinServices().Beep();
  }
}

void TCSpinEdit::KeyPress(wchar_t& key) {
  if (!IsValidChar(key)) {
    key = 0;
    SpinServices().Beep();
  }
  if (key != 0) TCustomEdit::KeyPress(key);
}

void TCSpinEdit::WndProc(TMessage& message) {
  // Clearing and undoing (from the context menu or Ctrl+Z) are edits as cut and paste are.
  if ((message.Msg == WM_CLEAR || message.Msg == WM_UNDO || message.Msg == EM_UNDO) &&
      !EditAllowed()) {
    message.Result = 0;
    return;
  }
  TCustomEdit::WndProc(message);
}

bool TCSpinEdit::EditAllowed() const {
  return FEditorEnabled && !ReadOnly();
}

void TCSpinEdit::WMCut(TMessage& message) {
  if (!EditAllowed()) {
    message.Result = 0;
    return;
  }
  TCustomEdit::WMCut(message);
}

void TCSpinEdit::WMPaste(TMessage& message) {
  if (!EditAllowed()) {
    message.Result = 0;
    return;
  }
  TCustomEdit::WMPaste(message);
}

void TCSpinEdit::CMEnter(TMessage& message) {
  // The click that gives the focus places the caret; the keyboard selects the whole number.
  if (AutoSelect() && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
  // Past the edit's own handler, which would select once more.
  TWinControl::CMEnter(message);
}

void TCSpinEdit::CMExit(TMessage& message) {
  const int value = GetValue();
  if (CheckValue(value) != value) SetValue(value);
  TCustomEdit::CMExit(message);
}

void TCSpinEdit::ChangeScale(int multiplier, int divider) {
  if (FButton) FButton->SetWidth(MulDiv(FButton->Width(), multiplier, divider));
  ScaleOwn(multiplier, divider);
  LayoutField();
}

void TCSpinEdit::WMSize(TMessage& message) {
  TCustomEdit::WMSize(message);
  LayoutField();
}

void TCSpinEdit::LayoutField() {
  const int min_height = GetMinHeight();
  if (Height() < min_height) {
    SetHeight(min_height);
    return;
  }
  if (FButton) {
    const int button_width = FButton->Width();
    if (Ctl3D()) {
      FButton->SetBounds(Width() - button_width - 5, 0, button_width, Height() - 5);
    } else {
      FButton->SetBounds(Width() - button_width, 0, button_width, Height());
    }
  }
  SetEditRect();
}

void TCSpinEdit::SetEditRect() {
  if (!HandleAllocated() || !FButton) return;
  // The rectangle is the whole text area: no margins inside it. (The system gives margins
  // to TrueType fonts only, and where a TrueType font stands in for the field's raster font
  // they would hide a digit of a three-digit number.)
  SendMessageW(Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  RECT rect = GetFormatRect();
  rect.left = 0;
  rect.top = 0;
  rect.right = ClientWidth() - FButton->Width() - 2;
  rect.bottom = ClientHeight() + 1;
  SetFormatRectNP(rect);
}

int TCSpinEdit::GetMinHeight() {
  TEXTMETRICA system_metrics{};
  TEXTMETRICA font_metrics{};
  {
    const TMemoryDC measuring;
    GetTextMetricsA(measuring.Get(), &system_metrics);
    const TSelectObject selection(measuring.Get(), Font()->Handle());
    GetTextMetricsA(measuring.Get(), &font_metrics);
  }
  const int smaller = std::min(system_metrics.tmHeight, font_metrics.tmHeight);
  return SystemMetricForDpi(SM_CYBORDER, PixelsPerInch()) * 4 + smaller / 4 +
         font_metrics.tmHeight + 2;
}
