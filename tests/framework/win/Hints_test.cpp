// Tips under Wine: the message loop sees the mouse come to rest over a control; the pause and
// hide timers are driven by sending WM_TIMER to the application's window.
#include <gtest/gtest.h>

#include <functional>

#include "framework/demo/DemoForm.h"
#include "tests/framework/win/WinTest.h"

namespace {

class HintsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    // Real timers would fire on their own: only the test's WM_TIMER may show a tip.
    Application->SetHintPause(60000);
    Application->SetHintHidePause(60000);
    form_ = new TForm(Application);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    form_->SetBounds(60, 60, 300, 200);
    swatch_ = new TSwatch(form_);
    swatch_->SetBounds(10, 10, 40, 40);
    swatch_->SetParent(form_);
    swatch_->SetHint("Swatch tip");
    swatch_->SetShowHint(true);
    counter_ = new TCounter(form_);
    counter_->SetBounds(100, 10, 80, 30);
    counter_->SetParent(form_);
    counter_->SetHint("Counter tip");
    form_->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    delete form_;
    Application->ProcessMessages();
    Application->SetShowHint(true);
    Application->SetHintPause(500);
    Application->SetHintHidePause(2500);
  }
  void MoveTo(HWND window, int x, int y) {
    wintest::PostMouse(window, WM_MOUSEMOVE, x, y);
    Application->ProcessMessages();
  }
  static void Tick(UINT_PTR timer) { SendMessageA(Application->Handle(), WM_TIMER, timer, 0); }
  static bool TipShowing() {
    return Application->HintWindow() && Application->HintWindow()->Showing();
  }

  TForm* form_ = nullptr;
  TSwatch* swatch_ = nullptr;
  TCounter* counter_ = nullptr;
};

TEST_F(HintsTest, TipShowsBelowThePointerOverAWindowlessControlOnlyAfterThePause) {
  MoveTo(form_->Handle(), 20, 30);
  EXPECT_FALSE(TipShowing()) << "no tip before the pause";
  Tick(THintTracker::PauseTimer);
  ASSERT_TRUE(TipShowing());
  EXPECT_EQ(Application->HintWindow()->Text(), "Swatch tip");
  POINT rest{20, 30};
  ClientToScreen(form_->Handle(), &rest);
  RECT tip;
  GetWindowRect(Application->HintWindow()->Handle(), &tip);
  EXPECT_EQ(tip.left, rest.x);
  EXPECT_GT(tip.top, rest.y) << "the tip goes below the pointer";
  EXPECT_NE(GetForegroundWindow(), Application->HintWindow()->Handle());

  MoveTo(form_->Handle(), 30, 35);
  EXPECT_TRUE(TipShowing()) << "moving within the control keeps the tip";
}

struct HideCase {
  const char* Name;
  std::function<void(HWND form)> Act;
};

TEST_F(HintsTest, LeavingAKeyAClickAndTheHidePauseHideTheTipUntilAnotherControl) {
  const HideCase cases[] = {
      {"the mouse moves off the control onto the bare form",
       [](HWND form) { wintest::PostMouse(form, WM_MOUSEMOVE, 80, 120); }},
      {"the mouse leaves the window", [](HWND form) { PostMessageA(form, WM_MOUSELEAVE, 0, 0); }},
      {"a key", [](HWND form) { PostMessageA(form, WM_KEYDOWN, 'A', 1); }},
      {"a right click", [](HWND form) { wintest::PostMouse(form, WM_RBUTTONDOWN, 20, 30); }},
      {"the hide pause", [](HWND) { Tick(THintTracker::HideTimer); }},
  };
  for (const HideCase& c : cases) {
    SCOPED_TRACE(c.Name);
    MoveTo(form_->Handle(), 80, 120);
    MoveTo(form_->Handle(), 20, 30);
    Tick(THintTracker::PauseTimer);
    ASSERT_TRUE(TipShowing());
    c.Act(form_->Handle());
    Application->ProcessMessages();
    EXPECT_FALSE(TipShowing());
    Tick(THintTracker::PauseTimer);
    EXPECT_FALSE(TipShowing()) << "shown again without the mouse going elsewhere";
  }
}

struct WhichCase {
  const char* Name;
  bool FormShows;
  int CounterShows;  // -1: follows the form
  const char* FormHint;
  const char* CounterHint;
  bool ApplicationShows;
  const char* Tip;  // null: none
};

TEST_F(HintsTest, ShowHintFollowsTheParentAndTheApplication) {
  // clang-format off
  const WhichCase cases[] = {
      {"following a form without ShowHint", false, -1, "", "Counter tip", true, nullptr},
      {"following a form with ShowHint", true, -1, "", "Counter tip", true, "Counter tip"},
      {"its own ShowHint off wins over the form's", true, 0, "", "Counter tip", true, nullptr},
      {"without a hint of its own, its parent's", false, 1, "Form tip", "", true, "Form tip"},
      {"the application's ShowHint off stops every tip", false, 1, "", "Counter tip", false,
       nullptr},
  };
  // clang-format on
  for (const WhichCase& c : cases) {
    SCOPED_TRACE(c.Name);
    form_->SetShowHint(c.FormShows);
    form_->SetHint(c.FormHint);
    counter_->SetHint(c.CounterHint);
    if (c.CounterShows < 0) {
      counter_->SetParentShowHint(true);
    } else {
      counter_->SetShowHint(c.CounterShows != 0);
    }
    Application->SetShowHint(c.ApplicationShows);
    MoveTo(form_->Handle(), 80, 120);
    MoveTo(counter_->Handle(), 10, 10);
    Tick(THintTracker::PauseTimer);
    EXPECT_EQ(TipShowing(), c.Tip != nullptr);
    if (c.Tip && TipShowing()) {
      EXPECT_EQ(Application->HintWindow()->Text(), c.Tip);
    }
  }
}

}  // namespace
