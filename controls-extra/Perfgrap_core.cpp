#include "controls-extra/Perfgrap_core.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "framework/core/Sysutils.h"

const TEnumInfo& EnumInfoOf(TGraphKind) {
  static const TEnumInfo info{{"pgBar", "pgLine"}};
  return info;
}

namespace {

constexpr int kMaxPixels = 1 << 20;

int ClampToInt(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

int Peak(const TGraphBand& band) {
  int peak = 0;
  for (int i = 0; i < band.Count; ++i) peak = std::max(peak, band.Values[i]);
  return peak;
}

}  // namespace

int RoundUp(int value, int step) {
  // In 64 bits: INT_MIN % -1 and a rounded INT_MAX do not fit in 32.
  const int64_t v = value;
  const int64_t s = step;
  if (s == 0 || v % s == 0) return value;
  return ClampToInt((v / s + 1) * s);
}

int ValueToPixels(int value, int scale, int height) {
  if (scale == 0) return 0;
  const double pixels = std::trunc(static_cast<double>(value) / scale * height);
  return static_cast<int>(std::clamp<double>(pixels, -kMaxPixels, kMaxPixels));
}

// ---------------------------------------------------------------------------------------------
// TGraphHistory

TGraphHistory::TGraphHistory(int count) : FHistory(std::max(count, 2)) {}

int TGraphHistory::NextY(int index) const {
  int next = index + 1;
  if (next == Count()) next = 0;
  return next == FFirst ? -1 : next;
}

int TGraphHistory::LastY(int index) const {
  return index == 0 ? Count() - 1 : index - 1;
}

void TGraphHistory::Close(int slot) {
  const int peak = Peak(FHistory[slot]);
  if (peak <= 0) return;  // the maximum starts at 0 anyway
  while (!FPeaks.empty() && FPeaks.back().second <= peak) FPeaks.pop_back();
  FPeaks.emplace_back(slot, peak);
}

int TGraphHistory::ShiftY() {
  Close(FLast);
  int next = FLast + 1;
  if (next == Count()) next = 0;
  // The oldest band goes; if it held the largest value, the next largest takes over.
  if (!FPeaks.empty() && FPeaks.front().first == next) FPeaks.pop_front();
  FHistory[next].Count = 0;
  FFirst = next + 1 == Count() ? 0 : next + 1;
  FLast = next;
  return FLast;
}

void TGraphHistory::DataPoint(TColor color, int value) {
  TGraphBand& band = FHistory[FLast];
  if (band.Count >= kGraphBandPoints) {
    throw ERangeError(
        Format("The graph takes at most %d points between two updates", kGraphBandPoints));
  }
  band.Colors[band.Count] = color;
  band.Values[band.Count] = value;
  ++band.Count;
}

int TGraphHistory::Maximum() const {
  const int closed = FPeaks.empty() ? 0 : FPeaks.front().second;
  return std::max(closed, Peak(FHistory[FLast]));
}

void TGraphHistory::Resize(int count) {
  count = std::max(count, 2);
  std::vector<int> order;  // oldest first, the current band last
  order.reserve(FHistory.size());
  for (int slot = FFirst; slot != -1; slot = NextY(slot)) order.push_back(slot);
  const int kept = std::min(count, Count());
  // The kept bands go to the end, so that the current band is the last slot and the empty
  // ones are the oldest: the oldest band follows the current one, as after every shift.
  std::vector<TGraphBand> bands(count);
  for (int i = 0; i < kept; ++i) {
    bands[count - kept + i] = FHistory[order[order.size() - kept + i]];
  }
  FHistory = std::move(bands);
  FLast = count - 1;
  FFirst = 0;
  FPeaks.clear();
  for (int slot = count - kept; slot < FLast; ++slot) Close(slot);
}

// ---------------------------------------------------------------------------------------------
// TGraphPlot

TGraphPlot::TGraphPlot(TGraphPicture& picture)
    : FPicture(picture), FHistory(picture.ControlWidth() / FStepSize + 2) {
  Initialize(FGridSize - 1);
}

int TGraphPlot::GetBandCount() const {
  return FPicture.ControlWidth() / FStepSize;
}

void TGraphPlot::SetKind(TGraphKind value) {
  if (value == FKind) return;
  FKind = value;
  Replay();
}

void TGraphPlot::SetForeColor(TColor value) {
  if (value == FForeColor) return;
  FForeColor = value;
  Replay();
}

void TGraphPlot::SetBackColor(TColor value) {
  if (value == FBackColor) return;
  FBackColor = value;
  Replay();
}

void TGraphPlot::SetGridSize(int value) {
  value = std::max(value, 2);
  if (value == FGridSize) return;
  FGridSize = value;
  Replay();
}

void TGraphPlot::SetStepSize(int value) {
  value = std::max(value, 1);
  if (value == FStepSize) return;
  FStepSize = value;
  ReallocHistory();
  Replay();
}

void TGraphPlot::SetScale(int value) {
  if (value == FScale) return;
  FScale = RoundUp(value, FGradient);
  if (OnScaleChange) OnScaleChange();
  Replay();
}

void TGraphPlot::SetGradient(int value) {
  if (value == FGradient) return;
  FGradient = value;
  Replay();
}

void TGraphPlot::SetGridlines(bool value) {
  if (value == FGridlines) return;
  FGridlines = value;
  Replay();
}

void TGraphPlot::SetPenWidth(int value) {
  if (value == FPenWidth) return;
  FPenWidth = value;
  Replay();
}

void TGraphPlot::Update() {
  ScrollGraph();
  FHistory.ShiftY();
  const int scale = RoundUp(FHistory.Maximum(), FGradient);
  if (scale != FScale) {
    SetScale(scale);
    return;
  }
  DisplayPoints(FHistory.LastY(FHistory.Last()));
  FPicture.ShowChanges();
}

int TGraphPlot::Pixels(int value) const {
  return ValueToPixels(value, FScale, FGraphRect.Height());
}

void TGraphPlot::HorizontalGridLines(int left, int right) {
  for (int y = FGridSize; y < FGraphRect.Bottom; y += FGridSize) {
    FPicture.Line(left, y, right, y, FForeColor, 1);
  }
}

void TGraphPlot::VerticalGridLine(int x) {
  FPicture.Line(x, FGraphRect.Top, x, FGraphRect.Bottom, FForeColor, 1);
}

void TGraphPlot::Initialize(int first_grid_x) {
  FPicture.SetSize(FPicture.ControlWidth(), FPicture.ControlHeight());
  FGraphRect = {0, 0, FPicture.ControlWidth(), FPicture.ControlHeight()};
  FPicture.Fill(FGraphRect, FBackColor);
  if (FGridlines) {
    HorizontalGridLines(FGraphRect.Left, FGraphRect.Right);
    int64_t x = first_grid_x;  // a step past the last line may pass INT_MAX
    for (; x < FGraphRect.Right; x += FGridSize) VerticalGridLine(static_cast<int>(x));
    FGridOffset = ClampToInt(x - FGraphRect.Right);
  }
  FNewBandRect = FScrollDest = FScrollSource = FGraphRect;
  FScrollSource.Left = FStepSize;
  FScrollDest.Right -= FStepSize;
  FNewBandRect.Left = FGraphRect.Right - FStepSize;
}

void TGraphPlot::FillBand(TLayoutRect rect, TColor color) {
  rect.Left = std::max(rect.Left, FGraphRect.Left);
  rect.Right = std::min(rect.Right, FGraphRect.Right);
  if (rect.Left < rect.Right) FPicture.Fill(rect, color);
}

void TGraphPlot::BandLine(int x1, int y1, int x2, int y2, TColor color, int width) {
  const int left = std::max(x1, FGraphRect.Left);
  const int right = std::min(x2, FGraphRect.Right);
  if (left >= right) return;
  // Where the line crosses a column; the band's own ends come out exactly.
  auto y_at = [&](int x) {
    return static_cast<int>(y1 + (int64_t{y2} - y1) * (int64_t{x} - x1) / (int64_t{x2} - x1));
  };
  FPicture.Line(left, y_at(left), right, y_at(right), color, width);
}

void TGraphPlot::ScrollGraph() {
  FPicture.Scroll(FScrollSource, FScrollDest);
  FillBand(FNewBandRect, FBackColor);
  if (!FGridlines) return;
  HorizontalGridLines(std::max(FNewBandRect.Left, FGraphRect.Left), FNewBandRect.Right);
  // A band wider than the grid may cross more than one vertical line; of a band wider than
  // the picture, only the lines inside it are drawn.
  int64_t offset = int64_t{FGridOffset} - FStepSize;
  const int64_t left_of_picture = -int64_t{FGraphRect.Width()} - offset;
  if (left_of_picture > 0) offset += (left_of_picture + FGridSize - 1) / FGridSize * FGridSize;
  for (; offset < 0; offset += FGridSize) {
    VerticalGridLine(FGraphRect.Right + static_cast<int>(offset));
  }
  FGridOffset = static_cast<int>(offset);
}

void TGraphPlot::DisplayPoints(int band) {
  const TGraphBand& points = FHistory.Band(band);
  const TGraphBand& before = FHistory.Band(FHistory.LastY(band));
  int previous = 0;
  for (int i = 0; i < points.Count; ++i) {
    const int value = points.Values[i];
    if (value == 0) continue;
    const TColor color = points.Colors[i];
    if (FKind == TGraphKind::pgBar) {
      PaintBar(color, previous, ClampToInt(int64_t{value} - previous));
    } else {
      int from = 0;
      for (int j = 0; j < before.Count; ++j) {
        if (before.Colors[j] == color) {
          from = before.Values[j];
          break;
        }
      }
      PaintLine(color, from, value);
    }
    previous = value;
  }
}

void TGraphPlot::PaintBar(TColor color, int base, int value) {
  if (value == 0 || FScale == 0) return;
  const int height = Pixels(value);
  const int bottom = Pixels(base);
  if (height == 0) return;
  FillBand({FNewBandRect.Left, FGraphRect.Bottom - bottom - height - 1, FNewBandRect.Right,
            FGraphRect.Bottom - bottom},
           color);
}

void TGraphPlot::PaintLine(TColor color, int from_value, int to_value) {
  if (FScale == 0) return;
  BandLine(FNewBandRect.Left, FGraphRect.Bottom - Pixels(from_value), FNewBandRect.Right,
           FGraphRect.Bottom - Pixels(to_value), color, std::max(FPenWidth, 1));
}

void TGraphPlot::Replay() {
  if (FHistory.Count() != GetBandCount() + 2) ReallocHistory();
  const int width = FPicture.ControlWidth();
  Initialize(static_cast<int>((int64_t{width} + FGridOffset) % FGridSize));
  const TLayoutRect saved = FNewBandRect;
  // The band closed last ends at the right edge, where Update draws the next one.
  int64_t x = width % FStepSize;
  for (int band = FHistory.NextY(FHistory.FirstY()); band != -1; band = FHistory.NextY(band)) {
    FNewBandRect.Left = ClampToInt(x);
    x += FStepSize;
    FNewBandRect.Right = ClampToInt(x);
    DisplayPoints(band);
  }
  FPicture.ShowChanges();
  FNewBandRect = saved;
}

void TGraphPlot::ReallocHistory() {
  FHistory.Resize(GetBandCount() + 2);
}
