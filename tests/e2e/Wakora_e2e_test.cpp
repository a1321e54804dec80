// End to end: the built program in a Wine desktop, driven through its windows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/e2e/Driver.h"

namespace {

using driver::Program;

constexpr DWORD kStartTimeout = 20000;

// A fresh copy of the distribution folder: the program, the language files, the sounds.
std::string FreshFolder(bool with_languages = true) {
  const std::string folder = driver::MakeTempFolder();
  driver::CopyFiles(driver::DistFolder(), folder, "Wakora.exe");
  driver::CopyFiles(driver::DistFolder(), folder, "*.wav");
  if (with_languages) driver::CopyFiles(driver::DistFolder(), folder, "Wakora.t0*");
  return folder;
}

// Waits for the window and its first show (the language list is filled then).
HWND StartedWindow(Program& program) {
  HWND window = nullptr;
  driver::WaitFor(
      [&] {
        window = program.MainWindow();
        HWND languages = program.Child("ComboBox", 0);
        return window && IsWindowVisible(window) && languages &&
               SendMessageA(languages, CB_GETCOUNT, 0, 0) > 0;
      },
      kStartTimeout);
  return window;
}

// A child window of the main window by class and left edge, and top edge where given (the
// form places them).
HWND ChildAt(const Program& program, const char* class_name, int left, int top = -1) {
  for (HWND child : Program::Children(program.MainWindow())) {
    char name[64];
    GetClassNameA(child, name, sizeof name);
    RECT r;
    GetWindowRect(child, &r);
    POINT p{r.left, r.top};
    ScreenToClient(program.MainWindow(), &p);
    if (lstrcmpiA(name, class_name) == 0 && p.x == left && (top < 0 || p.y == top)) return child;
  }
  return nullptr;
}

HWND LanguageList(const Program& program) {
  return ChildAt(program, "ComboBox", 282);
}
HWND ReminderField(const Program& program) {
  return ChildAt(program, "Edit", 147);
}
HWND MinutesField(const Program& program) {
  return ChildAt(program, "Edit", 49);
}
HWND CountdownButton(const Program& program) {
  return ChildAt(program, "Button", 32, 209);
}

TEST(Wakora, FirstStartCreatesTheActiveLanguageAndShowsTheWindow) {
  const std::string folder = FreshFolder();
  Program program(folder);
  HWND window = StartedWindow(program);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(driver::WindowText(window), "Wakora 3.8");
  EXPECT_TRUE(driver::SameFile(folder + "\\Wakora.def", folder + "\\Wakora.t00"));
  EXPECT_EQ(driver::WindowText(ReminderField(program)), "Die Zeit ist um!");
  const auto languages = driver::ComboItems(LanguageList(program));
  ASSERT_GE(languages.size(), 6u);
  EXPECT_EQ(languages[0], "Deutsch");
  EXPECT_EQ(languages[1], "English");
  EXPECT_EQ(driver::ComboIndex(LanguageList(program)), 0);
  // The close box ends the program.
  PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(program.WaitForExit(10000));
}

TEST(Wakora, ChosenLanguageIsCopiedAppliedAndKeptForTheNextStart) {
  const std::string folder = FreshFolder();
  // Language 1 has a help file and a document; they are copied over "chm" and "doc".
  driver::CopyOneFile(folder + "\\Wakora.t01", folder + "\\Wakora.c01");
  driver::CopyOneFile(folder + "\\Wakora.t02", folder + "\\Wakora.d01");
  {
    Program program(folder);
    ASSERT_NE(StartedWindow(program), nullptr);
    HWND reminder = ReminderField(program);
    SetWindowTextA(reminder, "typed by the user");
    driver::ChooseComboItem(LanguageList(program), 1);
    EXPECT_TRUE(
        driver::WaitFor([&] { return driver::WindowText(reminder) == "Time's up!"; }, 5000));
    EXPECT_TRUE(driver::SameFile(folder + "\\Wakora.def", folder + "\\Wakora.t01"));
    EXPECT_TRUE(driver::SameFile(folder + "\\Wakora.chm", folder + "\\Wakora.c01"));
    EXPECT_TRUE(driver::SameFile(folder + "\\Wakora.doc", folder + "\\Wakora.d01"));
    PostMessageA(program.MainWindow(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit(10000));
  }
  Program again(folder);
  ASSERT_NE(StartedWindow(again), nullptr);
  EXPECT_EQ(driver::WindowText(ReminderField(again)), "Time's up!");
  EXPECT_EQ(driver::ComboIndex(LanguageList(again)), 1);
}

TEST(Wakora, WithoutLanguageFilesTheProgramEndsByItself) {
  const std::string folder = FreshFolder(false);
  Program program(folder);
  EXPECT_TRUE(program.WaitForExit(kStartTimeout));
  EXPECT_FALSE(driver::Exists(folder + "\\Wakora.def"));
  // Asked for an alarm, it says why it cannot set one, and fails.
  Program alarm(folder, "Wakora.exe", "/in 5");
  HWND box = nullptr;
  ASSERT_TRUE(driver::WaitFor(
      [&] {
        box = alarm.MessageBoxWindow();
        return box && !driver::MessageBoxText(box).empty();
      },
      kStartTimeout));
  EXPECT_NE(driver::MessageBoxText(box).find("Wakora.def"), std::string::npos)
      << driver::MessageBoxText(box);
  driver::PressOk(box);
  ASSERT_TRUE(alarm.WaitForExit(10000));
  EXPECT_EQ(alarm.ExitCode(), 1u);
  EXPECT_TRUE(driver::Records(folder).empty());
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The alarm, as a user meets it

namespace {

int SecondsNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return t.wSecond;
}

HWND TrayWindow(const Program& program) {
  return program.TrayWindow();
}

bool Topmost(HWND window) {
  return GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST;
}

// The start button is windowless: the press reaches it through the window.
void PressStart(HWND window) {
  driver::Click(window, 139 + 62, 247 + 15);
}

}  // namespace

TEST(Alarm, TimeOfDayAtTheCurrentMinuteFiresOnTopWithTheReminder) {
  // Keep clear of a minute's last seconds: the picker takes the minute of the first show.
  driver::WaitFor([] { return SecondsNow() <= 45; }, 20000);
  const std::string folder = FreshFolder();
  Program program(folder);
  HWND window = StartedWindow(program);
  ASSERT_NE(window, nullptr);
  HWND app = program.ApplicationWindow();
  ASSERT_NE(app, nullptr);
  SetWindowTextA(ReminderField(program), "Tea is ready");

  PressStart(window);
  ASSERT_TRUE(driver::WaitFor([&] { return !IsWindowVisible(window); }, 3000));
  EXPECT_FALSE(IsWindowVisible(app)) << "the taskbar button stays";
  EXPECT_NE(TrayWindow(program), nullptr);

  // The box is found as soon as it exists; its text comes with its children.
  HWND box = nullptr;
  ASSERT_TRUE(driver::WaitFor(
      [&] {
        box = program.MessageBoxWindow();
        return box && IsWindowVisible(box) && !driver::MessageBoxText(box).empty();
      },
      4000));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(IsWindowVisible(app));
  EXPECT_TRUE(Topmost(window));
  EXPECT_EQ(driver::MessageBoxText(box), "Wakora: Tea is ready");
  driver::PressOk(box);
  EXPECT_TRUE(driver::WaitFor([&] { return !program.MessageBoxWindow(); }, 3000))
      << driver::MessageBoxText(program.MessageBoxWindow());
  EXPECT_TRUE(driver::WaitFor([&] { return !Topmost(window); }, 3000));
}

TEST(Alarm, ATrayClickCancelsTheWaitingAlarm) {
  const std::string folder = FreshFolder();
  Program program(folder);
  HWND window = StartedWindow(program);
  ASSERT_NE(window, nullptr);
  // Countdown of one minute, chosen as a user does: a click into the minutes field, then the
  // number typed over the whole text.
  HWND minutes = MinutesField(program);
  ASSERT_NE(minutes, nullptr);
  driver::Click(minutes, 5, 5);
  PostMessageA(minutes, EM_SETSEL, 0, -1);
  PostMessageA(minutes, WM_CHAR, '1', 1);
  ASSERT_TRUE(driver::WaitFor([&] { return driver::WindowText(minutes) == "1"; }, 3000));
  ASSERT_EQ(SendMessageA(CountdownButton(program), BM_GETCHECK, 0, 0), BST_CHECKED)
      << "the countdown mode is not chosen";
  PressStart(window);
  ASSERT_TRUE(driver::WaitFor([&] { return !IsWindowVisible(window); }, 3000));
  const DWORD armed = GetTickCount();

  HWND tray = TrayWindow(program);
  ASSERT_NE(tray, nullptr);
  PostMessageA(tray, WM_USER + 1, 0, WM_LBUTTONUP);
  ASSERT_TRUE(driver::WaitFor([&] { return IsWindowVisible(window); }, 3000));
  EXPECT_TRUE(driver::WaitFor([&] { return IsWindowVisible(program.ApplicationWindow()); }, 3000));

  // The target minute comes and goes without a message.
  while (GetTickCount() - armed < 62000) {
    ASSERT_EQ(program.MessageBoxWindow(), nullptr) << "a cancelled alarm fired";
    Sleep(250);
  }
}

TEST(Alarm, TheTrayMenusQuitItemEndsTheProgram) {
  const std::string folder = FreshFolder();
  Program program(folder);
  ASSERT_NE(StartedWindow(program), nullptr);
  HWND tray = TrayWindow(program);
  ASSERT_NE(tray, nullptr);
  // The shell's menu request of its version 4: the event in the low word, the icon's place in
  // WPARAM.
  PostMessageA(tray, WM_USER + 1, MAKEWPARAM(500, 650), MAKELPARAM(WM_CONTEXTMENU, 0));
  HWND menu = nullptr;
  ASSERT_TRUE(
      driver::WaitFor([&] { return (menu = program.TopWindow("#32768")) != nullptr; }, 5000));
  // Up from nothing selected is the last item, "Wakora beenden".
  PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
  PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(program.WaitForExit(10000));
}

// ---------------------------------------------------------------------------------------------
// Alarms from the command line

namespace {

HWND TimeOfDayButton(const Program& program) {
  return ChildAt(program, "Button", 32, 182);
}
HWND SoundList(const Program& program) {
  return ChildAt(program, "ComboBox", 36);
}
HWND TimePicker(const Program& program) {
  return ChildAt(program, "SysDateTimePick32", 48);
}

bool Checked(HWND button) {
  return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The window, once a start's arguments have set the minutes field.
HWND ArmedWindow(const Program& program, const std::string& minutes) {
  HWND window = nullptr;
  driver::WaitFor(
      [&] {
        window = program.MainWindow();
        return window && MinutesField(program) &&
               driver::WindowText(MinutesField(program)) == minutes;
      },
      kStartTimeout);
  return window;
}

}  // namespace

// A start arms hidden; a second start while it waits arms a copy of its own, and a start while
// a copy waits for nothing hands its alarm to that copy.
TEST(CommandLine, ArmsHiddenAndNeverReplacesAnArmedAlarm) {
  const std::string folder = FreshFolder();
  Program first(folder, "Wakora.exe", "/in 1 /text Tea");
  HWND window = ArmedWindow(first, "1");
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_FALSE(IsWindowVisible(first.ApplicationWindow())) << "no taskbar button";
  EXPECT_EQ(driver::WindowText(ReminderField(first)), "Tea");
  EXPECT_TRUE(Checked(CountdownButton(first)));
  EXPECT_NE(first.TrayWindow(), nullptr);

  Program second(folder, "Wakora.exe", "-AT 07:00 /sound 3");
  ASSERT_TRUE(driver::WaitFor([&] { return second.TrayWindow() != nullptr; }, kStartTimeout))
      << "no copy of its own";
  ASSERT_TRUE(driver::WaitFor([&] { return Checked(TimeOfDayButton(second)); }, 5000));
  EXPECT_NE(driver::WindowText(TimePicker(second)).find("7:00"), std::string::npos)
      << driver::WindowText(TimePicker(second));
  EXPECT_EQ(driver::ComboIndex(SoundList(second)), 2);
  EXPECT_FALSE(IsWindowVisible(second.MainWindow()));
  EXPECT_TRUE(Checked(CountdownButton(first))) << "the first alarm was replaced";
  EXPECT_EQ(driver::WindowText(MinutesField(first)), "1");
  EXPECT_EQ(driver::Records(folder).size(), 2u) << "each armed copy keeps a record";

  Program idle(folder);
  ASSERT_NE(StartedWindow(idle), nullptr);
  Program third(folder, "Wakora.exe", "/in 30");
  ASSERT_TRUE(third.WaitForExit(kStartTimeout)) << "not handed to the idle copy";
  EXPECT_EQ(third.ExitCode(), 0u);
  EXPECT_TRUE(
      driver::WaitFor([&] { return driver::WindowText(MinutesField(idle)) == "30"; }, 5000));
  EXPECT_TRUE(driver::WaitFor([&] { return !IsWindowVisible(idle.MainWindow()); }, 5000));
}

TEST(CommandLine, ABadArgumentShowsItsMessageInTheActiveLanguageAndChangesNothing) {
  const std::string folder = FreshFolder();
  Program running(folder, "Wakora.exe", "/in 30 /text Tea");
  HWND window = ArmedWindow(running, "30");
  ASSERT_NE(window, nullptr);
  const struct {
    const char* Arguments;
    const char* Shows;
  } cases[] = {
      {"/in 12x", "Ungültiges Argument:\n\"12x\"\n\nAufruf:\nWakora /in MINUTEN"},
      {"/in 5 /sound nirgends.wav", "Diese Klangdatei gibt es nicht:\n\"nirgends.wav\""},
      {"-?", "Aufruf:\nWakora /in MINUTEN   (0 bis 999999)\nWakora /at HH:MM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Arguments);
    Program bad(folder, "Wakora.exe", c.Arguments);
    HWND box = nullptr;
    ASSERT_TRUE(driver::WaitFor(
        [&] {
          box = bad.MessageBoxWindow();
          return box && !driver::MessageBoxText(box).empty();
        },
        kStartTimeout));
    EXPECT_EQ(driver::MessageBoxText(box).find(c.Shows), 0u) << driver::MessageBoxText(box);
    EXPECT_EQ(bad.MainWindow(), nullptr);
    driver::PressOk(box);
    EXPECT_TRUE(bad.WaitForExit(10000));
  }
  EXPECT_EQ(driver::WindowText(MinutesField(running)), "30");
  EXPECT_TRUE(Checked(CountdownButton(running)));
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(running.Running());
}

// ---------------------------------------------------------------------------------------------
// A restart, in two halves that tests/e2e/restart.sh runs around the end of the whole Wine
// session and a new logon. The halves share a state file that WAKORA_RESTART_STATE names;
// without it, or in the other half, they are skipped.

namespace {

constexpr char kRestartReminder[] = "Restart check";
constexpr int64_t kRestartMinutes = 2;

int64_t UtcMilliseconds() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return static_cast<int64_t>(static_cast<ULONGLONG>(now.dwHighDateTime) << 32 |
                              now.dwLowDateTime) /
         10000;
}

const char* RestartState(const char* half) {
  const char* state = getenv("WAKORA_RESTART_STATE");
  const char* asked = getenv("WAKORA_RESTART_HALF");
  return state && asked && std::string(asked) == half ? state : nullptr;
}

}  // namespace

TEST(Restart, ArmsAnAlarmAndLeavesItRunning) {
  const char* state = RestartState("arm");
  if (!state) GTEST_SKIP() << "the first half of tests/e2e/restart.sh";
  const std::string folder = FreshFolder();
  const int64_t before = UtcMilliseconds();
  Program program(folder, "Wakora.exe",
                  "/in " + std::to_string(kRestartMinutes) + " /text \"" + kRestartReminder + "\"");
  ASSERT_TRUE(driver::WaitFor([&] { return driver::Records(folder).size() == 1; }, kStartTimeout))
      << "no record of the armed alarm";
  const int64_t after = UtcMilliseconds();
  program.LeaveRunning();
  std::ofstream(state) << folder << "\n" << before << "\n" << after << "\n";
}

TEST(Restart, TheRestoredAlarmRingsAtItsMomentAndLeavesNoRecord) {
  const char* state = RestartState("ring");
  if (!state) GTEST_SKIP() << "the second half of tests/e2e/restart.sh";
  std::ifstream in(state);
  std::string folder;
  int64_t before = 0, after = 0;
  std::getline(in, folder);
  in >> before >> after;
  ASSERT_EQ(driver::Records(folder).size(), 1u) << "the record did not outlive the session";
  // Due between these, to the second rounded up, and rung by the tick after it.
  const int64_t due_first = before + kRestartMinutes * 60000;
  const int64_t due_last = after + kRestartMinutes * 60000 + 1000;
  const std::string text = std::string("Wakora: ") + kRestartReminder;
  HWND box = nullptr;
  ASSERT_TRUE(driver::WaitFor([&] { return (box = driver::FindMessageBox(text)) != nullptr; },
                              static_cast<DWORD>(due_last - UtcMilliseconds() + 30000)))
      << "the restored alarm did not ring";
  const int64_t rang = UtcMilliseconds();
  EXPECT_GE(rang, due_first) << "rang early";
  EXPECT_LE(rang, due_last + 5000) << "rang late";
  EXPECT_TRUE(driver::Records(folder).empty()) << "a rung alarm left its record";
  DWORD process = 0;
  GetWindowThreadProcessId(box, &process);
  Program restored(process, folder);
  driver::PressOk(box);
  ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(box); }, 5000));
  PostMessageA(restored.MainWindow(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(restored.WaitForExit(10000));
}
