// The spin edit under Wine: typing, the arrows and the arrow keys, the auto-repeat driven by
// timer messages, leaving the field, the layout of the arrows, and the form description.
//
// Mouse messages to the arrows are sent, not posted, while an arrow is held: nothing pumps
// the queue then, so the real repeat timer never ticks and only the WM_TIMER messages that a
// test sends move the value.
#include "controls/Cspin.h"

#include <gtest/gtest.h>

#include "framework/core/Filer.h"
#include "framework/win/Forms.h"
#include "framework/win/Locale.h"
#include "tests/framework/win/WinTest.h"

namespace {

int beeps = 0;
void CountBeep() {
  ++beeps;
}

// A window laid out as the alarm window places its minutes field, with a second field to
// move the focus to.
class TSpinForm : public TForm {
  DECLARE_CLASS_INFO()
 public:
  using TForm::TForm;
  TCSpinEdit* CSpinEdit1 = nullptr;
  TEdit* Edit2 = nullptr;
  int Changes = 0;
  int Clicks = 0;
  void CSpinEdit1Change(TObject*) { ++Changes; }
  void CSpinEdit1Click(TObject*) { ++Clicks; }
  void DragDrop(TObject*, TObject*, int, int) {}
  void DragOver(TObject*, TObject*, int, int, TDragState, bool&) {}
  void EndDrag(TObject*, TObject*, int, int) {}
  void StartDrag(TObject*, TObject*&) {}
};

const TClassInfo& TSpinForm::StaticClassInfo() {
  static const TClassInfo& info = TClassBuilder<TSpinForm>("TSpinForm", &TForm::StaticClassInfo())
                                      .PublishInherited()
                                      .Field("CSpinEdit1", &TSpinForm::CSpinEdit1)
                                      .Field("Edit2", &TSpinForm::Edit2)
                                      .Method("CSpinEdit1Change", &TSpinForm::CSpinEdit1Change)
                                      .Method("CSpinEdit1Click", &TSpinForm::CSpinEdit1Click)
                                      .Method("DragDrop", &TSpinForm::DragDrop)
                                      .Method("DragOver", &TSpinForm::DragOver)
                                      .Method("EndDrag", &TSpinForm::EndDrag)
                                      .Method("StartDrag", &TSpinForm::StartDrag)
                                      .Build();
  return info;
}

const char* const kSpinForm = R"(object SpinForm: TSpinForm
  Left = 60
  Top = 60
  BorderStyle = bsDialog
  Caption = 'Spin'
  ClientHeight = 80
  ClientWidth = 200
  object CSpinEdit1: TCSpinEdit
    Left = 49
    Top = 20
    Width = 42
    Height = 22
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    MaxValue = 999
    MinValue = 1
    ParentFont = False
    TabOrder = 0
    Value = 15
    OnChange = CSpinEdit1Change
    OnClick = CSpinEdit1Click
  end
  object Edit2: TEdit
    Left = 110
    Top = 20
    Width = 60
    Height = 21
    TabOrder = 1
  end
end
)";

// Client points of the arrows inside the window's spin button (15 x 17: up rows 0-7, down
// rows 7-16).
constexpr POINT kUpArrow{7, 3};
constexpr POINT kDownArrow{7, 12};

class SpinEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    gdi_before_ = LiveGdiObjects();
    beeps = 0;
    SpinServices().Beep = CountBeep;
    form_ = new TSpinForm(Application);
    form_->LoadFromText(kSpinForm);
    spin_ = form_->CSpinEdit1;
    form_->Show();
    wintest::Pump();
    form_->Changes = 0;
    form_->Clicks = 0;
  }
  void TearDown() override {
    delete form_;
    wintest::Pump();
    SpinServices() = saved_services_;
    EXPECT_EQ(LiveGdiObjects(), gdi_before_) << "GDI objects leaked";
  }

  HWND Edit() { return spin_->Handle(); }
  HWND Arrows() { return spin_->Button()->Handle(); }
  TTimerSpeedButton* Up() { return spin_->Button()->UpButton(); }
  void Type(const char* text) {
    for (const char* c = text; *c; ++c) {
      PostMessageA(Edit(), WM_CHAR, static_cast<unsigned char>(*c), 1);
    }
    wintest::Pump();
  }
  void Key(WPARAM key) {
    PostMessageA(Edit(), WM_KEYDOWN, key, 1);
    PostMessageA(Edit(), WM_KEYUP, key, 0xC0000001);
    wintest::Pump();
  }
  // Sent straight to the spin button's window, as the system would deliver them.
  LRESULT Mouse(UINT msg, POINT at, WPARAM keys) {
    return SendMessageA(Arrows(), msg, keys, MAKELPARAM(at.x, at.y));
  }
  // The text area ends just before the arrows (the 3-D edge takes one pixel off the
  // rectangle we give); without a rectangle of ours the text would run under them.
  void ExpectTextClearOfTheArrows() {
    const RECT format = spin_->GetFormatRect();
    const int arrows_left = spin_->Button()->Left();
    EXPECT_LT(format.right, arrows_left);
    EXPECT_GE(format.right, arrows_left - 3);
    EXPECT_LE(format.left, 1) << "no margin before the digits";
  }
  void CaretToEnd() {
    const int end = GetWindowTextLengthA(Edit());
    SendMessageA(Edit(), EM_SETSEL, end, end);
  }

  TSpinForm* form_ = nullptr;
  TCSpinEdit* spin_ = nullptr;
  TSpinServices saved_services_ = SpinServices();
  int gdi_before_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Typing

TEST_F(SpinEditTest, TypedCharactersPassTheFilterOrBeepAndChangeNothing) {
  struct Case {
    const char* name;
    char typed;
    bool editor_enabled;
    bool beeps;
    const char* text_after;  // typed after "15" with the caret at the end
  };
  const Case cases[] = {
      {"digit", '7', true, false, "157"},
      {"minus sign", '-', true, false, "15-"},
      {"plus sign", '+', true, false, "15+"},
      {"backspace", '\b', true, false, "1"},
      {"letter", 'a', true, true, "15"},
      {"Enter", '\r', true, true, "15"},
      // A multi-line edit would take these into the text, which then reads as no number.
      {"tab (Ctrl+I)", '\t', true, true, "15"},
      {"line feed (Ctrl+J, Ctrl+Enter)", '\n', true, true, "15"},
      // The filter's bound: only the control characters below 32 pass, not blanks,
      // punctuation or the upper half of the code page.
      {"blank", ' ', true, true, "15"},
      {"exclamation mark", '!', true, true, "15"},
      {"e acute (0xE9)", static_cast<char>(0xE9), true, true, "15"},
      {"digit, editor disabled", '5', false, true, "15"},
      {"minus, editor disabled", '-', false, true, "15"},
      {"backspace, editor disabled", '\b', false, true, "15"},
      {"full stop, editor disabled", '.', false, true, "15"},
      {"Enter, editor disabled", '\r', false, true, "15"},
      {"tab, editor disabled", '\t', false, true, "15"},
      {"Ctrl+V, editor disabled", '\x16', false, true, "15"},
      {"Ctrl+X, editor disabled", '\x18', false, true, "15"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    spin_->SetEditorEnabled(true);
    spin_->SetValue(15);
    spin_->SetEditorEnabled(c.editor_enabled);
    spin_->SetFocus();
    CaretToEnd();
    beeps = form_->Changes = 0;
    const char typed[2] = {c.typed, 0};
    Type(typed);
    EXPECT_EQ(beeps, c.beeps ? 1 : 0);
    EXPECT_EQ(spin_->Text(), c.text_after);
    EXPECT_EQ(form_->Changes, c.beeps ? 0 : 1) << "OnChange";
  }
}

TEST_F(SpinEditTest, TheLocaleDecimalSeparatorPassesTheFilter) {
  const wchar_t separator = locale::DecimalSeparator();
  EXPECT_TRUE(spin_->IsValidChar(separator));
  spin_->SetEditorEnabled(false);
  EXPECT_FALSE(spin_->IsValidChar(separator));
  EXPECT_TRUE(spin_->IsValidChar('\x03')) << "Ctrl+C copies even without the editor";
}

TEST_F(SpinEditTest, CutPasteClearAndDeleteNeedTheEditorAndAWritableField) {
  struct Case {
    const char* name;
    bool editor_enabled;
    bool read_only;
    bool edits;
  };
  const Case cases[] = {
      {"editable", true, false, true},
      {"editor disabled", false, false, false},
      {"read-only", true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    spin_->SetEditorEnabled(true);
    spin_->SetReadOnly(false);
    spin_->SetText("15");
    SendMessageA(Edit(), EM_SETSEL, 0, -1);
    spin_->CopyToClipboard();
    spin_->SetEditorEnabled(c.editor_enabled);
    spin_->SetReadOnly(c.read_only);
    spin_->SetFocus();
    // Each edit starts from "40" with the selection given; the text it should leave.
    auto edit = [&](const char* what, int sel_end, auto act, const char* edited) {
      spin_->SetText("40");
      SendMessageA(Edit(), EM_SETSEL, 0, sel_end);
      act();
      EXPECT_EQ(spin_->Text(), c.edits ? edited : "40") << what;
    };
    edit(
        "paste", -1, [&] { SendMessageA(Edit(), WM_PASTE, 0, 0); }, "15");
    edit(
        "cut", 1, [&] { SendMessageA(Edit(), WM_CUT, 0, 0); }, "0");
    edit(
        "clear", 1, [&] { SendMessageA(Edit(), WM_CLEAR, 0, 0); }, "0");
    edit(
        "Delete key", 0, [&] { Key(VK_DELETE); }, "0");
  }
}

// ---------------------------------------------------------------------------------------------
// Value

TEST_F(SpinEditTest, SetValueBringsTheNumberIntoRangeUnlessMinEqualsMax) {
  struct Case {
    int min, max, set;
    const char* shown;
  };
  const Case cases[] = {
      {1, 999, 0, "1"},
      {1, 999, 5000, "999"},
      {1, 999, 1, "1"},
      {1, 999, 999, "999"},
      {1, 999, 15, "15"},
      {0, 0, -7, "-7"},
      {5, 5, 2000000000, "2000000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " set " << c.set);
    spin_->SetMinValue(c.min);
    spin_->SetMaxValue(c.max);
    spin_->SetValue(c.set);
    EXPECT_EQ(spin_->Text(), c.shown);
  }
}

TEST_F(SpinEditTest, ValueFromCodeFiresOnChangeOnlyWhenTheTextChanges) {
  spin_->SetValue(20);
  EXPECT_EQ(form_->Changes, 1);
  spin_->SetValue(20);
  EXPECT_EQ(form_->Changes, 1);
  spin_->SetMinValue(30);  // a plain field: neither text nor event
  EXPECT_EQ(spin_->Text(), "20");
  EXPECT_EQ(form_->Changes, 1);
}

TEST_F(SpinEditTest, TextThatIsNoNumberReadsAsMinValueAndIsReplacedByIt) {
  spin_->SetText("abc");
  EXPECT_EQ(spin_->GetValue(), 1);
  EXPECT_EQ(spin_->Text(), "1");
  spin_->SetText("");
  EXPECT_EQ(spin_->GetValue(), 1);
  EXPECT_EQ(spin_->Text(), "1");
}

TEST_F(SpinEditTest, TypedOutOfRangeNumberStaysUntilTheFieldIsLeft) {
  form_->Edit2->SetFocus();
  int enters = 0, exits = 0;
  spin_->OnEnter = [&](TObject*) { ++enters; };
  spin_->OnExit = [&](TObject*) { ++exits; };
  spin_->SetFocus();
  SendMessageA(Edit(), EM_SETSEL, 0, -1);
  Type("5000");
  EXPECT_EQ(spin_->Text(), "5000");
  EXPECT_EQ(spin_->GetValue(), 5000) << "reading does not clamp";
  form_->Edit2->SetFocus();
  wintest::Pump();
  EXPECT_EQ(spin_->Text(), "999");
  // Coming back with the keyboard selects the whole number.
  spin_->SetFocus();
  EXPECT_EQ(spin_->SelLength(), 3);
  // Entering and leaving still reach the field's own events.
  EXPECT_EQ(enters, 2);
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(spin_->Text(), "999");
}

TEST_F(SpinEditTest, StepsSaturateAtTheEndsOfTheIntegerRange) {
  spin_->SetMinValue(0);
  spin_->SetMaxValue(0);
  spin_->SetIncrement(10);
  spin_->SetText("2147483640");
  Key(VK_UP);
  EXPECT_EQ(spin_->Text(), "2147483647");
  spin_->SetText("-2147483640");
  Key(VK_DOWN);
  EXPECT_EQ(spin_->Text(), "-2147483648");
}

// ---------------------------------------------------------------------------------------------
// Arrows and keys

TEST_F(SpinEditTest, ArrowClicksStepByIncrementWithinTheRange) {
  struct Case {
    const char* name;
    int start;
    int increment;
    POINT arrow;
    const char* shown;
  };
  const Case cases[] = {
      {"up from 15", 15, 1, kUpArrow, "16"},
      {"down from 15", 15, 1, kDownArrow, "14"},
      {"up at 999 stays", 999, 1, kUpArrow, "999"},
      {"down at 1 stays", 1, 1, kDownArrow, "1"},
      {"up by 5", 15, 5, kUpArrow, "20"},
      {"up by 5 near the top", 997, 5, kUpArrow, "999"},
      {"the shared row belongs to the down arrow", 15, 1, POINT{7, 7}, "14"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    spin_->SetIncrement(c.increment);
    spin_->SetValue(c.start);
    wintest::Click(Arrows(), c.arrow.x, c.arrow.y);
    EXPECT_EQ(spin_->Text(), c.shown);
    EXPECT_FALSE(Up()->RepeatTimer() && Up()->RepeatTimer()->Enabled());
  }
  EXPECT_EQ(beeps, 0);
}

TEST_F(SpinEditTest, ArrowKeysStepTheValueAndStillWorkWithoutTheEditor) {
  spin_->SetFocus();
  Key(VK_UP);
  EXPECT_EQ(spin_->Text(), "16");
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(spin_->Text(), "14");
  spin_->SetEditorEnabled(false);
  Key(VK_UP);
  EXPECT_EQ(spin_->Text(), "15");
  wintest::Click(Arrows(), kUpArrow.x, kUpArrow.y);
  EXPECT_EQ(spin_->Text(), "16");
  EXPECT_EQ(beeps, 0);
}

TEST_F(SpinEditTest, ReadOnlyFieldBeepsOnArrowsAndKeepsItsValue) {
  spin_->SetReadOnly(true);
  wintest::Click(Arrows(), kUpArrow.x, kUpArrow.y);
  wintest::Click(Arrows(), kDownArrow.x, kDownArrow.y);
  spin_->SetFocus();
  Key(VK_UP);
  EXPECT_EQ(beeps, 3);
  EXPECT_EQ(spin_->Text(), "15");
  EXPECT_EQ(form_->Changes, 0);
}

TEST_F(SpinEditTest, PressingAnArrowMovesTheFocusIntoTheField) {
  form_->Edit2->SetFocus();
  wintest::Click(Arrows(), kUpArrow.x, kUpArrow.y);
  EXPECT_EQ(GetFocus(), Edit());
  // A click in the text itself is the field's own click.
  wintest::Click(Edit(), 4, 4);
  EXPECT_EQ(form_->Clicks, 1);
}

// ---------------------------------------------------------------------------------------------
// Auto-repeat

TEST_F(SpinEditTest, HeldArrowRepeatsAfter400ThenEvery100Milliseconds) {
  Mouse(WM_LBUTTONDOWN, kUpArrow, MK_LBUTTON);
  TTimer* timer = Up()->RepeatTimer();
  ASSERT_NE(timer, nullptr) << "the timer comes with the first press";
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 400u);
  EXPECT_EQ(spin_->Text(), "15") << "a press alone is no step";

  SendMessageA(timer->Handle(), WM_TIMER, 1, 0);
  EXPECT_EQ(spin_->Text(), "16");
  EXPECT_EQ(timer->Interval(), 100u);
  SendMessageA(timer->Handle(), WM_TIMER, 1, 0);
  SendMessageA(timer->Handle(), WM_TIMER, 1, 0);
  EXPECT_EQ(spin_->Text(), "18");

  Mouse(WM_LBUTTONUP, kUpArrow, 0);
  EXPECT_EQ(spin_->Text(), "19") << "the release over the arrow is a click too";
  EXPECT_FALSE(timer->Enabled());
  SendMessageA(timer->Handle(), WM_TIMER, 1, 0);
  EXPECT_EQ(spin_->Text(), "19");

  // The next press starts again with the long delay, on the same timer.
  Mouse(WM_LBUTTONDOWN, kUpArrow, MK_LBUTTON);
  EXPECT_EQ(Up()->RepeatTimer(), timer);
  EXPECT_EQ(timer->Interval(), 400u);
  Mouse(WM_LBUTTONUP, kUpArrow, 0);
}

TEST_F(SpinEditTest, PressReleasedWithin400MillisecondsStepsOnce) {
  Mouse(WM_LBUTTONDOWN, kDownArrow, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, kDownArrow, 0);
  EXPECT_EQ(spin_->Text(), "14");
  EXPECT_EQ(form_->Changes, 1);
}

TEST_F(SpinEditTest, MovingOffTheHeldArrowPausesTheRepeats) {
  Mouse(WM_LBUTTONDOWN, kUpArrow, MK_LBUTTON);
  TTimer* timer = Up()->RepeatTimer();
  ASSERT_NE(timer, nullptr);
  SendMessageA(timer->Handle(), WM_TIMER, 1, 0);
  EXPECT_EQ(spin_->Text(), "16");

  Mouse(WM_MOUSEMOVE, POINT{30, 3}, MK_LBUTTON);  // right of the arrows, still captured
  EXPECT_FALSE(Up()->IsDown());
  SendMessageA(timer->Handle(), WM_TIMER, 1, 0);
  SendMessageA(timer->Handle(), WM_TIMER, 1, 0);
  EXPECT_EQ(spin_->Text(), "16");
  EXPECT_TRUE(timer->Enabled()) << "paused, not stopped";

  Mouse(WM_MOUSEMOVE, kUpArrow, MK_LBUTTON);
  SendMessageA(timer->Handle(), WM_TIMER, 1, 0);
  EXPECT_EQ(spin_->Text(), "17");

  Mouse(WM_MOUSEMOVE, POINT{30, 3}, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, POINT{30, 3}, 0);
  EXPECT_EQ(spin_->Text(), "17") << "released off the arrow: no click";
  EXPECT_FALSE(timer->Enabled());

  // Held, but the capture went elsewhere: no repeats either.
  Mouse(WM_LBUTTONDOWN, kUpArrow, MK_LBUTTON);
  ReleaseCapture();
  SendMessageA(timer->Handle(), WM_TIMER, 1, 0);
  EXPECT_EQ(spin_->Text(), "17");
}

TEST_F(SpinEditTest, ARightPressReleasedElsewhereStopsItsRepeat) {
  Mouse(WM_RBUTTONDOWN, kUpArrow, MK_RBUTTON);
  TTimer* timer = Up()->RepeatTimer();
  ASSERT_NE(timer, nullptr);
  // A right press takes no capture: its release reaches whatever lies under the mouse then.
  SendMessageA(timer->Handle(), WM_TIMER, 1, 0);
  EXPECT_FALSE(timer->Enabled()) << "the repeat timer runs on";
  EXPECT_EQ(spin_->Text(), "15");
}

TEST_F(SpinEditTest, FailingClickStopsTheTimerAndIsReported) {
  wintest::ExceptionRecorder recorder;
  spin_->Button()->OnUpClick = [](TObject*) { throw ERangeError("step refused"); };
  for (const bool on_release : {false, true}) {
    SCOPED_TRACE(on_release ? "the release's click" : "a repeated click");
    recorder.messages.clear();
    Mouse(WM_LBUTTONDOWN, kUpArrow, MK_LBUTTON);
    TTimer* timer = Up()->RepeatTimer();
    ASSERT_NE(timer, nullptr);
    if (on_release) {
      Mouse(WM_LBUTTONUP, kUpArrow, 0);
    } else {
      SendMessageA(timer->Handle(), WM_TIMER, 1, 0);
    }
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0], "step refused");
    EXPECT_FALSE(timer->Enabled());
    ReleaseCapture();
  }
}

// ---------------------------------------------------------------------------------------------
// Layout

RECT ChildRect(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(SpinEditTest, WindowFieldPlacesItsArrowPairAsTheWindowNeedsIt) {
  ASSERT_EQ(spin_->Width(), 42);
  ASSERT_EQ(spin_->Height(), 22) << "minimum height " << spin_->GetMinHeight();
  TCSpinButton* button = spin_->Button();
  EXPECT_EQ(button->Left(), 22);
  EXPECT_EQ(button->Top(), 0);
  EXPECT_EQ(button->Width(), 15);
  EXPECT_EQ(button->Height(), 17);
  const RECT window = ChildRect(Arrows());
  EXPECT_EQ(window.left, 22);
  EXPECT_EQ(window.right - window.left, 15);
  EXPECT_EQ(window.bottom - window.top, 17);
  const RECT up = Up()->BoundsRect();
  const RECT down = button->DownButton()->BoundsRect();
  EXPECT_EQ(up.top, 0);
  EXPECT_EQ(up.bottom - up.top, 8);
  EXPECT_EQ(down.top, 7);
  EXPECT_EQ(down.bottom - down.top, 10);
  ExpectTextClearOfTheArrows();
  EXPECT_EQ(GetWindowLongA(Edit(), GWL_STYLE) & (ES_MULTILINE | WS_CLIPCHILDREN),
            ES_MULTILINE | WS_CLIPCHILDREN);
}

TEST_F(SpinEditTest, FieldFollowsAResizeAndSnapsBackToItsMinimumHeight) {
  spin_->SetBounds(spin_->Left(), spin_->Top(), 80, 30);
  EXPECT_EQ(spin_->Button()->Left(), 80 - 15 - 5);
  EXPECT_EQ(spin_->Button()->Height(), 25);
  ExpectTextClearOfTheArrows();

  const int minimum = spin_->GetMinHeight();
  spin_->SetHeight(minimum - 6);
  EXPECT_EQ(spin_->Height(), minimum);
  const RECT window = ChildRect(Edit());
  EXPECT_EQ(window.bottom - window.top, minimum);
  EXPECT_EQ(spin_->Button()->Height(), minimum - 5);

  // Without the 3-D edge the arrows take the full height at the very right.
  spin_->SetCtl3D(false);
  spin_->RecreateWnd();
  spin_->SetBounds(spin_->Left(), spin_->Top(), 50, 24);
  EXPECT_EQ(spin_->Button()->Left(), 50 - 15);
  EXPECT_EQ(spin_->Button()->Height(), 24);
}

TEST_F(SpinEditTest, NewFontKeepsTheTextOffTheArrows) {
  spin_->Font()->SetHeight(-13);
  spin_->SetBounds(spin_->Left(), spin_->Top(), 60, 30);
  spin_->Font()->SetStyle(fsBold);
  ExpectTextClearOfTheArrows();
}

TEST(SpinButton, AdjustsItsWidthAndSplitsItsHeightBetweenTheArrows) {
  struct Case {
    int width, height;
    int shown_width, up_height, down_top, down_height;
  };
  const Case cases[] = {
      {10, 25, 15, 12, 11, 14},
      {20, 25, 20, 12, 11, 14},
      {15, 17, 15, 8, 7, 10},
      {0, 2, 15, 1, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    TCSpinButton button(nullptr);
    button.SetBounds(0, 0, c.width, c.height);
    EXPECT_EQ(button.Width(), c.shown_width);
    EXPECT_EQ(button.Height(), c.height);
    EXPECT_EQ(button.UpButton()->Width(), c.shown_width);
    EXPECT_EQ(button.UpButton()->Height(), c.up_height);
    EXPECT_EQ(button.DownButton()->Top(), c.down_top);
    EXPECT_EQ(button.DownButton()->Height(), c.down_height);
  }
}

// ---------------------------------------------------------------------------------------------
// The stand-alone spin button: its own focus and keys

class SpinButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    form_ = new TForm(Application);
    form_->SetBounds(80, 80, 200, 120);
    button_ = new TCSpinButton(form_);
    button_->SetParent(form_);
    button_->SetBounds(10, 10, 20, 30);
    button_->SetTabStop(true);
    button_->OnUpClick = [this](TObject* sender) {
      EXPECT_EQ(sender, button_);
      ++ups_;
    };
    button_->OnDownClick = [this](TObject*) { ++downs_; };
    form_->Show();
    wintest::Pump();
  }
  void TearDown() override {
    delete form_;
    wintest::Pump();
  }
  void Key(WPARAM key) {
    PostMessageA(button_->Handle(), WM_KEYDOWN, key, 1);
    wintest::Pump();
  }
  bool Framed(TTimerSpeedButton* arrow) { return arrow->TimeBtnState() & tbFocusRect; }

  TForm* form_ = nullptr;
  TCSpinButton* button_ = nullptr;
  int ups_ = 0;
  int downs_ = 0;
};

TEST_F(SpinButtonTest, FocusFrameFollowsTheArrowKeysAndSpaceClicksTheFramedArrow) {
  EXPECT_EQ(SendMessageA(button_->Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  button_->SetFocus();
  EXPECT_TRUE(Framed(button_->UpButton()));
  Key(VK_DOWN);
  EXPECT_EQ(downs_, 1);
  EXPECT_EQ(button_->FocusedButton(), button_->DownButton());
  EXPECT_TRUE(Framed(button_->DownButton()));
  EXPECT_FALSE(Framed(button_->UpButton()));
  Key(VK_SPACE);
  EXPECT_EQ(downs_, 2);
  Key(VK_UP);
  Key(VK_RIGHT);  // not ours: nothing happens
  EXPECT_EQ(ups_, 1);
  EXPECT_EQ(downs_, 2);
  EXPECT_TRUE(Framed(button_->UpButton()));
  // The frame goes with the focus and the arrow stays chosen for the next time.
  SetFocus(form_->Handle());
  EXPECT_FALSE(Framed(button_->UpButton()));
  button_->SetFocus();
  EXPECT_TRUE(Framed(button_->UpButton()));
}

TEST_F(SpinButtonTest, PressingAnArrowFocusesTheButtonItselfWithoutAFocusControl) {
  SetFocus(form_->Handle());
  wintest::Click(button_->Handle(), 5, 25);
  EXPECT_EQ(GetFocus(), button_->Handle());
  EXPECT_EQ(button_->FocusedButton(), button_->DownButton());
  EXPECT_EQ(downs_, 1);
}

TEST_F(SpinButtonTest, FocusControlIsForgottenWhenItGoes) {
  auto* edit = new TEdit(form_);
  edit->SetParent(form_);
  button_->FocusControl = edit;
  delete edit;
  EXPECT_EQ(button_->FocusControl, nullptr);
  wintest::Click(button_->Handle(), 5, 5);
  EXPECT_EQ(ups_, 1);
}

TEST_F(SpinButtonTest, DefaultGlyphsAreTheBlackTrianglesOfTheModule) {
  struct Case {
    const char* name;
    TBitmap* glyph;
    int widest_row;
    int narrowest_row;
  };
  const Case cases[] = {
      {"up", button_->GetUpGlyph(), 4, 1},
      {"down", button_->GetDownGlyph(), 1, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.glyph->GetWidth(), 9);
    ASSERT_EQ(c.glyph->GetHeight(), 6);
    EXPECT_EQ(c.glyph->PixelAt(0, 0), RGB(192, 192, 192)) << "margin";
    for (int x = 1; x <= 7; ++x) EXPECT_EQ(c.glyph->PixelAt(x, c.widest_row), RGB(0, 0, 0));
    EXPECT_EQ(c.glyph->PixelAt(8, c.widest_row), RGB(192, 192, 192));
    EXPECT_EQ(c.glyph->PixelAt(4, c.narrowest_row), RGB(0, 0, 0));
    EXPECT_EQ(c.glyph->PixelAt(3, c.narrowest_row), RGB(192, 192, 192));
  }
  // A glyph set from code is copied in; null brings the default back.
  TBitmap plain;
  plain.SetSize(5, 5);
  button_->SetUpGlyph(&plain);
  EXPECT_EQ(button_->GetUpGlyph()->GetWidth(), 5);
  button_->SetUpGlyph(nullptr);
  EXPECT_EQ(button_->GetUpGlyph()->GetWidth(), 9);
}

// ---------------------------------------------------------------------------------------------
// Form description

TEST_F(SpinEditTest, FormDescriptionNeverHoldsTheEmbeddedArrows) {
  spin_->SetValue(42);
  const AnsiString written = WriteComponentText(*form_);
  EXPECT_EQ(written.find("TCSpinButton"), AnsiString::npos);
  EXPECT_EQ(written.find("TTimerSpeedButton"), AnsiString::npos);
  const size_t max_at = written.find("MaxValue = 999");
  const size_t min_at = written.find("MinValue = 1");
  const size_t value_at = written.find("Value = 42");
  ASSERT_NE(max_at, AnsiString::npos);
  ASSERT_NE(min_at, AnsiString::npos);
  ASSERT_NE(value_at, AnsiString::npos);
  EXPECT_LT(max_at, min_at);
  EXPECT_LT(min_at, value_at) << "the range is read before the value";

  TSpinForm copy(nullptr);
  copy.LoadFromText(written);
  EXPECT_EQ(copy.CSpinEdit1->GetValue(), 42);
  EXPECT_EQ(copy.CSpinEdit1->ComponentCount(), 1) << "one spin button, not two";
  auto field = [](const AnsiString& form) {
    const size_t start = form.find("object CSpinEdit1");
    return form.substr(start, form.find("  end", start) - start);
  };
  EXPECT_EQ(field(WriteComponentText(copy)), field(written));
}

struct InheritedCase {
  const char* Object;              // the object's first line
  std::vector<const char*> Lines;  // in the order the form stores them
};

TEST(SpinFormText, AnchorsConstraintsAndDragPropertiesAreStoredInTheirPlaceAndReadBack) {
  wintest::EnsureApplication();
  RegisterComponentClass(TCSpinButton::StaticClassInfo());  // no form of the program holds one
  const InheritedCase cases[] = {
      {"object Edit: TCSpinEdit",
       {"Anchors = [akTop, akRight]", "Constraints.MinWidth = 30", "Constraints.MaxHeight = 40",
        "DragCursor = crHandPoint", "DragMode = dmAutomatic", "MaxValue = 9",
        "OnDragDrop = DragDrop", "OnDragOver = DragOver", "OnEndDrag = EndDrag",
        "OnStartDrag = StartDrag"}},
      {"object Button: TCSpinButton",
       {"Anchors = [akRight, akBottom]", "Constraints.MinHeight = 30", "DragCursor = crCross",
        "DragMode = dmAutomatic", "OnDragDrop = DragDrop", "OnDragOver = DragOver",
        "OnEndDock = EndDrag", "OnEndDrag = EndDrag", "OnStartDock = StartDrag",
        "OnStartDrag = StartDrag"}},
  };
  for (const InheritedCase& c : cases) {
    SCOPED_TRACE(c.Object);
    AnsiString text = "object SpinForm: TSpinForm\n  ";
    text += c.Object;
    text += "\n";
    for (const char* line : c.Lines) text = text + "    " + line + "\n";
    text += "  end\nend\n";
    TSpinForm form(nullptr);
    form.LoadFromText(text);
    const AnsiString written = WriteComponentText(form);
    size_t at = 0;
    for (const char* line : c.Lines) {
      const size_t found = written.find(line, at);
      ASSERT_NE(found, AnsiString::npos) << line << " missing or out of order in:\n" << written;
      at = found;
    }
    TSpinForm copy(nullptr);
    copy.LoadFromText(written);
    EXPECT_EQ(WriteComponentText(copy), written);
  }
}

TEST_F(SpinEditTest, ValueIsReadWithTheRangeInForce) {
  TSpinForm copy(nullptr);
  AnsiString text = kSpinForm;
  text.replace(text.find("Value = 15"), 10, "Value = 5000");
  copy.LoadFromText(text);
  EXPECT_EQ(copy.CSpinEdit1->Text(), "999");
}

// ---------------------------------------------------------------------------------------------
// Looks

TEST_F(SpinEditTest, ArrowsShowTheirTrianglesOverTheField) {
  UpdateWindow(form_->Handle());
  HWND arrows = Arrows();
  // The 9 x 6 glyphs centred in the arrows' faces: black down the middle column.
  bool black_in_up = false, black_in_down = false;
  for (int y = 0; y < 7; ++y) black_in_up |= wintest::PixelAt(arrows, 7, y) == RGB(0, 0, 0);
  for (int y = 8; y < 17; ++y) black_in_down |= wintest::PixelAt(arrows, 7, y) == RGB(0, 0, 0);
  EXPECT_TRUE(black_in_up);
  EXPECT_TRUE(black_in_down);
}

// Not a test: keeps the window on screen for a few seconds so that a screenshot can be taken
// (run with --gtest_also_run_disabled_tests --gtest_filter=*Screenshot*).
TEST_F(SpinEditTest, DISABLED_HoldTheWindowForAScreenshot) {
  spin_->SetFocus();
  // The widest number the window allows.
  spin_->SetValue(999);
  for (int i = 0; i < 50; ++i) {
    wintest::Pump();
    Sleep(100);
  }
}

}  // namespace
