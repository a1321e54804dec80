// Times the directory outline's reading of one level under Wine, where Google Benchmark does not
// run: a drive whose root holds 100 to 20000 folders, handed over in a scrambled order by a
// made-up file system, so that only the outline's work counts (casing, the locale's comparison,
// the sorting and the items). Prints the fastest and the median round's time of one expand,
// read from scratch each round, beside a plain read of the same names (enumerate, case and
// sort them, no outline), and how the two compare.
//
//   tools/wine.sh exec build/win32/bench/cdiroutl_timing.exe > timing.txt
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "controls-extra/Cdiroutl.h"
#include "framework/win/Forms.h"

namespace {

constexpr int kRounds = 15;

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

// The fastest and the median of kRounds runs, in milliseconds; `prepare` is not timed.
template <class Prepare, class Run>
std::pair<double, double> Time(Prepare prepare, Run run) {
  std::vector<double> rounds;
  for (int round = 0; round < kRounds; ++round) {
    prepare();
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    run();
    QueryPerformanceCounter(&end);
    rounds.push_back(Seconds(start, end) * 1e3);
  }
  std::sort(rounds.begin(), rounds.end());
  return {rounds.front(), rounds[kRounds / 2]};
}

// A plain read of the same names: list them, case them and sort them, with no outline.
size_t PlainRead(const AnsiString& pattern) {
  return SortedFolderNames(DirectoryServices().FindEntries(pattern), TTextCase::tcLowerCase).size();
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
  double level_of_1000 = 0;
  for (int count : {100, 1000, 5000, 20000}) {
    folders = Folders(count);
    const auto plain = Time([] {},
                            [count] {
                              if (PlainRead("Q:\\*.*") != static_cast<size_t>(count))
                                std::printf("wrong count\n");
                            });
    TCDirectoryOutline* outline = nullptr;
    const auto expand = Time(
        [&] {
          TObject::Free(outline);
          outline = new TCDirectoryOutline(&owner);
          outline->BuildTree();
        },
        [&] {
          outline->Items(1).Expand();
          if (outline->Items(1).ChildCount() != count) std::printf("wrong count\n");
        });
    TObject::Free(outline);
    if (count == 1000) level_of_1000 = expand.second;
    std::printf(
        "%5d folders: expand fastest %8.2f ms, median %8.2f ms; plain read fastest %8.2f ms, "
        "median %8.2f ms; expand / plain read %5.2f; / a level of 1000 %6.2f (medians)\n",
        count, expand.first, expand.second, plain.first, plain.second, expand.second / plain.second,
        level_of_1000 > 0 ? expand.second / level_of_1000 : 0.0);
  }
  DoneApplication();
  return 0;
}
