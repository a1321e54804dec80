// Layout computed apart from the windows that show it, shared by the controls and their tests:
// where aligned and anchored children go in their parent and how far their size limits let
// them grow, where a speed button puts its glyph and caption, and where an image draws its
// picture.
// Coordinates are pixels in the parent's (or the control's) client area, origin at its top left.
#pragma once

#include <cstdint>
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

// The edges of its parent that a control keeps its distance to when the parent's client area
// changes size; a set of bits. Without left and right it keeps its relative horizontal centre,
// without top and bottom its relative vertical centre.
enum TAnchorKind : uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = uint8_t;
constexpr TAnchors kDefaultAnchors = akLeft | akTop;

// Where a control was placed, and the size of its parent's client area at that moment.
struct TAnchorOrigin {
  TLayoutRect Bounds;
  int ParentWidth = 0, ParentHeight = 0;  // 0: the parent had no size yet
  bool Known() const { return ParentWidth > 0 && ParentHeight > 0; }
};

// The bounds that keep a control's anchored distances in a parent client area of the given
// size. A size that would be negative is zero.
TLayoutRect AnchorBounds(const TAnchorOrigin& origin, TAnchors anchors, int parent_width,
                         int parent_height);

// The smallest and largest size a control may take; 0 is no limit. A minimum above the maximum
// wins.
struct TSizeLimits {
  int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
  bool operator==(const TSizeLimits& other) const = default;
};
// Clamps a size to the limits; a negative size is zero first.
void ConstrainSize(const TSizeLimits& limits, int& width, int& height);

struct TAlignedChild {
  TAlign Align = TAlign::alNone;
  bool Visible = true;
  TLayoutRect Bounds;  // where it is now: an aligned child keeps its width or height
  TAnchors Anchors = kDefaultAnchors;
  TAnchorOrigin Origin{};
  TSizeLimits Limits{};
};

// The bounds of every child after alignment, in the children's order. Top-aligned children
// take the top of the area in creation order, then bottom, left and right ones take what
// remains, each keeping its height (top, bottom) or width (left, right); client-aligned ones
// fill what is left. An area used up gives later children a size of zero, never a negative one.
// A child placed in an area of known size follows its anchors from there: an unaligned child
// moves or stretches as they say (a hidden one too, so that it shows in the right place), an
// aligned one takes from them only the size that its alignment keeps. Every size ends within
// the child's limits, its left and top staying put.
std::vector<TLayoutRect> AlignChildren(TLayoutRect area,
                                       const std::vector<TAlignedChild>& children);

// Where the glyph sits relative to the caption.
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TButtonContentLayout {
  TLayoutRect Glyph;    // empty when there is no glyph
  TLayoutRect Caption;  // empty when there is no caption
  // Where each part's top left lies before the offset, also for an absent one (0 x 0): the flat
  // controls hand both places on whatever they hold.
  int GlyphLeft = 0, GlyphTop = 0, CaptionLeft = 0, CaptionTop = 0;
};

// How a length that is centred in a space rounds an odd pixel of room: towards the near edge
// (the framework's buttons) or the far one (the flat controls').
enum class THalving { RoundDown, RoundUp };

// Glyph and caption of a button of the given client size. `margin` is the distance from the
// edge on the glyph's side to the glyph, -1 to centre glyph and caption as a group; `spacing`
// the distance between them, -1 to spread the free space evenly. A glyph or caption of size
// 0 x 0 is left out, and so is the spacing. `offset` moves both (a pressed button: 1).
TButtonContentLayout CalcButtonLayout(int client_width, int client_height, int glyph_width,
                                      int glyph_height, int caption_width, int caption_height,
                                      TButtonLayout layout, int margin, int spacing, int offset,
                                      THalving halving = THalving::RoundDown);

// Where an image of the given client size draws a picture: at the top left in its own size;
// centred when `center`; filling the client when `stretch`; with `proportional`, a picture
// larger than the client shrinks to fit, keeping its aspect ratio (and with `stretch` a smaller
// one grows to fit).
TLayoutRect CalcPictureRect(int client_width, int client_height, int picture_width,
                            int picture_height, bool center, bool stretch, bool proportional);
