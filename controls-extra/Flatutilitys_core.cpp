#include "controls-extra/Flatutilitys_core.h"

#include <algorithm>
#include <cmath>

#include "controls-extra/Hslutils.h"

TColor AdvancedColorFromRGB(TColor base, TColor current, uint8_t amount, TColorCalcType direction) {
  if (amount == 0) return current;
  int hue = 0, saturation = 0, lightness = 0;
  RGBtoHSLRange(base, hue, saturation, lightness);
  lightness += 10;
  if (direction == TColorCalcType::darken) {
    lightness = std::max(lightness - amount, 0);
  } else {
    lightness += amount;
  }
  // A light base colour would otherwise come out lighter than white.
  lightness = std::min(lightness, HSLRange);
  return HSLRangeToRGB(hue, saturation, lightness);
}

unsigned short Min(unsigned short A, unsigned short B) {
  return A < B ? A : B;
}

int FontHeightOfCell(int cell_height) {
  return static_cast<int>(std::nearbyint(cell_height + cell_height / 8.0));
}

bool RectInRect(const TLayoutRect& R1, const TLayoutRect& R2) {
  return std::max(R1.Left, R2.Left) < std::min(R1.Right, R2.Right) &&
         std::max(R1.Top, R2.Top) < std::min(R1.Bottom, R2.Bottom);
}

TFlatButtonPlacement CalcFlatButtonLayout(const TLayoutRect& area, TFlatPoint shift,
                                          TButtonLayout layout, int gap, int margin,
                                          TFlatPoint glyph_size, TFlatPoint text_size) {
  // The framework's button layout, with an odd pixel of room going to the far side.
  const TButtonContentLayout placed =
      CalcButtonLayout(area.Width(), area.Height(), glyph_size.X, glyph_size.Y, text_size.X,
                       text_size.Y, layout, margin, gap, 0, THalving::RoundUp);
  const int dx = area.Left + shift.X;
  const int dy = area.Top + shift.Y;
  TFlatButtonPlacement placement;
  placement.GlyphAt = {placed.GlyphLeft + dx, placed.GlyphTop + dy};
  const int text_left = placed.CaptionLeft + dx, text_top = placed.CaptionTop + dy;
  placement.TextRect = {text_left, text_top, text_left + text_size.X, text_top + text_size.Y};
  return placement;
}
