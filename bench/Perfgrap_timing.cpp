// Times the performance graph's Update under Wine, where Google Benchmark does not run: a
// 100- and a 1000-pixel-wide graph, alone (its off-screen picture only) and shown in a window
// (with the copy to the screen). Prints the fastest and the median round's time of one update:
// on a busy machine the fastest round is the steadier figure.
//
//   tools/wine.sh exec build/win32/bench/perfgrap_timing.exe > timing.txt
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/Wintiming.h"
#include "controls-extra/Perfgrap.h"
#include "framework/win/Forms.h"

namespace {

constexpr int kPoints = 8;
constexpr int kUpdates = 2000;
constexpr int kRounds = 15;

struct Timing {
  double fastest, median;  // microseconds per update
};

Timing TimeUpdates(TPerformanceGraph& graph) {
  int cycle = 0;
  auto update = [&] {
    ++cycle;
    for (int i = 0; i < kPoints; ++i)
      graph.DataPoint(RGBColor(i * 30, 255, 0), (cycle * 37 + i * 91) % 999);
    graph.Update();
  };
  for (int i = 0; i < 200; ++i) update();
  std::vector<double> rounds;
  for (int round = 0; round < kRounds; ++round) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kUpdates; ++i) update();
    QueryPerformanceCounter(&end);
    rounds.push_back(Seconds(start, end) / kUpdates * 1e6);
  }
  std::sort(rounds.begin(), rounds.end());
  if (graph.Scale() != 1000) std::printf("the graph rescaled: the figures include full redraws\n");
  return {rounds.front(), rounds[kRounds / 2]};
}

}  // namespace

int main() {
  InitApplication();
  Application->Initialize();
  Timing alone[2] = {}, shown[2] = {};
  const int widths[2] = {100, 1000};
  for (int i = 0; i < 2; ++i) {
    TComponent owner(nullptr);
    auto* graph = new TPerformanceGraph(&owner);
    graph->SetBounds(0, 0, widths[i], 100);
    graph->SetGradient(1000);
    graph->SetScale(1000);
    alone[i] = TimeUpdates(*graph);

    auto* form = new TForm(Application);
    form->SetBounds(0, 0, widths[i] + 40, 160);
    graph->SetParent(form);
    form->Show();
    Application->ProcessMessages();
    shown[i] = TimeUpdates(*graph);
    graph->SetParent(nullptr);
    TObject::Free(form);
  }
  std::printf("Update, %d points a cycle, %d rounds of %d updates, microseconds per update\n",
              kPoints, kRounds, kUpdates);
  std::printf("%-34s %9s %9s %7s\n", "", "100 px", "1000 px", "ratio");
  auto row = [](const char* what, const Timing* timing, double Timing::*figure) {
    const double narrow = timing[0].*figure, wide = timing[1].*figure;
    std::printf("%-34s %9.2f %9.2f %7.2f\n", what, narrow, wide, wide / narrow);
  };
  row("graph alone (its bitmap), fastest", alone, &Timing::fastest);
  row("graph alone (its bitmap), median", alone, &Timing::median);
  row("shown in a window, fastest", shown, &Timing::fastest);
  row("shown in a window, median", shown, &Timing::median);
  DoneApplication();
  return 0;
}
