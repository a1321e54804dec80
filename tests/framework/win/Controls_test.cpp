// The control base under Wine: the mouse capture of windowless controls, keyboard focus moved by
// Tab through the application's message loop, and exceptions at window procedure entries.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/win/Buttons.h"
#include "framework/win/Timer.h"
#include "tests/framework/win/WinTest.h"

namespace {

// A windowed control that takes the focus and paints nothing.
class TFocusBox : public TCustomControl {
 public:
  explicit TFocusBox(TComponent* owner) : TCustomControl(owner) { SetTabStop(true); }
};

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    form_ = new TForm(Application);
    form_->SetBounds(60, 60, 300, 200);
  }
  void TearDown() override {
    delete form_;
    wintest::Pump();
  }
  TFocusBox* AddBox(int left) {
    auto* box = new TFocusBox(form_);
    box->SetBounds(left, 100, 40, 40);
    box->SetParent(form_);
    return box;
  }
  TForm* form_ = nullptr;
};

// --- the mouse capture of a windowless control

TEST_F(ControlsTest, SpeedButtonHeldWhenAnotherWindowTakesTheCaptureGoesUpWithoutAClick) {
  auto* button = new TSpeedButton(form_);
  button->SetBounds(10, 10, 60, 30);
  button->SetParent(form_);
  int clicks = 0, releases = 0;
  POINT released_at{};
  button->OnClick = [&](TObject*) { ++clicks; };
  button->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    if (++releases == 1) released_at = {x, y};
  };
  form_->Show();
  wintest::Pump();
  wintest::PostMouse(form_->Handle(), WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  wintest::Pump();
  ASSERT_TRUE(button->IsDown());
  ASSERT_TRUE(button->MouseCapture());

  // Another window of the program takes the capture, as a menu or a drag would.
  TForm other(nullptr);
  SetCapture(other.Handle());
  wintest::Pump();
  EXPECT_FALSE(button->IsDown()) << "a button whose press was cancelled stays drawn down";
  EXPECT_FALSE(button->MouseCapture());
  ASSERT_EQ(releases, 1) << "the press ends with a release";
  EXPECT_FALSE(released_at.x >= 0 && released_at.y >= 0 && released_at.x < 60 && released_at.y < 30)
      << "the ended press must not look like a release over the button";
  ReleaseCapture();

  // The real release arrives later, over the button: it belongs to no press.
  wintest::PostMouse(form_->Handle(), WM_LBUTTONUP, 20, 20);
  wintest::Pump();
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(button->IsDown());
}

TEST_F(ControlsTest, CaptureReleasedByTheButtonItselfCancelsNothing) {
  auto* button = new TSpeedButton(form_);
  button->SetBounds(10, 10, 60, 30);
  button->SetParent(form_);
  int clicks = 0, releases = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  button->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++releases; };
  form_->Show();
  wintest::Pump();
  wintest::Click(form_->Handle(), 20, 20);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(releases, 1) << "a normal release must not be followed by a second one";
  EXPECT_EQ(GetCapture(), nullptr);
}

// --- Tab and Shift+Tab through the message loop

// Presses Tab on the window with the focus, through the application's own loop.
void PressTab(bool shift) {
  BYTE keys[256];
  GetKeyboardState(keys);
  const BYTE old_shift = keys[VK_SHIFT];
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  HWND focus = GetFocus();
  PostMessageA(focus, WM_KEYDOWN, VK_TAB, 1);
  PostMessageA(focus, WM_KEYUP, VK_TAB, 0xC0000001);
  Application->ProcessMessages();
  keys[VK_SHIFT] = old_shift;
  SetKeyboardState(keys);
}

TEST_F(ControlsTest, TabAndShiftTabWalkTheTabOrderSkippingWhatCannotTakeTheFocus) {
  TFocusBox* first = AddBox(10);
  TFocusBox* second = AddBox(60);
  TFocusBox* hidden = AddBox(110);
  TFocusBox* no_stop = AddBox(160);
  TFocusBox* disabled = AddBox(210);
  hidden->SetVisible(false);
  no_stop->SetTabStop(false);
  disabled->SetEnabled(false);
  second->SetTabOrder(0);  // second comes first now
  form_->Show();
  Application->ProcessMessages();
  ASSERT_TRUE(second->Focused()) << "showing a form focuses the first in tab order";

  struct Step {
    bool shift;
    TFocusBox* expected;
  };
  const Step steps[] = {{false, first}, {false, second}, {true, first}, {true, second}};
  for (const Step& step : steps) {
    PressTab(step.shift);
    EXPECT_TRUE(step.expected->Focused()) << (step.shift ? "Shift+Tab" : "Tab") << " went astray";
  }
}

TEST_F(ControlsTest, FormActivatedAgainGivesTheFocusBackToTheControlThatHadIt) {
  AddBox(10);
  TFocusBox* second = AddBox(60);
  form_->Show();
  Application->ProcessMessages();
  PressTab(false);
  ASSERT_TRUE(second->Focused());

  TForm other(nullptr);
  other.SetBounds(400, 60, 200, 100);
  other.Show();
  Application->ProcessMessages();
  ASSERT_FALSE(second->Focused());
  form_->Show();  // back to the front, as a click on its caption or Alt+Tab would
  Application->ProcessMessages();
  EXPECT_TRUE(second->Focused()) << "the focus went to " << GetFocus() << " after activation";
}

// Exit and enter tell of the focus moving between the controls of one form: a form that leaves
// the screen or the foreground and comes back tells its control nothing.
TEST_F(ControlsTest, OnlyAMoveBetweenControlsOfTheFormExitsAndEnters) {
  TFocusBox* first = AddBox(10);
  TFocusBox* second = AddBox(60);
  std::vector<std::string> events;
  for (TFocusBox* box : {first, second}) {
    const std::string name = box == first ? "first" : "second";
    box->OnEnter = [&events, name](TObject*) { events.push_back("enter " + name); };
    box->OnExit = [&events, name](TObject*) { events.push_back("exit " + name); };
  }
  // The boxes live on with the form until the tear-down, where the focus still leaves one.
  TScopeExit unhear([&] {
    for (TFocusBox* box : {first, second}) box->OnEnter = box->OnExit = TNotifyEvent();
  });
  form_->Show();
  Application->ProcessMessages();
  PressTab(false);
  ASSERT_TRUE(second->Focused());
  EXPECT_EQ(events, (std::vector<std::string>{"enter first", "exit first", "enter second"}));

  TForm other(nullptr);
  other.SetBounds(400, 60, 200, 100);
  const struct {
    const char* name;
    std::function<void()> leave;
  } steps[] = {
      {"hidden and shown again", [&] { form_->Hide(); }},
      {"another form in front", [&] { other.Show(); }},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    events.clear();
    step.leave();
    Application->ProcessMessages();
    ASSERT_FALSE(second->Focused());
    form_->Show();
    Application->ProcessMessages();
    EXPECT_TRUE(second->Focused());
    EXPECT_EQ(events, std::vector<std::string>{});
  }
}

// --- exceptions at the entry of a window procedure

TEST(WindowProcedureEntry, AnythingThrownByATimerHandlerIsShownAndTheProgramGoesOn) {
  wintest::ExceptionRecorder recorder;
  TTimer timer(nullptr);
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) {
    if (++ticks == 1) throw 42;  // not a std::exception
    throw ERangeError("tick broke");
  };
  SendMessageA(timer.Handle(), WM_TIMER, 1, 0);
  SendMessageA(timer.Handle(), WM_TIMER, 1, 0);
  EXPECT_EQ(recorder.messages, (std::vector<AnsiString>{"Unknown exception", "tick broke"}));
  timer.SetEnabled(false);
}

}  // namespace
