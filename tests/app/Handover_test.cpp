// A start's alarm: handed to the running copy through the named entry and WM_COPYDATA, and
// armed on the window as the start button arms it.
#include <atomic>
#include <thread>

#include "app/Handover.h"
#include "tests/app/AppTest.h"

namespace {

TAlarmRequest Countdown(int minutes, const char* text = nullptr) {
  TAlarmRequest alarm;
  alarm.Countdown = true;
  alarm.Minutes = minutes;
  alarm.HasText = text != nullptr;
  alarm.Text = text ? text : "";
  return alarm;
}

// A window of a copy of the program, as far as the hand-over sees it: it answers WM_COPYDATA
// with `Answer` and keeps the arguments it got.
struct TReceiver {
  explicit TReceiver(LRESULT answer) : Answer(answer) {
    static const ATOM atom = [] {
      WNDCLASSA window_class{};
      window_class.lpfnWndProc = Proc;
      window_class.hInstance = GetModuleHandleA(nullptr);
      window_class.lpszClassName = "WakoraHandOverTest";
      return RegisterClassA(&window_class);
    }();
    Window = CreateWindowExA(0, MAKEINTATOM(atom), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleA(nullptr), this);
  }
  ~TReceiver() {
    if (IsWindow(Window)) DestroyWindow(Window);
  }

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrA(
          window, GWLP_USERDATA,
          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<TReceiver*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self) {
      TAlarmRequest alarm;
      self->Received.push_back(
          ReadHandOver(reinterpret_cast<const COPYDATASTRUCT*>(lparam), ResolveExistingFile, alarm)
              ? AlarmArguments(alarm)
              : std::vector<AnsiString>{"unreadable"});
      return self->Answer;
    }
    return DefWindowProcA(window, message, wparam, lparam);
  }

  LRESULT Answer;
  HWND Window = nullptr;
  std::vector<std::vector<AnsiString>> Received;
};

// Named objects of their own for each case, apart from a copy of the program that may run.
AnsiString UniqueName() {
  static int counter = 0;
  return "WakoraTest" + IntToStr(GetCurrentProcessId()) + "." + IntToStr(++counter);
}

TEST(RunningCopy, TakesHandOversOnlyFromALiveCopyThatAcceptsThem) {
  enum TEntered { kNothing, kAccepting, kRefusing, kCrashed, kOtherProcess };
  const struct {
    const char* Name;
    TEntered Entered;
  } cases[] = {
      {"no copy", kNothing},
      {"a copy that takes it", kAccepting},
      // Between integrity levels the system drops the message, and the send answers 0.
      {"a copy that does not take it", kRefusing},
      {"a copy that crashed: its window is gone", kCrashed},
      {"a window handle now of another process", kOtherProcess},
  };
  const TAlarmRequest alarm = Countdown(4, "Tea");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const AnsiString name = UniqueName();
    TRunningCopy running(name);
    TReceiver entered(c.Entered == kRefusing ? FALSE : TRUE);
    if (c.Entered != kNothing) {
      running.Enter(c.Entered == kOtherProcess ? GetDesktopWindow() : entered.Window);
    }
    if (c.Entered == kCrashed) DestroyWindow(entered.Window);

    TRunningCopy starting(name);
    const bool live = c.Entered == kAccepting || c.Entered == kRefusing;
    EXPECT_EQ(starting.EnteredWindow(), live ? entered.Window : nullptr) << "not sent to";
    const bool taken = c.Entered == kAccepting;
    EXPECT_EQ(starting.HandOver(alarm), taken);
    EXPECT_EQ(entered.Received.size(), live ? 1u : 0u);
    for (const auto& received : entered.Received) EXPECT_EQ(received, AlarmArguments(alarm));
    // A copy that did not take the alarm arms it itself, and later starts come to it.
    TReceiver own(TRUE);
    starting.Enter(own.Window);
    EXPECT_EQ(starting.EnteredWindow(), taken ? entered.Window : own.Window);
  }
}

TEST(RunningCopy, OfTwoStartsAtOneMomentTheSecondHandsOverToTheFirst) {
  const AnsiString name = UniqueName();
  TRunningCopy first(name);
  ASSERT_FALSE(first.HandOver(Countdown(1)));  // none runs: the first starts, and holds on

  std::atomic<int> handed_over{-1};
  std::thread second([&] {
    TRunningCopy copy(name);
    handed_over = copy.HandOver(Countdown(7));
  });
  // The second waits while the first makes its window.
  Sleep(200);
  EXPECT_EQ(handed_over, -1);
  TReceiver window(TRUE);
  first.Enter(window.Window);
  const DWORD start = GetTickCount();
  while (handed_over == -1 && GetTickCount() - start < 10000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    wintest::Pump();
  }
  second.join();
  EXPECT_EQ(handed_over, 1);
  EXPECT_EQ(window.Received, std::vector<std::vector<AnsiString>>{AlarmArguments(Countdown(7))});
}

// ---------------------------------------------------------------------------------------------
// The window

class ArmFromRequestTest : public apptest::WindowTest {};

TEST_F(ArmFromRequestTest, AtStartTheWindowStaysHiddenWithTheFirstShowsTextsAndTheRequest) {
  CreateMainWindow();
  SetClock(10, 0, 50);
  TAlarmRequest alarm = Countdown(1, "Tea \xC3\xA9");  // UTF-8 from the command line
  alarm.Sound = 3;
  alarm.SoundFile = folder_ + "\\tea.wav";
  Form1->ArmFromRequest(alarm);
  wintest::Pump();
  EXPECT_FALSE(IsWindowVisible(Form1->Handle()));
  EXPECT_TRUE(sounds_.empty()) << "a choice from the command line plays no preview";
  EXPECT_NE(Form1->TrayIcon1->ToolTip().find("10:01"), AnsiString::npos);

  Tick(10, 1, 0);
  EXPECT_EQ(messages_, std::vector<AnsiString>{"Wakora: Tea \xE9"});
  ASSERT_EQ(sounds_.size(), 1u);
  EXPECT_EQ(sounds_[0].File, alarm.SoundFile);
  // Shown at last, the window keeps the request: the first show's texts came before it.
  EXPECT_TRUE(IsWindowVisible(Form1->Handle()));
  EXPECT_EQ(Form1->Edit1->Text(), "Tea \xE9");
  EXPECT_EQ(Form1->Label5->Caption(), "&Minuten ab jetzt");
  EXPECT_EQ(Form1->ComboBox1->Items()->Count(), 8);
}

TEST_F(ArmFromRequestTest, WhileAModalBoxIsOpenTheNewestRequestWaitsForItToClose) {
  StartWindow();
  // A modal box or dialog disables its owner while it is open.
  EnableWindow(Form1->Handle(), FALSE);
  Form1->ArmFromRequest(Countdown(5));
  Form1->ArmFromRequest(Countdown(7));
  wintest::Pump();
  EXPECT_FALSE(Form1->Timer1->Enabled());
  EXPECT_TRUE(IsWindowVisible(Form1->Handle()));

  EnableWindow(Form1->Handle(), TRUE);
  EXPECT_FALSE(Form1->Timer1->Enabled()) << "armed inside the box's own code";
  wintest::Pump();
  EXPECT_TRUE(Form1->Timer1->Enabled());
  EXPECT_FALSE(IsWindowVisible(Form1->Handle()));
  EXPECT_EQ(Form1->CSpinEdit1->Text(), "7");
}

}  // namespace
