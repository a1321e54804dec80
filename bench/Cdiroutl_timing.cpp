// Times the directory outline's reading of one level under Wine, where Google Benchmark does not
// run: a drive whose root holds 100, 1000 or 5000 folders, handed over in a scrambled order by a
// made-up file system, so that only the outline's work counts (casing, the locale's comparison,
// the sorted insertion and the renumbering). Prints the fastest and the median round's time of
// one expand, read from scratch each round.
//
//   tools/wine.sh exec build/win32/bench/cdiroutl_timing.exe > timing.txt
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "controls-extra/Cdiroutl.h"
#include "framework/win/Forms.h"

namespace {

constexpr int kRounds = 9;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

std::vector<TDirectoryEntry> Folders(int count) {
  std::vector<TDirectoryEntry> folders;
  for (int i = 0; i < count; ++i) {
    // A fixed scramble of the numbers, in mixed case.
    const int n =
        static_cast<int>((static_cast<unsigned>(i) * 7919u) % static_cast<unsigned>(count));
    folders.push_back({(n % 2 ? "Folder " : "folder ") + IntToStr(n), true});
  }
  return folders;
}

}  // namespace

int main() {
  InitApplication();
  Application->Initialize();
  DirectoryServices().GetCurrentDirectory = [](DWORD size, wchar_t* buffer) -> DWORD {
    if (size < 4) return 4;
    lstrcpyW(buffer, L"Q:\\");
    return 3;
  };
  std::vector<TDirectoryEntry> folders;
  DirectoryServices().FindEntries = [&folders](const AnsiString&) { return folders; };
  TComponent owner(nullptr);
  for (int count : {100, 1000, 5000}) {
    folders = Folders(count);
    std::vector<double> rounds;
    for (int round = 0; round < kRounds; ++round) {
      auto* outline = new TCDirectoryOutline(&owner);
      outline->BuildTree();
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      outline->Items(1).Expand();
      QueryPerformanceCounter(&end);
      if (outline->Items(1).ChildCount() != count) std::printf("wrong count\n");
      rounds.push_back(Seconds(start, end) * 1e3);
      TObject::Free(outline);
    }
    std::sort(rounds.begin(), rounds.end());
    std::printf("expand a folder of %5d folders: fastest %8.2f ms, median %8.2f ms\n", count,
                rounds.front(), rounds[kRounds / 2]);
  }
  DoneApplication();
  return 0;
}
