#include <gtest/gtest.h>

#include "framework/core/Filer.h"
#include "framework/demo/DemoForm.h"
#include "tests/framework/win/WinTest.h"

namespace {

const char* const kDemo = R"(object DemoForm: TDemoForm
  Left = 40
  Top = 40
  BorderStyle = bsDialog
  Caption = 'Demo under test'
  ClientHeight = 120
  ClientWidth = 240
  OnCreate = FormCreate
  object Swatch1: TSwatch
    Left = 16
    Top = 16
    Width = 64
    Height = 64
    OnClick = Swatch1Click
  end
  object Counter1: TCounter
    Left = 120
    Top = 30
    Width = 100
    Height = 36
    TabOrder = 0
    TabStop = True
    OnClick = Counter1Click
  end
  object Timer1: TTimer
    Enabled = False
    OnTimer = Timer1Timer
  end
end
)";

class DemoFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    gdi_before_ = LiveGdiObjects();
    form_ = new TDemoForm(Application);
    form_->LoadFromText(kDemo);
    form_->DoCreate();
  }
  void TearDown() override {
    delete form_;
    wintest::Pump();
    EXPECT_EQ(LiveGdiObjects(), gdi_before_) << "GDI objects leaked";
  }
  TDemoForm* form_ = nullptr;
  int gdi_before_ = 0;
};

TEST_F(DemoFormTest, ReadsControlsAndBindsHandlersByName) {
  EXPECT_EQ(form_->Created, 1);
  ASSERT_NE(form_->Swatch1, nullptr);
  ASSERT_NE(form_->Counter1, nullptr);
  ASSERT_NE(form_->Timer1, nullptr);
  EXPECT_EQ(form_->Swatch1->Parent(), form_);
  EXPECT_EQ(form_->ClientWidth(), 240);
  EXPECT_EQ(form_->ClientHeight(), 120);
  EXPECT_EQ(form_->Caption(), "Demo under test");
}

TEST_F(DemoFormTest, ShowsAndPaintsWindowlessAndWindowedControls) {
  form_->Show();
  wintest::Pump();
  HWND window = form_->Handle();
  ASSERT_TRUE(IsWindowVisible(window));
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 240);
  EXPECT_EQ(client.bottom, 120);
  // The swatch: red in its middle, white in its corner, the form's face outside it.
  EXPECT_EQ(wintest::PixelAt(window, 48, 48), RGB(255, 0, 0));
  EXPECT_EQ(wintest::PixelAt(window, 17, 17), RGB(255, 255, 255));
  EXPECT_EQ(wintest::PixelAt(window, 100, 100), GetSysColor(COLOR_BTNFACE));
  // The counter is a child window of its own, painted white.
  HWND counter = form_->Counter1->Handle();
  EXPECT_EQ(GetParent(counter), window);
  EXPECT_EQ(wintest::PixelAt(counter, 2, 2), RGB(255, 255, 255));
}

TEST_F(DemoFormTest, ClicksSentAsMouseMessagesReachBothKindsOfControl) {
  form_->Show();
  wintest::Pump();
  wintest::Click(form_->Handle(), 40, 40);  // the windowless swatch, through the form
  EXPECT_EQ(form_->Swatch1->Fill(), clBlue);
  EXPECT_EQ(wintest::PixelAt(form_->Handle(), 48, 48), RGB(0, 0, 255));
  wintest::Click(form_->Counter1->Handle(), 10, 10);
  wintest::Click(form_->Counter1->Handle(), 10, 10);
  EXPECT_EQ(form_->Counter1->Value(), 2);
  // A press on the swatch released outside it is no click.
  wintest::PostMouse(form_->Handle(), WM_LBUTTONDOWN, 40, 40, MK_LBUTTON);
  wintest::PostMouse(form_->Handle(), WM_LBUTTONUP, 200, 110);
  wintest::Pump();
  EXPECT_EQ(form_->Swatch1->Fill(), clBlue);
}

int UtilityWindows() {
  int count = 0;
  for (HWND window = nullptr;
       (window = FindWindowExA(HWND_MESSAGE, window, "WeftUtility", nullptr));)
    ++count;
  return count;
}

TEST_F(DemoFormTest, TimerFiresOnItsMessage) {
  const int windows = UtilityWindows();
  form_->Timer1->SetEnabled(true);
  EXPECT_EQ(UtilityWindows(), windows + 1)
      << "a timer read as off gets its window when it first runs";
  SendMessageA(form_->Timer1->Handle(), WM_TIMER, 1, 0);
  SendMessageA(form_->Timer1->Handle(), WM_TIMER, 1, 0);
  EXPECT_EQ(form_->Ticks, 2);
  EXPECT_EQ(form_->Counter1->Value(), 20);
  form_->Timer1->SetEnabled(false);
  SendMessageA(form_->Timer1->Handle(), WM_TIMER, 1, 0);
  EXPECT_EQ(form_->Ticks, 2);
}

TEST_F(DemoFormTest, ExceptionInAHandlerIsShownAndTheLoopGoesOn) {
  wintest::ExceptionRecorder recorder;
  form_->Show();
  wintest::Pump();
  form_->Swatch1->OnClick = [](TObject*) { throw ERangeError("swatch broke"); };
  wintest::Click(form_->Handle(), 40, 40);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0], "swatch broke");
  // Still alive: the next click is handled.
  wintest::Click(form_->Counter1->Handle(), 10, 10);
  EXPECT_EQ(form_->Counter1->Value(), 1);
}

TEST_F(DemoFormTest, ApplicationWindowIsVisibleExactlyWhileAFormIs) {
  HWND app = Application->Handle();
  form_->Show();
  wintest::Pump();
  EXPECT_TRUE(IsWindowVisible(app));
  EXPECT_EQ(GetWindow(form_->Handle(), GW_OWNER), app);
  form_->Hide();
  wintest::Pump();
  EXPECT_FALSE(IsWindowVisible(app));
  form_->Show();
  EXPECT_TRUE(IsWindowVisible(app));
}

TEST_F(DemoFormTest, ApplicationKeepsTheSystemsNoDiskBoxAway) {
  const UINT mode = SetErrorMode(0);
  SetErrorMode(mode);
  EXPECT_TRUE(mode & SEM_FAILCRITICALERRORS);
}

// The hooks of the application's window see its messages in the order hooked, may unhook
// themselves and others while they run, and stop the message when one handles it.
TEST_F(DemoFormTest, ApplicationWindowHooksMayUnhookWhileTheyRun) {
  std::vector<int> heard;
  int first = 0, second = 0, third = 0;
  first = Application->HookMainWindow([&](TMessage& message) {
    if (message.Msg != WM_USER + 7) return false;
    heard.push_back(1);
    Application->UnhookMainWindow(first);
    Application->UnhookMainWindow(second);
    return false;
  });
  second = Application->HookMainWindow([&](TMessage& message) {
    if (message.Msg == WM_USER + 7) heard.push_back(2);
    return false;
  });
  third = Application->HookMainWindow([&](TMessage& message) {
    if (message.Msg != WM_USER + 7) return false;
    heard.push_back(3);
    message.Result = 42;
    return true;
  });
  EXPECT_EQ(SendMessageA(Application->Handle(), WM_USER + 7, 0, 0), 42);
  EXPECT_EQ(SendMessageA(Application->Handle(), WM_USER + 7, 0, 0), 42);
  EXPECT_EQ(heard, (std::vector<int>{1, 3, 3})) << "an unhooked hook was called";
  Application->UnhookMainWindow(third);
  EXPECT_EQ(SendMessageA(Application->Handle(), WM_USER + 7, 0, 0), 0);
  EXPECT_EQ(heard.size(), 3u);
}

// A form whose constructor makes its controls; it has no stored description.
class TCodeForm : public TForm {
 public:
  explicit TCodeForm(TComponent* owner) : TForm(owner), counter(new TCounter(this)) {
    counter->SetParent(this);
    OnCreate = [this](TObject*) { ++created; };
  }
  TCounter* counter;
  int created = 0;
};

// The application's first form is its main form, whether it was read or made in code; a form
// that cannot be read is freed, and the next one made takes its place.
TEST_F(DemoFormTest, TheFirstFormMadeIsTheMainFormAndOneThatCannotBeReadIsFreed) {
  TCodeForm* form = nullptr;
  EXPECT_THROW(Application->CreateForm(form), EFOpenError) << "no TCODEFORM in this program";
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(Application->MainForm(), nullptr);
  Application->CreateFormInCode(form);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(Application->MainForm(), form);
  EXPECT_EQ(form->created, 1);
  EXPECT_EQ(form->counter->Parent(), form);
  delete form;
  EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST_F(DemoFormTest, WritingTheFormGivesTextThatReadsBackTheSame) {
  const AnsiString written = WriteComponentText(*form_);
  TDemoForm copy(nullptr);
  copy.LoadFromText(written);
  EXPECT_EQ(WriteComponentText(copy), written);
  EXPECT_EQ(copy.Counter1->Left(), 120);
  EXPECT_NE(written.find("OnClick = Swatch1Click"), AnsiString::npos);
}

TEST_F(DemoFormTest, RecreatedWindowKeepsChildrenAndState) {
  form_->Show();
  wintest::Pump();
  HWND old_counter = form_->Counter1->Handle();
  form_->SetBorderStyle(TFormBorderStyle::bsSingle);
  wintest::Pump();
  EXPECT_NE(form_->Counter1->Handle(), old_counter);
  EXPECT_TRUE(IsWindow(form_->Counter1->Handle()));
  EXPECT_EQ(form_->ClientWidth(), 240);
  EXPECT_TRUE(IsWindowVisible(form_->Handle())) << "a shown form vanished with its new frame";
  EXPECT_TRUE(IsWindowVisible(form_->Counter1->Handle()));
}

}  // namespace
