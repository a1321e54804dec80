// Times programs from launch until their window is visible, and reads their resident memory,
// alternating between them so that a warming cache or a busy machine touches each alike.
//
//   StartupTimer RUNS PROGRAM...
//
// Each program is started RUNS times. A run ends when a visible top-level window captioned
// "Wakora 3.8" belongs to the new process; half a second later its working set and private
// bytes are read, then the window is closed (and the process ended if it will not go). Prints
// every run, then the median of each program and its ratio to the last program named.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct TRun {
  double milliseconds;
  SIZE_T working_set;
  SIZE_T private_bytes;
};

struct TFind {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM data) {
  auto* find = reinterpret_cast<TFind*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != find->process || !IsWindowVisible(window)) return TRUE;
  char caption[32] = {};
  GetWindowTextA(window, caption, sizeof caption);
  if (std::string(caption) != "Wakora 3.8") return TRUE;
  find->found = window;
  return FALSE;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& rate) {
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(rate.QuadPart);
}

bool Measure(const std::string& program, TRun& run) {
  std::string folder = program.substr(0, program.find_last_of("\\/") + 1);
  std::string command = "\"" + program + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER rate, start, now;
  QueryPerformanceFrequency(&rate);
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", program.c_str(), GetLastError());
    return false;
  }
  TFind find{process.dwProcessId, nullptr};
  for (;;) {
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&find));
    QueryPerformanceCounter(&now);
    if (find.found || Seconds(start, now, rate) > 30) break;
    if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  run.milliseconds = Seconds(start, now, rate) * 1000;
  Sleep(500);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                       sizeof memory);
  run.working_set = memory.WorkingSetSize;
  run.private_bytes = memory.PrivateUsage;
  if (find.found) PostMessageA(find.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 5000);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (!find.found) std::fprintf(stderr, "%s showed no window\n", program.c_str());
  return find.found != nullptr;
}

template <class T, class F>
double Median(const std::vector<T>& runs, F field) {
  std::vector<double> values;
  for (const T& run : runs) values.push_back(static_cast<double>(field(run)));
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: StartupTimer RUNS PROGRAM...\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  std::vector<std::string> programs(argv + 2, argv + argc);
  std::vector<std::vector<TRun>> results(programs.size());
  for (int i = 0; i < runs; ++i) {
    for (size_t p = 0; p < programs.size(); ++p) {
      TRun run{};
      if (!Measure(programs[p], run)) return 1;
      results[p].push_back(run);
      std::printf("run %d %-40s %8.1f ms %8lu KB resident %8lu KB private\n", i + 1,
                  programs[p].c_str(), run.milliseconds,
                  static_cast<unsigned long>(run.working_set / 1024),
                  static_cast<unsigned long>(run.private_bytes / 1024));
      std::fflush(stdout);
    }
  }
  auto time = [](const TRun& run) { return run.milliseconds; };
  auto resident = [](const TRun& run) { return static_cast<double>(run.working_set); };
  const double base_time = Median(results.back(), time);
  const double base_resident = Median(results.back(), resident);
  for (size_t p = 0; p < programs.size(); ++p) {
    const double t = Median(results[p], time);
    const double r = Median(results[p], resident);
    std::printf("median %-40s %8.1f ms (x%.2f) %8.0f KB resident (x%.2f)\n", programs[p].c_str(), t,
                t / base_time, r / 1024, r / base_resident);
  }
  return 0;
}
