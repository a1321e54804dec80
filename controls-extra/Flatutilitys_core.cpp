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
  const TFlatPoint size{area.Width(), area.Height()};
  const bool across = layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphRight;
  TFlatPoint glyph_at;
  TFlatPoint text_at;
  // Across the layout's axis both are centred.
  if (across) {
    glyph_at.Y = (size.Y - glyph_size.Y + 1) / 2;
    text_at.Y = (size.Y - text_size.Y + 1) / 2;
  } else {
    glyph_at.X = (size.X - glyph_size.X + 1) / 2;
    text_at.X = (size.X - text_size.X + 1) / 2;
  }
  if (text_size.X == 0 || glyph_size.X == 0) gap = 0;

  const int space = across ? size.X : size.Y;
  const int glyph = across ? glyph_size.X : glyph_size.Y;
  const int text = across ? text_size.X : text_size.Y;
  if (margin == -1 && gap == -1) {
    margin = (space - (glyph + text)) / 3;
    gap = margin;
  } else if (margin == -1) {
    margin = (space - (glyph + gap + text) + 1) / 2;
  } else if (gap == -1) {
    gap = (space - margin - glyph - text) / 2;
  }

  switch (layout) {
    case TButtonLayout::blGlyphLeft:
      glyph_at.X = margin;
      text_at.X = glyph_at.X + glyph_size.X + gap;
      break;
    case TButtonLayout::blGlyphRight:
      glyph_at.X = size.X - margin - glyph_size.X;
      text_at.X = glyph_at.X - gap - text_size.X;
      break;
    case TButtonLayout::blGlyphTop:
      glyph_at.Y = margin;
      text_at.Y = glyph_at.Y + glyph_size.Y + gap;
      break;
    case TButtonLayout::blGlyphBottom:
      glyph_at.Y = size.Y - margin - glyph_size.Y;
      text_at.Y = glyph_at.Y - gap - text_size.Y;
      break;
  }

  const int dx = area.Left + shift.X;
  const int dy = area.Top + shift.Y;
  TFlatButtonPlacement placement;
  placement.GlyphAt = {glyph_at.X + dx, glyph_at.Y + dy};
  placement.TextRect = {text_at.X + dx, text_at.Y + dy, text_at.X + dx + text_size.X,
                        text_at.Y + dy + text_size.Y};
  return placement;
}
