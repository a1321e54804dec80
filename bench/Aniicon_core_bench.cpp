// The ANI walk over the window's animation, beside a plain copy of the same bytes: the walk's
// cost above simply moving the data. The sink makes no system icons, so only the walk counts.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "controls/Aniicon_core.h"

namespace {

class CountingSink : public AniFrameSink {
 public:
  AniIconHandle CreateFrameIcon(int, const uint8_t* image, int size) override {
    benchmark::DoNotOptimize(image[size - 1]);
    return reinterpret_cast<AniIconHandle>(++last_icon);
  }
  void DestroyFrameIcon(AniIconHandle) override {}
  uintptr_t last_icon = 0;
};

TMemoryStream WindowAnimation() {
  TMemoryStream stream;
  stream.LoadFromFile(WAKORA_SOURCE_DIR "/controls/res/wakora.ani");
  return stream;
}

void BM_AniDecode(benchmark::State& state) {
  TMemoryStream data = WindowAnimation();
  CountingSink sink;
  AniWalk walk(sink);
  for (auto _ : state) {
    walk.AniDecode(data);
    benchmark::DoNotOptimize(walk.Icon(14));
  }
  if (walk.PlayableFrames() != 15) state.SkipWithError("the animation did not decode");
  state.SetBytesProcessed(state.iterations() * data.Size());
}
BENCHMARK(BM_AniDecode);

void BM_CopyBytes(benchmark::State& state) {
  const TMemoryStream data = WindowAnimation();
  std::vector<uint8_t> copy(static_cast<size_t>(data.Size()));
  for (auto _ : state) {
    std::memcpy(copy.data(), data.Memory(), copy.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * data.Size());
}
BENCHMARK(BM_CopyBytes);

// One tick of the 20 ms animation clock.
void BM_Step(benchmark::State& state) {
  TMemoryStream data = WindowAnimation();
  CountingSink sink;
  AniWalk walk(sink);
  walk.AniDecode(data);
  int changes = 0;
  walk.OnFrameChange = [&] { ++changes; };
  for (auto _ : state) walk.Step();
  benchmark::DoNotOptimize(changes);
}
BENCHMARK(BM_Step);

}  // namespace

BENCHMARK_MAIN();
