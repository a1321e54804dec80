// Flatutilitys_core: what the flat-look controls (Flatutilitys) compute without a window: their
// shared types, the colours they derive from a parent's colour, where a button puts its glyph and
// caption, and small measures. No <windows.h>.
//
// Coordinates are pixels, origin at the top left; a rectangle's right and bottom edges lie
// outside it.
#pragma once

#include <cstdint>

#include "framework/core/Colors.h"
#include "framework/core/Layout.h"

enum class TScrollType { up, down };
enum class TColorCalcType { lighten, darken };
enum class TCheckBoxLayout { checkboxLeft, checkboxRight };
enum class TRadioButtonLayout { radioLeft, radioRight };
enum class TProgressBarOrientation { pbHorizontal, pbVertical };
enum class TFlatTabPosition { tpTop, tpBottom };
enum class TArrowPos { NE, NW, SE, SW };
// How many images a glyph bitmap holds side by side: 1 to 4.
using TNumGlyphs = int;
// A percentage, 0 to 100, by which a colour is lightened or darkened.
using TAdvColors = int;
enum class TGroupBoxBorder { brFull, brOnlyTopLine };
enum class TTransparentMode { tmAlways, tmNotFocused, tmNone };

// A colour derived from a plain RGB base colour: its lightness on the HSLRange scale raised by
// 10, then lowered (darken, not below 0) or raised (lighten) by Amount, and kept within
// HSLRange. Amount 0 answers `current` unchanged.
TColor AdvancedColorFromRGB(TColor base, TColor current, uint8_t amount, TColorCalcType direction);

// The smaller of two unsigned 16-bit values.
unsigned short Min(unsigned short A, unsigned short B);

// The line height of a font whose cell is `cell_height` pixels high: an eighth more, rounded
// to the nearest, ties to even.
int FontHeightOfCell(int cell_height);

// Whether two rectangles overlap (their intersection is not empty).
bool RectInRect(const TLayoutRect& R1, const TLayoutRect& R2);

struct TFlatPoint {
  int X = 0, Y = 0;
  bool operator==(const TFlatPoint& other) const = default;
};

struct TFlatButtonPlacement {
  TLayoutRect TextRect;  // where the caption goes; zero-sized without a caption
  TFlatPoint GlyphAt;    // the glyph's top left
};

// Places a glyph and a one-line caption of the given measured sizes (0 x 0 for none) inside
// `area`, then moves both by `shift` (a pressed button). `margin` is the distance from the edge
// on the glyph's side, -1 to centre; `gap` the distance between glyph and caption, -1 to share
// the free space; with both -1 margin and gap are each a third of the free space. Without a
// caption or a glyph there is no gap.
TFlatButtonPlacement CalcFlatButtonLayout(const TLayoutRect& area, TFlatPoint shift,
                                          TButtonLayout layout, int gap, int margin,
                                          TFlatPoint glyph_size, TFlatPoint text_size);
