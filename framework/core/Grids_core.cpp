#include "framework/core/Grids_core.h"

#include <algorithm>
#include <climits>
#include <cstdint>

TGridRect GridRectOf(TGridCoord a, TGridCoord b) {
  return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
}

void TGridAxis::SetCount(int count, int extent) {
  extents_.resize(static_cast<size_t>(std::max(count, 0)), extent);
  fixed_ = std::min(fixed_, Count());
}

void TGridAxis::SetFixed(int fixed) {
  fixed_ = std::clamp(fixed, 0, Count());
}

void TGridAxis::SetAllExtents(int extent) {
  std::fill(extents_.begin(), extents_.end(), extent);
}

int TGridAxis::FixedSpan() const {
  int span = 0;
  for (int i = 0; i < fixed_; ++i) span += Span(i);
  return span;
}

int TGridAxis::Start(int index, int first) const {
  if (index < fixed_) {
    int start = 0;
    for (int i = 0; i < index; ++i) start += Span(i);
    return start;
  }
  if (index < first) return -1;
  int start = FixedSpan();
  for (int i = first; i < index; ++i) start += Span(i);
  return start;
}

int TGridAxis::At(int pixel, int first) const {
  if (pixel < 0) return -1;
  int end = 0;
  for (int i = 0; i < fixed_; ++i) {
    end += Span(i);
    if (pixel < end) return i;
  }
  for (int i = std::max(first, fixed_); i < Count(); ++i) {
    end += Span(i);
    if (pixel < end) return i;
  }
  return -1;
}

int TGridAxis::LastVisible(int first, int length) const {
  int start = 0;
  int last = -1;
  for (int i = 0; i < fixed_ && start < length; ++i) {
    last = i;
    start += Span(i);
  }
  for (int i = std::max(first, fixed_); i < Count() && start < length; ++i) {
    last = i;
    start += Span(i);
  }
  return last;
}

int TGridAxis::WholeVisible(int first, int length) const {
  first = std::max(first, fixed_);
  int start = FixedSpan();
  int whole = 0;
  for (int i = first; i < Count() && start + Extent(i) <= length; ++i) {
    ++whole;
    start += Span(i);
  }
  return first < Count() ? std::max(whole, 1) : 0;
}

int TGridAxis::MaxFirst(int length) const {
  if (fixed_ >= Count()) return fixed_;
  const int room = length - FixedSpan();
  int first = Count() - 1;
  int used = Extent(first);
  while (first > fixed_ && used + Span(first - 1) <= room) {
    used += Span(first - 1);
    --first;
  }
  return first;
}

int TGridAxis::FirstShowing(int index, int first, int length) const {
  if (index < fixed_) return first;
  if (index < first) return index;
  const int room = length - FixedSpan();
  int from = index;
  int used = Extent(index);
  while (from > fixed_ && used + Span(from - 1) <= room) {
    used += Span(from - 1);
    --from;
  }
  return std::max(first, from);
}

int TGridAxis::DragTarget(int pixel, int first, int length) const {
  first = std::max(first, fixed_);
  if (pixel < FixedSpan()) return std::max(fixed_, first - 1);
  if (pixel >= length) return std::min(Count() - 1, first + WholeVisible(first, length));
  const int at = At(pixel, first);
  return at < 0 ? Count() - 1 : at;
}

TLayoutRect TGridGeometry::CellRect(TGridCoord cell, TGridCoord first) const {
  const int left = Cols.Start(cell.X, first.X);
  const int top = Rows.Start(cell.Y, first.Y);
  if (left < 0 || top < 0) return {};
  return {left, top, left + Cols.Extent(cell.X), top + Rows.Extent(cell.Y)};
}

TGridCoord TGridGeometry::CellAt(int x, int y, TGridCoord first) const {
  const int col = Cols.At(x, first.X);
  const int row = Rows.At(y, first.Y);
  if (col < 0 || row < 0) return {-1, -1};
  return {col, row};
}

TGridCoord GridKeyTarget(const TGridGeometry& grid, TGridCoord current, TGridKey key, bool ctrl,
                         int page) {
  const int first_col = grid.Cols.Fixed();
  const int first_row = grid.Rows.Fixed();
  const int last_col = grid.Cols.Count() - 1;
  const int last_row = grid.Rows.Count() - 1;
  TGridCoord target = current;
  switch (key) {
    case TGridKey::Left:
      --target.X;
      break;
    case TGridKey::Right:
      ++target.X;
      break;
    case TGridKey::Up:
      --target.Y;
      break;
    case TGridKey::Down:
      ++target.Y;
      break;
    case TGridKey::PageUp:
      target.Y -= std::max(page, 1);
      break;
    case TGridKey::PageDown:
      target.Y += std::max(page, 1);
      break;
    case TGridKey::Home:
      target.X = first_col;
      if (ctrl) target.Y = first_row;
      break;
    case TGridKey::End:
      target.X = last_col;
      if (ctrl) target.Y = last_row;
      break;
    case TGridKey::Tab:
      if (target.X < last_col) {
        ++target.X;
      } else if (target.Y < last_row) {
        target = {first_col, target.Y + 1};
      }
      break;
    case TGridKey::BackTab:
      if (target.X > first_col) {
        --target.X;
      } else if (target.Y > first_row) {
        target = {last_col, target.Y - 1};
      }
      break;
  }
  return {std::clamp(target.X, first_col, std::max(first_col, last_col)),
          std::clamp(target.Y, first_row, std::max(first_row, last_row))};
}

int TWheelTurns::Rows(int delta, unsigned lines, int page) {
  constexpr int kNotch = 120;
  pending_ += delta;
  const int notches = pending_ / kNotch;
  pending_ %= kNotch;
  const int64_t per_notch = lines == kWheelPageScroll ? std::max(page, 1) : int64_t{lines};
  // Cut so that adding it to a row stays within int.
  constexpr int64_t kLimit = INT_MAX / 2;
  return static_cast<int>(std::clamp<int64_t>(-notches * per_notch, -kLimit, kLimit));
}
