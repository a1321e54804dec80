// Times what a change costs on screen under Wine, where Google Benchmark does not run: the
// colour grid drawing the two squares of a new selection at once, beside a repaint of the whole
// grid; and the draw grid moving its current cell with a key (the two cells painted again)
// beside a repaint of the whole view. Prints the fastest and the median round, in microseconds.
//
//   tools/wine.sh exec build/win32/bench/cgrid_timing.exe > timing.txt
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/Wintiming.h"
#include "controls-extra/Cgrid.h"
#include "framework/win/Forms.h"
#include "framework/win/Grids.h"

namespace {

constexpr int kRepeats = 500;
constexpr int kRounds = 11;

void Report(const char* what, const std::function<void(int)>& step) {
  std::vector<double> rounds;
  for (int round = 0; round < kRounds; ++round) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kRepeats; ++i) step(i);
    QueryPerformanceCounter(&end);
    rounds.push_back(Seconds(start, end) / kRepeats * 1e6);
  }
  std::sort(rounds.begin(), rounds.end());
  std::printf("%-46s %9.1f %9.1f\n", what, rounds.front(), rounds[kRounds / 2]);
}

}  // namespace

int main() {
  InitApplication();
  Application->Initialize();
  auto* form = new TForm(Application);
  form->SetBounds(0, 0, 520, 440);
  auto* colors = new TCColorGrid(form);
  colors->SetBounds(8, 8, 200, 200);
  colors->SetParent(form);
  auto* grid = new TDrawGrid(form);
  grid->SetBounds(8, 216, 480, 180);
  grid->SetColCount(8);
  grid->SetRowCount(1000);
  grid->SetDefaultRowHeight(18);
  grid->OnDrawCell = [grid](TObject*, int col, int row, RECT rect, TGridDrawState) {
    grid->Canvas()->TextRect(rect, rect.left + 2, rect.top + 2, IntToStr(col * row));
  };
  grid->SetParent(form);
  form->Show();
  Application->ProcessMessages();

  std::printf("%d rounds of %d, microseconds each %17s %9s\n", kRounds, kRepeats, "fastest",
              "median");
  Report("colour grid: new selection, drawn at once",
         [&](int i) { colors->SetSelection(i % 2 ? 5 : 6); });
  Report("colour grid: whole grid repainted", [&](int) { colors->Repaint(); });
  grid->SetFocus();
  Report("draw grid: key move, two cells repainted", [&](int i) {
    SendMessageA(grid->Handle(), WM_KEYDOWN, i % 2 ? VK_LEFT : VK_RIGHT, 1);
    UpdateWindow(grid->Handle());
  });
  Report("draw grid: whole view repainted", [&](int) { grid->Repaint(); });
  TObject::Free(form);
  DoneApplication();
  return 0;
}
