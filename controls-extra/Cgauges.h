// Cgauges: TCGauge, a windowless control that shows how far a value has come between a
// minimum and a maximum, as a percentage: text only, a horizontal or vertical bar, a pie that
// fills clockwise from twelve o'clock, or a needle on a half dial. The percentage may be
// written on top, inverting whatever lies beneath each of its pixels, so it stays readable on
// the filled and the empty part alike.
//
// Each paint composes the picture off screen on black: the shape is drawn on an overlay and
// combined into the picture with exclusive or, the text likewise, and the picture reaches the
// screen in one copy. A border is the one-pixel black margin left around the paint rectangle.
//
// Ownership: the bitmaps of a paint live only during it; the control holds nothing else.
#pragma once

#include "controls-extra/Cgauges_core.h"
#include "framework/win/Controls.h"
#include "framework/win/Forms.h"

// A bitmap that can take another's size.
class TBltBitmap : public TBitmap {
 public:
  // Takes the template's width and height and fills itself with the window-frame colour.
  void MatchSize(TBitmap* Template);
};

class TCGauge : public TGraphicControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TCGauge(TComponent* owner);

  TCGaugeKind Kind() const { return FKind; }
  void SetKind(TCGaugeKind value);
  bool ShowText() const { return FShowText; }
  void SetShowText(bool value);
  // bsSingle draws a border; every other style none.
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle value);
  // The filled part and the outlines.
  TColor ForeColor() const { return FForeColor; }
  void SetForeColor(TColor value);
  // The unfilled part.
  TColor BackColor() const { return FBackColor; }
  void SetBackColor(TColor value);

  // MinValue <= Progress <= MaxValue. A bound that would cross the other raises Exception
  // and changes nothing; while a form is read, a minimum waits for the maximum read after it.
  int MinValue() const { return FRange.MinValue(); }
  void SetMinValue(int value);
  int MaxValue() const { return FRange.MaxValue(); }
  void SetMaxValue(int value);
  int Progress() const { return FRange.Progress(); }
  // Clamps into the range; repaints only when the whole percentage changes.
  void SetProgress(int value);
  // Adds to the progress (clamped) and repaints.
  void AddProgress(int value);
  int GetPercentDone() const { return FRange.PercentDone(); }

  void Loaded() override;

 protected:
  void Paint() override;
  // The drawing steps, on a bitmap of the control's size, within the paint rectangle.
  void PaintBackground(TBitmap* image);
  void PaintAsText(TBitmap* image, const RECT& rect);
  void PaintAsNothing(TBitmap* image, const RECT& rect);
  void PaintAsBar(TBitmap* image, const RECT& rect);
  void PaintAsPie(TBitmap* image, const RECT& rect);
  void PaintAsNeedle(TBitmap* image, const RECT& rect);

 private:
  bool HasBorder() const { return FBorderStyle == TFormBorderStyle::bsSingle; }

  TGaugeRange FRange;
  TCGaugeKind FKind = TCGaugeKind::gkHorizontalBar;
  bool FShowText = true;
  TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSingle;
  TColor FForeColor = clBlack;
  TColor FBackColor = clWhite;
};

namespace Cgauges {
// Makes TCGauge known to form descriptions by its class name.
void Register();
}  // namespace Cgauges
