#include "controls-extra/Cgrid_core.h"

#include <algorithm>

const TEnumInfo& EnumInfoOf(TGridOrdering) {
  static const TEnumInfo info{{"go16x1", "go8x2", "go4x4", "go2x8", "go1x16"}};
  return info;
}

// clang-format off
const TPaletteEntry kDefaultPaletteEntries[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0},
    {192, 220, 192, 0}, {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
};
// clang-format on

TColor SquareColor(const TPaletteEntry (&palette)[20], int square) {
  if (square < 0 || square > 15) return clBlack;
  const TPaletteEntry& entry = palette[square < 8 ? square : square + 4];
  return RGBColor(entry.Red, entry.Green, entry.Blue);
}

TSquareSizes SnapToSquares(int width, int height, int columns, int rows) {
  TSquareSizes sizes;
  sizes.CellWidth = std::max(width, 0) / columns;
  sizes.CellHeight = std::max(height, 0) / rows;
  sizes.Width = sizes.CellWidth * columns;
  sizes.Height = sizes.CellHeight * rows;
  return sizes;
}

int SquareAt(int x, int y, int width, int height, int columns, int rows, int cell_width,
             int cell_height) {
  x = std::clamp(x, 0, std::max(width - 1, 0));
  y = std::clamp(y, 0, std::max(height - 1, 0));
  const int column = std::min(x / std::max(cell_width, 1), columns - 1);
  const int row = std::min(y / std::max(cell_height, 1), rows - 1);
  return row * columns + column;
}

int ColorGridKeyTarget(TColorGridKey key, int selection, int columns, int rows) {
  const int count = columns * rows;
  const int s = selection;
  if (s < 0 || s >= count) {
    const bool forward =
        key == TColorGridKey::Right || key == TColorGridKey::Down || key == TColorGridKey::Home;
    return forward ? 0 : count - 1;
  }
  switch (key) {
    case TColorGridKey::Right:
      return s == count - 1 ? 0 : s + 1;
    case TColorGridKey::Left:
      return s == 0 ? count - 1 : s - 1;
    case TColorGridKey::Up:
      if (s >= columns) return s - columns;
      return s > 0 ? count - columns + s - 1 : count - 1;
    case TColorGridKey::Down:
      if (s + columns < count) return s + columns;
      return s != count - 1 ? s % columns + 1 : 0;
    case TColorGridKey::Home:
      return 0;
    case TColorGridKey::End:
      return count - 1;
  }
  return s;
}

const char* ColorGridMark(bool foreground, int foreground_index, int background_index,
                          bool foreground_enabled, bool background_enabled) {
  const bool other_enabled = foreground ? background_enabled : foreground_enabled;
  if (foreground_index == background_index && other_enabled) return "VH";
  return foreground ? "VG" : "HG";
}

TColor MarkTextColor(TColor square) {
  auto inverse = [](uint8_t part) -> uint8_t { return part >= 128 ? 0 : 255; };
  return RGBColor(inverse(RedOf(square)), inverse(GreenOf(square)), inverse(BlueOf(square)));
}
