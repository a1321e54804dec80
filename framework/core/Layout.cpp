#include "framework/core/Layout.h"

#include <algorithm>
#include <cmath>

namespace {

struct TSpan {
  int Start, Length;
};

// One axis of a control: its start and length once the parent's length went from old_length
// to new_length, anchored to the near edge (left, top), the far one, both or neither.
TSpan AnchorSpan(int start, int length, int old_length, int new_length, bool near, bool far) {
  if (old_length <= 0 || (near && !far)) return {start, length};
  const int growth = new_length - old_length;
  if (near) return {start, length + growth};
  if (far) return {start + growth, length};
  // Neither edge: the centre keeps its place relative to the parent's length.
  const double centre = (start + length / 2.0) * new_length / old_length;
  return {static_cast<int>(std::lround(centre - length / 2.0)), length};
}

int ClampLength(int length, int min, int max) {
  length = std::max(length, 0);
  if (max > 0 && length > max) length = max;
  if (min > 0 && length < min) length = min;
  return length;
}

TLayoutRect Constrained(TLayoutRect r, const TSizeLimits& limits) {
  int width = r.Width(), height = r.Height();
  ConstrainSize(limits, width, height);
  return {r.Left, r.Top, r.Left + width, r.Top + height};
}

}  // namespace

TLayoutRect AnchorBounds(const TAnchorOrigin& origin, TAnchors anchors, int parent_width,
                         int parent_height) {
  const TLayoutRect& b = origin.Bounds;
  const TSpan x = AnchorSpan(b.Left, b.Width(), origin.ParentWidth, parent_width, anchors & akLeft,
                             anchors & akRight);
  const TSpan y = AnchorSpan(b.Top, b.Height(), origin.ParentHeight, parent_height, anchors & akTop,
                             anchors & akBottom);
  return {x.Start, y.Start, x.Start + std::max(x.Length, 0), y.Start + std::max(y.Length, 0)};
}

void ConstrainSize(const TSizeLimits& limits, int& width, int& height) {
  width = ClampLength(width, limits.MinWidth, limits.MaxWidth);
  height = ClampLength(height, limits.MinHeight, limits.MaxHeight);
}

std::vector<TLayoutRect> AlignChildren(TLayoutRect area,
                                       const std::vector<TAlignedChild>& children) {
  const int parent_width = std::max(area.Width(), 0), parent_height = std::max(area.Height(), 0);
  std::vector<TLayoutRect> placed;
  placed.reserve(children.size());
  for (const TAlignedChild& child : children) {
    TLayoutRect r = child.Bounds;
    if (child.Origin.Known() && child.Anchors != kDefaultAnchors) {
      const TLayoutRect anchored =
          AnchorBounds(child.Origin, child.Anchors, parent_width, parent_height);
      switch (child.Align) {
        case TAlign::alNone:
          r = anchored;
          break;
        case TAlign::alTop:
        case TAlign::alBottom:
          r.Bottom = r.Top + anchored.Height();
          break;
        case TAlign::alLeft:
        case TAlign::alRight:
          r.Right = r.Left + anchored.Width();
          break;
        case TAlign::alClient:
          break;
      }
    }
    placed.push_back(Constrained(r, child.Limits));
  }
  auto width = [&] { return std::max(area.Right - area.Left, 0); };
  auto height = [&] { return std::max(area.Bottom - area.Top, 0); };
  for (TAlign align :
       {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
    for (size_t i = 0; i < children.size(); ++i) {
      const TAlignedChild& child = children[i];
      if (child.Align != align || !child.Visible) continue;
      TLayoutRect& r = placed[i];
      const int w = r.Width();
      const int h = r.Height();
      switch (align) {
        case TAlign::alTop:
          r = {area.Left, area.Top, area.Left + width(), area.Top + h};
          area.Top += h;
          break;
        case TAlign::alBottom:
          r = {area.Left, area.Bottom - h, area.Left + width(), area.Bottom};
          area.Bottom -= h;
          break;
        case TAlign::alLeft:
          r = {area.Left, area.Top, area.Left + w, area.Top + height()};
          area.Left += w;
          break;
        case TAlign::alRight:
          r = {area.Right - w, area.Top, area.Right, area.Top + height()};
          area.Right -= w;
          break;
        case TAlign::alClient:
          r = {area.Left, area.Top, area.Left + width(), area.Top + height()};
          break;
        case TAlign::alNone:
          break;
      }
      r = Constrained(r, child.Limits);
    }
  }
  return placed;
}

TButtonContentLayout CalcButtonLayout(int client_width, int client_height, int glyph_width,
                                      int glyph_height, int caption_width, int caption_height,
                                      TButtonLayout layout, int margin, int spacing, int offset,
                                      THalving halving) {
  const auto half = [halving](int room) {
    return halving == THalving::RoundUp ? (room + 1) / 2 : room / 2;
  };
  const bool has_glyph = glyph_width > 0 && glyph_height > 0;
  const bool has_caption = caption_width > 0 && caption_height > 0;
  if (!has_glyph) glyph_width = glyph_height = 0;
  if (!has_caption) caption_width = caption_height = 0;
  const bool horizontal =
      layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphRight;

  // Along the layout's axis: lengths of the client, glyph and caption.
  const int total = horizontal ? client_width : client_height;
  const int glyph_length = horizontal ? glyph_width : glyph_height;
  const int caption_length = horizontal ? caption_width : caption_height;
  if (!has_glyph || !has_caption) spacing = 0;

  if (margin == -1) {
    if (spacing == -1) {
      const int free_space = total - glyph_length - caption_length;
      margin = spacing = free_space / 3;
    } else {
      const int used = glyph_length + spacing + caption_length;
      margin = half(total - used);
    }
  } else if (spacing == -1) {
    spacing = (total - margin - glyph_length - caption_length) / 2;
  }

  // Positions along the axis, measured from the glyph's side.
  int glyph_at = margin;
  int caption_at = margin + glyph_length + spacing;
  const bool from_far_side =
      layout == TButtonLayout::blGlyphRight || layout == TButtonLayout::blGlyphBottom;
  if (from_far_side) {
    glyph_at = total - margin - glyph_length;
    caption_at = glyph_at - spacing - caption_length;
  }

  TButtonContentLayout result;
  if (horizontal) {
    const int glyph_top = half(client_height - glyph_height);
    const int caption_top = half(client_height - caption_height);
    result.GlyphLeft = glyph_at;
    result.GlyphTop = glyph_top;
    result.CaptionLeft = caption_at;
    result.CaptionTop = caption_top;
    if (has_glyph)
      result.Glyph = {glyph_at, glyph_top, glyph_at + glyph_width, glyph_top + glyph_height};
    if (has_caption) {
      result.Caption = {caption_at, caption_top, caption_at + caption_width,
                        caption_top + caption_height};
    }
  } else {
    const int glyph_left = half(client_width - glyph_width);
    const int caption_left = half(client_width - caption_width);
    result.GlyphLeft = glyph_left;
    result.GlyphTop = glyph_at;
    result.CaptionLeft = caption_left;
    result.CaptionTop = caption_at;
    if (has_glyph) {
      result.Glyph = {glyph_left, glyph_at, glyph_left + glyph_width, glyph_at + glyph_height};
    }
    if (has_caption) {
      result.Caption = {caption_left, caption_at, caption_left + caption_width,
                        caption_at + caption_height};
    }
  }
  for (TLayoutRect* rect : {&result.Glyph, &result.Caption}) {
    if (rect->Width() == 0 && rect->Height() == 0) continue;
    rect->Left += offset;
    rect->Right += offset;
    rect->Top += offset;
    rect->Bottom += offset;
  }
  return result;
}

TLayoutRect CalcPictureRect(int client_width, int client_height, int picture_width,
                            int picture_height, bool center, bool stretch, bool proportional) {
  if (picture_width <= 0 || picture_height <= 0) return {};
  int width = picture_width, height = picture_height;
  const bool too_big = picture_width > client_width || picture_height > client_height;
  if (proportional && (stretch || too_big) && client_width > 0 && client_height > 0) {
    // Scale by the smaller of the two ratios; compare in 64 bits to stay exact.
    const long long across = static_cast<long long>(client_width) * picture_height;
    const long long down = static_cast<long long>(client_height) * picture_width;
    if (across <= down) {
      width = client_width;
      height = static_cast<int>(std::max(1LL, across / picture_width));
    } else {
      height = client_height;
      width = static_cast<int>(std::max(1LL, down / picture_height));
    }
  } else if (stretch) {
    width = client_width;
    height = client_height;
  }
  TLayoutRect rect{0, 0, width, height};
  if (center) {
    rect.Left = (client_width - width) / 2;
    rect.Top = (client_height - height) / 2;
    rect.Right = rect.Left + width;
    rect.Bottom = rect.Top + height;
  }
  return rect;
}
