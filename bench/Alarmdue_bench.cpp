// The portable work of one alarm tick: the two minute texts of the design's comparison and the
// look at the due moment, in a zone with summer time. The system calls of a tick (the clocks,
// the zone, the locale's comparison) are not in it.
#include <benchmark/benchmark.h>

#include "app/Alarmdue.h"

namespace {

constexpr int kHour = 60 * 60 * 1000;
const TZoneRule kCentralEurope{60, 120, {0, 3, 5, 0, 2 * kHour}, {0, 10, 5, 0, 3 * kHour}};
const TTimeFormat kFormat{"HH:mm:ss", "AM", "PM"};

void Tick(benchmark::State& state, bool countdown, bool with_texts = true) {
  const TMilliseconds armed = static_cast<TMilliseconds>(EncodeDate(2026, 10, 24)) * kDayMs;
  const TMilliseconds tick = 1000000;
  const TAlarmDue due = countdown ? CountdownDue(kCentralEurope, armed, tick, 999)
                                  : TimeOfDayDue(kCentralEurope, armed, 21 * 60 + 5);
  const TDateTime target = EncodeDate(2026, 10, 24) + EncodeTime(21, 5, 0, 0);
  TMilliseconds elapsed = 0;
  for (auto _ : state) {
    elapsed = (elapsed + 1000) % kDayMs;
    const TDateTime now = (armed + elapsed) / static_cast<double>(kDayMs);
    const bool same = with_texts && AlarmTimeText(kFormat, now) == AlarmTimeText(kFormat, target);
    const bool overdue = AlarmOverdue(kCentralEurope, due, armed + elapsed, tick + elapsed);
    benchmark::DoNotOptimize(same || overdue);
  }
}

void BM_AlarmTickTimeOfDay(benchmark::State& state) {
  Tick(state, false);
}
BENCHMARK(BM_AlarmTickTimeOfDay);

void BM_AlarmTickCountdown(benchmark::State& state) {
  Tick(state, true);
}
BENCHMARK(BM_AlarmTickCountdown);

// The look at the due moment alone: what the tick costs beyond the design's texts.
void BM_AlarmDueLookTimeOfDay(benchmark::State& state) {
  Tick(state, false, false);
}
BENCHMARK(BM_AlarmDueLookTimeOfDay);

}  // namespace

BENCHMARK_MAIN();
