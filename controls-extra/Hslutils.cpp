#include "controls-extra/Hslutils.h"

#include <algorithm>
#include <cmath>

int HSLRange = 240;

namespace {

// The default rounding mode rounds ties to even.
int RoundEven(double value) {
  return static_cast<int>(std::nearbyint(value));
}

// A channel from 0 to 1 as a byte; a scale that makes no sense (HSLRange of 1) gives NaN here,
// and a lightness above 1 more than 255: neither may spill into the next channel.
uint8_t ChannelByte(double value) {
  if (!(value > 0)) return 0;
  return static_cast<uint8_t>(RoundEven(std::min(255 * value, 255.0)));
}

double HueChannel(double m1, double m2, double x) {
  if (x < 0) {
    x += 1;
  } else if (x > 1) {
    x -= 1;
  }
  if (6 * x < 1) return m1 + (m2 - m1) * x * 6;
  if (2 * x < 1) return m2;
  if (3 * x < 2) return m1 + (m2 - m1) * (2.0 / 3 - x) * 6;
  return m1;
}

}  // namespace

TColor HSLtoRGB(double H, double S, double L) {
  if (S == 0) {
    const uint8_t grey = ChannelByte(L);
    return RGBColor(grey, grey, grey);
  }
  const double m2 = L <= 0.5 ? L * (1 + S) : L + S - L * S;
  const double m1 = 2 * L - m2;
  return RGBColor(ChannelByte(HueChannel(m1, m2, H + 1.0 / 3)), ChannelByte(HueChannel(m1, m2, H)),
                  ChannelByte(HueChannel(m1, m2, H - 1.0 / 3)));
}

TColor HSLRangeToRGB(int H, int S, int L) {
  return HSLtoRGB(static_cast<double>(H) / (HSLRange - 1), static_cast<double>(S) / HSLRange,
                  static_cast<double>(L) / HSLRange);
}

void RGBtoHSL(TColor Color, double& H, double& S, double& L) {
  const double r = RedOf(Color) / 255.0;
  const double g = GreenOf(Color) / 255.0;
  const double b = BlueOf(Color) / 255.0;
  const double max = std::max({r, g, b});
  const double min = std::min({r, g, b});
  L = (max + min) / 2;
  if (max == min) {
    H = 0;
    S = 0;
    return;
  }
  const double d = max - min;
  S = L < 0.5 ? d / (max + min) : d / (2 - max - min);
  if (r == max) {
    H = (g - b) / d;
  } else if (g == max) {
    H = 2 + (b - r) / d;
  } else {
    H = 4 + (r - g) / d;
  }
  H /= 6;
  if (H < 0) H += 1;
}

void RGBtoHSLRange(TColor Color, int& H, int& S, int& L) {
  double h = 0, s = 0, l = 0;
  RGBtoHSL(Color, h, s, l);
  H = RoundEven((HSLRange - 1) * h);
  S = RoundEven(HSLRange * s);
  L = RoundEven(HSLRange * l);
}
