// The grid's geometry on 100 and on 1,000,000 rows of 18 pixels in a view of 400: the cell under
// the pointer, a Page Down with the scrolling that follows it, and the deepest useful first row.
// Each looks only at the rows in view, so the row count must not change what they cost.
#include <benchmark/benchmark.h>

#include "framework/core/Grids_core.h"

namespace {

constexpr int kViewHeight = 400;

TGridGeometry Grid(int rows) {
  TGridGeometry grid;
  grid.Cols.SetCount(5, 64);
  grid.Cols.SetFixed(1);
  grid.Rows.SetCount(rows, 18);
  grid.Rows.SetFixed(1);
  return grid;
}

void BM_CellUnderThePointer(benchmark::State& state) {
  const TGridGeometry grid = Grid(static_cast<int>(state.range(0)));
  const TGridCoord first{1, static_cast<int>(state.range(0)) / 2};
  int y = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(grid.CellAt(200, y, first));
    y = (y + 7) % kViewHeight;
  }
}
BENCHMARK(BM_CellUnderThePointer)->Arg(100)->Arg(1000000);

void BM_PageDownAndScroll(benchmark::State& state) {
  const TGridGeometry grid = Grid(static_cast<int>(state.range(0)));
  const int rows = static_cast<int>(state.range(0));
  TGridCoord current{1, rows / 2};
  int first = current.Y;
  for (auto _ : state) {
    const int page = grid.Rows.WholeVisible(first, kViewHeight);
    current = GridKeyTarget(grid, current, TGridKey::PageDown, false, page);
    first = grid.Rows.FirstShowing(current.Y, first, kViewHeight);
    if (current.Y == rows - 1) current.Y = first = rows / 2;
    benchmark::DoNotOptimize(first);
  }
}
BENCHMARK(BM_PageDownAndScroll)->Arg(100)->Arg(1000000);

void BM_DeepestFirstRow(benchmark::State& state) {
  const TGridGeometry grid = Grid(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(grid.Rows.MaxFirst(kViewHeight));
}
BENCHMARK(BM_DeepestFirstRow)->Arg(100)->Arg(1000000);

}  // namespace

BENCHMARK_MAIN();
