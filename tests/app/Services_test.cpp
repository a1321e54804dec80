// The alarm's real system services: the clocks, the zone, the wake-up timer, the sound and the
// shell, under Wine in the zone that TZ names for the test process. The test command runs them
// in UTC, America/New_York and Europe/Berlin.
#include "tests/app/AppTest.h"

#include <mmsystem.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

TMilliseconds At(int year, int month, int day, int hour, int minute) {
  return static_cast<TMilliseconds>(EncodeDate(year, month, day)) * kDayMs +
         (hour * 60 + minute) * kMinuteMs;
}

// Each zone's offsets and its changes in 2026, in UTC, from the zones' published rules.
struct KnownZone {
  const char* Name;  // as TZ names it
  int Standard;
  int Daylight;
  TMilliseconds DaylightFrom, DaylightUntil;  // 0: none
};

const KnownZone kZones[] = {
    {"UTC", 0, 0, 0, 0},
    {"America/New_York", -300, -240, At(2026, 3, 8, 7, 0), At(2026, 11, 1, 6, 0)},
    {"Europe/Berlin", 60, 120, At(2026, 3, 29, 1, 0), At(2026, 10, 25, 1, 0)},
};

const KnownZone* ProcessZone() {
  const char* name = getenv("TZ");
  for (const KnownZone& zone : kZones) {
    if (name && std::string(name) == zone.Name) return &zone;
  }
  return nullptr;
}

TEST(SystemServices, TheZoneRuleIsTheZonesOwn) {
  const KnownZone* zone = ProcessZone();
  if (!zone) GTEST_SKIP() << "TZ names no zone of the table";
  const TZoneRule rule = SystemAlarmServices().ZoneRule();
  EXPECT_EQ(rule.StandardOffset, zone->Standard);
  EXPECT_EQ(rule.DaylightOffset, zone->Daylight);
  const TMilliseconds from = zone->DaylightFrom, until = zone->DaylightUntil;
  if (from == 0) {
    EXPECT_EQ(LocalOffset(rule, At(2026, 7, 1, 0, 0)), zone->Standard);
    return;
  }
  EXPECT_EQ(LocalOffset(rule, from - 1), zone->Standard);
  EXPECT_EQ(LocalOffset(rule, from), zone->Daylight);
  EXPECT_EQ(LocalOffset(rule, until - 1), zone->Daylight);
  EXPECT_EQ(LocalOffset(rule, until), zone->Standard);
}

// The local clock, UTC and the zone's rule tell one time; the C library's clock, a path of its
// own, tells UTC too.
TEST(SystemServices, TheClocksAndTheZoneRuleAgree) {
  const TAlarmServices services = SystemAlarmServices();
  const TMilliseconds utc = services.UtcNow();
  const TMilliseconds local = std::llround(services.Now() * kDayMs);
  const TMilliseconds unix_epoch = At(1970, 1, 1, 0, 0);
  EXPECT_NEAR(static_cast<double>(unix_epoch + std::time(nullptr) * 1000LL),
              static_cast<double>(utc), 2000);
  EXPECT_NEAR(static_cast<double>(LocalFromUtc(services.ZoneRule(), utc)),
              static_cast<double>(local), 2000);
}

TEST(SystemServices, TheWakeTimerRingsAtItsMomentInUtc) {
  const TAlarmServices services = SystemAlarmServices();
  const HANDLE timer = AlarmWakeTimer();
  ASSERT_NE(timer, nullptr);
  const DWORD start = GetTickCount();
  services.SetWakeTimer(FileTimeFromUtc(services.UtcNow() + 150), FALSE);
  ASSERT_EQ(WaitForSingleObject(timer, 5000), WAIT_OBJECT_0) << "not in five seconds";
  EXPECT_GE(GetTickCount() - start, 100u) << "rang early";
  services.SetWakeTimer(FileTimeFromUtc(services.UtcNow() + 150), FALSE);
  services.CancelWakeTimer();
  EXPECT_EQ(WaitForSingleObject(timer, 400), static_cast<DWORD>(WAIT_TIMEOUT)) << "cancelled";
}

// What the alarm falls back from: a sound that plays nothing and a file the shell refuses are
// reported, never taken as played. (With no sound card, the test command gives Wine a null
// output device, which judges formats as a real one does.)
TEST(SystemServices, RefusedSoundsAndFilesAreReported) {
  const std::string folder = apptest::TempFolder();
  apptest::WriteFile(folder + "\\text.wav", "not a wave at all");
  apptest::WriteFile(folder + "\\icon.wav", std::string("RIFF\x04\0\0\0ACON", 12));
  apptest::WriteFile(folder + "\\short.wav", "RIFF");
  apptest::WriteFile(folder + "\\plain.wakora-unknown", "no program opens this");
  // Waves that begin well and cannot play: each chunk is "id", size, bytes.
  const auto chunk = [](const char* id, const std::string& bytes, uint32_t size = ~0u) {
    if (size == ~0u) size = static_cast<uint32_t>(bytes.size());
    return std::string(id, 4) + std::string(reinterpret_cast<const char*>(&size), 4) + bytes;
  };
  const auto wave = [](const std::string& chunks) {
    const auto size = static_cast<uint32_t>(4 + chunks.size());
    return "RIFF" + std::string(reinterpret_cast<const char*>(&size), 4) + "WAVE" + chunks;
  };
  // PCM, mono, 8000 samples of 16 bits a second; and a tag that no device or codec knows.
  const std::string pcm("\x01\x00\x01\x00\x40\x1F\0\0\x80\x3E\0\0\x02\x00\x10\x00", 16);
  std::string unknown = pcm;
  unknown[0] = '\x34';
  unknown[1] = '\x12';
  const std::string samples(800, '\0');
  apptest::WriteFile(folder + "\\no-format.wav", wave(chunk("data", samples)));
  apptest::WriteFile(folder + "\\cut.wav",
                     wave(chunk("fmt ", pcm) + chunk("data", samples, 80000)));
  apptest::WriteFile(folder + "\\odd-format.wav",
                     wave(chunk("fmt ", unknown) + chunk("data", samples)));
  apptest::WriteFile(folder + "\\header-only.wav", wave(chunk("fmt ", pcm) + chunk("data", "")));
  apptest::WriteFile(folder + "\\good.wav", wave(chunk("LIST", "x") + std::string(1, '\0') +
                                                 chunk("fmt ", pcm) + chunk("data", samples)));
  const TAlarmServices services = SystemAlarmServices();
  EXPECT_TRUE(services.PlaySound(folder + "\\good.wav", SND_ASYNC | SND_NODEFAULT));
  for (const char* name : {"missing.wav", "text.wav", "icon.wav", "short.wav", "no-format.wav",
                           "cut.wav", "odd-format.wav", "header-only.wav"}) {
    EXPECT_FALSE(services.PlaySound(folder + "\\" + name, SND_ASYNC | SND_NODEFAULT)) << name;
  }
  for (const char* name : {"missing.mp3", "plain.wakora-unknown"}) {
    EXPECT_FALSE(services.ShellExecute("Open", folder + "\\" + name, "", "", SW_SHOW)) << name;
  }
}

// The system starts no command of over 260 characters from the Run key: a long reminder's record
// names its arguments, kept beside it, and goes with them. (A short record is restored by a real
// logon in the end-to-end tests.)
TEST(SystemServices, ALongRecordKeepsItsArgumentsBesideTheRunKey) {
  const AnsiString id = "ServicesTest" + IntToStr(GetCurrentProcessId());
  const std::wstring name = L"Wakora alarm " + WidePath(id);
  constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::vector<AnsiString> arguments = {"/in", "5", "/text", AnsiString(300, '"'), "/id", id};
  const TAlarmServices services = SystemAlarmServices();
  ASSERT_TRUE(services.RecordAlarm(id, arguments));
  wchar_t command[1024] = L"";
  DWORD size = sizeof command;
  ASSERT_EQ(
      RegGetValueW(HKEY_CURRENT_USER, kRun, name.c_str(), RRF_RT_REG_SZ, nullptr, command, &size),
      ERROR_SUCCESS);
  EXPECT_EQ(CommandLineArguments(command), (std::vector<AnsiString>{"/id", id}));
  std::vector<AnsiString> kept;
  EXPECT_TRUE(RecordedArguments(id, kept));
  EXPECT_EQ(kept, arguments);
  services.ForgetAlarm(id);
  EXPECT_FALSE(RecordedArguments(id, kept));
  EXPECT_NE(
      RegGetValueW(HKEY_CURRENT_USER, kRun, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, nullptr),
      ERROR_SUCCESS);
}

}  // namespace
