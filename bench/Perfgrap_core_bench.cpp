// One Update of the performance graph's plot on a 100- and a 1000-pixel-wide graph: an update
// touches one band, so the two must cost about the same. The picture draws nothing, so only the
// plot's own work counts: the ring, the scale and where the points go. The values stay below
// the scale, so no update redraws the whole graph.
#include <benchmark/benchmark.h>

#include "controls-extra/Perfgrap_core.h"

namespace {

class NullPicture : public TGraphPicture {
 public:
  explicit NullPicture(int width) : width_(width) {}
  int ControlWidth() const override { return width_; }
  int ControlHeight() const override { return 100; }
  void SetSize(int, int) override {}
  void Fill(const TLayoutRect& rect, TColor) override { benchmark::DoNotOptimize(rect); }
  void Line(int x1, int y1, int x2, int y2, TColor, int) override {
    benchmark::DoNotOptimize(x1 + y1 + x2 + y2);
  }
  void Scroll(const TLayoutRect& source, const TLayoutRect&) override {
    benchmark::DoNotOptimize(source);
  }
  void ShowChanges() override {}

 private:
  int width_;
};

void BM_GraphUpdate(benchmark::State& state) {
  NullPicture picture(static_cast<int>(state.range(0)));
  TGraphPlot plot(picture);
  plot.SetGradient(1000);
  const int points = static_cast<int>(state.range(1));
  int cycle = 0;
  for (auto _ : state) {
    ++cycle;
    for (int i = 0; i < points; ++i)
      plot.DataPoint(RGBColor(i * 16, 0, 0), (cycle * 37 + i * 91) % 999);
    plot.Update();
  }
  if (plot.Scale() != 1000) state.SkipWithError("the graph rescaled");
}
BENCHMARK(BM_GraphUpdate)
    ->ArgNames({"width", "points"})
    ->Args({100, 4})
    ->Args({1000, 4})
    ->Args({100, 16})
    ->Args({1000, 16});

}  // namespace

BENCHMARK_MAIN();
