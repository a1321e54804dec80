#include "controls-extra/Cgauges_core.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

const TEnumInfo& EnumInfoOf(TCGaugeKind) {
  static const TEnumInfo info{{"gkText", "gkHorizontalBar", "gkVerticalBar", "gkPie", "gkNeedle"}};
  return info;
}

AnsiString GaugeRangeMessage(int low, int high) {
  return Format("Wert muß zwischen %d und %d liegen", low, high);
}

namespace {

int Floor(double value) {
  return static_cast<int>(std::floor(value));
}

// The bounds of the message, one inside the range that the other bound leaves; at the end of
// the 32-bit range they stay at its end.
int OneBelow(int value) {
  return value == INT_MIN ? value : value - 1;
}
int OneAbove(int value) {
  return value == INT_MAX ? value : value + 1;
}

}  // namespace

int GaugePercent(int progress, int min_value, int max_value) {
  if (max_value == min_value) return 0;
  const double percent = (static_cast<double>(progress) - min_value) * 100.0 /
                         (static_cast<double>(max_value) - min_value);
  return Floor(percent);
}

int PercentOfLength(int percent, int length) {
  return Floor(percent * 0.01 * length);
}

// ---------------------------------------------------------------------------------------------
// TGaugeRange

bool TGaugeRange::SetMinValue(int value, bool check) {
  if (value == FMinValue) return false;
  if (check && value > FMaxValue) {
    throw Exception(GaugeRangeMessage(-INT_MAX, OneBelow(FMaxValue)));
  }
  FMinValue = value;
  if (FProgress < value) FProgress = value;
  return true;
}

bool TGaugeRange::SetMaxValue(int value, bool check) {
  if (value == FMaxValue) return false;
  if (check && value < FMinValue) throw Exception(GaugeRangeMessage(OneAbove(FMinValue), INT_MAX));
  FMaxValue = value;
  if (FProgress > value) FProgress = value;
  return true;
}

bool TGaugeRange::SetProgress(int value) {
  const int before = PercentDone();
  if (value < FMinValue) value = FMinValue;
  if (value > FMaxValue) value = FMaxValue;
  if (value == FProgress) return false;
  FProgress = value;
  return PercentDone() != before;
}

void TGaugeRange::CheckLoaded() {
  if (FMinValue > FMaxValue) throw Exception(GaugeRangeMessage(OneAbove(FMinValue), INT_MAX));
}

// ---------------------------------------------------------------------------------------------
// Geometry

TLayoutRect GaugePaintRect(int width, int height, bool border) {
  const int inset = border ? 1 : 0;
  return {inset, inset, width - inset, height - inset};
}

TLayoutRect GaugeBarRect(TCGaugeKind kind, const TLayoutRect& rect, int percent) {
  const int width = rect.Width() + 1;
  const int height = rect.Height() + 1;
  if (kind == TCGaugeKind::gkHorizontalBar) {
    const int filled = std::min(PercentOfLength(percent, width), width);
    if (filled <= 0) return {};
    return {rect.Left, rect.Top, filled, height};
  }
  int filled = PercentOfLength(percent, height);
  if (filled >= height) filled = height - 1;
  return {rect.Left, height - filled, width, height};
}

TGaugePoint GaugeTextOrigin(const TLayoutRect& rect, int text_width, int text_height) {
  return {(rect.Width() + 1 - text_width) / 2, (rect.Height() + 1 - text_height) / 2};
}

TGaugePie GaugePieGeometry(const TLayoutRect& rect, bool border, int percent) {
  const int extra = border ? 1 : 0;
  const int width = rect.Width() + extra;
  const int height = rect.Height() + extra;
  const int mid_x = width / 2;
  const int mid_y = height / 2;
  const double angle = (percent * 0.02 + 0.5) * std::numbers::pi;
  TGaugePie pie;
  pie.Bounds = {rect.Left, rect.Top, width, height};
  pie.Start = {Floor((1 - std::cos(angle)) * mid_x), Floor((1 - std::sin(angle)) * mid_y)};
  pie.End = {mid_x, 0};
  return pie;
}

TGaugeNeedle GaugeNeedleGeometry(const TLayoutRect& rect, bool border, int control_width,
                                 int percent) {
  const int extra = border ? 1 : 0;
  const int left = rect.Left;
  const int top = rect.Top;
  const int width = rect.Width() + extra;
  const int height = rect.Height() + extra;
  TGaugeNeedle needle;
  needle.DialBounds = {left, top, width, 2 * height - 1};
  needle.DialStart = {left + width, rect.Bottom - 1};
  needle.DialEnd = {left, rect.Bottom - 1};
  needle.BaseFrom = {left, rect.Bottom};
  needle.BaseTo = {left + width, rect.Bottom};
  const int mid_x = control_width / 2;
  const double angle = percent * 0.01 * std::numbers::pi;
  needle.Hub = {mid_x, rect.Bottom - 1};
  needle.Tip = {Floor((1 - std::cos(angle)) * mid_x),
                Floor((1 - std::sin(angle)) * (rect.Bottom - 1))};
  return needle;
}
