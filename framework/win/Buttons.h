// The speed button: a windowless push button with a caption and a glyph, drawn on its
// parent's canvas.
//
// The glyph bitmap holds NumGlyphs images of equal width side by side: up, disabled, pressed
// and latched down, in that order; a state without an image of its own uses the up image, and a
// disabled button without one shows an embossed copy of it. The colour of the glyph's
// bottom-left pixel is see-through. The button owns its glyph; setting one copies it in.
//
// Mouse: a left press draws the button down and captures the mouse; while captured, the look
// follows the mouse (off the button: up, back on: down); the release fires the click only
// over the button. A flat button draws no frame until the mouse is over it.
#pragma once

#include <memory>

#include "framework/core/Layout.h"
#include "framework/win/WinControls.h"

enum class TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
const TEnumInfo& EnumInfoOf(TButtonLayout);

class TSpeedButton : public TGraphicControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TSpeedButton(TComponent* owner);
  ~TSpeedButton() override;

  // Owned; never replaced. Setting a glyph copies it.
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(const TBitmap* glyph);
  // Images in the glyph, 1 to 4; other values are brought into that range.
  int NumGlyphs() const { return num_glyphs_; }
  void SetNumGlyphs(int count);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  // From the glyph's edge to the glyph; -1 centres glyph and caption as a group.
  int Margin() const { return margin_; }
  void SetMargin(int margin);
  // Between glyph and caption; -1 spreads the free space evenly.
  int Spacing() const { return spacing_; }
  void SetSpacing(int spacing);
  bool Flat() const { return flat_; }
  void SetFlat(bool flat);

  // Buttons of one parent that share a GroupIndex other than 0 latch down in turn: at most
  // one of them is Down; with AllowAllUp a click on the down one raises it.
  int GroupIndex() const { return group_index_; }
  void SetGroupIndex(int index);
  bool Down() const { return down_; }
  void SetDown(bool down);
  bool AllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool allow);

  // Drawn down at this moment: pressed under the mouse, or latched.
  bool IsDown() const {
    return FState == TButtonState::bsDown || FState == TButtonState::bsExclusive;
  }
  // The mouse is over the button (a flat button shows its frame).
  bool MouseInControl() const { return mouse_inside_; }
  // Where glyph and caption are drawn in the current state.
  TButtonContentLayout ContentLayout();

  TAccessibleRole AccessibleRole() const override { return TAccessibleRole::arPushButton; }
  bool AccessiblePress() override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void CMMouseEnter(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;
  // Alt and the caption's accelerator press the button.
  void CMDialogChar(TMessage& message) override;
  void EnabledChanged() override;

  // The look: up, pressed under the mouse (bsDown) or latched (bsExclusive).
  TButtonState FState = TButtonState::bsUp;

 private:
  void GlyphChanged(TObject*);
  void PaintFrame(TCanvas& canvas, RECT& rect);
  void PaintGlyph(TCanvas& canvas, const RECT& at);
  void PaintCaption(TCanvas& canvas, const RECT& at);
  void ReleaseOthersInGroup();
  int GlyphWidth() const;
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }

  std::unique_ptr<TBitmap> glyph_;
  int num_glyphs_ = 1;
  TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
  bool flat_ = false;
  int group_index_ = 0;
  bool down_ = false;
  bool allow_all_up_ = false;
  bool dragging_ = false;  // a left press on us that has not been released
};
