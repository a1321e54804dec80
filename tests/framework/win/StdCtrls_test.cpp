// The standard controls on a form read from a form description, driven with real mouse and key
// messages; events are counted by the form's handlers, bound by name.
#include <gtest/gtest.h>

#include "framework/core/Filer.h"
#include "framework/win/StdCtrls.h"
#include "tests/framework/win/WinTest.h"

namespace {

constexpr COLORREF kPatternA = RGB(0, 255, 0);
constexpr COLORREF kPatternB = RGB(255, 0, 255);

// A checkerboard of 2-pixel squares in two colours that no control uses: what shows through a
// transparent control is easy to tell from what the control paints.
class TPattern : public TGraphicControl {
  DECLARE_CLASS_INFO()
 public:
  using TGraphicControl::TGraphicControl;

 protected:
  void Paint() override {
    for (int y = 0; y < Height(); y += 2) {
      for (int x = 0; x < Width(); x += 2) {
        Canvas()->Brush()->SetColor(((x + y) / 2) % 2 ? static_cast<TColor>(kPatternB)
                                                      : static_cast<TColor>(kPatternA));
        Canvas()->FillRect({x, y, x + 2, y + 2});
      }
    }
  }
};

const TClassInfo& TPattern::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TPattern>("TPattern", &TGraphicControl::StaticClassInfo())
          .Publish({"Left", "Top", "Width", "Height"})
          .Build();
  return info;
}

// A container: radio buttons inside it form a group apart from the form's.
class TBox : public TCustomControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TBox(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() | csAcceptsControls);
  }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

const TClassInfo& TBox::StaticClassInfo() {
  static const TClassInfo& info = TClassBuilder<TBox>("TBox", &TCustomControl::StaticClassInfo())
                                      .Publish({"Left", "Top", "Width", "Height", "TabOrder"})
                                      .Build();
  return info;
}

// Replaces 'a' by 'A' and drops 'x' in its KeyPress, as a subclass filters its keys.
class TFilterEdit : public TEdit {
  DECLARE_CLASS_INFO()
 public:
  using TEdit::TEdit;

 protected:
  void KeyPress(wchar_t& key) override {
    if (key == 'a') key = 'A';
    if (key == 'x') key = 0;
    TEdit::KeyPress(key);
  }
};

const TClassInfo& TFilterEdit::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TFilterEdit>("TFilterEdit", &TEdit::StaticClassInfo())
          .PublishInherited()
          .Build();
  return info;
}

// A multi-line edit that blocks its paste, as a numeric field built on the edit does.
class TMultiLineEdit : public TCustomEdit {
 public:
  using TCustomEdit::TCustomEdit;
  int pastes = 0;

 protected:
  void CreateParams(TCreateParams& params) override {
    TCustomEdit::CreateParams(params);
    params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
  }
  void WMPaste(TMessage& message) override {
    ++pastes;
    message.Result = 0;
  }
};

class TStdForm : public TForm {
  DECLARE_CLASS_INFO()
 public:
  using TForm::TForm;

  TPattern* Pattern1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TButton* Button1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TRadioButton* RadioButton1 = nullptr;
  TRadioButton* RadioButton2 = nullptr;
  TBox* Box1 = nullptr;
  TRadioButton* RadioButton3 = nullptr;
  TRadioButton* RadioButton4 = nullptr;
  TEdit* Edit1 = nullptr;
  TFilterEdit* Edit2 = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TComboBox* ComboBox2 = nullptr;
  TComboBox* ComboBox3 = nullptr;

  void Button1Click(TObject*) { ++button_clicks; }
  void CheckBox1Click(TObject*) { ++check_clicks; }
  void RadioClick(TObject* sender) {
    ++radio_clicks;
    last_radio = sender;
  }
  void Edit1Change(TObject*) {
    ++edit_changes;
    edit_text_seen = Edit1->Text();
  }
  void ComboBox1Change(TObject*) {
    ++combo1_changes;
    combo1_text_seen = ComboBox1->Text();
  }
  void ComboBox1DropDown(TObject*) { ++combo1_drops; }
  void ComboBox1CloseUp(TObject*) { ++combo1_closes; }
  void ComboBox2Change(TObject*) {
    ++combo2_changes;
    combo2_text_seen = ComboBox2->Text();
  }
  void ComboBox2KeyPress(TObject*, wchar_t& key) {
    keys_seen += key;
    if (key == '!') key = 0;
  }
  void ComboBox3DrawItem(TWinControl* control, int index, RECT rect, TOwnerDrawState) {
    ++items_drawn;
    auto* combo = static_cast<TComboBox*>(control);
    combo->Canvas()->Brush()->SetColor(index == 0 ? clRed : clBlue);
    combo->Canvas()->FillRect(rect);
  }

  int button_clicks = 0, check_clicks = 0, radio_clicks = 0, edit_changes = 0;
  int combo1_changes = 0, combo1_drops = 0, combo1_closes = 0, combo2_changes = 0;
  int items_drawn = 0;
  TObject* last_radio = nullptr;
  AnsiString edit_text_seen, combo1_text_seen, combo2_text_seen, keys_seen;
};

const TClassInfo& TStdForm::StaticClassInfo() {
  static const TClassInfo& info = TClassBuilder<TStdForm>("TStdForm", &TForm::StaticClassInfo())
                                      .PublishInherited()
                                      .Field("Pattern1", &TStdForm::Pattern1)
                                      .Field("Label1", &TStdForm::Label1)
                                      .Field("Label2", &TStdForm::Label2)
                                      .Field("Label3", &TStdForm::Label3)
                                      .Field("Button1", &TStdForm::Button1)
                                      .Field("CheckBox1", &TStdForm::CheckBox1)
                                      .Field("RadioButton1", &TStdForm::RadioButton1)
                                      .Field("RadioButton2", &TStdForm::RadioButton2)
                                      .Field("Box1", &TStdForm::Box1)
                                      .Field("RadioButton3", &TStdForm::RadioButton3)
                                      .Field("RadioButton4", &TStdForm::RadioButton4)
                                      .Field("Edit1", &TStdForm::Edit1)
                                      .Field("Edit2", &TStdForm::Edit2)
                                      .Field("ComboBox1", &TStdForm::ComboBox1)
                                      .Field("ComboBox2", &TStdForm::ComboBox2)
                                      .Field("ComboBox3", &TStdForm::ComboBox3)
                                      .Method("Button1Click", &TStdForm::Button1Click)
                                      .Method("CheckBox1Click", &TStdForm::CheckBox1Click)
                                      .Method("RadioClick", &TStdForm::RadioClick)
                                      .Method("Edit1Change", &TStdForm::Edit1Change)
                                      .Method("ComboBox1Change", &TStdForm::ComboBox1Change)
                                      .Method("ComboBox1DropDown", &TStdForm::ComboBox1DropDown)
                                      .Method("ComboBox1CloseUp", &TStdForm::ComboBox1CloseUp)
                                      .Method("ComboBox2Change", &TStdForm::ComboBox2Change)
                                      .Method("ComboBox2KeyPress", &TStdForm::ComboBox2KeyPress)
                                      .Method("ComboBox3DrawItem", &TStdForm::ComboBox3DrawItem)
                                      .Build();
  return info;
}

const char* const kStdForm = R"(object StdForm: TStdForm
  Left = 60
  Top = 60
  BorderStyle = bsDialog
  Caption = 'Standard controls'
  ClientHeight = 230
  ClientWidth = 400
  Color = clBtnFace
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  object Pattern1: TPattern
    Left = 0
    Top = 0
    Width = 200
    Height = 60
  end
  object Label1: TLabel
    Left = 8
    Top = 6
    Width = 5
    Height = 5
    Caption = 'Over the pattern'
    Font.Color = clBlack
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Transparent = True
  end
  object Label2: TLabel
    Left = 8
    Top = 30
    Caption = 'Opaque'
    Color = clYellow
    ParentColor = False
  end
  object Label3: TLabel
    Left = 300
    Top = 8
    Caption = 'Disabled'
    Enabled = False
  end
  object Button1: TButton
    Left = 220
    Top = 30
    Width = 75
    Height = 25
    Caption = 'Press'
    TabOrder = 0
    OnClick = Button1Click
  end
  object CheckBox1: TCheckBox
    Left = 8
    Top = 70
    Width = 97
    Height = 17
    Caption = 'Check me'
    TabOrder = 1
    OnClick = CheckBox1Click
  end
  object RadioButton1: TRadioButton
    Left = 8
    Top = 92
    Width = 60
    Height = 17
    Caption = 'One'
    Checked = True
    TabOrder = 2
    OnClick = RadioClick
  end
  object RadioButton2: TRadioButton
    Left = 8
    Top = 114
    Width = 13
    Height = 13
    Caption = 'RadioButton2'
    TabOrder = 3
    OnClick = RadioClick
  end
  object Box1: TBox
    Left = 120
    Top = 70
    Width = 110
    Height = 60
    TabOrder = 4
    object RadioButton3: TRadioButton
      Left = 4
      Top = 4
      Width = 90
      Height = 17
      Caption = 'Three'
      Checked = True
      TabOrder = 0
      OnClick = RadioClick
    end
    object RadioButton4: TRadioButton
      Left = 4
      Top = 30
      Width = 90
      Height = 17
      Caption = 'Four'
      TabOrder = 1
      OnClick = RadioClick
    end
  end
  object Edit1: TEdit
    Left = 8
    Top = 140
    Width = 120
    Height = 21
    TabOrder = 5
    Text = 'start'
    OnChange = Edit1Change
  end
  object Edit2: TFilterEdit
    Left = 140
    Top = 140
    Width = 120
    Height = 21
    TabOrder = 6
    Text = ''
  end
  object ComboBox1: TComboBox
    Left = 8
    Top = 180
    Width = 120
    Height = 21
    Style = csDropDownList
    Items.Strings = (
      'Alpha'
      'Bravo'
      'Charlie'
      'Delta')
    TabOrder = 7
    ItemIndex = 1
    OnChange = ComboBox1Change
    OnCloseUp = ComboBox1CloseUp
    OnDropDown = ComboBox1DropDown
  end
  object ComboBox2: TComboBox
    Left = 140
    Top = 180
    Width = 120
    Height = 21
    TabOrder = 8
    Text = 'typed'
    OnChange = ComboBox2Change
    OnKeyPress = ComboBox2KeyPress
  end
  object ComboBox3: TComboBox
    Left = 272
    Top = 180
    Width = 120
    Height = 24
    Style = csOwnerDrawFixed
    ItemHeight = 20
    Items.Strings = (
      'Red'
      'Blue')
    TabOrder = 9
    ItemIndex = 0
    OnDrawItem = ComboBox3DrawItem
  end
end
)";

class StdCtrlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    gdi_before_ = LiveGdiObjects();
    form_ = new TStdForm(Application);
    form_->LoadFromText(kStdForm);
    form_->Show();
    wintest::Pump();
  }
  void TearDown() override {
    delete form_;
    wintest::Pump();
    EXPECT_EQ(LiveGdiObjects(), gdi_before_) << "GDI objects leaked";
  }

  // A key as the keyboard sends it: down, the character, up.
  static void Type(HWND window, const char* text) {
    for (const char* c = text; *c; ++c) {
      PostMessageA(window, WM_CHAR, static_cast<unsigned char>(*c), 1);
    }
    wintest::Pump();
  }
  static void PressKey(HWND window, WPARAM key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
    Application->ProcessMessages();
  }
  static bool WindowChecked(TWinControl* control) {
    return SendMessageA(control->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  // Counts the pixels of a colour in a rectangle of the form's client area.
  int CountPixels(const RECT& area, COLORREF color) {
    HWND window = form_->Handle();
    UpdateWindow(window);
    HDC dc = GetDC(window);
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) count += GetPixel(dc, x, y) == color;
    }
    ReleaseDC(window, dc);
    return count;
  }

  TStdForm* form_ = nullptr;
  int gdi_before_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Form descriptions

TEST_F(StdCtrlsTest, FormDescriptionSetsEveryControl) {
  EXPECT_TRUE(form_->Label1->Transparent());
  EXPECT_EQ(form_->Label1->Caption(), "Over the pattern");
  EXPECT_EQ(form_->Button1->Caption(), "Press");
  EXPECT_FALSE(form_->CheckBox1->Checked());
  EXPECT_TRUE(form_->RadioButton1->Checked());
  EXPECT_TRUE(form_->RadioButton3->Checked()) << "a radio of another parent was cleared";
  EXPECT_EQ(form_->Edit1->Text(), "start");
  EXPECT_EQ(form_->ComboBox1->Style(), TComboBoxStyle::csDropDownList);
  EXPECT_EQ(form_->ComboBox1->Items()->Count(), 4);
  EXPECT_EQ(form_->ComboBox1->ItemIndex(), 1);
  EXPECT_EQ(form_->ComboBox1->Text(), "Bravo");
  EXPECT_EQ(form_->ComboBox2->Text(), "typed");
  EXPECT_EQ(form_->ComboBox3->ItemHeight(), 20);
  // Loading sets no event off.
  EXPECT_EQ(form_->edit_changes, 0);
  EXPECT_EQ(form_->combo1_changes, 0);
  EXPECT_EQ(form_->radio_clicks, 0);
}

TEST_F(StdCtrlsTest, WrittenFormReadsBackToTheSameText) {
  form_->CheckBox1->SetState(TCheckBoxState::cbChecked);
  form_->Edit1->SetMaxLength(12);
  form_->ComboBox2->SetSorted(true);
  const AnsiString written = WriteComponentText(*form_);
  auto* copy = new TStdForm(nullptr);  // not the application's: the name is taken there
  copy->LoadFromText(written);
  copy->Show();
  EXPECT_EQ(WriteComponentText(*copy), written);
  EXPECT_TRUE(copy->CheckBox1->Checked());
  EXPECT_EQ(copy->Edit1->MaxLength(), 12);
  EXPECT_EQ(copy->ComboBox1->ItemIndex(), 1);
  EXPECT_EQ(copy->ComboBox1->Items()->Items(), form_->ComboBox1->Items()->Items());
  delete copy;
  // A list style stores its selection, not its text.
  EXPECT_EQ(written.find("Text = 'Bravo'"), AnsiString::npos) << written;
  EXPECT_NE(written.find("Items.Strings"), AnsiString::npos) << written;
}

TEST_F(StdCtrlsTest, BadPropertyValuesAreRefusedWithAClearError) {
  struct Case {
    const char* what;
    std::function<void()> set;
  };
  const Case cases[] = {
      {"negative MaxLength of an edit", [&] { form_->Edit1->SetMaxLength(-1); }},
      {"negative MaxLength of a combo box", [&] { form_->ComboBox2->SetMaxLength(-5); }},
      {"zero ItemHeight", [&] { form_->ComboBox3->SetItemHeight(0); }},
  };
  for (const Case& c : cases) EXPECT_THROW(c.set(), ERangeError) << c.what;
}

// ---------------------------------------------------------------------------------------------
// Combo box

TEST_F(StdCtrlsTest, ComboIndexFromCodeFiresNothingButTheUsersChoiceFiresOnce) {
  TComboBox* combo = form_->ComboBox1;
  combo->SetItemIndex(2);
  wintest::Pump();
  EXPECT_EQ(form_->combo1_changes, 0) << "setting ItemIndex from code raised OnChange";
  EXPECT_EQ(combo->Text(), "Charlie");

  // The keyboard: the system moves the selection and tells its parent.
  combo->SetFocus();
  PressKey(combo->Handle(), VK_DOWN);
  EXPECT_EQ(combo->ItemIndex(), 3);
  EXPECT_EQ(form_->combo1_changes, 1);
  EXPECT_EQ(form_->combo1_text_seen, "Delta");

  // A choice in the list, as the system reports it.
  SendMessageA(combo->Handle(), CB_SETCURSEL, 0, 0);
  SendMessageA(form_->Handle(), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(combo->Handle()), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo->Handle()));
  EXPECT_EQ(form_->combo1_changes, 2);
  EXPECT_EQ(form_->combo1_text_seen, "Alpha");
}

TEST_F(StdCtrlsTest, DropDownListShowsTheSelectedTextAndOpensTallEnoughForItsItems) {
  TComboBox* combo = form_->ComboBox1;
  char shown[64] = {};
  GetWindowTextA(combo->Handle(), shown, sizeof(shown));
  EXPECT_STREQ(shown, "Bravo");
  RECT closed;
  GetWindowRect(combo->Handle(), &closed);
  EXPECT_LT(closed.bottom - closed.top, 30) << "the closed box took the drop-down height";
  EXPECT_EQ(combo->Height(), closed.bottom - closed.top);

  combo->SetDroppedDown(true);
  wintest::Pump();
  EXPECT_TRUE(combo->DroppedDown());
  EXPECT_EQ(form_->combo1_drops, 1);
  ASSERT_NE(combo->ListHandle(), nullptr);
  EXPECT_TRUE(IsWindowVisible(combo->ListHandle()));
  RECT list;
  GetWindowRect(combo->ListHandle(), &list);
  EXPECT_GE(list.bottom - list.top, 4 * combo->ItemHeight()) << "the list cannot show all four";
  combo->SetDroppedDown(false);
  wintest::Pump();
  EXPECT_EQ(form_->combo1_closes, 1);
  EXPECT_EQ(form_->combo1_changes, 0);
}

TEST_F(StdCtrlsTest, ItemChangesShowInTheWindowAndTheSelectionStaysWithItsItem) {
  TComboBox* combo = form_->ComboBox1;
  HWND window = combo->Handle();
  combo->Items()->Add("Echo");
  EXPECT_EQ(SendMessageA(window, CB_GETCOUNT, 0, 0), 5);
  combo->Items()->Delete(0);
  EXPECT_EQ(SendMessageA(window, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(combo->Text(), "Bravo") << "deleting an item above moved the selection";
  EXPECT_EQ(combo->ItemIndex(), 0);
  combo->Items()->Clear();
  EXPECT_EQ(SendMessageA(window, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(form_->combo1_changes, 0);
}

TEST_F(StdCtrlsTest, ComboKeepsItemsSelectionAndTextAcrossARecreatedWindow) {
  struct Case {
    TComboBox* combo;
    const char* text;
  };
  form_->ComboBox2->Items()->SetText("one\ntwo");
  form_->ComboBox2->SetText("free text");
  for (const Case& c : {Case{form_->ComboBox1, "Bravo"}, Case{form_->ComboBox2, "free text"},
                        Case{form_->ComboBox3, "Red"}}) {
    const int index = c.combo->ItemIndex();
    const int count = c.combo->Items()->Count();
    c.combo->RecreateWnd();
    EXPECT_EQ(SendMessageA(c.combo->Handle(), CB_GETCOUNT, 0, 0), count) << c.combo->Name();
    EXPECT_EQ(c.combo->ItemIndex(), index) << c.combo->Name();
    EXPECT_EQ(c.combo->Text(), c.text) << c.combo->Name();
  }
  // A new style makes a new window: the list style keeps the selected item.
  form_->ComboBox1->SetStyle(TComboBoxStyle::csDropDown);
  EXPECT_EQ(form_->ComboBox1->Text(), "Bravo");
  EXPECT_NE(form_->ComboBox1->EditHandle(), nullptr);
  EXPECT_EQ(form_->combo1_changes + form_->combo2_changes, 0);
}

TEST_F(StdCtrlsTest, EditableComboReportsTypingAndLetsKeyPressFilterIt) {
  TComboBox* combo = form_->ComboBox2;
  ASSERT_NE(combo->EditHandle(), nullptr);
  combo->SetText("");
  EXPECT_EQ(form_->combo2_changes, 0) << "setting the text from code raised OnChange";
  combo->SetFocus();
  Type(combo->EditHandle(), "hi!");
  EXPECT_EQ(form_->keys_seen, "hi!");
  EXPECT_EQ(combo->Text(), "hi") << "a key dropped in OnKeyPress reached the edit";
  EXPECT_EQ(form_->combo2_changes, 2);
  EXPECT_EQ(form_->combo2_text_seen, "hi");
}

TEST_F(StdCtrlsTest, EditableComboShowsTheChosenItemToOnChange) {
  TComboBox* combo = form_->ComboBox2;
  combo->Items()->SetText("first\nsecond");
  SendMessageA(combo->Handle(), CB_SETCURSEL, 1, 0);
  SendMessageA(form_->Handle(), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(combo->Handle()), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo->Handle()));
  EXPECT_EQ(form_->combo2_changes, 1);
  EXPECT_EQ(form_->combo2_text_seen, "second");
}

TEST_F(StdCtrlsTest, SortedComboKeepsItsItemsAndItsWindowInTheSameOrder) {
  TComboBox* combo = form_->ComboBox2;
  combo->SetSorted(true);
  for (const char* item : {"delta", "Bravo", "alpha", "Charlie"}) combo->Items()->Add(item);
  const std::vector<AnsiString> expected{"alpha", "Bravo", "Charlie", "delta"};
  EXPECT_EQ(combo->Items()->Items(), expected);
  for (int i = 0; i < 4; ++i) {
    char text[32] = {};
    SendMessageA(combo->Handle(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(AnsiString(text), expected[static_cast<size_t>(i)]) << "window item " << i;
  }
}

TEST_F(StdCtrlsTest, OwnerDrawnComboDrawsItsItemsThroughOnDrawItem) {
  TComboBox* combo = form_->ComboBox3;
  combo->Invalidate();
  wintest::Pump();
  EXPECT_GT(form_->items_drawn, 0);
  EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 0, 0), 20);
  // The selection field shows item 0, which the handler paints red.
  const POINT inside{combo->Left() + 6, combo->Top() + combo->Height() / 2};
  EXPECT_EQ(wintest::PixelAt(form_->Handle(), inside.x, inside.y), RGB(255, 0, 0));
}

// Without a handler, the shown item of a disabled owner-drawn box is in the disabled text's
// grey, as the system draws its own boxes.
TEST_F(StdCtrlsTest, OwnerDrawnComboDrawsItsItemGreyWhileDisabled) {
  auto* combo = new TComboBox(form_);
  combo->SetStyle(TComboBoxStyle::csOwnerDrawFixed);
  combo->SetParent(form_);
  combo->SetBounds(8, 200, 120, 24);
  combo->Items()->SetText("WWWWWW");
  combo->SetItemIndex(0);
  for (const bool enabled : {true, false}) {
    combo->SetEnabled(enabled);
    combo->Invalidate();
    wintest::Pump();
    int grey = 0, black = 0;
    for (int x = 4; x < 60; ++x) {
      for (int y = 4; y < combo->Height() - 4; ++y) {
        const COLORREF pixel = wintest::PixelAt(combo->Handle(), x, y);
        grey += pixel == ColorToRGB(clGrayText);
        black += pixel == ColorToRGB(clWindowText);
      }
    }
    EXPECT_EQ(grey > 0, !enabled) << (enabled ? "enabled" : "disabled");
    EXPECT_EQ(black > 0, enabled) << (enabled ? "enabled" : "disabled");
  }
  delete combo;
}

TEST_F(StdCtrlsTest, VariableOwnerDrawMeasuresEveryItem) {
  auto* combo = new TComboBox(form_);
  combo->SetStyle(TComboBoxStyle::csOwnerDrawVariable);
  combo->OnMeasureItem = [](TWinControl*, int index, int& height) { height = 10 + 3 * index; };
  combo->SetParent(form_);
  combo->Items()->SetText("a\nb\nc");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, i, 0), 10 + 3 * i) << "item " << i;
  }
  delete combo;
}

// ---------------------------------------------------------------------------------------------
// Radio buttons, check box, button

TEST_F(StdCtrlsTest, ClickedRadioChecksItselfAndClearsOnlyItsOwnGroup) {
  wintest::Click(form_->RadioButton2->Handle(), 5, 5);
  EXPECT_TRUE(form_->RadioButton2->Checked());
  EXPECT_FALSE(form_->RadioButton1->Checked());
  EXPECT_TRUE(WindowChecked(form_->RadioButton2));
  EXPECT_FALSE(WindowChecked(form_->RadioButton1));
  EXPECT_TRUE(form_->RadioButton3->Checked()) << "the group in the box was cleared";
  EXPECT_EQ(form_->radio_clicks, 1);
  EXPECT_EQ(form_->last_radio, form_->RadioButton2);
  // Tab reaches a group at its chosen button.
  EXPECT_TRUE(form_->RadioButton2->TabStop());
  EXPECT_FALSE(form_->RadioButton1->TabStop());
}

TEST_F(StdCtrlsTest, RadioCheckedFromCodeClearsItsGroupWithoutAClick) {
  form_->RadioButton4->SetChecked(true);
  EXPECT_FALSE(form_->RadioButton3->Checked());
  EXPECT_FALSE(WindowChecked(form_->RadioButton3));
  EXPECT_TRUE(WindowChecked(form_->RadioButton4));
  EXPECT_TRUE(form_->RadioButton1->Checked()) << "the form's group was cleared";
  EXPECT_EQ(form_->radio_clicks, 0);
}

TEST_F(StdCtrlsTest, ArrowKeysMoveTheChoiceWithinTheGroup) {
  form_->RadioButton1->SetFocus();
  PressKey(form_->RadioButton1->Handle(), VK_DOWN);
  EXPECT_TRUE(form_->RadioButton2->Checked());
  EXPECT_TRUE(form_->RadioButton2->Focused());
  EXPECT_EQ(form_->radio_clicks, 1);
  PressKey(form_->RadioButton2->Handle(), VK_DOWN);  // wraps to the first
  EXPECT_TRUE(form_->RadioButton1->Checked());
  EXPECT_TRUE(form_->RadioButton3->Checked()) << "the arrows left the group";
}

TEST_F(StdCtrlsTest, CheckBoxTogglesOnTheUsersClickAndKeyOnly) {
  TCheckBox* box = form_->CheckBox1;
  wintest::Click(box->Handle(), 5, 8);
  EXPECT_TRUE(box->Checked());
  EXPECT_TRUE(WindowChecked(box));
  EXPECT_EQ(form_->check_clicks, 1);

  box->SetChecked(false);
  EXPECT_FALSE(WindowChecked(box));
  EXPECT_EQ(form_->check_clicks, 1) << "setting Checked from code raised OnClick";

  box->SetFocus();
  PostMessageA(box->Handle(), WM_KEYDOWN, VK_SPACE, 1);
  PostMessageA(box->Handle(), WM_KEYUP, VK_SPACE, 0xC0000001);
  wintest::Pump();
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(form_->check_clicks, 2);
}

TEST_F(StdCtrlsTest, GrayedCheckBoxCyclesThroughThreeStates) {
  TCheckBox* box = form_->CheckBox1;
  box->SetAllowGrayed(true);
  const TCheckBoxState expected[] = {TCheckBoxState::cbChecked, TCheckBoxState::cbGrayed,
                                     TCheckBoxState::cbUnchecked};
  for (TCheckBoxState state : expected) {
    wintest::Click(box->Handle(), 5, 8);
    EXPECT_EQ(box->State(), state);
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), static_cast<LRESULT>(state));
  }
}

TEST_F(StdCtrlsTest, ButtonsKeepTheirStateAcrossARecreatedWindow) {
  form_->CheckBox1->SetState(TCheckBoxState::cbChecked);
  form_->RadioButton2->SetChecked(true);
  form_->CheckBox1->RecreateWnd();
  form_->RadioButton2->RecreateWnd();
  EXPECT_TRUE(WindowChecked(form_->CheckBox1));
  EXPECT_TRUE(WindowChecked(form_->RadioButton2));
  char caption[32] = {};
  GetWindowTextA(form_->CheckBox1->Handle(), caption, sizeof(caption));
  EXPECT_STREQ(caption, "Check me");
}

TEST_F(StdCtrlsTest, ButtonClickFiresOnceFromTheMouseAndFromTheKeyboard) {
  HWND button = form_->Button1->Handle();
  wintest::Click(button, 10, 10);
  EXPECT_EQ(form_->button_clicks, 1) << "the click came twice or not at all";
  // Released outside: no click.
  wintest::PostMouse(button, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
  wintest::PostMouse(button, WM_LBUTTONUP, 200, 200);
  wintest::Pump();
  EXPECT_EQ(form_->button_clicks, 1);
  form_->Button1->SetFocus();
  PostMessageA(button, WM_KEYDOWN, VK_SPACE, 1);
  PostMessageA(button, WM_KEYUP, VK_SPACE, 0xC0000001);
  wintest::Pump();
  EXPECT_EQ(form_->button_clicks, 2);
}

// ---------------------------------------------------------------------------------------------
// Edit field

TEST_F(StdCtrlsTest, EditChangeFollowsTypingAndCodeButNotAnUnchangedText) {
  TEdit* edit = form_->Edit1;
  edit->SetFocus();
  edit->SetSelStart(5);
  Type(edit->Handle(), "ed");
  EXPECT_EQ(edit->Text(), "started");
  EXPECT_EQ(form_->edit_changes, 2);
  EXPECT_EQ(form_->edit_text_seen, "started");
  EXPECT_TRUE(edit->Modified());

  edit->SetText("from code");
  EXPECT_EQ(form_->edit_changes, 3);
  EXPECT_EQ(form_->edit_text_seen, "from code");
  edit->SetText("from code");
  EXPECT_EQ(form_->edit_changes, 3) << "the same text again raised OnChange";
  edit->SetModified(false);
  EXPECT_FALSE(edit->Modified());
}

TEST_F(StdCtrlsTest, KeyPressOverrideReplacesAndDropsCharacters) {
  form_->Edit2->SetFocus();
  Type(form_->Edit2->Handle(), "axbxa");
  EXPECT_EQ(form_->Edit2->Text(), "AbA");
}

TEST_F(StdCtrlsTest, ReadOnlyAndMaxLengthLimitTheUserButNotTheCode) {
  struct Case {
    const char* what;
    std::function<void(TEdit*)> set;
    const char* typed;
    const char* expected;
  };
  const Case cases[] = {
      {"read-only", [](TEdit* e) { e->SetReadOnly(true); }, "abc", ""},
      {"three characters at most", [](TEdit* e) { e->SetMaxLength(3); }, "abcdef", "abc"},
      {"no limits", [](TEdit*) {}, "abcdef", "abcdef"},
  };
  TEdit* edit = form_->Edit1;
  for (const Case& c : cases) {
    edit->SetReadOnly(false);
    edit->SetMaxLength(0);
    edit->Clear();
    c.set(edit);
    edit->SetFocus();
    Type(edit->Handle(), c.typed);
    EXPECT_EQ(edit->Text(), c.expected) << c.what;
    edit->SetText("longer than three");
    EXPECT_EQ(edit->Text(), "longer than three") << c.what << ": code was limited too";
  }
}

TEST_F(StdCtrlsTest, EditTextLivesBeforeTheWindowAndAcrossItsRecreation) {
  auto* edit = new TEdit(form_);
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->SetText("no window yet");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(edit->Text(), "no window yet");
  edit->SetParent(form_);
  char shown[64] = {};
  GetWindowTextA(edit->Handle(), shown, sizeof(shown));
  EXPECT_STREQ(shown, "no window yet");

  edit->SetFocus();
  edit->SetSelStart(0);
  Type(edit->Handle(), ">");
  edit->RecreateWnd();
  EXPECT_EQ(edit->Text(), ">no window yet");
  EXPECT_TRUE(edit->Modified()) << "the user's change was forgotten";
  delete edit;
}

TEST_F(StdCtrlsTest, KeyboardFocusSelectsTheWholeTextButAClickDoesNot) {
  TEdit* edit = form_->Edit1;
  auto focus_by_tab = [&] {
    edit->SetSelStart(0);
    // After the box's chosen radio button, Tab skips the unchosen one and lands on the edit.
    form_->RadioButton3->SetFocus();
    PressKey(form_->RadioButton3->Handle(), VK_TAB);
    EXPECT_TRUE(edit->Focused());
  };
  focus_by_tab();
  EXPECT_EQ(edit->SelStart(), 0);
  EXPECT_EQ(edit->SelLength(), 5) << "Tab into the field did not select its text";

  // The press of a click: the caret goes where the click falls, nothing is selected.
  edit->SetSelStart(0);
  form_->Button1->SetFocus();
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_LBUTTON] = 0x80;
  SetKeyboardState(keys);
  edit->SetFocus();
  keys[VK_LBUTTON] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(edit->SelLength(), 0) << "a click into the field selected its text";

  edit->SetAutoSelect(false);
  focus_by_tab();
  EXPECT_EQ(edit->SelLength(), 0) << "AutoSelect off still selected";
}

TEST_F(StdCtrlsTest, MultiLineSubclassLeavesTabAndEscapeToTheForm) {
  auto* edit = new TMultiLineEdit(form_);
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->SetBounds(270, 140, 60, 22);
  edit->SetParent(form_);
  HWND window = edit->Handle();
  ASSERT_TRUE(GetWindowLongA(window, GWL_STYLE) & ES_MULTILINE);

  edit->SetText("42");
  EXPECT_EQ(changes, 1) << "a multi-line edit set from code raised no OnChange";

  MSG tab{window, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  const LRESULT code = SendMessageA(window, WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab));
  EXPECT_EQ(code & (DLGC_WANTTAB | DLGC_WANTALLKEYS), 0);
  EXPECT_NE(code & DLGC_WANTCHARS, 0);
  // Escape in a multi-line edit must not close the window it sits in.
  edit->SetFocus();
  PressKey(window, VK_ESCAPE);
  PostMessageA(window, WM_CHAR, VK_ESCAPE, 1);
  Application->ProcessMessages();
  EXPECT_TRUE(IsWindowVisible(form_->Handle()));

  SendMessageA(window, WM_PASTE, 0, 0);
  EXPECT_EQ(edit->pastes, 1);
  EXPECT_EQ(edit->Text(), "42");

  // The system insets the rectangle by its margins; it must follow what we set.
  const RECT before = edit->GetFormatRect();
  edit->SetFormatRectNP(RECT{0, 0, 30, 15});
  const RECT after = edit->GetFormatRect();
  EXPECT_LT(after.right, before.right);
  EXPECT_LE(after.right, 30);
  EXPECT_GE(after.right, 30 - 6);
  delete edit;
}

// ---------------------------------------------------------------------------------------------
// Label

TEST_F(StdCtrlsTest, LabelSizeFollowsItsCaptionAndFont) {
  TLabel* label = form_->Label2;
  EXPECT_GT(form_->Label1->Width(), 40) << "the loaded width 5 was kept";
  const int one_line = label->Height();
  const int short_width = label->Width();
  label->SetCaption("Opaque and longer");
  EXPECT_GT(label->Width(), short_width);
  label->SetCaption("Two\nlines");
  EXPECT_EQ(label->Height(), 2 * one_line);
  label->Font()->SetHeight(-24);
  EXPECT_GT(label->Height(), 3 * one_line);

  label->SetAutoSize(false);
  label->SetCaption("x");
  EXPECT_GT(label->Width(), 20) << "a label without AutoSize was resized";

  // Aligned right, the label grows to the left.
  label->SetAutoSize(true);
  label->SetAlignment(TAlignment::taRightJustify);
  const int right = label->Left() + label->Width();
  label->SetCaption("xxxxxxxxxx");
  EXPECT_EQ(label->Left() + label->Width(), right);
}

TEST_F(StdCtrlsTest, TransparentLabelShowsThePatternAroundItsText) {
  const RECT label = form_->Label1->BoundsRect();
  const int text = CountPixels(label, RGB(0, 0, 0));
  EXPECT_GT(text, 20) << "no text drawn";
  EXPECT_GT(CountPixels(label, kPatternA), 50) << "the label hid the pattern";
  EXPECT_GT(CountPixels(label, kPatternB), 50) << "the label hid the pattern";

  form_->Label1->SetTransparent(false);
  EXPECT_EQ(CountPixels(label, kPatternA) + CountPixels(label, kPatternB), 0)
      << "an opaque label let the pattern through";
  EXPECT_GT(CountPixels(label, GetSysColor(COLOR_BTNFACE)), 50);
}

TEST_F(StdCtrlsTest, OpaqueLabelFillsWithItsColourAndDisabledTextIsGreyed) {
  const RECT opaque = form_->Label2->BoundsRect();
  EXPECT_EQ(wintest::PixelAt(form_->Handle(), opaque.right - 1, opaque.bottom - 1),
            RGB(255, 255, 0));
  const RECT disabled = form_->Label3->BoundsRect();
  EXPECT_EQ(CountPixels(disabled, RGB(0, 0, 0)), 0) << "disabled text drawn black";
  EXPECT_GT(CountPixels(disabled, GetSysColor(COLOR_BTNSHADOW)), 20);
  form_->Label3->SetEnabled(true);
  EXPECT_GT(CountPixels(disabled, RGB(0, 0, 0)), 20);
}

TEST_F(StdCtrlsTest, SystemControlsPaintTheirBackgroundInTheirColour) {
  // The box's colour reaches its radio buttons (ParentColor); the combo box's its edit inside.
  form_->Box1->SetColor(clAqua);
  form_->ComboBox2->SetColor(clYellow);
  wintest::Pump();
  RECT edit;
  GetClientRect(form_->ComboBox2->EditHandle(), &edit);
  struct Case {
    const char* what;
    HWND window;
    POINT at;
    COLORREF expected;
  };
  const Case cases[] = {
      {"radio button beside its caption", form_->RadioButton3->Handle(), {85, 8}, RGB(0, 255, 255)},
      {"edit of the combo box",
       form_->ComboBox2->EditHandle(),
       {edit.right - 2, 2},
       RGB(255, 255, 0)},
  };
  for (const Case& c : cases) {
    InvalidateRect(c.window, nullptr, TRUE);
    EXPECT_EQ(wintest::PixelAt(c.window, c.at.x, c.at.y), c.expected) << c.what;
  }
}

// ---------------------------------------------------------------------------------------------
// Fonts

TEST_F(StdCtrlsTest, SystemControlsAnswerWMGetFontWithTheFormsFont) {
  TWinControl* controls[] = {form_->Button1, form_->CheckBox1, form_->RadioButton1, form_->Edit1,
                             form_->ComboBox1};
  for (TWinControl* control : controls) {
    EXPECT_EQ(SendMessageA(control->Handle(), WM_GETFONT, 0, 0),
              reinterpret_cast<LRESULT>(control->Font()->Handle()))
        << control->Name();
  }
  const int label_height = form_->Label2->Height();
  form_->Font()->SetHeight(-16);
  for (TWinControl* control : controls) {
    EXPECT_EQ(control->Font()->Height(), -16) << control->Name() << " left the form's font";
    EXPECT_EQ(SendMessageA(control->Handle(), WM_GETFONT, 0, 0),
              reinterpret_cast<LRESULT>(control->Font()->Handle()))
        << control->Name();
  }
  EXPECT_GT(form_->Label2->Height(), label_height) << "the label kept its old font";
}

// Every window made while the form was read, so that a window destroyed by then was made twice.
std::vector<HWND>* made_windows = nullptr;
LRESULT CALLBACK RecordCreation(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND) made_windows->push_back(reinterpret_cast<HWND>(wparam));
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST(StdCtrlsReading, IntoAFormWithAWindowMakesEachWindowOnce) {
  wintest::EnsureApplication();
  auto* form = new TStdForm(nullptr);
  form->Handle();  // as when a control asks for its window while the form is read
  std::vector<HWND> made;
  made_windows = &made;
  HHOOK hook = SetWindowsHookExA(WH_CBT, RecordCreation, nullptr, GetCurrentThreadId());
  form->LoadFromText(kStdForm);
  UnhookWindowsHookEx(hook);
  EXPECT_TRUE(form->ComboBox1->HandleAllocated()) << "read into a window, it has its own";
  EXPECT_FALSE(made.empty());
  for (HWND window : made) EXPECT_TRUE(IsWindow(window)) << "a window was made again";
  delete form;
}

}  // namespace
