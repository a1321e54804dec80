// Grids_core: where the cells of a grid lie, apart from the window that shows them: each
// cell's rectangle from the column widths, row heights and grid lines, the cell under a
// point, how far the view may scroll, and where a key moves the current cell. No <windows.h>.
//
// Coordinates: pixels of the grid's client area, origin at its top left. Columns and rows are
// both an axis of cells numbered from 0; the first Fixed cells of an axis stay in place and
// the others scroll: the view shows the fixed cells, then the scrolling ones from `first` on.
// Every cell is followed by its line (right of a column, below a row), FixedLineWidth wide
// after a fixed cell and LineWidth after the others. A point on a line belongs to the cell
// before it.
#pragma once

#include <cstddef>
#include <vector>

#include "framework/core/Layout.h"

// A cell: X is the column, Y the row.
struct TGridCoord {
  int X = 0, Y = 0;
  bool operator==(const TGridCoord& other) const = default;
};

// A block of cells, both corners included.
struct TGridRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Contains(TGridCoord cell) const {
    return cell.X >= Left && cell.X <= Right && cell.Y >= Top && cell.Y <= Bottom;
  }
  bool operator==(const TGridRect& other) const = default;
};
// The block spanned by two corners in any order.
TGridRect GridRectOf(TGridCoord a, TGridCoord b);

// The columns or the rows of a grid.
class TGridAxis {
 public:
  int Count() const { return static_cast<int>(extents_.size()); }
  // Fewer cells drop the last ones; new cells are `extent` pixels.
  void SetCount(int count, int extent);
  int Fixed() const { return fixed_; }
  // Kept within 0 .. Count.
  void SetFixed(int fixed);
  int Extent(int index) const { return extents_[static_cast<std::size_t>(index)]; }
  void SetExtent(int index, int extent) { extents_[static_cast<std::size_t>(index)] = extent; }
  void SetAllExtents(int extent);

  int FixedLineWidth = 1;
  int LineWidth = 1;
  int LineAfter(int index) const { return index < fixed_ ? FixedLineWidth : LineWidth; }
  // A cell with the line after it.
  int Span(int index) const { return Extent(index) + LineAfter(index); }
  // The fixed cells with their lines.
  int FixedSpan() const;

  // Where a cell starts while the scrolling cells are shown from `first`; -1 for a
  // scrolling cell before `first`.
  int Start(int index, int first) const;
  // The cell at a pixel, or -1 before the first and after the last cell.
  int At(int pixel, int first) const;
  // The last cell that a view of `length` pixels shows at least in part; the last fixed
  // cell (or -1) when no scrolling cell shows.
  int LastVisible(int first, int length) const;
  // How many scrolling cells from `first` a view of `length` pixels shows whole; at least 1
  // while there is a scrolling cell, so that paging always moves.
  int WholeVisible(int first, int length) const;
  // The greatest useful `first`: the one that shows the last cell whole with as many cells
  // before it as fit. A larger one would leave pixels after the last cell unused.
  int MaxFirst(int length) const;
  // The `first` nearest to the given one that shows cell `index` whole, or from its start
  // when the cell is larger than the view. A fixed cell needs no scrolling.
  int FirstShowing(int index, int first, int length) const;
  // The scrolling cell that a mouse drag reaches with the pointer at `pixel`: the one under
  // it; over the fixed cells or before them, the one before `first`, and past the view's end,
  // the one after those shown whole, so that the drag scrolls on a cell at a time; past the
  // last cell, the last.
  int DragTarget(int pixel, int first, int length) const;

 private:
  std::vector<int> extents_;  // pixels of each cell, without its line
  int fixed_ = 0;
};

struct TGridGeometry {
  TGridAxis Cols;
  TGridAxis Rows;

  // The cell's rectangle without its lines, while the view shows the scrolling cells from
  // `first`; empty (all zero) for a cell scrolled off before it.
  TLayoutRect CellRect(TGridCoord cell, TGridCoord first) const;
  // The cell at a client point, or {-1, -1} outside every cell.
  TGridCoord CellAt(int x, int y, TGridCoord first) const;
};

// The keys that move the current cell.
enum class TGridKey { Left, Right, Up, Down, PageUp, PageDown, Home, End, Tab, BackTab };

// Where a key moves the current cell, always to a scrolling cell. Up, Down, Left and Right
// stop at the edges; the page keys move by `page` rows; Home and End go to the first and last
// column of the row, or with `ctrl` to the first and last cell of the grid; Tab and BackTab
// go through the row and on to the next (previous) one, and stop at the grid's last (first)
// cell.
TGridCoord GridKeyTarget(const TGridGeometry& grid, TGridCoord current, TGridKey key, bool ctrl,
                         int page);

// The mouse wheel's turns, which the grid and the outline scroll by. A notch is 120; smaller
// turns (a touchpad sends 30 or less) add up until they make one. Each notch scrolls `lines`
// rows as the system is set, none for 0, or a page for kWheelPageScroll.
inline constexpr unsigned kWheelPageScroll = 0xFFFFFFFFu;  // WHEEL_PAGESCROLL
class TWheelTurns {
 public:
  // Rows to scroll for a turn of `delta`, positive away from the user as the system reports
  // it: the answer is positive towards the end, so a turn away from the user scrolls up.
  int Rows(int delta, unsigned lines, int page);

 private:
  int pending_ = 0;  // what was turned short of a notch
};
