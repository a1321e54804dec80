// Helpers for tests that drive real windows: message pumping, mouse messages, pixels.
#pragma once

#include <windows.h>

#include "framework/win/Forms.h"

namespace wintest {

// Dispatches everything waiting, a few rounds, so posted follow-ups arrive too.
inline void Pump() {
  for (int round = 0; round < 3; ++round) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

inline void PostMouse(HWND window, UINT msg, int x, int y, WPARAM keys = 0) {
  PostMessageA(window, msg, keys, MAKELPARAM(x, y));
}

// A left click at client coordinates of `window`, as the system would send it.
inline void Click(HWND window, int x, int y) {
  PostMouse(window, WM_MOUSEMOVE, x, y);
  PostMouse(window, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
  PostMouse(window, WM_LBUTTONUP, x, y);
  Pump();
}

// The colour on screen at client coordinates of a visible window.
inline COLORREF PixelAt(HWND window, int x, int y) {
  UpdateWindow(window);
  HDC dc = GetDC(window);
  const COLORREF color = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return color;
}

// Makes sure the application object exists for the whole test program.
inline void EnsureApplication() {
  if (!Application) {
    InitApplication();
    Application->Initialize();
  }
}

// Records the exceptions that the application would show.
struct ExceptionRecorder {
  ExceptionRecorder() {
    EnsureApplication();
    Application->OnException = [this](TObject*, const std::exception& e) {
      messages.push_back(e.what());
    };
  }
  ~ExceptionRecorder() { Application->OnException = nullptr; }
  std::vector<AnsiString> messages;
};

}  // namespace wintest
