#include "framework/win/Grids.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

namespace {

constexpr TGridOptions kDefaultOptions =
    GridOption(TGridOption::goFixedVertLine) | GridOption(TGridOption::goFixedHorzLine) |
    GridOption(TGridOption::goVertLine) | GridOption(TGridOption::goHorzLine) |
    GridOption(TGridOption::goRangeSelect);

RECT ToRect(const TLayoutRect& rect) {
  return {rect.Left, rect.Top, rect.Right, rect.Bottom};
}

void CheckIndex(int index, int count) {
  if (index < 0 || index >= count) {
    throw ERangeError(Format("Grid index %d out of range 0 to %d", index, count - 1));
  }
}

void CheckCounts(int count, int fixed, const char* what) {
  if (count < 1) throw ERangeError(Format("A grid needs at least one %s", what));
  if (fixed < 0 || fixed >= count) {
    throw ERangeError(Format("Fixed %ss must be at least 0 and fewer than the %ss", what, what));
  }
}

// The indices an axis shows: its fixed cells, then the scrolling ones from `first` on.
std::vector<int> ShownIndices(const TGridAxis& axis, int first, int length) {
  std::vector<int> shown;
  const int last = axis.LastVisible(first, length);
  for (int i = 0; i < axis.Fixed() && i <= last; ++i) shown.push_back(i);
  for (int i = std::max(first, axis.Fixed()); i <= last; ++i) shown.push_back(i);
  return shown;
}

void Fill(TCanvas* canvas, const RECT& rect, TColor color) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
  canvas->Brush()->SetColor(color);
  canvas->FillRect(rect);
}

}  // namespace

const TEnumInfo& GridOptionInfo() {
  static const TEnumInfo info{{"goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine",
                               "goRangeSelect", "goDrawFocusSelected", "goRowSelect", "goTabs",
                               "goThumbTracking"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TScrollStyle) {
  static const TEnumInfo info{{"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}};
  return info;
}

// ---------------------------------------------------------------------------------------------
// TCustomGrid

const TClassInfo& TCustomGrid::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TCustomGrid>("TCustomGrid", &TCustomControl::StaticClassInfo())
          .Declare("BorderStyle", &TCustomGrid::BorderStyle, &TCustomGrid::SetBorderStyle,
                   Default(TBorderStyle::bsSingle))
          .Declare("ColCount", &TCustomGrid::ColCount, &TCustomGrid::SetColCount, Default(5))
          .Declare("DefaultColWidth", &TCustomGrid::DefaultColWidth,
                   &TCustomGrid::SetDefaultColWidth, Default(64))
          .Declare("DefaultRowHeight", &TCustomGrid::DefaultRowHeight,
                   &TCustomGrid::SetDefaultRowHeight, Default(24))
          .Declare("FixedColor", &TCustomGrid::FixedColor, &TCustomGrid::SetFixedColor,
                   DefaultColor(clBtnFace))
          .Declare("FixedCols", &TCustomGrid::FixedCols, &TCustomGrid::SetFixedCols, Default(1))
          .Declare("FixedRows", &TCustomGrid::FixedRows, &TCustomGrid::SetFixedRows, Default(1))
          .Declare("GridLineWidth", &TCustomGrid::GridLineWidth, &TCustomGrid::SetGridLineWidth,
                   Default(1))
          .Declare("Options", &TCustomGrid::Options, &TCustomGrid::SetOptions,
                   SetOf(GridOptionInfo(), kDefaultOptions, "TGridOptions"))
          .Declare("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, Default(false))
          .Declare("RowCount", &TCustomGrid::RowCount, &TCustomGrid::SetRowCount, Default(5))
          .Declare("ScrollBars", &TCustomGrid::ScrollBars, &TCustomGrid::SetScrollBars,
                   Default(TScrollStyle::ssBoth))
          .Declare("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, Default(true))
          .Build();
  return info;
}

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner), options_(kDefaultOptions) {
  // Click means a move of the current cell by the user, not a press and release.
  control_style_ = (control_style_ | csOpaque) & ~csClickEvents;
  geometry_.Cols.SetCount(5, default_col_width_);
  geometry_.Cols.SetFixed(1);
  geometry_.Rows.SetCount(5, default_row_height_);
  geometry_.Rows.SetFixed(1);
  UpdateLineWidths();
  SetColor(clWindow);
  SetTabStop(true);
  SetBounds(Left(), Top(), 320, 120);
}

void TCustomGrid::SetColCount(int value) {
  if (value == ColCount()) return;
  CheckCounts(value, FixedCols(), "column");
  geometry_.Cols.SetCount(value, default_col_width_);
  LayoutChanged();
}

void TCustomGrid::SetRowCount(int value) {
  if (value == RowCount()) return;
  CheckCounts(value, FixedRows(), "row");
  geometry_.Rows.SetCount(value, default_row_height_);
  LayoutChanged();
}

void TCustomGrid::SetFixedCols(int value) {
  if (value == FixedCols()) return;
  CheckCounts(ColCount(), value, "column");
  geometry_.Cols.SetFixed(value);
  LayoutChanged();
}

void TCustomGrid::SetFixedRows(int value) {
  if (value == FixedRows()) return;
  CheckCounts(RowCount(), value, "row");
  geometry_.Rows.SetFixed(value);
  LayoutChanged();
}

void TCustomGrid::SetDefaultColWidth(int value) {
  default_col_width_ = std::max(value, 0);
  geometry_.Cols.SetAllExtents(default_col_width_);
  LayoutChanged();
}

void TCustomGrid::SetDefaultRowHeight(int value) {
  default_row_height_ = std::max(value, 0);
  geometry_.Rows.SetAllExtents(default_row_height_);
  LayoutChanged();
}

int TCustomGrid::ColWidth(int col) const {
  CheckIndex(col, ColCount());
  return geometry_.Cols.Extent(col);
}

void TCustomGrid::SetColWidth(int col, int width) {
  CheckIndex(col, ColCount());
  geometry_.Cols.SetExtent(col, std::max(width, 0));
  LayoutChanged();
}

int TCustomGrid::RowHeight(int row) const {
  CheckIndex(row, RowCount());
  return geometry_.Rows.Extent(row);
}

void TCustomGrid::SetRowHeight(int row, int height) {
  CheckIndex(row, RowCount());
  geometry_.Rows.SetExtent(row, std::max(height, 0));
  LayoutChanged();
}

void TCustomGrid::SetGridLineWidth(int value) {
  value = std::max(value, 0);
  if (value == grid_line_width_) return;
  grid_line_width_ = value;
  UpdateLineWidths();
  LayoutChanged();
}

void TCustomGrid::SetOptions(TGridOptions value) {
  if (value == options_) return;
  options_ = value;
  if (!HasOption(TGridOption::goRangeSelect)) anchor_ = current_;
  UpdateLineWidths();
  LayoutChanged();
}

void TCustomGrid::SetScrollBars(TScrollStyle value) {
  if (value == scroll_bars_) return;
  scroll_bars_ = value;
  UpdateScrollBars();
}

void TCustomGrid::SetBorderStyle(TBorderStyle value) {
  if (value == border_style_) return;
  border_style_ = value;
  RecreateWnd();
}

void TCustomGrid::SetFixedColor(TColor value) {
  if (value == fixed_color_) return;
  fixed_color_ = value;
  Invalidate();
}

TGridRect TCustomGrid::Selection() const {
  TGridRect block = GridRectOf(anchor_, current_);
  if (HasOption(TGridOption::goRowSelect)) {
    block.Left = FixedCols();
    block.Right = ColCount() - 1;
  }
  return block;
}

void TCustomGrid::SetLeftCol(int value) {
  ScrollTo({value, first_.Y});
}

void TCustomGrid::SetTopRow(int value) {
  ScrollTo({first_.X, value});
}

int TCustomGrid::VisibleColCount() const {
  return geometry_.Cols.WholeVisible(first_.X, ClientSize().cx);
}

int TCustomGrid::VisibleRowCount() const {
  return geometry_.Rows.WholeVisible(first_.Y, ClientSize().cy);
}

RECT TCustomGrid::CellRect(int col, int row) const {
  CheckIndex(col, ColCount());
  CheckIndex(row, RowCount());
  return ToRect(geometry_.CellRect({col, row}, first_));
}

void TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const {
  const TGridCoord cell = geometry_.CellAt(x, y, first_);
  col = cell.X;
  row = cell.Y;
}

void TCustomGrid::DrawCell(int, int, const RECT&, TGridDrawState) {}

bool TCustomGrid::SelectCell(int, int) {
  return true;
}

bool TCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show) {
  if (ACol < FixedCols() || ACol >= ColCount() || ARow < FixedRows() || ARow >= RowCount()) {
    throw ERangeError(Format("Cell %d, %d is not a scrolling cell of the grid", ACol, ARow));
  }
  if (!SelectCell(ACol, ARow)) return false;
  const TGridRect old_selection = Selection();
  const TGridCoord old_current = current_;
  current_ = {ACol, ARow};
  if (MoveAnchor || !HasOption(TGridOption::goRangeSelect)) anchor_ = current_;
  InvalidateBlock(old_selection);
  InvalidateCell(old_current.X, old_current.Y);
  if (Show) {
    const SIZE client = ClientSize();
    ScrollTo({geometry_.Cols.FirstShowing(ACol, first_.X, client.cx),
              geometry_.Rows.FirstShowing(ARow, first_.Y, client.cy)});
  }
  InvalidateBlock(Selection());
  return true;
}

void TCustomGrid::UserMove(TGridCoord cell, bool move_anchor, bool always) {
  const TGridCoord before = current_;
  const TGridRect selection = Selection();
  if (!MoveColRow(cell.X, cell.Y, move_anchor, true)) return;
  if (always || current_ != before || Selection() != selection) Click();
}

void TCustomGrid::InvalidateCell(int ACol, int ARow) {
  InvalidateBlock({ACol, ARow, ACol, ARow});
}

void TCustomGrid::InvalidateBlock(const TGridRect& block) {
  if (!HandleAllocated()) return;
  const SIZE client = ClientSize();
  const int last_col = geometry_.Cols.LastVisible(first_.X, client.cx);
  const int last_row = geometry_.Rows.LastVisible(first_.Y, client.cy);
  // Only the part in view; the fixed cells never hold a selection.
  const int left = std::max(block.Left, first_.X);
  const int top = std::max(block.Top, first_.Y);
  const int right = std::min(block.Right, last_col);
  const int bottom = std::min(block.Bottom, last_row);
  if (left > right || top > bottom) return;
  const RECT r{geometry_.Cols.Start(left, first_.X), geometry_.Rows.Start(top, first_.Y),
               geometry_.Cols.Start(right, first_.X) + geometry_.Cols.Span(right),
               geometry_.Rows.Start(bottom, first_.Y) + geometry_.Rows.Span(bottom)};
  InvalidateRect(WindowHandle(), &r, FALSE);
}

SIZE TCustomGrid::ClientSize() const {
  const RECT r = ClientRect();
  return {r.right - r.left, r.bottom - r.top};
}

void TCustomGrid::UpdateLineWidths() {
  auto width = [this](TGridOption option) { return HasOption(option) ? grid_line_width_ : 0; };
  geometry_.Cols.FixedLineWidth = width(TGridOption::goFixedVertLine);
  geometry_.Cols.LineWidth = width(TGridOption::goVertLine);
  geometry_.Rows.FixedLineWidth = width(TGridOption::goFixedHorzLine);
  geometry_.Rows.LineWidth = width(TGridOption::goHorzLine);
}

void TCustomGrid::LayoutChanged() {
  auto keep = [](TGridCoord& cell, const TGridGeometry& grid) {
    cell.X = std::clamp(cell.X, grid.Cols.Fixed(), grid.Cols.Count() - 1);
    cell.Y = std::clamp(cell.Y, grid.Rows.Fixed(), grid.Rows.Count() - 1);
  };
  keep(current_, geometry_);
  keep(anchor_, geometry_);
  const SIZE client = ClientSize();
  first_.X = std::clamp(first_.X, FixedCols(), geometry_.Cols.MaxFirst(client.cx));
  first_.Y = std::clamp(first_.Y, FixedRows(), geometry_.Rows.MaxFirst(client.cy));
  UpdateScrollBars();
  Invalidate();
}

void TCustomGrid::ScrollTo(TGridCoord first) {
  const SIZE client = ClientSize();
  first.X = std::clamp(first.X, FixedCols(), geometry_.Cols.MaxFirst(client.cx));
  first.Y = std::clamp(first.Y, FixedRows(), geometry_.Rows.MaxFirst(client.cy));
  if (first == first_) return;
  first_ = first;
  UpdateScrollBars();
  Invalidate();
}

void TCustomGrid::UpdateScrollBars() {
  if (!HandleAllocated() || updating_scroll_bars_) return;
  updating_scroll_bars_ = true;
  TScopeExit done([this] { updating_scroll_bars_ = false; });
  // Showing or hiding one bar changes the room for the other: settle in a few rounds.
  for (int round = 0; round < 3; ++round) {
    const SIZE before = ClientSize();
    auto update = [&](int bar, const TGridAxis& axis, int& first, int length, bool wanted) {
      first = std::clamp(first, axis.Fixed(), axis.MaxFirst(length));
      if (!wanted) {
        ShowScrollBar(WindowHandle(), bar, FALSE);
        return;
      }
      const int page = axis.WholeVisible(first, length);
      SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
      // A range no larger than the page hides the bar.
      info.nMax = axis.MaxFirst(length) - axis.Fixed() + page - 1;
      info.nPage = static_cast<UINT>(page);
      info.nPos = first - axis.Fixed();
      SetScrollInfo(WindowHandle(), bar, &info, TRUE);
    };
    const bool horizontal =
        scroll_bars_ == TScrollStyle::ssHorizontal || scroll_bars_ == TScrollStyle::ssBoth;
    const bool vertical =
        scroll_bars_ == TScrollStyle::ssVertical || scroll_bars_ == TScrollStyle::ssBoth;
    update(SB_HORZ, geometry_.Cols, first_.X, before.cx, horizontal);
    update(SB_VERT, geometry_.Rows, first_.Y, before.cy, vertical);
    const SIZE after = ClientSize();
    if (after.cx == before.cx && after.cy == before.cy) break;
  }
}

void TCustomGrid::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  if (border_style_ == TBorderStyle::bsSingle) {
    if (Ctl3D()) {
      params.ExStyle |= WS_EX_CLIENTEDGE;
    } else {
      params.Style |= WS_BORDER;
    }
  }
}

void TCustomGrid::HandleCreated() {
  TCustomControl::HandleCreated();
  LayoutChanged();
}

void TCustomGrid::Paint() {
  TCanvas* canvas = Canvas();
  const SIZE client = ClientSize();
  RECT clip;
  if (GetClipBox(canvas->Handle(), &clip) == ERROR) clip = {0, 0, client.cx, client.cy};
  const TGridRect selection = Selection();
  const bool focused = Focused();
  const std::vector<int> cols = ShownIndices(geometry_.Cols, first_.X, client.cx);
  const std::vector<int> rows = ShownIndices(geometry_.Rows, first_.Y, client.cy);
  for (int row : rows) {
    for (int col : cols) PaintCell({col, row}, clip, selection, focused);
  }
  // What lies beyond the last column and below the last row.
  int right = 0, bottom = 0;
  if (!cols.empty())
    right = geometry_.Cols.Start(cols.back(), first_.X) + geometry_.Cols.Span(cols.back());
  if (!rows.empty())
    bottom = geometry_.Rows.Start(rows.back(), first_.Y) + geometry_.Rows.Span(rows.back());
  Fill(canvas, {right, 0, client.cx, client.cy}, Color());
  Fill(canvas, {0, bottom, std::min<LONG>(right, client.cx), client.cy}, Color());
}

void TCustomGrid::PaintCell(TGridCoord cell, const RECT& clip, const TGridRect& selection,
                            bool focused) {
  const RECT r = ToRect(geometry_.CellRect(cell, first_));
  const RECT with_lines{r.left, r.top, r.right + geometry_.Cols.LineAfter(cell.X),
                        r.bottom + geometry_.Rows.LineAfter(cell.Y)};
  RECT visible;
  if (!IntersectRect(&visible, &with_lines, &clip)) return;
  TCanvas* canvas = Canvas();
  const bool fixed = cell.X < FixedCols() || cell.Y < FixedRows();
  const TColor line = fixed ? clBtnShadow : clBtnFace;
  Fill(canvas, {r.right, r.top, with_lines.right, with_lines.bottom}, line);
  Fill(canvas, {r.left, r.bottom, r.right, with_lines.bottom}, line);

  TGridDrawState state = 0;
  const bool current = cell == current_;
  if (fixed) {
    state |= gdFixed;
  } else if (selection.Contains(cell) &&
             (!current || !focused || HasOption(TGridOption::goDrawFocusSelected) ||
              HasOption(TGridOption::goRowSelect))) {
    state |= gdSelected;
  }
  if (current && focused) state |= gdFocused;
  TColor paper = fixed ? fixed_color_ : Color();
  TColor ink = Font()->Color();
  if (state & gdSelected) {
    paper = clHighlight;
    ink = clHighlightText;
  }
  Fill(canvas, r, paper);
  canvas->Font()->SetColor(ink);
  DrawCell(cell.X, cell.Y, r, state);
  if (fixed && Ctl3D()) {
    RECT edge = r;
    canvas->Frame3D(edge, clBtnHighlight, clBtnShadow, 1);
  }
  if ((state & gdFocused) && !HasOption(TGridOption::goRowSelect)) canvas->DrawFocusRect(r);
}

void TCustomGrid::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  TGridKey move;
  switch (key) {
    case VK_LEFT:
      move = TGridKey::Left;
      break;
    case VK_RIGHT:
      move = TGridKey::Right;
      break;
    case VK_UP:
      move = TGridKey::Up;
      break;
    case VK_DOWN:
      move = TGridKey::Down;
      break;
    case VK_PRIOR:
      move = TGridKey::PageUp;
      break;
    case VK_NEXT:
      move = TGridKey::PageDown;
      break;
    case VK_HOME:
      move = TGridKey::Home;
      break;
    case VK_END:
      move = TGridKey::End;
      break;
    case VK_TAB:
      if (!HasOption(TGridOption::goTabs) || (shift & (ssCtrl | ssAlt))) return;
      move = (shift & ssShift) ? TGridKey::BackTab : TGridKey::Tab;
      break;
    default:
      return;
  }
  const bool tab = move == TGridKey::Tab || move == TGridKey::BackTab;
  const bool extend = !tab && (shift & ssShift) && HasOption(TGridOption::goRangeSelect);
  UserMove(GridKeyTarget(geometry_, current_, move, (shift & ssCtrl) != 0, VisibleRowCount()),
           !extend, false);
  key = 0;
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != TMouseButton::mbLeft) return;
  if (CanFocus() && !Focused()) SetFocus();
  const TGridCoord cell = geometry_.CellAt(x, y, first_);
  if (cell.X < FixedCols() || cell.Y < FixedRows()) return;
  selecting_ = true;
  const bool extend = (shift & ssShift) && HasOption(TGridOption::goRangeSelect);
  UserMove(cell, !extend, true);
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (!selecting_) return;
  const SIZE client = ClientSize();
  const TGridCoord cell{geometry_.Cols.DragTarget(x, first_.X, client.cx),
                        geometry_.Rows.DragTarget(y, first_.Y, client.cy)};
  if (cell != current_) UserMove(cell, !HasOption(TGridOption::goRangeSelect), false);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::mbLeft) selecting_ = false;
  TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomGrid::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_HSCROLL:
      WMHScroll(message);
      return;
    case WM_VSCROLL:
      WMVScroll(message);
      return;
    case WM_MOUSEWHEEL:
      WMMouseWheel(message);
      return;
    default:
      TCustomControl::WndProc(message);
      return;
  }
}

void TCustomGrid::WMEraseBkgnd(TMessage& message) {
  // Paint covers every pixel; erasing first would only flicker.
  message.Result = 1;
}

void TCustomGrid::WMSize(TMessage& message) {
  TCustomControl::WMSize(message);
  LayoutChanged();
}

void TCustomGrid::WMSetFocus(TMessage& message) {
  TCustomControl::WMSetFocus(message);
  InvalidateBlock(Selection());
}

void TCustomGrid::WMKillFocus(TMessage& message) {
  TCustomControl::WMKillFocus(message);
  InvalidateBlock(Selection());
  selecting_ = false;
}

void TCustomGrid::WMGetDlgCode(TMessage& message) {
  message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (HasOption(TGridOption::goTabs)) message.Result |= DLGC_WANTTAB;
}

void TCustomGrid::WMCaptureChanged(TMessage& message) {
  if (reinterpret_cast<HWND>(message.LParam) != WindowHandle()) selecting_ = false;
  TCustomControl::WMCaptureChanged(message);
}

void TCustomGrid::CMCtl3DChanged(TMessage& message) {
  if (border_style_ == TBorderStyle::bsSingle) RecreateWnd();
  Invalidate();
  message.Result = 0;
}

void TCustomGrid::WMHScroll(TMessage& message) {
  Scroll(SB_HORZ, LOWORD(message.WParam), HasOption(TGridOption::goThumbTracking));
  message.Result = 0;
}

void TCustomGrid::WMVScroll(TMessage& message) {
  Scroll(SB_VERT, LOWORD(message.WParam), HasOption(TGridOption::goThumbTracking));
  message.Result = 0;
}

void TCustomGrid::Scroll(int bar, int request, bool thumb_tracking) {
  const bool horizontal = bar == SB_HORZ;
  const TGridAxis& axis = horizontal ? geometry_.Cols : geometry_.Rows;
  const int first = horizontal ? first_.X : first_.Y;
  const int length = horizontal ? ClientSize().cx : ClientSize().cy;
  int target = first;
  switch (request) {
    case SB_LINEUP:
      target = first - 1;
      break;
    case SB_LINEDOWN:
      target = first + 1;
      break;
    case SB_PAGEUP:
      target = first - axis.WholeVisible(first, length);
      break;
    case SB_PAGEDOWN:
      target = first + axis.WholeVisible(first, length);
      break;
    case SB_TOP:
      target = axis.Fixed();
      break;
    case SB_BOTTOM:
      target = axis.MaxFirst(length);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      if (request == SB_THUMBTRACK && !thumb_tracking) return;
      SCROLLINFO info{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(WindowHandle(), bar, &info);
      target = axis.Fixed() + info.nTrackPos;
      break;
    }
    default:
      return;
  }
  ScrollTo(horizontal ? TGridCoord{target, first_.Y} : TGridCoord{first_.X, target});
}

unsigned WheelScrollLines() {
  UINT lines = 3;
  if (!SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) return 3;
  return lines;
}

void TCustomGrid::WMMouseWheel(TMessage& message) {
  const int rows =
      wheel_.Rows(GET_WHEEL_DELTA_WPARAM(message.WParam), WheelScrollLines(), VisibleRowCount());
  if (rows != 0) SetTopRow(first_.Y + rows);
  message.Result = 0;
}

// ---------------------------------------------------------------------------------------------
// TDrawGrid

const TClassInfo& TDrawGrid::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TDrawGrid>("TDrawGrid", &TCustomGrid::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Align", "Anchors", "BorderStyle", "Color", "ColCount", "Constraints", "Ctl3D",
                    "DefaultColWidth", "DefaultRowHeight"})
          .Publish({"DragCursor", "DragKind", "DragMode", "Enabled", "FixedColor", "FixedCols",
                    "FixedRows", "Font", "GridLineWidth", "Options", "ParentColor", "ParentCtl3D"})
          .Publish(
              {"ParentFont", "ParentShowHint", "PopupMenu", "RowCount", "ScrollBars", "ShowHint"})
          .Publish(kPublishTabStop)
          .Publish({"Visible"})
          .Publish({"OnClick", "OnDblClick"})
          .Publish(kPublishDragEvents)
          .Property("OnDrawCell", &TDrawGrid::OnDrawCell, &TDrawGrid::OnDrawCell,
                    Handler("TObject* Sender, int ACol, int ARow, RECT Rect, TGridDrawState State"))
          .Publish(kPublishDockEvents)
          .Publish(kPublishInputEvents)
          .Property("OnSelectCell", &TDrawGrid::OnSelectCell, &TDrawGrid::OnSelectCell,
                    Handler("TObject* Sender, int ACol, int ARow, bool& CanSelect"))
          .Publish({"OnStartDock", "OnStartDrag"})
          .Build();
  return info;
}

void TDrawGrid::DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) {
  OnDrawCell(this, ACol, ARow, ARect, AState);
}

bool TDrawGrid::SelectCell(int ACol, int ARow) {
  bool allowed = true;
  OnSelectCell(this, ACol, ARow, allowed);
  return allowed;
}
