#include "framework/win/ExtCtrls.h"

#include "framework/core/Layout.h"

namespace {

TPropOptions ColorOptions(TColor default_color) {
  TPropOptions options = Default(default_color);
  options.Idents = &ColorIdents();
  return options;
}

// The two colours of a 3-D edge: (top-left, bottom-right).
std::pair<TColor, TColor> EdgeColors(bool raised) {
  return raised ? std::pair{clBtnHighlight, clBtnShadow} : std::pair{clBtnShadow, clBtnHighlight};
}

void FillWith(TCanvas& canvas, TColor color, const RECT& rect) {
  canvas.Brush()->SetStyle(TBrushStyle::bsSolid);
  canvas.Brush()->SetColor(color);
  canvas.FillRect(rect);
}

void FrameWith(TCanvas& canvas, TColor color, const RECT& rect) {
  canvas.Brush()->SetStyle(TBrushStyle::bsSolid);
  canvas.Brush()->SetColor(color);
  canvas.FrameRect(rect);
}

}  // namespace

const TEnumInfo& EnumInfoOf(TBevelShape) {
  static const TEnumInfo info{
      {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TBevelStyle) {
  static const TEnumInfo info{{"bsLowered", "bsRaised"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TBevelCut) {
  static const TEnumInfo info{{"bvNone", "bvLowered", "bvRaised", "bvSpace"}};
  return info;
}

// ---------------------------------------------------------------------------------------------
// TBevel

const TClassInfo& TBevel::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TBevel>("TBevel", &TGraphicControl::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Align", "ParentShowHint"})
          .Property("Shape", &TBevel::Shape, &TBevel::SetShape, Default(TBevelShape::bsBox))
          .Publish({"ShowHint"})
          .Property("Style", &TBevel::Style, &TBevel::SetStyle, Default(TBevelStyle::bsLowered))
          .Publish({"Visible"})
          .Build();
  return info;
}

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
  // A frame takes no part in the mouse: clicks are no business of it.
  SetControlStyle(ControlStyle() & ~(csClickEvents | csCaptureMouse | csSetCaption));
  SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape shape) {
  if (shape == shape_) return;
  shape_ = shape;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle style) {
  if (style == style_) return;
  style_ = style;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas& canvas = *Canvas();
  const int w = Width(), h = Height();
  const auto [first, second] = EdgeColors(style_ == TBevelStyle::bsRaised);
  switch (shape_) {
    case TBevelShape::bsBox: {
      RECT r{0, 0, w, h};
      canvas.Frame3D(r, first, second, 1);
      break;
    }
    case TBevelShape::bsFrame:
      // Two frames one pixel apart: an etched (lowered) or embossed (raised) line.
      FrameWith(canvas, first, {0, 0, w - 1, h - 1});
      FrameWith(canvas, second, {1, 1, w, h});
      break;
    case TBevelShape::bsTopLine:
      FillWith(canvas, first, {0, 0, w, 1});
      FillWith(canvas, second, {0, 1, w, 2});
      break;
    case TBevelShape::bsBottomLine:
      FillWith(canvas, first, {0, h - 2, w, h - 1});
      FillWith(canvas, second, {0, h - 1, w, h});
      break;
    case TBevelShape::bsLeftLine:
      FillWith(canvas, first, {0, 0, 1, h});
      FillWith(canvas, second, {1, 0, 2, h});
      break;
    case TBevelShape::bsRightLine:
      FillWith(canvas, first, {w - 2, 0, w - 1, h});
      FillWith(canvas, second, {w - 1, 0, w, h});
      break;
    case TBevelShape::bsSpacer:
      break;
  }
}

// ---------------------------------------------------------------------------------------------
// TImage

const TClassInfo& TImage::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TImage>("TImage", &TGraphicControl::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Align"})
          .Property("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, Default(false))
          .Property("Center", &TImage::Center, &TImage::SetCenter, Default(false))
          .Publish({"Cursor", "Enabled", "ParentShowHint"})
          .ObjectProperty("Picture", &TImage::Picture)
          .Publish({"PopupMenu"})
          .Property("Proportional", &TImage::Proportional, &TImage::SetProportional, Default(false))
          .Publish({"ShowHint"})
          .Property("Stretch", &TImage::Stretch, &TImage::SetStretch, Default(false))
          .Property("Transparent", &TImage::Transparent, &TImage::SetTransparent, Default(false))
          .Publish({"Visible", "OnClick", "OnDblClick"})
          .Publish(kPublishMouseEvents)
          .Build();
  return info;
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>()) {
  picture_->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() {
  picture_->OnChange = nullptr;
}

void TImage::SetAutoSize(bool auto_size) {
  if (auto_size == auto_size_) return;
  auto_size_ = auto_size;
  ApplyAutoSize();
}

void TImage::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  ApplyTransparent();
  Invalidate();
}

void TImage::SetCenter(bool center) {
  if (center == center_) return;
  center_ = center;
  Invalidate();
}

void TImage::SetStretch(bool stretch) {
  if (stretch == stretch_) return;
  stretch_ = stretch;
  Invalidate();
}

void TImage::SetProportional(bool proportional) {
  if (proportional == proportional_) return;
  proportional_ = proportional;
  Invalidate();
}

void TImage::PictureChanged(TObject*) {
  ApplyTransparent();
  ApplyAutoSize();
  Invalidate();
}

void TImage::ApplyTransparent() {
  // The see-through colour is the graphic's business; the image only switches it on.
  TGraphic* graphic = picture_->Graphic();
  if (graphic && graphic->Transparent() != transparent_) graphic->SetTransparent(transparent_);
}

void TImage::ApplyAutoSize() {
  if (!auto_size_ || picture_->Width() <= 0 || picture_->Height() <= 0) return;
  SetBounds(Left(), Top(), ScaleDesign(picture_->Width()), ScaleDesign(picture_->Height()));
}

RECT TImage::DestRect() const {
  // The picture's own size is that of the artwork on a screen of 96 pixels per inch.
  const TLayoutRect r =
      CalcPictureRect(Width(), Height(), ScaleDesign(picture_->Width()),
                      ScaleDesign(picture_->Height()), center_, stretch_, proportional_);
  return {r.Left, r.Top, r.Right, r.Bottom};
}

void TImage::Paint() {
  TGraphic* graphic = picture_->Graphic();
  if (!graphic || graphic->GetEmpty()) return;
  Canvas()->StretchDraw(DestRect(), graphic);
}

// ---------------------------------------------------------------------------------------------
// TPanel

const TClassInfo& TPanel::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TPanel>("TPanel", &TCustomControl::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Align"})
          .Property("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner,
                    Default(TBevelCut::bvNone))
          .Property("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter,
                    Default(TBevelCut::bvRaised))
          .Property("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth, Default(1))
          .Property("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth, Default(0))
          .Property("BorderStyle", &TPanel::BorderStyle, &TPanel::SetBorderStyle,
                    Default(TBorderStyle::bsNone))
          .Property("Caption", &TControl::Caption, &TControl::SetCaption, Default(AnsiString()))
          // A panel is button-face coloured of its own, not its parent's colour.
          .Property("Color", &TControl::Color, &TControl::SetColor, ColorOptions(clBtnFace))
          .StoredIf([](const TPanel& panel) { return !panel.ParentColor(); },
                    "while ParentColor is False")
          .Publish({"Ctl3D", "Cursor", "Enabled", "Font"})
          .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor,
                    Default(false))
          .Publish({"ParentCtl3D", "ParentFont"})
          .Publish(kPublishHints)
          .Publish(kPublishTabStop)
          .Publish({"Visible", "OnClick", "OnDblClick"})
          .Publish(kPublishFocusEvents)
          .Publish(kPublishMouseEvents)
          .Publish({"OnResize"})
          .Build();
  return info;
}

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csOpaque | csDoubleClicks);
  SetColor(clBtnFace);
  SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelInner(TBevelCut cut) {
  if (cut == bevel_inner_) return;
  bevel_inner_ = cut;
  Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut cut) {
  if (cut == bevel_outer_) return;
  bevel_outer_ = cut;
  Invalidate();
}

void TPanel::SetBevelWidth(int width) {
  width = std::max(width, 1);
  if (width == bevel_width_) return;
  bevel_width_ = width;
  Invalidate();
}

void TPanel::SetBorderWidth(int width) {
  width = std::max(width, 0);
  if (width == border_width_) return;
  border_width_ = width;
  Invalidate();
}

void TPanel::SetBorderStyle(TBorderStyle style) {
  if (style == border_style_) return;
  border_style_ = style;
  RecreateWnd();
}

void TPanel::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  if (border_style_ == TBorderStyle::bsSingle) params.Style |= WS_BORDER;
  // The bevels are drawn to the client's edges: a resize must repaint them all.
  params.ClassStyle |= CS_HREDRAW | CS_VREDRAW;
}

int TPanel::FrameWidth() const {
  int width = border_width_;
  if (bevel_outer_ != TBevelCut::bvNone) width += bevel_width_;
  if (bevel_inner_ != TBevelCut::bvNone) width += bevel_width_;
  return width;
}

RECT TPanel::InnerRect() const {
  RECT r = ClientRect();
  InflateRect(&r, -FrameWidth(), -FrameWidth());
  return r;
}

void TPanel::Paint() {
  TCanvas& canvas = *Canvas();
  RECT r = ClientRect();
  auto bevel = [&](TBevelCut cut) {
    if (cut == TBevelCut::bvNone) return;
    if (cut == TBevelCut::bvSpace) {
      canvas.Frame3D(r, Color(), Color(), bevel_width_);
      return;
    }
    const auto [top_left, bottom_right] = EdgeColors(cut == TBevelCut::bvRaised);
    canvas.Frame3D(r, top_left, bottom_right, bevel_width_);
  };
  bevel(bevel_outer_);
  canvas.Frame3D(r, Color(), Color(), border_width_);
  bevel(bevel_inner_);
  FillWith(canvas, Color(), r);

  const AnsiString caption = Caption();
  if (caption.empty()) return;
  canvas.Brush()->SetStyle(TBrushStyle::bsClear);
  const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
  if (!Enabled()) {
    // Greyed as the system greys text: a light copy below and right, then a shadow.
    canvas.Font()->SetColor(clBtnHighlight);
    RECT shifted = r;
    OffsetRect(&shifted, 1, 1);
    canvas.DrawText(caption, shifted, flags);
    canvas.Font()->SetColor(clBtnShadow);
  }
  canvas.DrawText(caption, r, flags);
}
