#include "framework/win/Buttons.h"

#include <vector>

namespace {

// The caption's size in the control's font; 0 x 0 for no caption.
// The caption's size as drawn: an accelerator's '&' takes no room.
SIZE MeasureCaption(TFont* font, const AnsiString& caption) {
  if (caption.empty()) return SIZE{0, 0};
  TMemoryDC measuring;
  TSelectObject selection(measuring.Get(), font->Handle());
  RECT r{0, 0, 0, 0};
  const std::wstring wide = WideText(caption);
  DrawTextW(measuring.Get(), wide.data(), static_cast<int>(wide.size()), &r,
            DT_CALCRECT | DT_SINGLELINE);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

bool IsLight(COLORREF color) {
  const int luminance =
      (GetRValue(color) * 77 + GetGValue(color) * 151 + GetBValue(color) * 28) >> 8;
  return luminance >= 192;
}

// Draws the outline of one glyph image twice, as the system draws a disabled picture: in the
// highlight colour one pixel below and right, then in the shadow colour. The outline is the
// image's dark pixels (light ones would vanish in the highlight); an image with none uses all
// pixels that are not see-through.
void DrawEmbossed(HDC dc, const TBitmap& glyph, const RECT& source, int x, int y,
                  COLORREF transparent) {
  const int width = source.right - source.left;
  const int height = source.bottom - source.top;
  if (width <= 0 || height <= 0) return;
  // A monochrome mask: rows of whole 16-bit words, bit set = keep what is below.
  const int stride = (width + 15) / 16 * 2;
  auto build = [&](bool dark_only) {
    std::vector<uint8_t> bits(static_cast<size_t>(stride) * height, 0xFF);
    bool any = false;
    for (int row = 0; row < height; ++row) {
      for (int column = 0; column < width; ++column) {
        const COLORREF pixel = glyph.PixelAt(source.left + column, source.top + row);
        if (pixel == transparent || (dark_only && IsLight(pixel))) continue;
        bits[static_cast<size_t>(row) * stride + column / 8] &=
            static_cast<uint8_t>(~(0x80 >> (column % 8)));
        any = true;
      }
    }
    return any ? bits : std::vector<uint8_t>();
  };
  std::vector<uint8_t> bits = build(true);
  if (bits.empty()) bits = build(false);
  if (bits.empty()) return;

  TGdiObject mask(CreateBitmap(width, height, 1, 1, bits.data()));
  TMemoryDC mask_dc;
  TSelectObject mask_selection(mask_dc.Get(), mask.Get());
  const COLORREF old_text = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF old_back = SetBkColor(dc, RGB(255, 255, 255));
  for (const auto& [color, shift] : {std::pair{clBtnHighlight, 1}, std::pair{clBtnShadow, 0}}) {
    TGdiObject brush(CreateSolidBrush(ColorToRGB(color)));
    TSelectObject brush_selection(dc, brush.Get());
    // Where the mask is black, paint the brush; where white, keep the destination (PSDPxax).
    BitBlt(dc, x + shift, y + shift, width, height, mask_dc.Get(), 0, 0, 0x00B8074A);
  }
  SetTextColor(dc, old_text);
  SetBkColor(dc, old_back);
}

}  // namespace

const TEnumInfo& EnumInfoOf(TButtonLayout) {
  static const TEnumInfo info{{"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}};
  return info;
}

const TClassInfo& TSpeedButton::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TSpeedButton>("TSpeedButton", &TGraphicControl::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Align"})
          .Property("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp,
                    Default(false))
          .Property("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex,
                    Default(0))
          .Property("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, Default(false))
          .Property("Caption", &TControl::Caption, &TControl::SetCaption, Default(AnsiString()))
          .Publish({"Cursor", "Enabled"})
          .Property("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, Default(false))
          .Publish({"Font"})
          .ObjectProperty("Glyph", &TSpeedButton::Glyph)
          .Property("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout,
                    Default(TButtonLayout::blGlyphLeft))
          .Property("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin, Default(-1))
          .Property("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs, Default(1))
          .Publish({"ParentFont"})
          .Publish(kPublishHints)
          .Property("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing, Default(4))
          .Publish({"Visible", "OnClick", "OnDblClick"})
          .Publish(kPublishMouseEvents)
          .Build();
  return info;
}

TSpeedButton::TSpeedButton(TComponent* owner)
    : TGraphicControl(owner), glyph_(std::make_unique<TBitmap>()) {
  // The click comes from our own MouseUp, after the look has gone back up.
  SetControlStyle(csCaptureMouse | csDoubleClicks | csOpaque);
  glyph_->OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
  SetBounds(0, 0, 23, 22);
}

TSpeedButton::~TSpeedButton() {
  glyph_->OnChange = nullptr;
}

void TSpeedButton::SetGlyph(const TBitmap* glyph) {
  glyph_->Assign(glyph);
}

void TSpeedButton::GlyphChanged(TObject*) {
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(int count) {
  count = std::clamp(count, 1, 4);
  if (count == num_glyphs_) return;
  num_glyphs_ = count;
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout layout) {
  if (layout == layout_) return;
  layout_ = layout;
  Invalidate();
}

void TSpeedButton::SetMargin(int margin) {
  margin = std::max(margin, -1);
  if (margin == margin_) return;
  margin_ = margin;
  Invalidate();
}

void TSpeedButton::SetSpacing(int spacing) {
  spacing = std::max(spacing, -1);
  if (spacing == spacing_) return;
  spacing_ = spacing;
  Invalidate();
}

void TSpeedButton::SetFlat(bool flat) {
  if (flat == flat_) return;
  flat_ = flat;
  // A flat button lets its parent show through; a raised one paints its whole face.
  SetControlStyle(flat ? ControlStyle() & ~csOpaque : ControlStyle() | csOpaque);
  Invalidate();
}

void TSpeedButton::SetGroupIndex(int index) {
  if (index == group_index_) return;
  group_index_ = index;
  if (index == 0 && down_) {
    down_ = false;
    if (!dragging_) FState = TButtonState::bsUp;
    Invalidate();
  } else if (down_) {
    ReleaseOthersInGroup();
  }
}

void TSpeedButton::SetDown(bool down) {
  if (group_index_ == 0) down = false;
  if (down == down_) return;
  if (down_ && !allow_all_up_ && !IsLoading()) return;  // one of the group stays down
  down_ = down;
  if (!dragging_) FState = down ? TButtonState::bsExclusive : TButtonState::bsUp;
  Invalidate();
  if (down) ReleaseOthersInGroup();
}

void TSpeedButton::SetAllowAllUp(bool allow) {
  if (allow == allow_all_up_) return;
  allow_all_up_ = allow;
  if (group_index_ == 0 || !Parent()) return;
  for (TControl* control : Parent()->Controls()) {
    auto* other = dynamic_cast<TSpeedButton*>(control);
    if (other && other != this && other->group_index_ == group_index_) {
      other->allow_all_up_ = allow;
    }
  }
}

void TSpeedButton::ReleaseOthersInGroup() {
  if (group_index_ == 0 || !Parent()) return;
  for (TControl* control : Parent()->Controls()) {
    auto* other = dynamic_cast<TSpeedButton*>(control);
    if (!other || other == this || other->group_index_ != group_index_ || !other->down_) continue;
    other->down_ = false;
    if (!other->dragging_) other->FState = TButtonState::bsUp;
    other->Invalidate();
  }
}

void TSpeedButton::EnabledChanged() {
  if (!Enabled()) {
    dragging_ = false;
    FState = down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
  }
  TGraphicControl::EnabledChanged();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != TMouseButton::mbLeft || !Enabled()) return;
  dragging_ = true;
  if (!down_) {
    FState = TButtonState::bsDown;
    Repaint();
  }
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!dragging_) return;
  TButtonState state = down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
  if (Inside(x, y) && !down_) state = TButtonState::bsDown;
  if (state != FState) {
    FState = state;
    Repaint();
  }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (button != TMouseButton::mbLeft || !dragging_) return;
  dragging_ = false;
  const bool click = Inside(x, y);
  if (click && group_index_ != 0) {
    const bool was_down = down_;
    SetDown(!down_);
    // A group without AllowAllUp keeps this one down; the click still counts.
    if (was_down == down_) FState = down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
  } else {
    FState = down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
  }
  Repaint();
  if (click) Click();
}

void TSpeedButton::CMMouseEnter(TMessage& message) {
  TGraphicControl::CMMouseEnter(message);
  if (flat_ && Enabled()) Invalidate();
}

void TSpeedButton::CMDialogChar(TMessage& message) {
  message.Result = 0;
  if (!Enabled() || !Showing() ||
      !IsAccelerator(static_cast<char32_t>(message.WParam), Caption())) {
    return;
  }
  Click();
  message.Result = 1;
}

bool TSpeedButton::AccessiblePress() {
  if (!Enabled()) return false;
  Click();
  return true;
}

void TSpeedButton::CMMouseLeave(TMessage& message) {
  TGraphicControl::CMMouseLeave(message);
  if (flat_ && Enabled()) Invalidate();
}

int TSpeedButton::GlyphWidth() const {
  if (glyph_->GetEmpty()) return 0;
  return glyph_->GetWidth() / num_glyphs_;
}

TButtonContentLayout TSpeedButton::ContentLayout() {
  const SIZE caption = MeasureCaption(Font(), Caption());
  // The glyph is artwork for 96 pixels per inch.
  const int glyph_width = ScaleDesign(GlyphWidth());
  const int glyph_height = glyph_width > 0 ? ScaleDesign(glyph_->GetHeight()) : 0;
  return CalcButtonLayout(Width(), Height(), glyph_width, glyph_height, caption.cx, caption.cy,
                          layout_, margin_, spacing_, IsDown() ? 1 : 0);
}

void TSpeedButton::PaintFrame(TCanvas& canvas, RECT& rect) {
  HDC dc = canvas.Handle();
  if (!flat_) {
    DrawEdge(dc, &rect, IsDown() ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    return;
  }
  if (IsDown()) {
    DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  } else if (mouse_inside_ && Enabled()) {
    DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
  }
}

void TSpeedButton::PaintGlyph(TCanvas& canvas, const RECT& at) {
  const int width = GlyphWidth();
  if (width <= 0) return;
  // The image of the state, falling back to one that exists: latched → pressed → up.
  int index = 0;
  if (!Enabled()) {
    index = 1;
  } else if (FState == TButtonState::bsDown) {
    index = 2;
  } else if (FState == TButtonState::bsExclusive) {
    index = num_glyphs_ > 3 ? 3 : 2;
  }
  const COLORREF transparent = glyph_->TransparentColor();
  if (index == 1 && num_glyphs_ < 2) {
    DrawEmbossed(canvas.Handle(), *glyph_, {0, 0, width, glyph_->GetHeight()}, at.left, at.top,
                 transparent);
    return;
  }
  if (index >= num_glyphs_) index = 0;
  const RECT source{index * width, 0, (index + 1) * width, glyph_->GetHeight()};
  glyph_->DrawTransparent(canvas.Handle(), at, source, transparent, canvas.SmoothStretch());
}

void TSpeedButton::PaintCaption(TCanvas& canvas, const RECT& at) {
  const AnsiString caption = Caption();
  if (caption.empty()) return;
  canvas.Brush()->SetStyle(TBrushStyle::bsClear);
  const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP;
  RECT r = at;
  if (!Enabled()) {
    canvas.Font()->SetColor(clBtnHighlight);
    RECT shifted = r;
    OffsetRect(&shifted, 1, 1);
    canvas.DrawText(caption, shifted, flags);
    canvas.Font()->SetColor(clBtnShadow);
  }
  canvas.DrawText(caption, r, flags);
}

void TSpeedButton::Paint() {
  TCanvas& canvas = *Canvas();
  RECT face{0, 0, Width(), Height()};
  PaintFrame(canvas, face);
  const TButtonContentLayout layout = ContentLayout();
  auto rect = [](const TLayoutRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; };
  // The contents stay inside the frame.
  canvas.IntersectClip(face);
  PaintGlyph(canvas, rect(layout.Glyph));
  PaintCaption(canvas, rect(layout.Caption));
}
