// The Win32 services behind the catalogue, against the real calls.
#include <windows.h>

#include <gtest/gtest.h>

#include "lang/Watranskomp.h"
#include "tests/lang/Langfolder.h"

namespace {

TEST(LanguageServicesWin, TerminationPostsAQuitMessageWithCodeZero) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  LanguageServices().RequestTermination();
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 0u);
}

TEST(LanguageServicesWin, ExecutablePathIsTheModulesFullPath) {
  wchar_t expected[MAX_PATH];
  GetModuleFileNameW(nullptr, expected, MAX_PATH);
  const AnsiString path = LanguageServices().ExecutablePath();
  EXPECT_EQ(widefolder::PathOf(path), std::filesystem::path(expected));
  EXPECT_EQ(path.substr(path.size() - 4), ".exe");
  EXPECT_EQ(path[1], ':') << "not a full path";
}

// A copy takes over its source's attributes: a read-only language file makes a read-only
// "def", which the next copy must still replace.
TEST(LanguageServicesWin, ACopyReplacesAReadOnlyTarget) {
  TLanguageFolder folder;
  folder.Write("t01", "one");
  folder.Write("t02", "two");
  folder.Write("def", "old");
  const auto readOnly = [&](const char* suffix, bool on) {
    SetFileAttributesW(folder.Path(suffix).c_str(),
                       on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
  };
  readOnly("def", true);
  readOnly("t01", true);
  const auto& copy = LanguageServices().CopyFileOver;
  EXPECT_TRUE(copy(folder.Base + "t01", folder.Base + "def"));
  EXPECT_EQ(folder.Read("def"), "one");
  EXPECT_TRUE(copy(folder.Base + "t02", folder.Base + "def"));
  EXPECT_EQ(folder.Read("def"), "two");
  readOnly("def", false);
  readOnly("t01", false);
}

}  // namespace
