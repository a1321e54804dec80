// Flatutilitys: the drawing helpers of the flat-look controls, on top of their portable
// measures (Flatutilitys_core): colours derived from a parent's, the engraved look of a disabled
// glyph, a button's glyph and caption, a parent painted behind a see-through control, font heights.
//
// Coordinates are the device pixels of the canvas or control at hand.
// Ownership: CreateDisabledBitmap's bitmap belongs to the caller; nothing else is kept.
#pragma once

#include <windows.h>

#include <memory>

#include "controls-extra/Flatutilitys_core.h"
#include "framework/win/Controls.h"

// AdvancedColorFromRGB of BaseColor, a system colour resolved to its RGB value first.
TColor CalcAdvancedColor(TColor BaseColor, TColor CurrentColor, unsigned char Amount,
                         TColorCalcType Direction);

// Image engraved: MaskColor is its background, which becomes FillColor; the glyph (every pixel
// of another colour) is drawn in DarkColor, over LightColor one pixel below and to the right
// of it when WithLight. A failure frees what was made and passes on.
std::unique_ptr<TBitmap> CreateDisabledBitmap(TBitmap* Image, TColor MaskColor, TColor FillColor,
                                              TColor LightColor, TColor DarkColor, bool WithLight);

// CalcFlatButtonLayout for a glyph bitmap of GlyphCount images side by side (none without
// Glyph) and a caption measured on Canvas in one line.
void CalcButtonLayout(TCanvas* Canvas, const RECT& Area, const POINT& Shift, TButtonLayout Layout,
                      int Gap, int Margin, TBitmap* Glyph, int GlyphCount,
                      const AnsiString& Caption, RECT& TextRect, POINT& GlyphAt);

// Paints on Dest what the parent shows under Control (its background and its painting), for a
// control that looks see-through. Nothing without a parent.
void DrawParentImage(TControl* Control, TCanvas* Dest);

// The font's metrics, measured on the screen.
void GetFontMetrics(TFont* Font, TEXTMETRICA& Metrics);
// FontHeightOfCell of the font's cell height.
int GetFontHeight(TFont* Font);

bool RectInRect(const RECT& R1, const RECT& R2);
