#include "controls-extra/Flatutilitys.h"

#include "framework/win/WinControls.h"

namespace {

// The brush where the source is white, the destination where it is black.
constexpr DWORD kPaintBrushThroughMask = 0x00E20746;

// Paints the brush where the mask is black (the glyph) and keeps the destination where it is
// white. A monochrome source takes the destination's text colour for its 0 bits and its
// background colour for its 1 bits: white text and a black background turn the mask over.
void BrushThroughMask(HDC dest, int x, int y, int width, int height, HDC mask, TColor color) {
  TSavedDC saved(dest);
  TGdiObject brush(CreateSolidBrush(ColorToRGB(color)));
  SelectObject(dest, brush.Get());
  SetTextColor(dest, RGB(255, 255, 255));
  SetBkColor(dest, RGB(0, 0, 0));
  BitBlt(dest, x, y, width, height, mask, 0, 0, kPaintBrushThroughMask);
  // Deselect before the brush goes.
  SelectObject(dest, GetStockObject(WHITE_BRUSH));
}

}  // namespace

TColor CalcAdvancedColor(TColor BaseColor, TColor CurrentColor, unsigned char Amount,
                         TColorCalcType Direction) {
  return AdvancedColorFromRGB(static_cast<TColor>(ColorToRGB(BaseColor)), CurrentColor, Amount,
                              Direction);
}

std::unique_ptr<TBitmap> CreateDisabledBitmap(TBitmap* Image, TColor MaskColor, TColor FillColor,
                                              TColor LightColor, TColor DarkColor, bool WithLight) {
  const int width = Image->GetWidth();
  const int height = Image->GetHeight();
  auto result = std::make_unique<TBitmap>();
  result->SetSize(width, height);
  if (result->GetEmpty()) return result;
  TBitmap work;
  work.Assign(Image);

  // The mask: white where the image has MaskColor, black elsewhere. A blit from colour to
  // monochrome turns the source's background colour into white and every other into black.
  TGdiObject mask(CreateBitmap(width, height, 1, 1, nullptr));
  TMemoryDC mask_dc;
  TSelectObject mask_selection(mask_dc.Get(), mask.Get());
  {
    HDC work_dc = work.Canvas()->Handle();
    TSavedDC saved(work_dc);
    SetBkColor(work_dc, ColorToRGB(MaskColor));
    BitBlt(mask_dc.Get(), 0, 0, width, height, work_dc, 0, 0, SRCCOPY);
  }

  TCanvas* canvas = result->Canvas();
  canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
  canvas->Brush()->SetColor(FillColor);
  canvas->FillRect(RECT{0, 0, width, height});
  if (WithLight) {
    BrushThroughMask(canvas->Handle(), 1, 1, width, height, mask_dc.Get(), LightColor);
  }
  BrushThroughMask(canvas->Handle(), 0, 0, width, height, mask_dc.Get(), DarkColor);
  return result;
}

void CalcButtonLayout(TCanvas* Canvas, const RECT& Area, const POINT& Shift, TButtonLayout Layout,
                      int Gap, int Margin, TBitmap* Glyph, int GlyphCount,
                      const AnsiString& Caption, RECT& TextRect, POINT& GlyphAt) {
  TFlatPoint glyph;
  if (Glyph) glyph = {Glyph->GetWidth() / std::max(GlyphCount, 1), Glyph->GetHeight()};
  TFlatPoint text;
  if (!Caption.empty()) {
    RECT measured{0, 0, Area.right - Area.left, 0};
    Canvas->DrawText(Caption, measured, DT_CALCRECT | DT_SINGLELINE);
    text = {measured.right - measured.left, measured.bottom - measured.top};
  }
  const TFlatButtonPlacement placed =
      CalcFlatButtonLayout({Area.left, Area.top, Area.right, Area.bottom}, {Shift.x, Shift.y},
                           Layout, Gap, Margin, glyph, text);
  TextRect = {placed.TextRect.Left, placed.TextRect.Top, placed.TextRect.Right,
              placed.TextRect.Bottom};
  GlyphAt = {placed.GlyphAt.X, placed.GlyphAt.Y};
}

void DrawParentImage(TControl* Control, TCanvas* Dest) {
  TWinControl* parent = Control->Parent();
  if (!parent) return;
  HDC dc = Dest->Handle();
  TSavedDC saved(dc);
  OffsetViewportOrgEx(dc, -Control->Left(), -Control->Top(), nullptr);
  IntersectClipRect(dc, 0, 0, parent->ClientWidth(), parent->ClientHeight());
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

void GetFontMetrics(TFont* Font, TEXTMETRICA& Metrics) {
  TMemoryDC measuring;
  TSelectObject font(measuring.Get(), Font->Handle());
  GetTextMetricsA(measuring.Get(), &Metrics);
}

int GetFontHeight(TFont* Font) {
  TEXTMETRICA metrics{};
  GetFontMetrics(Font, metrics);
  return FontHeightOfCell(metrics.tmHeight);
}

bool RectInRect(const RECT& R1, const RECT& R2) {
  return RectInRect(TLayoutRect{R1.left, R1.top, R1.right, R1.bottom},
                    TLayoutRect{R2.left, R2.top, R2.right, R2.bottom});
}
