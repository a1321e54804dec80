#include "framework/win/StdCtrls.h"

#include <algorithm>

#include "framework/win/Locale.h"
#include "framework/win/Platform.h"

namespace {

template <class E>
TPropOptions EnumDefault(E value) {
  return Default(value);
}

TPropOptions ColorDefault(TColor color) {
  TPropOptions options = Default(color);
  options.Idents = &ColorIdents();
  return options;
}

// The height of the font's character cells, from the screen.
int FontCellHeight(TFont* font) {
  TMemoryDC measuring;
  TSelectObject selected(measuring.Get(), font->Handle());
  TEXTMETRICW metrics{};
  GetTextMetricsW(measuring.Get(), &metrics);
  return metrics.tmHeight;
}

}  // namespace

const TEnumInfo& EnumInfoOf(TAlignment) {
  static const TEnumInfo info{{"taLeftJustify", "taRightJustify", "taCenter"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TLeftRight) {
  static const TEnumInfo info{{"taLeftJustify", "taRightJustify"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TCheckBoxState) {
  static const TEnumInfo info{{"cbUnchecked", "cbChecked", "cbGrayed"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TComboBoxStyle) {
  static const TEnumInfo info{
      {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"}};
  return info;
}

// ---------------------------------------------------------------------------------------------
// TCustomLabel

void TCustomLabel::SetFocusControl(TWinControl* control) {
  focus_control_ = control;
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == TOperation::opRemove && component == focus_control_) focus_control_ = nullptr;
}

void TCustomLabel::ChangeScale(int multiplier, int divider) {
  TGraphicControl::ChangeScale(multiplier, divider);
  AdjustBounds();
}

AnsiString TCustomLabel::AccessibleName() const {
  return show_accel_char_ ? StripAccelerator(Caption()) : Caption();
}

void TCustomLabel::CMDialogChar(TMessage& message) {
  message.Result = 0;
  if (!show_accel_char_ || !focus_control_ || !Enabled()) return;
  if (!IsAccelerator(static_cast<char32_t>(message.WParam), Caption())) return;
  if (!focus_control_->CanFocus()) return;
  focus_control_->SetFocus();
  message.Result = 1;
}

const TClassInfo& TCustomLabel::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TCustomLabel>("TCustomLabel", &TGraphicControl::StaticClassInfo())
          .Declare("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment,
                   EnumDefault(TAlignment::taLeftJustify))
          .Declare("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize, Default(true))
          .Declare("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl)
          .Declare("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar,
                   Default(true))
          .Declare("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent,
                   Default(false))
          .Declare("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, Default(false))
          .Build();
  return info;
}

const TClassInfo& TLabel::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TLabel>("TLabel", &TCustomLabel::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Align",       "Alignment",   "AutoSize",       "Caption",   "Color",
                    "Cursor",      "Enabled",     "FocusControl",   "Font",      "Hint",
                    "ParentColor", "ParentFont",  "ParentShowHint", "PopupMenu", "ShowAccelChar",
                    "ShowHint",    "Transparent", "Visible",        "WordWrap",  "OnClick",
                    "OnDblClick"})
          .Publish(kPublishMouseEvents)
          .Build();
  return info;
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(ControlStyle() | csOpaque | csReplicatable);
  SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool auto_size) {
  if (auto_size == auto_size_) return;
  auto_size_ = auto_size;
  AdjustBounds();
}

void TCustomLabel::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  SetControlStyle(transparent ? ControlStyle() & ~csOpaque : ControlStyle() | csOpaque);
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool word_wrap) {
  if (word_wrap == word_wrap_) return;
  word_wrap_ = word_wrap;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool show) {
  if (show == show_accel_char_) return;
  show_accel_char_ = show;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

UINT TCustomLabel::TextFlags() const {
  UINT flags = DT_EXPANDTABS;
  if (word_wrap_) flags |= DT_WORDBREAK;
  if (!show_accel_char_) flags |= DT_NOPREFIX;
  switch (alignment_) {
    case TAlignment::taLeftJustify:
      flags |= DT_LEFT;
      break;
    case TAlignment::taRightJustify:
      flags |= DT_RIGHT;
      break;
    case TAlignment::taCenter:
      flags |= DT_CENTER;
      break;
  }
  return flags;
}

AnsiString TCustomLabel::DisplayText() const {
  const AnsiString text = Caption();
  return text.empty() ? AnsiString(" ") : text;
}

void TCustomLabel::TextChanged() {
  Invalidate();
  AdjustBounds();
}

void TCustomLabel::FontChanged() {
  TGraphicControl::FontChanged();
  AdjustBounds();
}

void TCustomLabel::AdjustBounds() {
  if (!auto_size_ || IsLoading()) return;
  const AnsiString text = DisplayText();
  RECT extent{0, 0, word_wrap_ ? Width() : 0, 0};
  {
    TMemoryDC measuring;
    TSelectObject font(measuring.Get(), Font()->Handle());
    const std::wstring wide = WideText(text);
    DrawTextW(measuring.Get(), wide.data(), static_cast<int>(wide.size()), &extent,
              TextFlags() | DT_CALCRECT);
  }
  const int width = word_wrap_ ? Width() : extent.right - extent.left;
  const int height = extent.bottom - extent.top;
  // A label that is aligned right or centred keeps its right edge or its centre in place.
  int left = Left();
  if (!word_wrap_ && alignment_ == TAlignment::taRightJustify) left += Width() - width;
  if (!word_wrap_ && alignment_ == TAlignment::taCenter) left += (Width() - width) / 2;
  SetBounds(left, Top(), width, height);
}

void TCustomLabel::Paint() {
  TCanvas* canvas = Canvas();
  RECT area = ClientRect();
  if (!transparent_) {
    canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(area);
  }
  const AnsiString text = Caption();
  if (text.empty()) return;
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  const UINT flags = TextFlags();
  if (Enabled()) {
    canvas->DrawText(text, area, flags);
    return;
  }
  // Disabled text looks engraved: a light copy one pixel down and right, the shadow on top.
  RECT light = area;
  OffsetRect(&light, 1, 1);
  canvas->Font()->SetColor(clBtnHighlight);
  canvas->DrawText(text, light, flags);
  canvas->Font()->SetColor(clBtnShadow);
  canvas->DrawText(text, area, flags);
}

// ---------------------------------------------------------------------------------------------
// TButtonControl and TButton

const TClassInfo& TButtonControl::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TButtonControl>("TButtonControl", &TWinControl::StaticClassInfo())
          .Declare("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, Default(true))
          .Declare("LabelledBy", &TButtonControl::LabelledBy, &TButtonControl::SetLabelledBy)
          .Build();
  return info;
}

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
  // The system's button captures the mouse and reports the click itself (BN_CLICKED).
  SetControlStyle(csSetCaption | csDoubleClicks);
  SetTabStop(true);
}

void TButtonControl::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == TOperation::opRemove && component == labelled_by_) labelled_by_ = nullptr;
}

void TButtonControl::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SystemClass = "BUTTON";
}

void TButtonControl::CNCommand(TMessage& message) {
  if (HIWORD(message.WParam) == BN_CLICKED) {
    Clicked();
    message.Result = 0;
    return;
  }
  TWinControl::CNCommand(message);
}

const TClassInfo& TButton::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TButton>("TButton", &TButtonControl::StaticClassInfo())
          .Publish(kPublishBounds)
          .Property("Cancel", &TButton::Cancel, &TButton::SetCancel, ::Default(false))
          .Publish({"Caption", "Cursor"})
          .Property("Default", &TButton::Default, &TButton::SetDefault, ::Default(false))
          .Publish({"Enabled", "Font", "Hint", "ParentFont"})
          .Publish(kPublishHints)
          .Publish(kPublishTabStop)
          .Publish({"Visible", "OnClick"})
          .Publish(kPublishInputEvents)
          .Build();
  return info;
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  if (HandleAllocated()) {
    SendMessageW(WindowHandle(), BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

void TButton::CMDialogChar(TMessage& message) {
  message.Result = 0;
  if (!IsAccelerator(static_cast<char32_t>(message.WParam), Caption()) || !CanFocus()) {
    return;
  }
  SetFocus();
  Click();
  message.Result = 1;
}

void TButton::CreateParams(TCreateParams& params) {
  TButtonControl::CreateParams(params);
  params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

// ---------------------------------------------------------------------------------------------
// TCustomCheckBox

const TClassInfo& TCustomCheckBox::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TCustomCheckBox>("TCustomCheckBox", &TButtonControl::StaticClassInfo())
          .Declare("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment,
                   EnumDefault(TLeftRight::taRightJustify))
          .Declare("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed,
                   Default(false))
          .Declare("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked,
                   Default(false))
          .Declare("State", &TCustomCheckBox::State, &TCustomCheckBox::SetState,
                   EnumDefault(TCheckBoxState::cbUnchecked))
          .Build();
  return info;
}

const TClassInfo& TCheckBox::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TCheckBox>("TCheckBox", &TCustomCheckBox::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Alignment", "AllowGrayed", "Caption", "Checked", "Color", "Ctl3D", "Cursor",
                    "Enabled", "Font", "Hint", "LabelledBy", "ParentColor", "ParentCtl3D",
                    "ParentFont"})
          .Publish(kPublishHints)
          .Publish({"State"})
          .Publish(kPublishTabStop)
          .Publish({"Visible", "OnClick"})
          .Publish(kPublishInputEvents)
          .Build();
  return info;
}

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 97, 17);
}

void TCustomCheckBox::SetAlignment(TLeftRight alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  RecreateWnd();
}

void TCustomCheckBox::SetAllowGrayed(bool value) {
  if (value == allow_grayed_) return;
  allow_grayed_ = value;
  if (!value && state_ == TCheckBoxState::cbGrayed) SetState(TCheckBoxState::cbUnchecked);
  RecreateWnd();
}

void TCustomCheckBox::SetState(TCheckBoxState state) {
  if (state == state_) return;
  state_ = state;
  if (HandleAllocated()) SendMessageW(WindowHandle(), BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void TCustomCheckBox::SetChecked(bool checked) {
  SetState(checked ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
}

void TCustomCheckBox::CreateParams(TCreateParams& params) {
  TButtonControl::CreateParams(params);
  // Not the automatic styles: we toggle, so that the state is ours and a click knows it.
  params.Style |= allow_grayed_ ? BS_3STATE : BS_CHECKBOX;
  if (alignment_ == TLeftRight::taLeftJustify) params.Style |= BS_LEFTTEXT;
}

void TCustomCheckBox::HandleCreated() {
  TButtonControl::HandleCreated();
  // A new window comes unchecked.
  if (state_ != TCheckBoxState::cbUnchecked) {
    SendMessageW(WindowHandle(), BM_SETCHECK, static_cast<WPARAM>(state_), 0);
  }
}

void TCustomCheckBox::Toggle() {
  switch (state_) {
    case TCheckBoxState::cbUnchecked:
      SetState(TCheckBoxState::cbChecked);
      break;
    case TCheckBoxState::cbChecked:
      SetState(allow_grayed_ ? TCheckBoxState::cbGrayed : TCheckBoxState::cbUnchecked);
      break;
    case TCheckBoxState::cbGrayed:
      SetState(TCheckBoxState::cbUnchecked);
      break;
  }
}

void TCustomCheckBox::Clicked() {
  Toggle();
  Click();
}

// ---------------------------------------------------------------------------------------------
// TRadioButton

const TClassInfo& TRadioButton::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TRadioButton>("TRadioButton", &TButtonControl::StaticClassInfo())
          .Declare("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, Default(false))
          .Publish(kPublishBounds)
          .Property("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment,
                    EnumDefault(TLeftRight::taRightJustify))
          .Publish({"Caption"})
          .Property("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked, Default(false))
          .Publish({"Color", "Ctl3D", "Cursor", "Enabled", "Font", "Hint", "LabelledBy",
                    "ParentColor", "ParentCtl3D", "ParentFont"})
          .Publish(kPublishHints)
          .Publish(kPublishTabStop)
          .Publish({"Visible", "OnClick", "OnDblClick"})
          .Publish(kPublishInputEvents)
          .Build();
  return info;
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 113, 17);
  SetTabStop(false);
}

void TRadioButton::SetAlignment(TLeftRight alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  RecreateWnd();
}

void TRadioButton::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  if (HandleAllocated()) SendMessageW(WindowHandle(), BM_SETCHECK, checked ? BST_CHECKED : 0, 0);
  // As in a dialog, Tab reaches a group at its chosen button.
  SetTabStop(checked);
  if (!checked || !Parent()) return;
  for (TControl* sibling : Parent()->Controls()) {
    if (auto* radio = dynamic_cast<TRadioButton*>(sibling); radio && radio != this) {
      radio->SetChecked(false);
    }
  }
}

void TRadioButton::CreateParams(TCreateParams& params) {
  TButtonControl::CreateParams(params);
  params.Style |= BS_RADIOBUTTON;
  if (alignment_ == TLeftRight::taLeftJustify) params.Style |= BS_LEFTTEXT;
}

void TRadioButton::HandleCreated() {
  TButtonControl::HandleCreated();
  // A new window comes unchecked.
  if (checked_) SendMessageW(WindowHandle(), BM_SETCHECK, BST_CHECKED, 0);
}

void TRadioButton::Clicked() {
  SetChecked(true);
  Click();
}

void TRadioButton::KeyDown(uint16_t& key, TShiftState shift) {
  TButtonControl::KeyDown(key, shift);
  const bool back = key == VK_UP || key == VK_LEFT;
  const bool forward = key == VK_DOWN || key == VK_RIGHT;
  if ((!back && !forward) || !Parent()) return;
  // The group in tab order; the arrows wrap around at its ends.
  std::vector<TRadioButton*> group;
  for (TControl* sibling : Parent()->Controls()) {
    if (auto* radio = dynamic_cast<TRadioButton*>(sibling)) group.push_back(radio);
  }
  std::stable_sort(group.begin(), group.end(),
                   [](TRadioButton* a, TRadioButton* b) { return a->TabOrder() < b->TabOrder(); });
  const int count = static_cast<int>(group.size());
  const int at = static_cast<int>(std::find(group.begin(), group.end(), this) - group.begin());
  for (int step = 1; step < count; ++step) {
    TRadioButton* next = group[static_cast<size_t>((at + (forward ? step : count - step)) % count)];
    if (!next->CanFocus()) continue;
    key = 0;
    next->SetFocus();
    next->Clicked();
    return;
  }
}

// ---------------------------------------------------------------------------------------------
// TCustomEdit

const TClassInfo& TCustomEdit::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TCustomEdit>("TCustomEdit", &TWinControl::StaticClassInfo())
          .Declare("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect,
                   Default(true))
          .Declare("AutoSize", &TCustomEdit::AutoSize, &TCustomEdit::SetAutoSize, Default(true))
          .Declare("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle,
                   EnumDefault(TBorderStyle::bsSingle))
          .Declare("Color", &TControl::Color, &TControl::SetColor, ColorDefault(clWindow))
          .StoredIf([](const TCustomEdit& edit) { return !edit.ParentColor(); },
                    "while ParentColor is False")
          .Declare("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, Default(0))
          .Declare("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, Default(false))
          .Declare("PasswordChar", &TCustomEdit::PasswordCharText,
                   &TCustomEdit::SetPasswordCharText, Default(AnsiString()))
          .Declare("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, Default(false))
          .Declare("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, Default(true))
          .Declare("OnChange", &TCustomEdit::OnChange, &TCustomEdit::OnChange)
          .Build();
  return info;
}

const TClassInfo& TEdit::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TEdit>("TEdit", &TCustomEdit::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"AutoSelect", "AutoSize", "BorderStyle", "Color", "Ctl3D", "Cursor", "Enabled",
                    "Font", "Hint", "MaxLength", "ParentColor", "ParentCtl3D", "ParentFont",
                    "ParentShowHint", "PasswordChar", "PopupMenu", "ReadOnly", "ShowHint"})
          .Publish(kPublishTabStop)
          .Publish({"Text", "Visible", "OnChange", "OnClick", "OnDblClick"})
          .Publish(kPublishInputEvents)
          .Build();
  return info;
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  // The system's edit captures the mouse itself; a press and release over it is a click.
  SetControlStyle(csClickEvents | csSetCaption | csDoubleClicks);
  SetBounds(0, 0, 121, 21);
  SetColor(clWindow);
  SetTabStop(true);
}

void TCustomEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SystemClass = "EDIT";
  params.Style |= ES_LEFT | ES_AUTOHSCROLL;
  if (read_only_) params.Style |= ES_READONLY;
  if (password_char_) params.Style |= ES_PASSWORD;
  if (border_style_ == TBorderStyle::bsSingle) {
    if (Ctl3D()) {
      params.ExStyle |= WS_EX_CLIENTEDGE;
    } else {
      params.Style |= WS_BORDER;
    }
  }
}

void TCustomEdit::HandleCreated() {
  TWinControl::HandleCreated();
  SendMessageW(WindowHandle(), EM_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
  if (password_char_) {
    SendMessageW(WindowHandle(), EM_SETPASSWORDCHAR,
                 static_cast<WPARAM>(static_cast<unsigned char>(password_char_)), 0);
  }
  SendMessageW(WindowHandle(), EM_SETMODIFY, modified_, 0);
}

void TCustomEdit::DestroyWnd() {
  if (HandleAllocated()) modified_ = SendMessageW(WindowHandle(), EM_GETMODIFY, 0, 0) != 0;
  TWinControl::DestroyWnd();
}

void TCustomEdit::SetAutoSize(bool value) {
  if (value == auto_size_) return;
  auto_size_ = value;
  if (value && !IsLoading()) SetHeight(AutoHeight());
}

void TCustomEdit::SetBorderStyle(TBorderStyle style) {
  if (style == border_style_) return;
  border_style_ = style;
  RecreateWnd();
}

void TCustomEdit::SetMaxLength(int length) {
  if (length < 0) throw ERangeError(Format("MaxLength cannot be negative (%d)", length));
  max_length_ = length;
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_LIMITTEXT, static_cast<WPARAM>(length), 0);
}

void TCustomEdit::SetReadOnly(bool value) {
  read_only_ = value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_SETREADONLY, value, 0);
}

void TCustomEdit::SetPasswordChar(char value) {
  if (value == password_char_) return;
  password_char_ = value;
  if (HandleAllocated()) {
    SendMessageW(WindowHandle(), EM_SETPASSWORDCHAR,
                 static_cast<WPARAM>(static_cast<unsigned char>(value)), 0);
    Invalidate();
  }
}

AnsiString TCustomEdit::PasswordCharText() const {
  return password_char_ ? AnsiString(1, password_char_) : AnsiString();
}

void TCustomEdit::SetPasswordCharText(const AnsiString& text) {
  if (text.size() > 1) {
    throw EConvertError(Format("PasswordChar takes one character, not '%s'", text.c_str()));
  }
  SetPasswordChar(text.empty() ? '\0' : text[0]);
}

bool TCustomEdit::Modified() const {
  if (!HandleAllocated()) return modified_;
  return SendMessageW(WindowHandle(), EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool value) {
  modified_ = value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_SETMODIFY, value, 0);
}

int TCustomEdit::SelStart() const {
  if (!HandleAllocated()) return 0;
  DWORD start = 0, end = 0;
  SendMessageW(WindowHandle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

int TCustomEdit::SelLength() const {
  if (!HandleAllocated()) return 0;
  DWORD start = 0, end = 0;
  SendMessageW(WindowHandle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomEdit::SetSelStart(int start) {
  SendMessageW(Handle(), EM_SETSEL, start, start);
}

void TCustomEdit::SetSelLength(int length) {
  const int start = SelStart();
  SendMessageW(Handle(), EM_SETSEL, start, start + length);
}

AnsiString TCustomEdit::SelText() const {
  // The selection is counted in the system's characters, units of UTF-16.
  const std::wstring text = WideText(Text());
  const size_t start = std::min(static_cast<size_t>(SelStart()), text.size());
  return TextOf(text.substr(start, static_cast<size_t>(SelLength())));
}

void TCustomEdit::SetSelText(const AnsiString& text) {
  SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(WideText(text).c_str()));
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_SETSEL, 0, -1);
}

void TCustomEdit::ClearSelection() {
  SendMessageW(Handle(), WM_CLEAR, 0, 0);
}

void TCustomEdit::CutToClipboard() {
  SendMessageW(Handle(), WM_CUT, 0, 0);
}

void TCustomEdit::CopyToClipboard() {
  SendMessageW(Handle(), WM_COPY, 0, 0);
}

void TCustomEdit::PasteFromClipboard() {
  SendMessageW(Handle(), WM_PASTE, 0, 0);
}

RECT TCustomEdit::GetFormatRect() {
  RECT rect{0, 0, 0, 0};
  SendMessageW(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

void TCustomEdit::SetFormatRectNP(const RECT& rect) {
  SendMessageW(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&rect));
}

void TCustomEdit::TextChanged() {
  TWinControl::TextChanged();
  if (IsLoading()) return;
  // A window reports its new text with EN_CHANGE, except a multi-line edit, which does not
  // report WM_SETTEXT; without a window nobody reports it.
  if (!HandleAllocated() || (GetWindowLongW(WindowHandle(), GWL_STYLE) & ES_MULTILINE)) Change();
}

void TCustomEdit::FontChanged() {
  TWinControl::FontChanged();
  if (auto_size_ && !IsLoading()) SetHeight(AutoHeight());
}

int TCustomEdit::AutoHeight() const {
  // The text, a margin of two pixels above and below, and the border: a 3-D edge of two
  // pixels or a flat line of one.
  const int border = border_style_ == TBorderStyle::bsNone ? 0 : Ctl3D() ? 2 : 1;
  return FontCellHeight(Font()) + 2 * 2 +
         2 * border * SystemMetricForDpi(SM_CYBORDER, PixelsPerInch());
}

void TCustomEdit::CNCommand(TMessage& message) {
  if (HIWORD(message.WParam) == EN_CHANGE) {
    if (!IsLoading()) Change();
    message.Result = 0;
    return;
  }
  TWinControl::CNCommand(message);
}

void TCustomEdit::CMEnter(TMessage& message) {
  // A click that brings the focus places the caret where it falls instead.
  if (auto_select_ && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
  TWinControl::CMEnter(message);
}

void TCustomEdit::WMGetDlgCode(TMessage& message) {
  // Asked with the message that is to come, the system's edit switches to a dialog mode in
  // which a multi-line edit closes its parent on Escape. We are no dialog: ask without it.
  TMessage plain = message;
  plain.LParam = 0;
  DefaultHandler(plain);
  message.Result = plain.Result & ~static_cast<LRESULT>(DLGC_WANTTAB | DLGC_WANTALLKEYS);
}

// ---------------------------------------------------------------------------------------------
// TCustomComboBox

const TClassInfo& TCustomComboBox::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TCustomComboBox>("TCustomComboBox", &TWinControl::StaticClassInfo())
          .Declare("Color", &TControl::Color, &TControl::SetColor, ColorDefault(clWindow))
          .StoredIf([](const TCustomComboBox& combo) { return !combo.ParentColor(); },
                    "while ParentColor is False")
          .Declare("DropDownCount", &TCustomComboBox::DropDownCount,
                   &TCustomComboBox::SetDropDownCount, Default(8))
          .Declare("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight,
                   Default(16))
          // The system sizes the other styles' items by their font.
          .StoredIf([](const TCustomComboBox& combo) { return combo.IsOwnerDraw(); },
                    "while the style draws its items itself")
          .ObjectProperty("Items", &TCustomComboBox::Items, false)
          .Declare("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex,
                   Default(-1))
          .Declare("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength,
                   Default(0))
          .Declare("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, Default(false))
          .Declare("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted, Default(false))
          .Declare("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle,
                   EnumDefault(TComboBoxStyle::csDropDown))
          .Declare("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, Default(true))
          // A list style's text is its selected item's, stored as ItemIndex.
          .Declare("Text", &TCustomComboBox::Text, &TCustomComboBox::SetText)
          .StoredIf([](const TCustomComboBox& combo) { return !combo.IsListStyle(); },
                    "while the style lets the user type")
          .Declare("OnChange", &TCustomComboBox::OnChange, &TCustomComboBox::OnChange)
          .Declare("OnCloseUp", &TCustomComboBox::OnCloseUp, &TCustomComboBox::OnCloseUp)
          .Declare("OnDrawItem", &TCustomComboBox::OnDrawItem, &TCustomComboBox::OnDrawItem,
                   Handler(kDrawItemParameters))
          .Declare("OnDropDown", &TCustomComboBox::OnDropDown, &TCustomComboBox::OnDropDown)
          .Declare("OnMeasureItem", &TCustomComboBox::OnMeasureItem,
                   &TCustomComboBox::OnMeasureItem,
                   Handler("TWinControl* Control, int Index, int& Height"))
          .Build();
  return info;
}

const TClassInfo& TComboBox::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TComboBox>("TComboBox", &TCustomComboBox::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Style", "Color", "Ctl3D", "Cursor", "DropDownCount", "Enabled", "Font", "Hint",
                    "ItemHeight", "Items", "MaxLength", "ParentColor", "ParentCtl3D", "ParentFont"})
          .Publish(kPublishHints)
          .Publish({"Sorted"})
          .Publish(kPublishTabStop)
          .Publish({"Text", "Visible", "ItemIndex", "OnChange", "OnClick", "OnCloseUp",
                    "OnDblClick", "OnDrawItem", "OnDropDown"})
          .Publish(kPublishFocusEvents)
          .Publish(kPublishKeyEvents)
          .Publish({"OnMeasureItem"})
          .Build();
  return info;
}

// ---------------------------------------------------------------------------------------------
// TCustomComboBox::TComboChild

TCustomComboBox::TComboChild::~TComboChild() {
  Unbind();
}

void TCustomComboBox::TComboChild::Bind(HWND window) {
  Unbind();
  window_ = window;
  BindWindow(window, *this);
}

void TCustomComboBox::TComboChild::Unbind() {
  if (window_) UnbindWindow(window_);
  window_ = nullptr;
}

void TCustomComboBox::TComboChild::TargetMessage(HWND window, TMessage& message, WNDPROC previous) {
  combo_.ComboWndProc(message, window, previous);
}

void TCustomComboBox::TComboChild::TargetWindowGone(HWND window) {
  if (window == window_) window_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TCustomComboBox

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner), items_(std::make_unique<TStrings>()) {
  // The system's combo box captures the mouse itself; a click on it is no click event, the
  // user's choice is (CBN_SELCHANGE).
  SetControlStyle(csDoubleClicks);
  items_->OnChange = TNotifyEvent(this, &TCustomComboBox::ItemsChanged);
  SetBounds(0, 0, 145, 21);
  SetColor(clWindow);
  SetTabStop(true);
}

void TCustomComboBox::SetStyle(TComboBoxStyle style) {
  if (style == style_) return;
  style_ = style;
  RecreateWnd();
}

int TCustomComboBox::ItemIndex() const {
  if (HandleAllocated()) return static_cast<int>(SendMessageW(WindowHandle(), CB_GETCURSEL, 0, 0));
  return item_index_ < items_->Count() ? item_index_ : -1;
}

void TCustomComboBox::SetItemIndex(int index) {
  // The items may still be coming while a form description is read.
  const bool valid = index >= -1 && (IsLoading() || index < items_->Count());
  if (!valid) index = -1;
  if (HandleAllocated()) {
    SendMessageW(WindowHandle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  } else {
    item_index_ = index;
  }
}

void TCustomComboBox::SetDropDownCount(int count) {
  drop_down_count_ = std::max(count, 1);
  SetDroppedHeight();
}

int TCustomComboBox::ItemHeight() const {
  if (HandleAllocated() && !IsOwnerDraw()) {
    return static_cast<int>(SendMessageW(WindowHandle(), CB_GETITEMHEIGHT, 0, 0));
  }
  return item_height_;
}

void TCustomComboBox::SetItemHeight(int height) {
  if (height <= 0) throw ERangeError(Format("ItemHeight must be positive (%d)", height));
  item_height_ = height;
  if (HandleAllocated() && IsOwnerDraw()) {
    SendMessageW(WindowHandle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
    if (style_ == TComboBoxStyle::csOwnerDrawFixed) {
      SendMessageW(WindowHandle(), CB_SETITEMHEIGHT, 0, height);
    }
    Invalidate();
  }
}

void TCustomComboBox::ScaleOwn(int multiplier, int divider) {
  // First, so that the new bounds give the system the open height of the new items.
  if (multiplier != divider && divider != 0) {
    SetItemHeight(std::max(MulDiv(item_height_, multiplier, divider), 1));
  }
  TWinControl::ScaleOwn(multiplier, divider);
}

void TCustomComboBox::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  if (sorted) ItemsChanged(nullptr);
}

void TCustomComboBox::SetMaxLength(int length) {
  if (length < 0) throw ERangeError(Format("MaxLength cannot be negative (%d)", length));
  max_length_ = length;
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_LIMITTEXT, static_cast<WPARAM>(length), 0);
}

bool TCustomComboBox::DroppedDown() const {
  return HandleAllocated() && SendMessageW(WindowHandle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool dropped) {
  SendMessageW(Handle(), CB_SHOWDROPDOWN, dropped, 0);
}

AnsiString TCustomComboBox::Text() const {
  if (IsListStyle() && !IsLoading()) {
    const int index = ItemIndex();
    return index >= 0 && index < items_->Count() ? (*items_)[index] : AnsiString();
  }
  return TWinControl::Text();
}

void TCustomComboBox::SetText(const AnsiString& text) {
  if (IsListStyle() && !IsLoading()) {
    SetItemIndex(items_->IndexOf(text));
    return;
  }
  TWinControl::SetText(text);
}

void TCustomComboBox::SetBounds(int left, int top, int width, int height) {
  // A closed box is as high as the system makes it for its font, and its window says how high.
  // Asked for another height, the window would show at it for a moment before the system takes
  // it back without a redraw, leaving what was painted meanwhile on the parent below the box.
  if (HandleAllocated() && style_ != TComboBoxStyle::csSimple) {
    RECT window;
    GetWindowRect(WindowHandle(), &window);
    height = window.bottom - window.top;
  }
  TWinControl::SetBounds(left, top, width, height);
  SetDroppedHeight();
}

int TCustomComboBox::DroppedHeight() const {
  return Height() + ItemHeight() * drop_down_count_ + 2;
}

void TCustomComboBox::SetDroppedHeight() {
  if (!HandleAllocated() || style_ == TComboBoxStyle::csSimple) return;
  // The window's height that we give is that of the open box with its list. The window is that
  // tall only inside this call: nothing may be painted at that height (see SetBounds).
  SetWindowPos(WindowHandle(), nullptr, 0, 0, Width(), DroppedHeight(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void TCustomComboBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SystemClass = "COMBOBOX";
  params.Style |= WS_VSCROLL;
  switch (style_) {
    case TComboBoxStyle::csDropDown:
      params.Style |= CBS_DROPDOWN | CBS_AUTOHSCROLL;
      break;
    case TComboBoxStyle::csSimple:
      params.Style |= CBS_SIMPLE | CBS_AUTOHSCROLL;
      break;
    case TComboBoxStyle::csDropDownList:
      params.Style |= CBS_DROPDOWNLIST;
      break;
    case TComboBoxStyle::csOwnerDrawFixed:
      params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
      break;
    case TComboBoxStyle::csOwnerDrawVariable:
      params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS;
      break;
  }
  if (style_ != TComboBoxStyle::csSimple) params.Height = DroppedHeight();
  pending_text_ = params.Caption;
  params.Caption.clear();
}

void TCustomComboBox::CreateWnd() {
  TWinControl::CreateWnd();
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (GetComboBoxInfo(WindowHandle(), &info)) {
    // A drop-down list has no edit; some systems then name the combo box itself.
    if (info.hwndItem && info.hwndItem != WindowHandle()) edit_child_.Bind(info.hwndItem);
    if (info.hwndList) list_child_.Bind(info.hwndList);
  }
}

void TCustomComboBox::HandleCreated() {
  TWinControl::HandleCreated();
  if (IsOwnerDraw()) {
    // The measuring during creation came before the window was ours.
    SendMessageW(WindowHandle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item_height_);
    if (style_ == TComboBoxStyle::csOwnerDrawFixed) {
      SendMessageW(WindowHandle(), CB_SETITEMHEIGHT, 0, item_height_);
    }
  }
  if (max_length_) SendMessageW(WindowHandle(), CB_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
  window_items_.clear();
  PushItems();
  int index = item_index_ < items_->Count() ? item_index_ : -1;
  if (index < 0 && IsListStyle() && !pending_text_.empty()) index = items_->IndexOf(pending_text_);
  if (index >= 0) {
    SendMessageW(WindowHandle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  } else if (!IsListStyle()) {
    SetWindowTextW(WindowHandle(), WideText(pending_text_).c_str());
  }
  pending_text_.clear();
  // The closed height is the system's now; the open height follows from it.
  if (style_ == TComboBoxStyle::csSimple) {
    SetWindowPos(WindowHandle(), nullptr, 0, 0, Width(), Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    SetDroppedHeight();
  }
}

void TCustomComboBox::DestroyWnd() {
  if (HandleAllocated())
    item_index_ = static_cast<int>(SendMessageW(WindowHandle(), CB_GETCURSEL, 0, 0));
  edit_child_.Unbind();
  list_child_.Unbind();
  window_items_.clear();
  TWinControl::DestroyWnd();
}

void TCustomComboBox::ItemsChanged(TObject*) {
  if (sorting_) return;
  if (sorted_) {
    std::vector<AnsiString> items = items_->Items();
    std::stable_sort(items.begin(), items.end(), [](const AnsiString& a, const AnsiString& b) {
      return locale::CompareTextIgnoringCase(a, b) < 0;
    });
    if (items != items_->Items()) {
      sorting_ = true;
      TScopeExit done([this] { sorting_ = false; });
      items_->SetItems(std::move(items));
    }
  }
  if (HandleAllocated()) PushItems();
}

void TCustomComboBox::PushItems() {
  const std::vector<AnsiString>& items = items_->Items();
  const bool appended = window_items_.size() <= items.size() &&
                        std::equal(window_items_.begin(), window_items_.end(), items.begin());
  if (appended) {
    for (size_t i = window_items_.size(); i < items.size(); ++i) {
      SendMessageW(WindowHandle(), CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(WideText(items[i]).c_str()));
    }
  } else {
    // The selection stays with its item where the item is still there.
    const int old_index = static_cast<int>(SendMessageW(WindowHandle(), CB_GETCURSEL, 0, 0));
    const AnsiString old_item = old_index >= 0 && old_index < static_cast<int>(window_items_.size())
                                    ? window_items_[static_cast<size_t>(old_index)]
                                    : AnsiString();
    const AnsiString old_text = TWinControl::Text();
    SendMessageW(WindowHandle(), CB_RESETCONTENT, 0, 0);
    for (const AnsiString& item : items) {
      SendMessageW(WindowHandle(), CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(WideText(item).c_str()));
    }
    const int new_index = old_index >= 0 ? items_->IndexOf(old_item) : -1;
    if (new_index >= 0) {
      SendMessageW(WindowHandle(), CB_SETCURSEL, static_cast<WPARAM>(new_index), 0);
    } else if (!IsListStyle()) {
      SetWindowTextW(WindowHandle(), WideText(old_text).c_str());
    }
  }
  window_items_ = items;
}

void TCustomComboBox::CNCommand(TMessage& message) {
  message.Result = 0;
  switch (HIWORD(message.WParam)) {
    case CBN_SELCHANGE:
      // The edit field takes the chosen item only after this notification: show it now, so
      // that OnChange reads the new text.
      if (!IsListStyle()) {
        const int index = ItemIndex();
        if (index >= 0 && index < items_->Count()) {
          SetWindowTextW(WindowHandle(), WideText((*items_)[index]).c_str());
        }
      }
      Change();
      Click();
      break;
    case CBN_EDITCHANGE:
      Change();
      break;
    case CBN_DROPDOWN:
      DropDown();
      break;
    case CBN_CLOSEUP:
      CloseUp();
      break;
    default:
      TWinControl::CNCommand(message);
      break;
  }
}

void TCustomComboBox::CNDrawItem(TMessage& message) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
  const TOwnerDrawState state = item->itemState;
  canvas_.SetHandle(item->hDC);
  {
    TScopeExit release([this] { canvas_.SetHandle(nullptr); });
    canvas_.Font()->Assign(Font());
    canvas_.Brush()->SetStyle(TBrushStyle::bsSolid);
    if (state & odSelected) {
      canvas_.Brush()->SetColor(clHighlight);
      canvas_.Font()->SetColor(clHighlightText);
    } else {
      canvas_.Brush()->SetColor(Color());
      if (state & odDisabled) canvas_.Font()->SetColor(clGrayText);
    }
    DrawItem(static_cast<int>(item->itemID), item->rcItem, state);
    if (state & odFocused) canvas_.DrawFocusRect(item->rcItem);
  }
  message.Result = TRUE;
}

void TCustomComboBox::DrawItem(int index, const RECT& rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  canvas_.FillRect(rect);
  if (index < 0 || index >= items_->Count()) return;
  RECT text = rect;
  text.left += 2;
  canvas_.Brush()->SetStyle(TBrushStyle::bsClear);
  canvas_.DrawText((*items_)[index], text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TCustomComboBox::CNMeasureItem(TMessage& message) {
  auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
  int height = item_height_;
  if (style_ == TComboBoxStyle::csOwnerDrawVariable && item->itemID != static_cast<UINT>(-1)) {
    MeasureItem(static_cast<int>(item->itemID), height);
  }
  item->itemHeight = static_cast<UINT>(std::max(height, 1));
  message.Result = TRUE;
}

void TCustomComboBox::MeasureItem(int index, int& height) {
  OnMeasureItem(this, index, height);
}

void TCustomComboBox::WMCtlColor(TMessage& message) {
  // Our edit and list ask their parent, the combo box, for their colours.
  if (IsOwnChild(reinterpret_cast<HWND>(message.LParam))) {
    message.Result = reinterpret_cast<LRESULT>(ControlBrush(reinterpret_cast<HDC>(message.WParam)));
    return;
  }
  TWinControl::WMCtlColor(message);
}

void TCustomComboBox::WMSetFocus(TMessage& message) {
  // The focus coming back from our own edit is no entry.
  if (IsOwnChild(reinterpret_cast<HWND>(message.WParam))) {
    DefaultHandler(message);
    return;
  }
  TWinControl::WMSetFocus(message);
}

void TCustomComboBox::WMKillFocus(TMessage& message) {
  // The system hands our focus to the edit inside: still ours.
  if (IsOwnChild(reinterpret_cast<HWND>(message.WParam))) {
    DefaultHandler(message);
    return;
  }
  TWinControl::WMKillFocus(message);
}

void TCustomComboBox::ComboWndProc(TMessage& message, HWND child, WNDPROC child_proc) {
  if (child == edit_child_.Window()) {
    const HWND other = reinterpret_cast<HWND>(message.WParam);
    switch (message.Msg) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN: {
        uint16_t key = static_cast<uint16_t>(message.WParam);
        KeyDown(key, KeyboardShiftState());
        if (key == 0) return;
        message.WParam = key;
        break;
      }
      case WM_KEYUP:
      case WM_SYSKEYUP: {
        uint16_t key = static_cast<uint16_t>(message.WParam);
        KeyUp(key, KeyboardShiftState());
        if (key == 0) return;
        message.WParam = key;
        break;
      }
      case WM_CHAR: {
        auto key = static_cast<wchar_t>(message.WParam);
        KeyPress(key);
        if (key == 0) return;
        message.WParam = key;
        break;
      }
      case WM_SETFOCUS:
        message.Result = CallPrevious(child, message, child_proc);
        if (other != WindowHandle() && !IsOwnChild(other)) FocusArrived();
        return;
      default:
        break;
    }
  }
  message.Result = CallPrevious(child, message, child_proc);
}
