#include "controls-extra/Cgauges.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

RECT ToRect(const TLayoutRect& rect) {
  return {rect.Left, rect.Top, rect.Right, rect.Bottom};
}

TLayoutRect ToLayout(const RECT& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void FillWith(TCanvas* canvas, const RECT& rect, TColor color) {
  canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
  canvas->Brush()->SetColor(color);
  canvas->FillRect(rect);
}

void SetPen(TCanvas* canvas, TColor color) {
  canvas->Pen()->SetColor(color);
  canvas->Pen()->SetWidth(1);
}

// Combines `source` into `target` with exclusive or: the black pixels of the source leave the
// target as it is, the others change its colour.
void InvertInto(TBitmap* target, TBitmap* source) {
  target->Canvas()->SetCopyMode(SRCINVERT);
  target->Canvas()->Draw(0, 0, source);
}

}  // namespace

void TBltBitmap::MatchSize(TBitmap* Template) {
  SetSize(Template->GetWidth(), Template->GetHeight());
  FillWith(Canvas(), RECT{0, 0, GetWidth(), GetHeight()}, clWindowFrame);
}

// ---------------------------------------------------------------------------------------------
// TCGauge

const TClassInfo& TCGauge::StaticClassInfo() {
  // The minimum is read before the maximum, and the progress after both.
  static const TClassInfo& info =
      TClassBuilder<TCGauge>("TCGauge", &TGraphicControl::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Align"})
          .Property("Kind", &TCGauge::Kind, &TCGauge::SetKind,
                    Default(TCGaugeKind::gkHorizontalBar))
          .Property("ShowText", &TCGauge::ShowText, &TCGauge::SetShowText, Default(true))
          .Property("BorderStyle", &TCGauge::BorderStyle, &TCGauge::SetBorderStyle,
                    Default(TFormBorderStyle::bsSingle))
          .Property("ForeColor", &TCGauge::ForeColor, &TCGauge::SetForeColor, DefaultColor(clBlack))
          .Property("BackColor", &TCGauge::BackColor, &TCGauge::SetBackColor, DefaultColor(clWhite))
          .Property("MinValue", &TCGauge::MinValue, &TCGauge::SetMinValue, Default(0))
          .Property("MaxValue", &TCGauge::MaxValue, &TCGauge::SetMaxValue, Default(100))
          .Property("Progress", &TCGauge::Progress, &TCGauge::SetProgress, Default(0))
          .Publish(
              {"Anchors", "Color", "Constraints", "Enabled", "Font", "ParentColor", "ParentFont"})
          .Publish(kPublishHints)
          .Publish({"Visible"})
          .Build();
  return info;
}

TCGauge::TCGauge(TComponent* owner) : TGraphicControl(owner) {
  control_style_ |= csFramed | csOpaque;
  SetBounds(Left(), Top(), 100, 100);
}

void TCGauge::SetKind(TCGaugeKind value) {
  if (value == FKind) return;
  FKind = value;
  Repaint();
}

void TCGauge::SetShowText(bool value) {
  if (value == FShowText) return;
  FShowText = value;
  Repaint();
}

void TCGauge::SetBorderStyle(TFormBorderStyle value) {
  if (value == FBorderStyle) return;
  FBorderStyle = value;
  Repaint();
}

void TCGauge::SetForeColor(TColor value) {
  if (value == FForeColor) return;
  FForeColor = value;
  Repaint();
}

void TCGauge::SetBackColor(TColor value) {
  if (value == FBackColor) return;
  FBackColor = value;
  Repaint();
}

void TCGauge::SetMinValue(int value) {
  // A form stores the minimum first: checked against the default maximum it could refuse a
  // range the form holds. The maximum read next checks it, and Loaded the rest.
  if (FRange.SetMinValue(value, !IsLoading())) Repaint();
}

void TCGauge::SetMaxValue(int value) {
  if (FRange.SetMaxValue(value)) Repaint();
}

void TCGauge::SetProgress(int value) {
  if (FRange.SetProgress(value)) Repaint();
}

void TCGauge::AddProgress(int value) {
  const int64_t sum = int64_t{FRange.Progress()} + value;
  SetProgress(static_cast<int>(std::clamp<int64_t>(sum, INT_MIN, INT_MAX)));
  Repaint();
}

void TCGauge::Loaded() {
  TGraphicControl::Loaded();
  FRange.CheckLoaded();
}

void TCGauge::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  TBitmap picture;
  picture.SetSize(Width(), Height());
  TBltBitmap overlay;
  PaintBackground(&picture);
  const RECT rect = ToRect(GaugePaintRect(Width(), Height(), HasBorder()));
  overlay.MatchSize(&picture);
  PaintBackground(&overlay);
  switch (FKind) {
    case TCGaugeKind::gkText:
      PaintAsNothing(&overlay, rect);
      break;
    case TCGaugeKind::gkHorizontalBar:
    case TCGaugeKind::gkVerticalBar:
      PaintAsBar(&overlay, rect);
      break;
    case TCGaugeKind::gkPie:
      PaintAsPie(&overlay, rect);
      break;
    case TCGaugeKind::gkNeedle:
      PaintAsNeedle(&overlay, rect);
      break;
  }
  InvertInto(&picture, &overlay);
  picture.Canvas()->SetCopyMode(SRCCOPY);
  if (FShowText) PaintAsText(&picture, rect);
  Canvas()->SetCopyMode(SRCCOPY);
  Canvas()->Draw(0, 0, &picture);
}

void TCGauge::PaintBackground(TBitmap* image) {
  TCanvas* canvas = image->Canvas();
  const RECT whole{0, 0, Width(), Height()};
  canvas->SetCopyMode(BLACKNESS);
  canvas->CopyRect(whole, *canvas, whole);
  canvas->SetCopyMode(SRCCOPY);
}

void TCGauge::PaintAsText(TBitmap* image, const RECT& rect) {
  TBltBitmap text;
  text.MatchSize(image);
  PaintBackground(&text);
  const AnsiString percent = IntToStr(GetPercentDone()) + "%";
  TCanvas* canvas = text.Canvas();
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  canvas->Font()->Assign(Font());
  canvas->Font()->SetColor(clWhite);
  const SIZE size = canvas->TextExtent(percent);
  const TGaugePoint at = GaugeTextOrigin(ToLayout(rect), size.cx, size.cy);
  canvas->TextRect(rect, at.X, at.Y, percent);
  InvertInto(image, &text);
}

void TCGauge::PaintAsNothing(TBitmap* image, const RECT& rect) {
  FillWith(image->Canvas(), rect, FBackColor);
}

void TCGauge::PaintAsBar(TBitmap* image, const RECT& rect) {
  TCanvas* canvas = image->Canvas();
  FillWith(canvas, rect, FBackColor);
  SetPen(canvas, FForeColor);
  canvas->Brush()->SetColor(FForeColor);
  canvas->FillRect(ToRect(GaugeBarRect(FKind, ToLayout(rect), GetPercentDone())));
}

void TCGauge::PaintAsPie(TBitmap* image, const RECT& rect) {
  const TGaugePie pie = GaugePieGeometry(ToLayout(rect), HasBorder(), GetPercentDone());
  const TLayoutRect& b = pie.Bounds;
  TCanvas* canvas = image->Canvas();
  FillWith(canvas, rect, Color());
  canvas->Brush()->SetColor(FBackColor);
  SetPen(canvas, FForeColor);
  canvas->Ellipse(b.Left, b.Top, b.Right, b.Bottom);
  if (GetPercentDone() <= 0) return;
  canvas->Brush()->SetColor(FForeColor);
  canvas->Pie(b.Left, b.Top, b.Right, b.Bottom, pie.Start.X, pie.Start.Y, pie.End.X, pie.End.Y);
}

void TCGauge::PaintAsNeedle(TBitmap* image, const RECT& rect) {
  const TGaugeNeedle needle =
      GaugeNeedleGeometry(ToLayout(rect), HasBorder(), Width(), GetPercentDone());
  const TLayoutRect& dial = needle.DialBounds;
  TCanvas* canvas = image->Canvas();
  FillWith(canvas, rect, Color());
  canvas->Brush()->SetColor(FBackColor);
  SetPen(canvas, FForeColor);
  canvas->Pie(dial.Left, dial.Top, dial.Right, dial.Bottom, needle.DialStart.X, needle.DialStart.Y,
              needle.DialEnd.X, needle.DialEnd.Y);
  canvas->MoveTo(needle.BaseFrom.X, needle.BaseFrom.Y);
  canvas->LineTo(needle.BaseTo.X, needle.BaseTo.Y);
  if (GetPercentDone() <= 0) return;
  canvas->MoveTo(needle.Hub.X, needle.Hub.Y);
  canvas->LineTo(needle.Tip.X, needle.Tip.Y);
}

namespace Cgauges {
void Register() {
  RegisterComponentClass(TCGauge::StaticClassInfo());
}
}  // namespace Cgauges
