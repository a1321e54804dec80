// Standard controls: the label, the push button, the check box and the radio button, the edit
// field and the combo box.
//
// The label has no window: it paints its text on its parent. The others subclass the system's
// BUTTON, EDIT and COMBOBOX windows, which draw themselves and handle the user's input; their
// notifications come back to the control reflected (CN_COMMAND, CN_DRAWITEM, CN_MEASUREITEM)
// and become its events. A value set from code raises no change event, with one exception that
// callers rely on: an edit field's OnChange follows every change of its text, from the user or
// from code.
//
// What the window holds (text, check state, items, selection) is also kept in the control while
// it has no window, copied into a new window when one is made, and read back before a window
// goes, so it survives RecreateWnd.
//
// Ownership: a combo box owns its Items list. The edit and list windows inside a combo box are
// the system's (not owned); the combo box subclasses them while they exist.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/win/WinControls.h"

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
// The side of a check box or radio button that its caption is on.
enum class TLeftRight { taLeftJustify, taRightJustify };
enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum class TComboBoxStyle {
  csDropDown,           // an edit field with a drop-down list
  csSimple,             // an edit field over an always visible list
  csDropDownList,       // a drop-down list only; the user can pick but not type
  csOwnerDrawFixed,     // a drop-down list whose items we draw, all of ItemHeight
  csOwnerDrawVariable,  // a drop-down list whose items we draw and measure one by one
};
const TEnumInfo& EnumInfoOf(TAlignment);
const TEnumInfo& EnumInfoOf(TLeftRight);
const TEnumInfo& EnumInfoOf(TCheckBoxState);
const TEnumInfo& EnumInfoOf(TComboBoxStyle);

// The state of an owner-drawn item (the ODS_ flags, by name).
enum TOwnerDrawStateFlag : uint32_t {
  odSelected = ODS_SELECTED,
  odGrayed = ODS_GRAYED,
  odDisabled = ODS_DISABLED,
  odChecked = ODS_CHECKED,
  odFocused = ODS_FOCUS,
  odComboBoxEdit = ODS_COMBOBOXEDIT,
};
using TOwnerDrawState = uint32_t;
// (control, item index, item rectangle, state): draws the item on the control's Canvas.
using TDrawItemEvent = TEvent<TWinControl*, int, RECT, TOwnerDrawState>;
inline constexpr char kDrawItemParameters[] =
    "TWinControl* Control, int Index, RECT Rect, TOwnerDrawState State";
// (control, item index, height): sets the height of one item.
using TMeasureItemEvent = TEvent<TWinControl*, int, int&>;

// ---------------------------------------------------------------------------------------------
// Label

class TCustomLabel : public TGraphicControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TCustomLabel(TComponent* owner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  // The size follows the text whenever the caption or the font changes; with WordWrap only
  // the height does.
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool auto_size);
  // Transparent: only the text is drawn, over whatever lies below. Otherwise the label's area
  // is filled with Color first.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool word_wrap);
  // An '&' underlines the next character ("&&" shows one '&'); off, '&' shows as it is.
  bool ShowAccelChar() const { return show_accel_char_; }
  void SetShowAccelChar(bool show);
  // The field this label names: Alt and the caption's accelerator focus it, and assistive
  // tools read the caption as its name. Not owned.
  TWinControl* FocusControl() const { return focus_control_; }
  void SetFocusControl(TWinControl* control);

  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  TAccessibleRole AccessibleRole() const override { return TAccessibleRole::arStaticText; }
  AnsiString AccessibleName() const override;
  // An auto-sized label takes its text's size in the scaled font, not its old size scaled.
  void ChangeScale(int multiplier, int divider) override;
  TWinControl* LabelledControl() const override { return focus_control_; }

 protected:
  void Paint() override;
  void TextChanged() override;
  void FontChanged() override;
  // The DrawText flags that painting and measuring share.
  UINT TextFlags() const;
  // Sizes the label to its text while AutoSize is on (not while loading: Loaded does it).
  virtual void AdjustBounds();
  void CMDialogChar(TMessage& message) override;

 private:
  // What DrawText gets: an empty caption measures as one blank, so the label keeps a height.
  AnsiString DisplayText() const;

  TAlignment alignment_ = TAlignment::taLeftJustify;
  bool auto_size_ = true;
  bool transparent_ = false;
  bool word_wrap_ = false;
  bool show_accel_char_ = true;
  TWinControl* focus_control_ = nullptr;  // not owned
};

class TLabel : public TCustomLabel {
  DECLARE_CLASS_INFO()
 public:
  using TCustomLabel::TCustomLabel;
};

// ---------------------------------------------------------------------------------------------
// Buttons on the system's BUTTON class

class TButtonControl : public TWinControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TButtonControl(TComponent* owner);

  // Not owned.
  TControl* LabelledBy() const override { return labelled_by_; }
  void SetLabelledBy(TControl* label) { labelled_by_ = label; }
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  // BN_CLICKED: the user pressed the button with the mouse or the keyboard.
  void CNCommand(TMessage& message) override;
  virtual void Clicked() { Click(); }

 private:
  TControl* labelled_by_ = nullptr;  // not owned
};

class TButton : public TButtonControl {
  DECLARE_CLASS_INFO()
 public:
  TAccessibleRole AccessibleRole() const override { return TAccessibleRole::arPushButton; }
  explicit TButton(TComponent* owner);

  // Drawn as the dialog's default button (the heavier frame).
  bool Default() const { return default_; }
  void SetDefault(bool value);
  // Stored for forms that mark their cancel button; it changes nothing else.
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }

 protected:
  void CreateParams(TCreateParams& params) override;
  // Alt and the caption's accelerator: the button takes the focus and is pressed.
  void CMDialogChar(TMessage& message) override;

 private:
  bool default_ = false;
  bool cancel_ = false;
};

class TCustomCheckBox : public TButtonControl {
  DECLARE_CLASS_INFO()
 public:
  TAccessibleRole AccessibleRole() const override { return TAccessibleRole::arCheckButton; }
  explicit TCustomCheckBox(TComponent* owner);

  TLeftRight Alignment() const { return alignment_; }
  void SetAlignment(TLeftRight alignment);
  // With AllowGrayed a click cycles unchecked, checked, grayed.
  bool AllowGrayed() const { return allow_grayed_; }
  void SetAllowGrayed(bool value);
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState state);
  bool Checked() const { return state_ == TCheckBoxState::cbChecked; }
  void SetChecked(bool checked);

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  // The user's click: the next state, then OnClick. Setting the state from code fires nothing.
  void Clicked() override;
  virtual void Toggle();

 private:
  TLeftRight alignment_ = TLeftRight::taRightJustify;
  bool allow_grayed_ = false;
  TCheckBoxState state_ = TCheckBoxState::cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
  DECLARE_CLASS_INFO()
 public:
  using TCustomCheckBox::TCustomCheckBox;
};

// Radio buttons with the same parent form one group: checking one, by the user or from code,
// clears the others. Only the checked one of a group is a tab stop; the arrow keys move the
// choice within the group, as in a dialog.
class TRadioButton : public TButtonControl {
  DECLARE_CLASS_INFO()
 public:
  TAccessibleRole AccessibleRole() const override { return TAccessibleRole::arRadioButton; }
  explicit TRadioButton(TComponent* owner);

  TLeftRight Alignment() const { return alignment_; }
  void SetAlignment(TLeftRight alignment);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  // The user's click checks the button (and clears the group), then fires OnClick.
  void Clicked() override;
  void KeyDown(uint16_t& key, TShiftState shift) override;

 private:
  TLeftRight alignment_ = TLeftRight::taRightJustify;
  bool checked_ = false;
};

// ---------------------------------------------------------------------------------------------
// Edit field on the system's EDIT class

class TCustomEdit : public TWinControl {
  DECLARE_CLASS_INFO()
 public:
  TAccessibleRole AccessibleRole() const override { return TAccessibleRole::arText; }
  explicit TCustomEdit(TComponent* owner);

  // Select the whole text when the field gets the focus from the keyboard (not from a click).
  bool AutoSelect() const { return auto_select_; }
  void SetAutoSelect(bool value) { auto_select_ = value; }
  // The height follows the font when the font changes.
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool value);
  // bsSingle: a 3-D edge with Ctl3D, else a line; bsNone: no border.
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle style);
  // The most characters the user may type; 0 is the system's limit.
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int length);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value);
  // Shown instead of every character when not #0.
  char PasswordChar() const { return password_char_; }
  void SetPasswordChar(char value);
  // Set when the user changes the text; cleared by code.
  bool Modified() const;
  void SetModified(bool value);

  int SelStart() const;
  void SetSelStart(int start);
  int SelLength() const;
  void SetSelLength(int length);
  AnsiString SelText() const;
  void SetSelText(const AnsiString& text);  // replaces the selection
  void SelectAll();
  void ClearSelection();
  void Clear() { SetText(AnsiString()); }
  void CutToClipboard();
  void CopyToClipboard();
  void PasteFromClipboard();

  // The formatting rectangle of a multi-line edit (EM_GETRECT, EM_SETRECTNP).
  RECT GetFormatRect();
  void SetFormatRectNP(const RECT& rect);

  // Fires on every change of the text, by the user or by code (not while loading).
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void DestroyWnd() override;
  virtual void Change() { OnChange(this); }
  void TextChanged() override;
  void FontChanged() override;
  // EN_CHANGE.
  void CNCommand(TMessage& message) override;
  void CMEnter(TMessage& message) override;
  // The dialog keys stay with the dialog: no Tab, no "all keys".
  void WMGetDlgCode(TMessage& message) override;
  // The height that AutoSize gives for the current font.
  int AutoHeight() const;

 private:
  // PasswordChar as a form description stores it: one character, or empty for none.
  AnsiString PasswordCharText() const;
  void SetPasswordCharText(const AnsiString& text);

  bool auto_select_ = true;
  bool auto_size_ = true;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  int max_length_ = 0;
  bool read_only_ = false;
  char password_char_ = 0;
  bool modified_ = false;  // while there is no window
};

class TEdit : public TCustomEdit {
  DECLARE_CLASS_INFO()
 public:
  using TCustomEdit::TCustomEdit;
};

// ---------------------------------------------------------------------------------------------
// Combo box on the system's COMBOBOX class

class TCustomComboBox : public TWinControl {
  DECLARE_CLASS_INFO()
 public:
  TAccessibleRole AccessibleRole() const override { return TAccessibleRole::arComboBox; }
  explicit TCustomComboBox(TComponent* owner);

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle style);
  // The items; a change shows in the window at once. With Sorted they are kept in the
  // locale's order, ignoring case.
  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* items) { items_->Assign(items); }
  // The selected item, -1 for none. Setting it from code fires no OnChange; an index outside
  // the items selects nothing, as the system does.
  int ItemIndex() const;
  void SetItemIndex(int index);
  // How many items the drop-down list shows without scrolling.
  int DropDownCount() const { return drop_down_count_; }
  void SetDropDownCount(int count);
  // Height of an owner-drawn item (and of the selection field); for the other styles the
  // system's item height for the font.
  int ItemHeight() const;
  void SetItemHeight(int height);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int length);
  bool DroppedDown() const;
  void SetDroppedDown(bool dropped);
  // For the list styles the text is the selected item's; setting it selects the item of
  // that text, or none.
  AnsiString Text() const override;
  void SetText(const AnsiString& text) override;
  void SetBounds(int left, int top, int width, int height) override;

  // The system's child windows (null when the style has none or there is no window).
  HWND EditHandle() const { return edit_child_.Window(); }
  HWND ListHandle() const { return list_child_.Window(); }
  // Bound to the item's DC while an item is drawn.
  TCanvas* Canvas() { return &canvas_; }

  // The user's choice of an item (CBN_SELCHANGE) or edit of the text (CBN_EDITCHANGE).
  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void HandleCreated() override;
  void DestroyWnd() override;
  // Owner-drawn items grow with the screen's resolution, as the font does.
  void ScaleOwn(int multiplier, int divider) override;
  void CNCommand(TMessage& message) override;
  void CNDrawItem(TMessage& message) override;
  void CNMeasureItem(TMessage& message) override;
  void WMCtlColor(TMessage& message) override;
  void WMSetFocus(TMessage& message) override;
  void WMKillFocus(TMessage& message) override;

  virtual void Change() { OnChange(this); }
  virtual void DropDown() { OnDropDown(this); }
  virtual void CloseUp() { OnCloseUp(this); }
  // Draws one item on Canvas (the brush and font already in the item's colours): OnDrawItem
  // when set, else the item's text.
  virtual void DrawItem(int index, const RECT& rect, TOwnerDrawState state);
  virtual void MeasureItem(int index, int& height);
  // Every message of the edit and list children passes here; `child_proc` is the child's own
  // procedure. The base lets our key handlers and OnKeyDown/OnKeyPress see the keys typed
  // into the edit (a key set to 0 is dropped), reports the focus entering and leaving the
  // combo box through its edit, and passes everything on to the child.
  virtual void ComboWndProc(TMessage& message, HWND child, WNDPROC child_proc);
  bool IsListStyle() const { return style_ >= TComboBoxStyle::csDropDownList; }
  bool IsOwnerDraw() const { return style_ >= TComboBoxStyle::csOwnerDrawFixed; }

 private:
  // One of the system's children (edit, list) taken over: its messages reach ComboWndProc.
  // It gives the child its own procedure back when it goes.
  class TComboChild final : public TMessageTarget {
   public:
    explicit TComboChild(TCustomComboBox& combo) : combo_(combo) {}
    ~TComboChild();
    TComboChild(const TComboChild&) = delete;
    TComboChild& operator=(const TComboChild&) = delete;
    void Bind(HWND window);
    void Unbind();
    HWND Window() const { return window_; }

   private:
    void TargetMessage(HWND window, TMessage& message, WNDPROC previous) override;
    void TargetWindowGone(HWND window) override;
    TCustomComboBox& combo_;  // not owned: the combo box we belong to
    HWND window_ = nullptr;   // not owned: the system's child
  };

  void ItemsChanged(TObject*);
  void SortItems();
  // Makes the window's list equal to Items, keeping the selection where it can.
  void PushItems();
  int DroppedHeight() const;
  // Tells the system the open box's height (not for a simple box, which has no drop-down).
  void SetDroppedHeight();
  bool IsOwnChild(HWND window) const {
    return window && (window == edit_child_.Window() || window == list_child_.Window());
  }

  std::unique_ptr<TStrings> items_;
  TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
  int item_index_ = -1;  // while there is no window
  int drop_down_count_ = 8;
  int item_height_ = 16;
  bool sorted_ = false;
  int max_length_ = 0;
  bool sorting_ = false;
  std::vector<AnsiString> window_items_;  // what the window's list holds
  AnsiString pending_text_;               // the text for a new window's edit field
  TComboChild edit_child_{*this};
  TComboChild list_child_{*this};
  TCanvas canvas_;
};

class TComboBox : public TCustomComboBox {
  DECLARE_CLASS_INFO()
 public:
  using TCustomComboBox::TCustomComboBox;
};
