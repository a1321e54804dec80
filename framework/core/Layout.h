// Layout computed apart from the windows that show it, shared by the controls and their tests:
// where aligned children go in their parent, where a speed button puts its glyph and caption,
// and where an image draws its picture.
// Coordinates are pixels in the parent's (or the control's) client area, origin at its top left.
#pragma once

#include <vector>

struct TLayoutRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TLayoutRect& other) const = default;
};

// Where a control sits in its parent: at its own bounds, or along an edge of what is left of
// the parent's client area, or filling the rest.
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

struct TAlignedChild {
  TAlign Align = TAlign::alNone;
  bool Visible = true;
  TLayoutRect Bounds;  // where it is now: an aligned child keeps its width or height
};

// The bounds of every child after alignment, in the children's order. Top-aligned children
// take the top of the area in creation order, then bottom, left and right ones take what
// remains, each keeping its height (top, bottom) or width (left, right); client-aligned ones
// fill what is left. Hidden and unaligned children keep their bounds. An area used up gives
// later children a size of zero, never a negative one.
std::vector<TLayoutRect> AlignChildren(TLayoutRect area,
                                       const std::vector<TAlignedChild>& children);

// Where the glyph sits relative to the caption.
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TButtonContentLayout {
  TLayoutRect Glyph;    // empty when there is no glyph
  TLayoutRect Caption;  // empty when there is no caption
};

// Glyph and caption of a button of the given client size. `margin` is the distance from the
// edge on the glyph's side to the glyph, -1 to centre glyph and caption as a group; `spacing`
// the distance between them, -1 to spread the free space evenly. A glyph or caption of size
// 0 x 0 is left out, and so is the spacing. `offset` moves both (a pressed button: 1).
TButtonContentLayout CalcButtonLayout(int client_width, int client_height, int glyph_width,
                                      int glyph_height, int caption_width, int caption_height,
                                      TButtonLayout layout, int margin, int spacing, int offset);

// Where an image of the given client size draws a picture: at the top left in its own size;
// centred when `center`; filling the client when `stretch`; with `proportional`, a picture
// larger than the client shrinks to fit, keeping its aspect ratio (and with `stretch` a smaller
// one grows to fit).
TLayoutRect CalcPictureRect(int client_width, int client_height, int picture_width,
                            int picture_height, bool center, bool stretch, bool proportional);
