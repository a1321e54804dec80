// Perfgrap_core: the performance graph (Perfgrap) without its window: the ring of bands that holds
// the history, the scale that follows the data, where the grid, the bars and the lines go, and
// when the picture scrolls or is drawn again from the history. No <windows.h>: the drawing goes
// to a TGraphPicture, which the control implements on its off-screen bitmap and tests record.
//
// Coordinates: pixels of the picture, origin at its top left. Values rise from the bottom edge;
// a value's height is trunc(value / Scale * picture height). A band is StepSize pixels wide;
// the band closed last is drawn at the right edge and the current band lies beyond it.
//
// Ownership: the plot owns its ring of bands; the picture is not owned and outlives the plot.
#pragma once

#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "framework/core/Colors.h"
#include "framework/core/Layout.h"

enum class TGraphKind { pgBar, pgLine };
const TEnumInfo& EnumInfoOf(TGraphKind);

inline constexpr int kGraphBandPoints = 16;

// The points of one update cycle.
struct TGraphBand {
  int Count = 0;
  TColor Colors[kGraphBandPoints] = {};
  int Values[kGraphBandPoints] = {};
};

// Value rounded up to the next multiple of Step; Value itself when Step is 0 or it is one
// already. Division truncates toward zero, so RoundUp(-150, 100) is 0. A result beyond the
// 32-bit range is cut to the range.
int RoundUp(int value, int step);
// trunc(value / scale * height), in pixels; 0 for a scale of 0. Heights far beyond any picture
// are cut to +-2^20, so that coordinates stay in range.
int ValueToPixels(int value, int scale, int height);

// The ring of bands. Slots run 0..Count()-1 and wrap; FirstY is the oldest band and Last the
// current one, which DataPoint fills. The oldest band always follows the current one.
class TGraphHistory {
 public:
  explicit TGraphHistory(int count);

  int Count() const { return static_cast<int>(FHistory.size()); }
  int FirstY() const { return FFirst; }
  int Last() const { return FLast; }
  // The slot after `index`, or -1 when that is the oldest band again (the walk is complete).
  int NextY(int index) const;
  // The slot before `index`, wrapping.
  int LastY(int index) const;
  // Starts a new, empty current band in the oldest band's slot; answers its slot.
  int ShiftY();
  const TGraphBand& Band(int index) const { return FHistory[index]; }
  // Appends a point to the current band. Raises ERangeError when it holds 16 already.
  void DataPoint(TColor color, int value);
  // The largest value held anywhere in the ring, at least 0.
  int Maximum() const;
  // Rebuilds the ring with `count` slots, keeping the newest bands; slots it gains are empty
  // bands older than all that it keeps.
  void Resize(int count);

 private:
  void Close(int slot);

  std::vector<TGraphBand> FHistory;
  int FFirst = 1;
  int FLast = 0;
  // (slot, largest value) of closed bands whose value no newer closed band reaches, oldest
  // first: the front is the largest of all, so the maximum costs the same for any width.
  std::deque<std::pair<int, int>> FPeaks;
};

// What the plot draws on: the control's off-screen picture.
class TGraphPicture {
 public:
  virtual ~TGraphPicture() = default;
  // The control's size, which the picture takes on each full redraw.
  virtual int ControlWidth() const = 0;
  virtual int ControlHeight() const = 0;
  virtual void SetSize(int width, int height) = 0;
  // Fills the rectangle without its right column and bottom row, as the platform does.
  virtual void Fill(const TLayoutRect& rect, TColor color) = 0;
  // A line that leaves out its end point, as the platform draws it.
  virtual void Line(int x1, int y1, int x2, int y2, TColor color, int width) = 0;
  // Copies a part of the picture onto another part of itself.
  virtual void Scroll(const TLayoutRect& source, const TLayoutRect& dest) = 0;
  // The picture changed: the control shows it now.
  virtual void ShowChanges() = 0;
};

class TGraphPlot {
 public:
  // Makes the ring for the control's width and draws the empty grid.
  explicit TGraphPlot(TGraphPicture& picture);

  // Properties. A setter acts only when the value changes: it stores and redraws everything
  // (StepSize rebuilds the ring first). GridSize below 2 becomes 2, StepSize below 1 becomes 1.
  TGraphKind Kind() const { return FKind; }
  void SetKind(TGraphKind value);
  TColor ForeColor() const { return FForeColor; }
  void SetForeColor(TColor value);
  TColor BackColor() const { return FBackColor; }
  void SetBackColor(TColor value);
  int GridSize() const { return FGridSize; }
  void SetGridSize(int value);
  int StepSize() const { return FStepSize; }
  void SetStepSize(int value);
  int Scale() const { return FScale; }
  // Rounds up to Gradient, calls OnScaleChange (also when the rounded scale is the old one)
  // and redraws; nothing when `value` is the scale already.
  void SetScale(int value);
  int Gradient() const { return FGradient; }
  void SetGradient(int value);
  bool Gridlines() const { return FGridlines; }
  void SetGridlines(bool value);
  int PenWidth() const { return FPenWidth; }
  void SetPenWidth(int value);

  void DataPoint(TColor color, int value) { FHistory.DataPoint(color, value); }
  // Closes the cycle: scrolls one band, starts a new band, and either rescales (a full
  // redraw) or draws the band just closed at the right edge.
  void Update();
  int GetBandCount() const;

  // The steps of drawing, in the picture.
  void Initialize(int first_grid_x);
  void ScrollGraph();
  void DisplayPoints(int band);
  void PaintBar(TColor color, int base, int value);
  void PaintLine(TColor color, int from_value, int to_value);
  // Redraws the whole picture from the history at the control's size; a ring that does not
  // fit the control's band count is rebuilt first.
  void Replay();
  void ReallocHistory();

  const TGraphHistory& History() const { return FHistory; }
  const TLayoutRect& GraphRect() const { return FGraphRect; }
  const TLayoutRect& NewBandRect() const { return FNewBandRect; }
  int GridOffset() const { return FGridOffset; }

  std::function<void()> OnScaleChange;

 private:
  int Pixels(int value) const;
  void HorizontalGridLines(int left, int right);
  void VerticalGridLine(int x);
  // A band's fill and its line, cut to the picture's columns first: a band may be far wider
  // than the picture (a huge StepSize), and Windows refuses a rectangle or line whose
  // coordinates pass 2^27 outright, where the rest of it would have shown.
  void FillBand(TLayoutRect rect, TColor color);
  void BandLine(int x1, int y1, int x2, int y2, TColor color, int width);

  TGraphPicture& FPicture;  // not owned
  TGraphKind FKind = TGraphKind::pgLine;
  TColor FForeColor = clGreen;
  TColor FBackColor = clBlack;
  int FGridSize = 15;
  int FStepSize = 3;
  int FScale = 1000;
  int FGradient = 100;
  bool FGridlines = true;
  int FPenWidth = 2;
  TLayoutRect FGraphRect;
  TLayoutRect FScrollSource;  // what survives a scroll
  TLayoutRect FScrollDest;    // where it goes
  TLayoutRect FNewBandRect;   // where DisplayPoints draws
  // From the right edge to the next vertical grid line beyond it.
  int FGridOffset = 0;
  TGraphHistory FHistory;
};
