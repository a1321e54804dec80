// Cgrid_core: the colour grid (Cgrid) without its window: its orderings, its sixteen colours,
// the squares' sizes, the square under a point, the keyboard's moves and the marks. No
// <windows.h>.
//
// Squares are numbered 0 to 15 row by row, left to right; square i lies in row i div Columns
// and column i mod Columns. Coordinates are the control's client pixels, origin top left.
#pragma once

#include <cstdint>

#include "framework/core/Colors.h"
#include "framework/core/Typinfo.h"

// Columns x rows: ordering k has 16 >> k columns and 1 << k rows.
enum class TGridOrdering { go16x1, go8x2, go4x4, go2x8, go1x16 };
const TEnumInfo& EnumInfoOf(TGridOrdering);

constexpr int OrderingColumns(TGridOrdering ordering) {
  return 16 >> static_cast<int>(ordering);
}
constexpr int OrderingRows(TGridOrdering ordering) {
  return 1 << static_cast<int>(ordering);
}

// One entry of a palette as the system stores it.
struct TPaletteEntry {
  uint8_t Red, Green, Blue, Flags;
};
static_assert(sizeof(TPaletteEntry) == 4);

// The first 20 entries of the system's default palette, as they stand where the system cannot
// tell them.
extern const TPaletteEntry kDefaultPaletteEntries[20];

// Square i shows palette entry i below 8 and entry i + 4 from 8 on (the flags dropped); a
// square outside 0 to 15 reads as black.
TColor SquareColor(const TPaletteEntry (&palette)[20], int square);

// The control's size snapped down to whole squares, and the size of one square.
struct TSquareSizes {
  int Width = 0, Height = 0;
  int CellWidth = 0, CellHeight = 0;
};
TSquareSizes SnapToSquares(int width, int height, int columns, int rows);

// The square under a point, the point first clamped into the control; always 0 to
// columns x rows - 1, also for a control not snapped to whole squares or with squares of no
// size.
int SquareAt(int x, int y, int width, int height, int columns, int rows, int cell_width,
             int cell_height);

// The keys that move the selection.
enum class TColorGridKey { Right, Left, Up, Down, Home, End };

// The square a key moves the selection to. Right (and Space) and Left wrap around the ends;
// Up from the top row goes to the bottom row of the previous column, Down from the bottom row
// to the top row of the next column. A selection outside the squares starts again at the first
// square (Right, Down) or the last (Left, Up).
int ColorGridKeyTarget(TColorGridKey key, int selection, int columns, int rows);

// The mark on the foreground's square ("VG") or the background's ("HG"); "VH" when the two
// share a square and the other colour is enabled too. Only asked for an enabled colour.
const char* ColorGridMark(bool foreground, int foreground_index, int background_index,
                          bool foreground_enabled, bool background_enabled);

// The colour of a mark on a square: each of red, green and blue is 0 where the square's is
// 128 or more, else 255.
TColor MarkTextColor(TColor square);
