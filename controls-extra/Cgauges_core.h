// Cgauges_core: the gauge (Cgauges) without its window: the rules of its range and progress, its
// percentage, and where each kind draws. No <windows.h>.
//
// Coordinates: pixels of the gauge's picture, origin at its top left. The paint rectangle is
// the control's client area, less one pixel on every side when the gauge has a border. Several
// shapes take the rectangle's width and height with a pixel more or less than its right minus
// left; each function says which, and the right and bottom edges of the bar rectangles are
// lengths, not offsets from the paint rectangle.
#pragma once

#include "framework/core/Layout.h"
#include "framework/core/Sysutils.h"
#include "framework/core/Typinfo.h"

enum class TCGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
const TEnumInfo& EnumInfoOf(TCGaugeKind);

// The message of a bound that would leave the range empty: "Wert muß zwischen <low> und <high>
// liegen".
AnsiString GaugeRangeMessage(int low, int high);

// floor((progress - min) * 100 / (max - min)), in floating point; 0 for an empty range.
int GaugePercent(int progress, int min_value, int max_value);
// floor(percent * 0.01 * length).
int PercentOfLength(int percent, int length);

// MinValue <= Progress <= MaxValue. The setters answer whether the picture changed.
class TGaugeRange {
 public:
  int MinValue() const { return FMinValue; }
  int MaxValue() const { return FMaxValue; }
  int Progress() const { return FProgress; }
  int PercentDone() const { return GaugePercent(FProgress, FMinValue, FMaxValue); }

  // Raises Exception with GaugeRangeMessage(-2147483647, MaxValue - 1) for a value above the
  // maximum, and changes nothing. Progress follows a minimum that passes it. With `check` off
  // (while a form is read) the value is taken as it is; CheckLoaded checks it afterwards.
  bool SetMinValue(int value, bool check = true);
  // Raises with (MinValue + 1, 2147483647) for a value below the minimum.
  bool SetMaxValue(int value, bool check = true);
  // Clamps into the range; true only when the whole percentage changed.
  bool SetProgress(int value);
  // After a form was read: raises as SetMaxValue would when the bounds read are crossed.
  void CheckLoaded();

 private:
  int FMinValue = 0;
  int FMaxValue = 100;
  int FProgress = 0;
};

struct TGaugePoint {
  int X = 0, Y = 0;
  bool operator==(const TGaugePoint& other) const = default;
};

TLayoutRect GaugePaintRect(int width, int height, bool border);

// The filled part of a bar, to fill with the fore colour; empty when nothing is filled.
// W and H are the paint rectangle's right minus left and bottom minus top, plus one.
// Horizontal: (left, top, F, H) with F the percentage of W, at most W. Vertical: (left, H - F,
// W, H) with F the percentage of H, at most H - 1.
TLayoutRect GaugeBarRect(TCGaugeKind kind, const TLayoutRect& rect, int percent);

// Where a text of the given size starts: half of what is left of W and H (as for the bars),
// not offset by the rectangle's left and top.
TGaugePoint GaugeTextOrigin(const TLayoutRect& rect, int text_width, int text_height);

// The pie: an ellipse in Bounds, filled from Start counter-clockwise to End (twelve o'clock).
// Bounds run from the rectangle's top left to its width and height, each one more with a
// border.
struct TGaugePie {
  TLayoutRect Bounds;
  TGaugePoint Start, End;
};
TGaugePie GaugePieGeometry(const TLayoutRect& rect, bool border, int percent);

// The needle: the dial is the upper half of an ellipse twice the area's height (a pie in
// DialBounds from DialStart to DialEnd), on a base line; the needle runs from its hub at the
// bottom to its tip.
struct TGaugeNeedle {
  TLayoutRect DialBounds;
  TGaugePoint DialStart, DialEnd;
  TGaugePoint BaseFrom, BaseTo;
  TGaugePoint Hub, Tip;
};
// `control_width` places the hub: half the control's width, not the rectangle's.
TGaugeNeedle GaugeNeedleGeometry(const TLayoutRect& rect, bool border, int control_width,
                                 int percent);
