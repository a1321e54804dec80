#include "app/Alarmdue.h"

#include <gtest/gtest.h>

namespace {

TMilliseconds At(int month, int day, int hour, int minute, int second = 0, int year = 2026) {
  return static_cast<TMilliseconds>(EncodeDate(year, month, day)) * kDayMs +
         ((hour * 60 + minute) * 60 + second) * 1000LL;
}

constexpr int kHour = 60 * 60 * 1000;
const TZoneRule kUtc{};
// Summer time from the last Sunday of March, 02:00, to the last Sunday of October, 03:00.
const TZoneRule kEurope{60, 120, {0, 3, 5, 0, 2 * kHour}, {0, 10, 5, 0, 3 * kHour}};
// South of the equator: from the first Sunday of October to the first Sunday of April.
const TZoneRule kSydney{600, 660, {0, 10, 1, 0, 2 * kHour}, {0, 4, 1, 0, 3 * kHour}};
// Summer time in 2026 only, from 10 May to 20 August.
const TZoneRule kOneOff{0, 60, {2026, 5, 10, 0, 0}, {2026, 8, 20, 0, 0}};

TAlarmDue Arm(const TZoneRule& rule, TMilliseconds now, bool countdown, int value) {
  return countdown ? CountdownDue(rule, now, 0, value) : TimeOfDayDue(rule, now, value);
}

TEST(AlarmDue, OffsetsOfRulesThatTheDueTablesDoNotReach) {
  EXPECT_EQ(LocalOffset(kSydney, At(1, 15, 0, 0)), 660) << "summer over the turn of the year";
  EXPECT_EQ(LocalOffset(kSydney, At(4, 4, 16, 0)), 600) << "ends at 03:00 local";
  EXPECT_EQ(LocalOffset(kOneOff, At(6, 1, 0, 0)), 60);
  EXPECT_EQ(LocalOffset(kOneOff, At(6, 1, 0, 0, 0, 2027)), 0) << "only in its year";
}

TEST(AlarmDue, ArmingFindsTheNextPassOfTheMinute) {
  const struct {
    const char* Name;
    const TZoneRule& Rule;
    TMilliseconds Now;  // UTC
    bool Countdown;
    int Value;  // minutes of the countdown, or the minute of the day
    TMilliseconds Start, Missed, Wall;
  } cases[] = {
      {"the current minute", kUtc, At(12, 7, 10, 0, 50), false, 600, At(12, 7, 10, 0),
       At(12, 7, 10, 1), At(12, 7, 10, 0)},
      {"passed today: tomorrow", kUtc, At(12, 7, 10, 0), false, 540, At(12, 8, 9, 0),
       At(12, 8, 9, 1), At(12, 8, 9, 0)},
      {"over midnight", kUtc, At(12, 7, 23, 59, 30), false, 0, At(12, 8, 0, 0), At(12, 8, 0, 1),
       At(12, 8, 0, 0)},
      {"countdown to the second, over midnight", kUtc, At(12, 7, 23, 59, 30), true, 1,
       At(12, 8, 0, 0, 30), At(12, 8, 0, 0, 30), At(12, 8, 0, 0, 30)},
      {"skipped in spring: at the jump", kEurope, At(3, 29, 0, 0), false, 150, At(3, 29, 1, 0),
       At(3, 29, 1, 0), At(3, 29, 2, 30)},
      {"repeated in autumn: the first pass", kEurope, At(10, 25, 0, 10), false, 150,
       At(10, 25, 0, 30), At(10, 25, 0, 31), At(10, 25, 2, 30)},
      {"between the passes: the second", kEurope, At(10, 25, 0, 45), false, 150, At(10, 25, 1, 30),
       At(10, 25, 1, 31), At(10, 25, 2, 30)},
      {"countdown over the autumn change", kEurope, At(10, 25, 0, 50), true, 20, At(10, 25, 1, 10),
       At(10, 25, 1, 10), At(10, 25, 2, 10)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TAlarmDue due = Arm(c.Rule, c.Now, c.Countdown, c.Value);
    const TDueMoment moment = DueMoment(c.Rule, due, c.Now, 0);
    EXPECT_EQ(moment.Start, c.Start);
    EXPECT_EQ(moment.Missed, c.Missed);
    EXPECT_EQ(due.Wall, c.Wall);
  }
}

TEST(AlarmDue, AnAlarmIsOverdueOnlyWhenItsMinutePassedUnseen) {
  const TZoneRule utc_minus_5{-300, -300, {}, {}};
  const struct {
    const char* Name;
    bool Countdown;
    int Value;
    const TZoneRule& Later;  // the zone at the look, perhaps changed since arming at 9:00 UTC
    TMilliseconds Now;
    TMilliseconds Elapsed;  // on the tick count since arming
    bool Overdue;
  } cases[] = {
      {"inside the minute", false, 605, kUtc, At(12, 7, 10, 5, 59) + 999, 0, false},
      {"the minute passed", false, 605, kUtc, At(12, 7, 10, 6), 0, true},
      {"a day ahead, not before", false, 530, kUtc, At(12, 8, 8, 49), 0, false},
      {"zone moved east over the minute", false, 600, kSydney, At(12, 7, 9, 30), 0, true},
      {"zone moved west, the minute too", false, 600, utc_minus_5, At(12, 7, 12, 0), 0, false},
      {"countdown, clock set back", true, 10, kUtc, At(12, 7, 8, 10), 10 * 60000, true},
      {"countdown, clock set forward", true, 10, kUtc, At(12, 7, 11, 9), 10 * 60000 - 1, false},
  };
  for (const auto& c : cases) {
    const TAlarmDue due = Arm(kUtc, At(12, 7, 9, 0), c.Countdown, c.Value);
    EXPECT_EQ(AlarmOverdue(c.Later, due, c.Now, c.Elapsed), c.Overdue) << c.Name;
  }
}

TEST(AlarmDue, TheTipNamesTheTargetInTheShortTimeFormat) {
  const TAlarmDue at_time = TimeOfDayDue(kUtc, At(12, 7, 20, 55, 10), 21 * 60 + 5);
  const TAlarmDue countdown = CountdownDue(kUtc, At(12, 7, 23, 59, 30), 0, 5);
  const struct {
    const char* Picture;
    const TAlarmDue& Due;
    const char* Tip;
  } cases[] = {
      {"HH:mm", at_time, "Wakora – 21:05"},        {"h:mm tt", at_time, "Wakora – 9:05 PM"},
      {"tt hh:mm", at_time, "Wakora – PM 09:05"},  {"HH:mm", countdown, "Wakora – 00:04"},
      {"h:mm tt", countdown, "Wakora – 12:04 AM"}, {"tt hh:mm", countdown, "Wakora – AM 12:04"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AlarmTipText({c.Picture, "AM", "PM"}, c.Due.Wall), c.Tip) << c.Picture;
  }
}

TAlarmRequest Asked(TAlarmWhen when, int value, const char* text = nullptr,
                    const char* sound_file = nullptr) {
  TAlarmRequest alarm;
  alarm.When = when;
  alarm.Minutes = value;
  alarm.Hour = value / 60;
  alarm.Minute = value % 60;
  alarm.HasText = text != nullptr;
  alarm.Text = text ? text : "";
  alarm.Sound = sound_file ? 3 : 0;
  alarm.SoundFile = sound_file ? sound_file : "";
  alarm.Id = "A1";
  return alarm;
}

// An armed alarm's record: the command that arms it again at the next logon, and when it rings
// once restored, at once when its moment passed while the computer was off.
TEST(AlarmDue, TheRecordArmsTheSameMomentAfterARestart) {
  constexpr auto kIn = TAlarmWhen::In, kAt = TAlarmWhen::At;
  const struct {
    const char* Name;
    const TZoneRule& Rule;
    TMilliseconds Armed;  // UTC, as every moment here
    TAlarmRequest Alarm;
    const char* Command;            // after the program's path
    TMilliseconds Restored, Rings;  // Rings: when its due begins (now, for a passed countdown)
    bool AtOnce;
  } cases[] = {
      // clang-format off
      {"a countdown, rounded up to its second", kUtc, At(12, 7, 10, 0, 59) + 400,
       Asked(kIn, 4, "Tea \"green\" \\"),
       "/at 2026-12-07T10:05:00Z /text \"Tea \\\"green\\\" \\\\\" /sound 1 /id A1",
       At(12, 7, 10, 2), At(12, 7, 10, 5), false},
      {"a time of day, as its minute on the clock", kEurope, At(12, 7, 20, 0), Asked(kAt, 7 * 60, nullptr,
       "C:\\My Sounds\\bell.wav"),
       "/at 2026-12-08T07:00 /sound \"C:\\My Sounds\\bell.wav\" /id A1", At(12, 8, 5, 0),
       At(12, 8, 6, 0), false},
      {"the second pass of an hour the clock runs twice", kEurope, At(10, 25, 0, 45),
       Asked(kAt, 150), "/at 2026-10-25T01:30:00Z /sound 1 /id A1", At(10, 25, 1, 0),
       At(10, 25, 1, 30), false},
      {"a countdown that passed while the computer was off", kUtc, At(12, 7, 10, 0),
       Asked(kIn, 30), "/at 2026-12-07T10:30:00Z /sound 1 /id A1", At(12, 7, 11, 0),
       At(12, 7, 11, 0), true},
      {"a time of day that passed while off", kUtc, At(12, 7, 22, 0), Asked(kAt, 7 * 60),
       "/at 2026-12-08T07:00 /sound 1 /id A1", At(12, 8, 9, 0), At(12, 8, 7, 0), true},
      // clang-format on
  };
  const AnsiString program = "C:\\Program Files\\Wakora\\Wakora.exe";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TAlarmDue armed = RequestDue(c.Rule, c.Armed, 0, c.Alarm);
    // Looked at later, the record is the same.
    const TMilliseconds later = 60000;
    const TAlarmRequest record = RecordRequest(c.Rule, armed, c.Armed + later, later, c.Alarm);
    EXPECT_EQ(CommandLine(program, AlarmArguments(record)), "\"" + program + "\" " + c.Command);
    // The restart: a new tick count, the record read back as the command line gives it.
    const TMilliseconds tick = 5000;
    const TStartRequest restored = ParseStartArguments(AlarmArguments(record), nullptr);
    ASSERT_EQ(restored.Kind, TStartKind::Alarm);
    const TAlarmDue due = RequestDue(c.Rule, c.Restored, tick, restored.Alarm);
    EXPECT_EQ(DueMoment(c.Rule, due, c.Restored, tick).Start, c.Rings);
    EXPECT_EQ(AlarmOverdue(c.Rule, due, c.Restored, tick), c.AtOnce);
  }
}

TEST(AlarmDue, FileTimesCountFrom1601) {
  const int64_t unix_epoch = 116444736000000000;  // 1 January 1970 as a file time
  EXPECT_EQ(FileTimeFromUtc(At(1, 1, 0, 0, 0, 1970)), unix_epoch);
  EXPECT_EQ(UtcFromFileTime(unix_epoch + 10000 * 1500), At(1, 1, 0, 0, 1, 1970) + 500);
}

}  // namespace
