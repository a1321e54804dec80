// Starts the example built against the installed package and waits for its window: captioned
// "Hello, gauge", visible, holding its colour grid. Then closes it as a person would (the close
// box's command) and expects the program to end by itself, with exit code 0.
//   hellogauge_check FOLDER_OF_HelloGauge.exe
#include <cstdio>

#include "tests/e2e/Driver.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: hellogauge_check FOLDER_OF_HelloGauge.exe\n");
    return 2;
  }
  driver::Program program(argv[1], "HelloGauge.exe");
  HWND window = nullptr;
  const bool shown = driver::WaitFor(
      [&] {
        window = program.TopWindow("TForm", "Hello, gauge");
        return (window && IsWindowVisible(window)) || !program.Running();
      },
      20000);
  const char* fault = nullptr;
  if (!shown || !program.Running()) {
    fault = program.Running() ? "no window \"Hello, gauge\" within 20 seconds"
                              : "it ended before its window showed";
  } else if (!FindWindowExA(window, nullptr, "TCColorGrid", nullptr)) {
    fault = "its window holds no colour grid";
  } else {
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (!program.WaitForExit(10000)) {
      fault = "still running 10 seconds after its window was closed";
    } else if (program.ExitCode() != 0) {
      fault = "it ended with an exit code other than 0";
    }
  }
  if (fault) {
    std::printf("hello-gauge: %s\n", fault);
    return 1;  // the program, if it still runs, ends with its driver
  }
  std::printf("hello-gauge: its window showed, and it ended when the window was closed\n");
  return 0;
}
