// The clock of the timing programs under Wine: the performance counter's seconds between two
// readings.
#pragma once

#include <windows.h>

inline double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}
