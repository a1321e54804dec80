// Extra controls: the bevel (a 3-D frame or line), the image (a picture on the parent's
// canvas) and the panel (a windowed container with bevels and an optional single-line border).
//
// Bevel and image are windowless: they paint on their parent's canvas, in their own client
// coordinates, and whatever they leave unpainted shows the parent (or earlier windowless
// siblings) through. The image owns its picture; setting one copies it in.
#pragma once

#include <memory>

#include "framework/win/WinControls.h"

enum class TBevelShape {
  bsBox,
  bsFrame,
  bsTopLine,
  bsBottomLine,
  bsLeftLine,
  bsRightLine,
  bsSpacer
};
enum class TBevelStyle { bsLowered, bsRaised };
const TEnumInfo& EnumInfoOf(TBevelShape);
const TEnumInfo& EnumInfoOf(TBevelStyle);

class TBevel : public TGraphicControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TBevel(TComponent* owner);

  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape shape);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle style);

 protected:
  void Paint() override;

 private:
  TBevelShape shape_ = TBevelShape::bsBox;
  TBevelStyle style_ = TBevelStyle::bsLowered;
};

class TImage : public TGraphicControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;

  // Owned; never replaced. Setting a picture copies it.
  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(const TPicture* picture) { picture_->Assign(picture); }
  // The control's size follows the picture's.
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool auto_size);
  // A bitmap's pixels of the colour of its bottom-left pixel are see-through.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  bool Center() const { return center_; }
  void SetCenter(bool center);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);
  bool Proportional() const { return proportional_; }
  void SetProportional(bool proportional);
  // Where the picture is drawn, in client coordinates.
  RECT DestRect() const;

 protected:
  void Paint() override;

 private:
  void PictureChanged(TObject*);
  void ApplyTransparent();
  void ApplyAutoSize();

  std::unique_ptr<TPicture> picture_;
  bool auto_size_ = false;
  bool transparent_ = false;
  bool center_ = false;
  bool stretch_ = false;
  bool proportional_ = false;
};

// How a panel's bevel is cut: not at all, into the panel, or out of it.
enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
const TEnumInfo& EnumInfoOf(TBevelCut);

class TPanel : public TCustomControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TPanel(TComponent* owner);

  TBevelCut BevelInner() const { return bevel_inner_; }
  void SetBevelInner(TBevelCut cut);
  TBevelCut BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TBevelCut cut);
  int BevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int width);
  // Space between the outer and the inner bevel, in the panel's colour.
  int BorderWidth() const { return border_width_; }
  void SetBorderWidth(int width);
  // bsSingle: a one-pixel window border (WS_BORDER) around everything else.
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle style);
  // The client area inside the bevels and the border width.
  RECT InnerRect() const;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;

 private:
  // Total width of bevels and border on each side.
  int FrameWidth() const;

  TBevelCut bevel_inner_ = TBevelCut::bvNone;
  TBevelCut bevel_outer_ = TBevelCut::bvRaised;
  int bevel_width_ = 1;
  int border_width_ = 0;
  TBorderStyle border_style_ = TBorderStyle::bsNone;
};
