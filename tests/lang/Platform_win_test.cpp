// The Win32 services behind the catalogue, against the real calls.
#include <windows.h>

#include <gtest/gtest.h>

#include "lang/Platform.h"
#include "tests/lang/Langfolder.h"

namespace {

TEST(SystemPlatformWin, TerminationPostsAQuitMessageWithCodeZero) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  SystemLanguagePlatform().RequestTermination();
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 0u);
}

TEST(SystemPlatformWin, ExecutablePathIsTheModulesFullPath) {
  wchar_t expected[MAX_PATH];
  GetModuleFileNameW(nullptr, expected, MAX_PATH);
  const AnsiString path = SystemLanguagePlatform().ExecutablePath();
  EXPECT_EQ(widefolder::PathOf(path), std::filesystem::path(expected));
  EXPECT_EQ(path.substr(path.size() - 4), ".exe");
  EXPECT_EQ(path[1], ':') << "not a full path";
}

}  // namespace
