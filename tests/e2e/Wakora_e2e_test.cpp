// End to end: the built program in a Wine desktop, driven through its windows.
#include <gtest/gtest.h>

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

// The language list is the combo box at 282,107; the sound list the one at 36,112.
HWND LanguageList(const Program& program) {
  for (HWND child : Program::Children(program.MainWindow())) {
    char name[64];
    GetClassNameA(child, name, sizeof name);
    RECT r;
    GetWindowRect(child, &r);
    POINT p{r.left, r.top};
    ScreenToClient(program.MainWindow(), &p);
    if (lstrcmpiA(name, "ComboBox") == 0 && p.x == 282) return child;
  }
  return nullptr;
}

HWND ReminderField(const Program& program) {
  for (HWND child : Program::Children(program.MainWindow())) {
    char name[64];
    GetClassNameA(child, name, sizeof name);
    RECT r;
    GetWindowRect(child, &r);
    POINT p{r.left, r.top};
    ScreenToClient(program.MainWindow(), &p);
    if (lstrcmpiA(name, "Edit") == 0 && p.x == 147) return child;
  }
  return nullptr;
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
  CopyFileA((folder + "\\Wakora.t01").c_str(), (folder + "\\Wakora.c01").c_str(), FALSE);
  CopyFileA((folder + "\\Wakora.t02").c_str(), (folder + "\\Wakora.d01").c_str(), FALSE);
  {
    Program program(folder);
    ASSERT_NE(StartedWindow(program), nullptr);
    HWND reminder = ReminderField(program);
    SetWindowTextA(reminder, "typed by the user");
    driver::ChooseComboItem(LanguageList(program), 1);
    EXPECT_TRUE(driver::WaitFor(
        [&] { return driver::WindowText(reminder) == "Time's up!"; }, 5000));
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
  EXPECT_EQ(GetFileAttributesA((folder + "\\Wakora.def").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
