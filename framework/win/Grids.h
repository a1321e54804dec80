// Grids: TCustomGrid, a windowed control that shows a table of cells and draws each cell
// itself, and TDrawGrid, which leaves the drawing and the choice of cells to its events.
//
// A grid has ColCount columns and RowCount rows. The first FixedCols columns and FixedRows
// rows are headings: they stay in place, in FixedColor, while the others scroll. One
// scrolling cell is the current cell (Col, Row); with goRangeSelect the selection reaches from
// an anchor to it, otherwise it is the current cell alone (goRowSelect: its whole row). The
// user moves the current cell with the arrow, page, Home and End keys (and Tab with goTabs)
// and with the left mouse button, dragging to extend a range; SelectCell may refuse a cell.
// Every move by the user, and a left press on a cell that may be current, raises Click
// (OnClick) once; the release adds nothing, and a move from code raises nothing.
//
// Where the cells lie is computed by Grids_core; this unit paints them, scrolls, and turns
// keys and mouse into moves. Coordinates: client pixels, origin at the top left; cells by
// column and row from 0.
#pragma once

#include <windows.h>

#include "framework/core/Grids_core.h"
#include "framework/win/WinControls.h"

// The rows one notch of the mouse wheel scrolls, as the user set it (SPI_GETWHEELSCROLLLINES):
// 3 when the system cannot tell; kWheelPageScroll for a page.
unsigned WheelScrollLines();

enum class TGridOption {
  goFixedVertLine,      // lines between the fixed columns
  goFixedHorzLine,      // lines between the fixed rows
  goVertLine,           // lines between the scrolling columns
  goHorzLine,           // lines between the scrolling rows
  goRangeSelect,        // Shift with a key or the mouse, and dragging, select a block
  goDrawFocusSelected,  // the current cell looks selected also while the grid has the focus
  goRowSelect,          // the whole row of the current cell is selected
  goTabs,               // Tab and Shift+Tab move between the cells
  goThumbTracking,      // the view follows a scroll bar's thumb while it is dragged
};
using TGridOptions = uint32_t;  // bits 1 << TGridOption
constexpr TGridOptions GridOption(TGridOption option) {
  return 1u << static_cast<int>(option);
}
const TEnumInfo& GridOptionInfo();

enum TGridDrawStateFlag : uint8_t { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = uint8_t;

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
const TEnumInfo& EnumInfoOf(TScrollStyle);

class TCustomGrid : public TCustomControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TCustomGrid(TComponent* owner);

  // A count below 1, a fixed count below 0 or a fixed count that leaves no scrolling cell
  // raises ERangeError and changes nothing.
  int ColCount() const { return geometry_.Cols.Count(); }
  void SetColCount(int value);
  int RowCount() const { return geometry_.Rows.Count(); }
  void SetRowCount(int value);
  int FixedCols() const { return geometry_.Cols.Fixed(); }
  void SetFixedCols(int value);
  int FixedRows() const { return geometry_.Rows.Fixed(); }
  void SetFixedRows(int value);
  // Setting a default gives every column (row) that width (height); below 0 counts as 0.
  int DefaultColWidth() const { return default_col_width_; }
  void SetDefaultColWidth(int value);
  int DefaultRowHeight() const { return default_row_height_; }
  void SetDefaultRowHeight(int value);
  // One column's width, one row's height; an index out of range raises ERangeError.
  int ColWidth(int col) const;
  void SetColWidth(int col, int width);
  int RowHeight(int row) const;
  void SetRowHeight(int row, int height);
  // The width of the lines the options ask for; below 0 counts as 0.
  int GridLineWidth() const { return grid_line_width_; }
  void SetGridLineWidth(int value);
  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions value);
  bool HasOption(TGridOption option) const { return (options_ & GridOption(option)) != 0; }
  // Scroll bars show only while there is something to scroll.
  TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle value);
  // bsSingle: a sunken edge with Ctl3D, a line without.
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle value);
  TColor FixedColor() const { return fixed_color_; }
  void SetFixedColor(TColor value);

  // The current cell; setting it from code asks SelectCell and scrolls it into view. A cell
  // outside the scrolling ones raises ERangeError.
  int Col() const { return current_.X; }
  void SetCol(int value) { MoveColRow(value, current_.Y, true, true); }
  int Row() const { return current_.Y; }
  void SetRow(int value) { MoveColRow(current_.X, value, true, true); }
  TGridRect Selection() const;
  // The first scrolling column and row in view; kept where the view shows no unused space.
  int LeftCol() const { return first_.X; }
  void SetLeftCol(int value);
  int TopRow() const { return first_.Y; }
  void SetTopRow(int value);
  // How many scrolling columns (rows) the view shows whole.
  int VisibleColCount() const;
  int VisibleRowCount() const;
  // A cell's client rectangle, without its lines; empty when it is scrolled off.
  RECT CellRect(int col, int row) const;
  // The cell at a client point; -1 and -1 outside every cell.
  void MouseToCell(int x, int y, int& col, int& row) const;
  const TGridGeometry& Geometry() const { return geometry_; }

 protected:
  // Draws one cell within ARect. The canvas's brush and font colour are set for the state,
  // and the rectangle is filled already.
  virtual void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState);
  // Whether the current cell may move to the given cell.
  virtual bool SelectCell(int ACol, int ARow);
  // Moves the current cell when SelectCell allows it and answers whether it did. MoveAnchor
  // starts the selection there; Show scrolls the cell into view.
  bool MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
  void InvalidateCell(int ACol, int ARow);

  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void Paint() override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void WndProc(TMessage& message) override;
  void WMEraseBkgnd(TMessage& message) override;
  void WMSize(TMessage& message) override;
  void WMSetFocus(TMessage& message) override;
  void WMKillFocus(TMessage& message) override;
  void WMGetDlgCode(TMessage& message) override;
  void WMCaptureChanged(TMessage& message) override;
  void CMCtl3DChanged(TMessage& message) override;
  virtual void WMHScroll(TMessage& message);
  virtual void WMVScroll(TMessage& message);
  virtual void WMMouseWheel(TMessage& message);

 private:
  // Moves the current cell for the user and raises Click when it moved (or, with `always`,
  // when the cell was already current).
  void UserMove(TGridCoord cell, bool move_anchor, bool always);
  TGridCoord First() const { return first_; }
  SIZE ClientSize() const;
  // After a change of counts, sizes or lines: current cell, anchor and view kept valid.
  void LayoutChanged();
  void UpdateLineWidths();
  void UpdateScrollBars();
  void ScrollTo(TGridCoord first);
  void Scroll(int bar, int request, bool thumb_moving);
  void InvalidateBlock(const TGridRect& block);
  void PaintCell(TGridCoord cell, const RECT& clip, const TGridRect& selection, bool focused);

  TGridGeometry geometry_;
  int default_col_width_ = 64;
  int default_row_height_ = 24;
  int grid_line_width_ = 1;
  TGridOptions options_;
  TScrollStyle scroll_bars_ = TScrollStyle::ssBoth;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  TColor fixed_color_ = clBtnFace;
  TGridCoord current_{1, 1};
  TGridCoord anchor_{1, 1};
  TGridCoord first_{1, 1};
  bool selecting_ = false;  // a left-button drag is moving the current cell
  bool updating_scroll_bars_ = false;
  TWheelTurns wheel_;
};

using TDrawCellEvent = TEvent<TObject*, int, int, RECT, TGridDrawState>;
using TSelectCellEvent = TEvent<TObject*, int, int, bool&>;

// A grid whose cells are drawn by OnDrawCell and chosen under OnSelectCell's veto.
class TDrawGrid : public TCustomGrid {
  DECLARE_CLASS_INFO()
 public:
  using TCustomGrid::TCustomGrid;

  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;

 protected:
  void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) override;
  bool SelectCell(int ACol, int ARow) override;
};
