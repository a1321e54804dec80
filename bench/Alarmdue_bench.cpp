// The portable work of one alarm tick: the look at the due moment in a zone with summer time,
// and for a time of day the comparison of the clock's hour and minute. The system calls of a
// tick (the clocks, the zone) are not in it.
#include <benchmark/benchmark.h>

#include "app/Alarmdue.h"

namespace {

constexpr int kHour = 60 * 60 * 1000;
const TZoneRule kCentralEurope{60, 120, {0, 3, 5, 0, 2 * kHour}, {0, 10, 5, 0, 3 * kHour}};
void Tick(benchmark::State& state, bool countdown) {
  const TMilliseconds armed = static_cast<TMilliseconds>(EncodeDate(2026, 10, 24)) * kDayMs;
  const TMilliseconds tick = 1000000;
  const TAlarmDue due = countdown ? CountdownDue(kCentralEurope, armed, tick, 999)
                                  : TimeOfDayDue(kCentralEurope, armed, 21 * 60 + 5);
  TMilliseconds elapsed = 0;
  for (auto _ : state) {
    elapsed = (elapsed + 1000) % kDayMs;
    const TTimeParts clock = DecodeTime((armed + elapsed) / static_cast<double>(kDayMs));
    const bool same = !countdown && clock.Hour * 60 + clock.Minute == due.Wall / kMinuteMs % 1440;
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

}  // namespace

BENCHMARK_MAIN();
