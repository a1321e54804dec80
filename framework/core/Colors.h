// Colours: TColor is 0x00BBGGRR for a plain colour; a value with the top bit set names a system
// colour (its low byte is the system colour index) and is resolved to RGB only when drawn.
#pragma once

#include <cstdint>

#include "framework/core/Typinfo.h"

using TColor = int32_t;

constexpr TColor RGBColor(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<TColor>(red | (green << 8) | (blue << 16));
}
constexpr bool IsSystemColor(TColor color) {
  return color < 0;
}
constexpr int SystemColorIndex(TColor color) {
  return color & 0xFF;
}
constexpr uint8_t RedOf(TColor color) {
  return color & 0xFF;
}
constexpr uint8_t GreenOf(TColor color) {
  return (color >> 8) & 0xFF;
}
constexpr uint8_t BlueOf(TColor color) {
  return (color >> 16) & 0xFF;
}

constexpr TColor kSystemColorBit = static_cast<TColor>(0x80000000u);
constexpr TColor SystemColor(int index) {
  return kSystemColorBit | index;
}

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clNone = 0x1FFFFFFF, clDefault = 0x20000000;

// System colours, by the platform's colour index.
constexpr TColor clScrollBar = SystemColor(0), clBackground = SystemColor(1),
                 clActiveCaption = SystemColor(2), clInactiveCaption = SystemColor(3),
                 clMenu = SystemColor(4), clWindow = SystemColor(5), clWindowFrame = SystemColor(6),
                 clMenuText = SystemColor(7), clWindowText = SystemColor(8),
                 clCaptionText = SystemColor(9), clActiveBorder = SystemColor(10),
                 clInactiveBorder = SystemColor(11), clAppWorkSpace = SystemColor(12),
                 clHighlight = SystemColor(13), clHighlightText = SystemColor(14),
                 clBtnFace = SystemColor(15), clBtnShadow = SystemColor(16),
                 clGrayText = SystemColor(17), clBtnText = SystemColor(18),
                 clInactiveCaptionText = SystemColor(19), clBtnHighlight = SystemColor(20),
                 cl3DDkShadow = SystemColor(21), cl3DLight = SystemColor(22),
                 clInfoText = SystemColor(23), clInfoBk = SystemColor(24);

// Colour names for form descriptions (clBtnFace and so on).
const TIdentMap& ColorIdents();
// The options of a colour property: its stored default, written by name where it has one.
TPropOptions DefaultColor(TColor color);
