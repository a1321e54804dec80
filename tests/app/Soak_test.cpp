// Soak: the real window driven through its seams for many cycles of each kind. After a warm-up,
// what the process holds must stay flat: its GDI objects, its user objects (windows, menus,
// icons), the timers it set and its private bytes. Prints the readings of each kind.
//
//   tools/wine.sh exec build/win32/tests/app/window_soak.exe [FACTOR]
//
// FACTOR multiplies the listed counts below (10 for a long run by hand); without it the run is
// short enough for the test command.
#include "tests/app/AppTest.h"

// After <windows.h>.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <utility>

namespace {

constexpr int kFireCycles = 1000;
constexpr int kCancelCycles = 1000;
constexpr int kLanguageSwitches = 1000;
constexpr int kDialogs = 200;
constexpr int kAnimationTicks = 100000;
constexpr double kDefaultFactor = 0.05;

double factor = kDefaultFactor;

// The heap commits memory in blocks and keeps what is freed for reuse, so even a flat run may
// move by a few pages. A leak of a hundred bytes a cycle outgrows 48 KiB within 1,000 cycles.
constexpr SIZE_T kPrivateBytesTolerance = 48 * 1024;

// GetGuiResources answers 0 under Wine. There a handle whose upper word is zero names whatever
// lives in that slot of the process's table, so the live objects are counted slot by slot.
int GdiObjects() {
  if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return count;
  int count = 0;
  for (UINT_PTR slot = 1; slot <= 0xFFFF; ++slot) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot))) ++count;
  }
  return count;
}

struct UserObjects {
  int Windows = 0, Menus = 0, Icons = 0;
};

// The user handle table, slot by slot as above (its handles count up in steps of two from 0x20).
// Another process's menus and icons do not resolve here; its windows do.
UserObjects CountUserObjects() {
  UserObjects count;
  for (UINT_PTR slot = 0x20; slot <= 0xFFEF; slot += 2) {
    auto* window = reinterpret_cast<HWND>(slot);
    DWORD process = 0;
    if (IsWindow(window) && GetWindowThreadProcessId(window, &process) &&
        process == GetCurrentProcessId()) {
      ++count.Windows;
    }
    if (IsMenu(reinterpret_cast<HMENU>(slot))) ++count.Menus;
    ICONINFO icon;
    if (GetIconInfo(reinterpret_cast<HICON>(slot), &icon)) {
      ++count.Icons;
      DeleteObject(icon.hbmMask);
      if (icon.hbmColor) DeleteObject(icon.hbmColor);
    }
  }
  return count;
}

// PrivateUsage reads 0 under Wine; there the committed private regions of the address space are
// added up, which is what the figure means.
SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  if (counters.PrivateUsage) return counters.PrivateUsage;
  SIZE_T bytes = 0;
  MEMORY_BASIC_INFORMATION region;
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) &&
                                 static_cast<const char*>(region.BaseAddress) >= at;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) bytes += region.RegionSize;
    if (region.RegionSize == 0) break;
  }
  return bytes;
}

struct Reading {
  int Gdi;
  int OurGdi;  // the framework's own count of what it created
  UserObjects User;
  int Timers;  // the animation's, seen through its seam, and Timer1
  SIZE_T PrivateBytes;
};

BOOL WINAPI DialogCancels(OPENFILENAMEW*) {
  return FALSE;
}

class SoakTest : public apptest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    saved_services_ = AniIconServices();
    // Every animation timer that is set and not yet killed.
    AniIconServices().SetTimer = [this](HWND window, UINT_PTR id, UINT elapse) {
      const UINT_PTR set = saved_services_.SetTimer(window, id, elapse);
      if (set) animation_timers_.insert({window, id});
      return set;
    };
    AniIconServices().KillTimer = [this](HWND window, UINT_PTR id) {
      animation_timers_.erase({window, id});
      return saved_services_.KillTimer(window, id);
    };
    real_dialog_ = DialogServices();
    DialogServices().RunDialog = DialogCancels;
    StartWindow();
    Form1->DateTimePicker1->SetTime(EncodeTime(12, 0, 0, 0));
    // The animation's frames become icons as it first reaches them; a run that plays it once
    // has them all. Made now, they are part of every first reading.
    ASSERT_EQ(Form1->AniIcon1->AniFile()->PlayableFrames(), 15);
  }
  void TearDown() override {
    WindowTest::TearDown();
    DialogServices() = real_dialog_;
    AniIconServices() = saved_services_;
  }

  Reading Read() {
    wintest::Pump();
    const int gdi = GdiObjects();
    const int timers = static_cast<int>(animation_timers_.size()) + Form1->Timer1->Enabled();
    return {gdi, LiveGdiObjects(), CountUserObjects(), timers, PrivateBytes()};
  }

  // A tenth of the cycles warms up; the readings before and after the rest must match.
  void Soak(const char* kind, int listed, const std::function<void(int)>& cycle) {
    const int count = std::max(1, static_cast<int>(listed * factor));
    const int warm_up = std::max(1, count / 10);
    for (int i = 0; i < warm_up && !HasFatalFailure(); ++i) cycle(i);
    const Reading before = Read();
    for (int i = 0; i < count; ++i) {
      cycle(i);
      if (HasFatalFailure()) return;
    }
    const Reading after = Read();
    std::printf(
        "%-28s %7d: GDI %d -> %d (ours %d -> %d), windows %d -> %d, menus %d -> %d, "
        "icons %d -> %d, timers %d -> %d, private KiB %lu -> %lu\n",
        kind, count, before.Gdi, after.Gdi, before.OurGdi, after.OurGdi, before.User.Windows,
        after.User.Windows, before.User.Menus, after.User.Menus, before.User.Icons,
        after.User.Icons, before.Timers, after.Timers,
        static_cast<unsigned long>(before.PrivateBytes / 1024),
        static_cast<unsigned long>(after.PrivateBytes / 1024));
    std::fflush(stdout);
    EXPECT_EQ(after.Gdi, before.Gdi) << "GDI objects";
    EXPECT_EQ(after.OurGdi, before.OurGdi) << "GDI objects of the framework";
    EXPECT_EQ(after.User.Windows, before.User.Windows) << "windows";
    EXPECT_EQ(after.User.Menus, before.User.Menus) << "menus";
    EXPECT_EQ(after.User.Icons, before.User.Icons) << "icons";
    EXPECT_EQ(after.Timers, before.Timers) << "timers";
    EXPECT_LE(after.PrivateBytes, before.PrivateBytes + kPrivateBytesTolerance) << "private bytes";
  }

  void Arm(int hour, int minute, int second) {
    SetClock(hour, minute, second);
    Form1->SpeedButton1Click(Form1->SpeedButton1);
    ASSERT_TRUE(Form1->Timer1->Enabled());
  }
  // The recorders would otherwise grow with every cycle.
  void ForgetCalls() {
    messages_.clear();
    sounds_.clear();
    shell_.clear();
    wake_sets_.clear();
  }

  TAniIconServices saved_services_;
  std::set<std::pair<HWND, UINT_PTR>> animation_timers_;
  TDialogServices real_dialog_;
};

TEST_F(SoakTest, ArmFireAndAnswerTheMessage) {
  Soak("arm, fire, answer", kFireCycles, [this](int) {
    ForgetCalls();
    Arm(11, 59, 30);
    Tick(12, 0, 0);
    ASSERT_EQ(messages_.size(), 1u) << "the alarm did not fire";
  });
}

TEST_F(SoakTest, ArmAndCancelFromTheTray) {
  Soak("arm, cancel from the tray", kCancelCycles, [this](int) {
    ForgetCalls();
    Arm(11, 58, 0);
    SendMessageA(Form1->TrayIcon1->WindowHandle(), TTrayIcon::TrayCallbackMessage, 0, WM_LBUTTONUP);
    wintest::Pump();
    ASSERT_FALSE(Form1->Timer1->Enabled()) << "the tray click did not cancel";
  });
}

TEST_F(SoakTest, SwitchLanguages) {
  const int languages = Form1->ComboBox1->Items()->Count();
  ASSERT_GT(languages, 1);
  Soak("language switch", kLanguageSwitches, [&](int i) {
    Form1->ComboBox1->SetItemIndex(i % languages);
    Form1->ComboBox1Change(Form1->ComboBox1);
    wintest::Pump();
    ASSERT_EQ(Trans->Text(0), Trans->LanguageName(i % languages));
  });
}

TEST_F(SoakTest, OpenAndCancelTheFileDialog) {
  Soak("file dialog, cancelled", kDialogs, [this](int i) {
    ForgetCalls();
    // Both ways the user opens it: the "..." button and the list's last entry.
    if (i % 2) {
      Form1->Button1Click(Form1->Button1);
    } else {
      Form1->ComboBox2->SetItemIndex(3);
      Form1->ComboBox2Change(Form1->ComboBox2);
    }
    wintest::Pump();
    ASSERT_EQ(Form1->ComboBox2->ItemIndex(), 0) << "the cancel did not fall back";
  });
}

TEST_F(SoakTest, AnimateTheIcon) {
  const HWND icon = Form1->AniIcon1->Handle();
  ASSERT_TRUE(Form1->AniIcon1->Animated());
  Soak("animation tick", kAnimationTicks, [icon](int i) {
    SendMessageA(icon, WM_TIMER, TAniIcon::AnimationTimerId, 0);
    if (i % 64 == 0) wintest::Pump();
  });
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 2 || (argc == 2 && (factor = std::atof(argv[1])) <= 0)) {
    std::fprintf(stderr, "usage: window_soak [FACTOR]   (a positive number; 10 for a long run)\n");
    return 2;
  }
  return RUN_ALL_TESTS();
}
