// A start's alarm: handed to the running copy through the named entry and WM_COPYDATA, and
// armed on the window as the start button arms it.
#include <atomic>
#include <memory>
#include <thread>

#include "app/Handover.h"
#include "tests/app/AppTest.h"

namespace {

TAlarmRequest Countdown(int minutes, const char* text = nullptr) {
  TAlarmRequest alarm;
  alarm.When = TAlarmWhen::In;
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

TEST(RunningCopy, OffersTheAlarmToEachLiveCopyOfThisProgramUntilOneTakesIt) {
  // What the entered copies answer: TRUE takes it, FALSE waits for an alarm of its own.
  enum TEntered { kTakes, kBusy, kCrashed, kOtherProcess };
  const struct {
    const char* Name;
    std::vector<TEntered> Entered;
    bool Taken;
    std::vector<size_t> Offered;  // the copies, by their place above, that were offered it
  } cases[] = {
      {"no copy", {}, false, {}},
      {"a copy that waits for nothing", {kTakes}, true, {0}},
      // Between integrity levels the system drops the message, and the send answers 0 too.
      {"a copy that waits for its own alarm", {kBusy}, false, {0}},
      {"a busy copy, then one that waits for nothing", {kBusy, kTakes}, true, {0, 1}},
      {"a copy that crashed: its window is gone", {kCrashed}, false, {}},
      {"a window handle now of another process", {kOtherProcess}, false, {}},
  };
  const TAlarmRequest alarm = Countdown(4, "Tea");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const AnsiString name = UniqueName();
    std::vector<std::unique_ptr<TRunningCopy>> copies;
    std::vector<std::unique_ptr<TReceiver>> windows;
    for (TEntered entered : c.Entered) {
      copies.push_back(std::make_unique<TRunningCopy>(name));
      windows.push_back(std::make_unique<TReceiver>(entered == kBusy ? FALSE : TRUE));
      copies.back()->Enter(entered == kOtherProcess ? GetDesktopWindow() : windows.back()->Window);
      if (entered == kCrashed) DestroyWindow(windows.back()->Window);
    }

    TRunningCopy starting(name);
    EXPECT_EQ(starting.HandOver(alarm), c.Taken);
    std::vector<size_t> offered;
    for (size_t i = 0; i < windows.size(); ++i) {
      if (windows[i]->Received.empty()) continue;
      offered.push_back(i);
      EXPECT_EQ(windows[i]->Received.front(), AlarmArguments(alarm));
    }
    EXPECT_EQ(offered, c.Offered);
    // A start that nobody took arms a copy of its own, which later starts are offered too.
    TReceiver own(TRUE);
    starting.Enter(own.Window);
    EXPECT_EQ(starting.EnteredWindows().size(), c.Offered.size() + 1);
  }
  DWORD desktop = 0;
  GetWindowThreadProcessId(GetDesktopWindow(), &desktop);
  EXPECT_FALSE(RunsThisProgram(desktop)) << "another program's process";
  EXPECT_TRUE(RunsThisProgram(GetCurrentProcessId()));
}

// A start that waits for the mutex keeps its thread's windows answering: the copy that holds
// it may send to them, and the system takes a window that does not answer for hung.
TEST(RunningCopy, WaitingForTheMutexKeepsTheThreadsWindowsAnswering) {
  const AnsiString name = UniqueName();
  TReceiver window(TRUE);
  std::atomic<bool> answered{false}, holding{false};
  std::thread holder([&] {
    TRunningCopy copy(name);
    EXPECT_FALSE(copy.HandOver(Countdown(1)));  // nobody entered: it keeps the mutex
    holding = true;
    Sleep(100);
    COPYDATASTRUCT data{0, 0, nullptr};
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutA(window.Window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                   SMTO_ABORTIFHUNG, 1000, &result) != 0;
  });
  while (!holding) Sleep(10);
  TRunningCopy waiting(name);
  waiting.Enter(window.Window);  // waits for the holder, which ends after its send
  holder.join();
  EXPECT_TRUE(answered);
  EXPECT_EQ(window.Received.size(), 1u);
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
  TAlarmRequest alarm = Countdown(1, "Tea é");
  alarm.Sound = 3;
  alarm.SoundFile = folder_ + "\\tea.wav";
  Form1->ArmFromRequest(alarm);
  wintest::Pump();
  EXPECT_FALSE(IsWindowVisible(Form1->Handle()));
  EXPECT_TRUE(sounds_.empty()) << "a choice from the command line plays no preview";
  EXPECT_NE(Form1->TrayIcon1->ToolTip().find("10:01"), AnsiString::npos);

  Tick(10, 1, 50);
  EXPECT_EQ(messages_, std::vector<AnsiString>{"Wakora: Tea é"});
  ASSERT_EQ(sounds_.size(), 1u);
  EXPECT_EQ(sounds_[0].File, alarm.SoundFile);
  // Shown at last, the window keeps the request: the first show's texts came before it.
  EXPECT_TRUE(IsWindowVisible(Form1->Handle()));
  EXPECT_EQ(Form1->Edit1->Text(), "Tea é");
  EXPECT_EQ(Form1->Label5->Caption(), "&Minuten ab jetzt");
  EXPECT_EQ(Form1->ComboBox1->Items()->Count(), 8);
}

// A copy that waits for an alarm of its own, or rings one, leaves a start's alarm to a copy of
// the start's own: nothing replaces an armed alarm.
TEST_F(ArmFromRequestTest, AWindowTakesAHandOverOnlyWhileItWaitsForNothing) {
  StartWindow();
  SetClock(10, 0, 0);
  EXPECT_TRUE(Form1->TakeHandOver(Countdown(5))) << "idle";
  EXPECT_FALSE(Form1->TakeHandOver(Countdown(7))) << "armed";
  EXPECT_EQ(Form1->CSpinEdit1->Text(), "5");
  bool taken_while_ringing = true;
  AlarmServices().ShowMessage = [&](const AnsiString& text) {
    messages_.push_back(text);
    taken_while_ringing = Form1->TakeHandOver(Countdown(7));
  };
  Tick(10, 5, 0);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_FALSE(taken_while_ringing);
  EXPECT_TRUE(Form1->TakeHandOver(Countdown(7))) << "answered";
}

// A hand-over that arrives while a dialog is open (the window is disabled then) is due from
// its arrival and recorded at once; only the window's work waits for the dialog to close.
TEST_F(ArmFromRequestTest, AHandOverWhileADialogIsOpenTakesItsMomentWhenItArrives) {
  StartWindow();
  SetClock(10, 0, 0);
  EnableWindow(Form1->Handle(), FALSE);
  Form1->ArmFromRequest(Countdown(5));
  EXPECT_FALSE(Form1->TakeHandOver(Countdown(7))) << "it waits for an alarm already";
  EXPECT_EQ(records_.size(), 1u);
  SetClock(10, 3, 0);
  EnableWindow(Form1->Handle(), TRUE);
  EXPECT_FALSE(Form1->Timer1->Enabled()) << "armed inside the dialog's own code";
  wintest::Pump();
  EXPECT_TRUE(Form1->Timer1->Enabled());
  EXPECT_FALSE(IsWindowVisible(Form1->Handle()));
  Tick(10, 4, 59);
  EXPECT_TRUE(messages_.empty());
  Tick(10, 5, 0);
  EXPECT_EQ(messages_.size(), 1u) << "five minutes after it arrived, not after the dialog";

  // Its minute passed while the dialog was open: it rings as the dialog closes.
  EnableWindow(Form1->Handle(), FALSE);
  TAlarmRequest at;
  at.When = TAlarmWhen::At;
  at.Hour = 10;
  at.Minute = 6;
  Form1->ArmFromRequest(at);
  SetClock(10, 8, 0);
  EnableWindow(Form1->Handle(), TRUE);
  wintest::Pump();
  EXPECT_EQ(messages_.size(), 2u);
  EXPECT_TRUE(records_.empty());
}

}  // namespace
