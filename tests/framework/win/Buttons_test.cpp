#include "framework/win/Buttons.h"

#include <gtest/gtest.h>

#include "framework/core/Filer.h"
#include "tests/framework/win/ExtTest.h"

namespace {

using exttest::CheckerAt;

const char* const kForm = R"(object Form1: TForm
  Left = 40
  Top = 40
  BorderStyle = bsDialog
  Caption = 'Speed buttons'
  ClientHeight = 120
  ClientWidth = 300
  object Checker1: TChecker
    Left = 0
    Top = 0
    Width = 300
    Height = 120
  end
  object SpeedButton1: TSpeedButton
    Left = 20
    Top = 20
    Width = 100
    Height = 30
  end
  object SpeedButton2: TSpeedButton
    Left = 140
    Top = 20
    Width = 100
    Height = 30
    Flat = True
  end
  object SpeedButton3: TSpeedButton
    Left = 20
    Top = 70
    Width = 40
    Height = 30
    GroupIndex = 1
  end
  object SpeedButton4: TSpeedButton
    Left = 80
    Top = 70
    Width = 40
    Height = 30
    GroupIndex = 1
  end
end
)";

constexpr COLORREF kSeeThrough = RGB(0, 128, 128);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kOrange = RGB(255, 128, 0);

// Two 16 x 16 images side by side: see-through around an 8 x 8 block, blue (up) and orange
// (disabled).
void TwoImageGlyph(TBitmap& bitmap) {
  exttest::Paint(bitmap, 32, 16, [](int x, int y) {
    const int column = x % 16;
    if (column < 4 || column >= 12 || y < 4 || y >= 12) return kSeeThrough;
    return x < 16 ? kBlue : kOrange;
  });
}

class SpeedButtonTest : public exttest::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    Show(kForm);
    button_ = Find<TSpeedButton>("SpeedButton1");
    flat_ = Find<TSpeedButton>("SpeedButton2");
    for (TSpeedButton* b : {button_, flat_}) {
      b->OnClick = [this](TObject* sender) { clicks_.push_back(sender); };
    }
  }
  // Mouse messages as the system sends them to the form, at points of `button`.
  void Mouse(TSpeedButton* button, UINT msg, int x, int y, WPARAM keys = 0) {
    wintest::PostMouse(Window(), msg, button->Left() + x, button->Top() + y, keys);
    wintest::Pump();
  }
  void Press(TSpeedButton* b, int x, int y) { Mouse(b, WM_LBUTTONDOWN, x, y, MK_LBUTTON); }
  void Release(TSpeedButton* b, int x, int y) { Mouse(b, WM_LBUTTONUP, x, y); }
  void MoveHeld(TSpeedButton* b, int x, int y) { Mouse(b, WM_MOUSEMOVE, x, y, MK_LBUTTON); }
  void Click(TSpeedButton* b) {
    Press(b, 5, 5);
    Release(b, 5, 5);
  }
  COLORREF Background(TSpeedButton* b, int x, int y) const {
    return CheckerAt(b->Left() + x, b->Top() + y);
  }

  TSpeedButton* button_ = nullptr;
  TSpeedButton* flat_ = nullptr;
  std::vector<TObject*> clicks_;
};

struct MouseStep {
  UINT Msg;
  int X, Y;
};

struct ClickCase {
  const char* What;
  std::vector<MouseStep> Steps;
  size_t Clicks;
};

TEST_F(SpeedButtonTest, ClickFiresOnReleaseOverTheButtonOnly) {
  const ClickCase cases[] = {
      {"press and release inside", {{WM_LBUTTONDOWN, 50, 15}, {WM_LBUTTONUP, 50, 15}}, 1},
      {"released beside it", {{WM_LBUTTONDOWN, 50, 15}, {WM_LBUTTONUP, 150, 15}}, 0},
      {"released just past the right edge", {{WM_LBUTTONDOWN, 50, 15}, {WM_LBUTTONUP, 100, 15}}, 0},
      {"released on the last column", {{WM_LBUTTONDOWN, 50, 15}, {WM_LBUTTONUP, 99, 29}}, 1},
      {"moved off and back before the release",
       {{WM_LBUTTONDOWN, 50, 15},
        {WM_MOUSEMOVE, 50, 60},
        {WM_MOUSEMOVE, 50, 16},
        {WM_LBUTTONUP, 50, 16}},
       1},
      {"moved off and released off",
       {{WM_LBUTTONDOWN, 50, 15}, {WM_MOUSEMOVE, 50, 60}, {WM_LBUTTONUP, 50, 60}},
       0},
      {"pressed beside it, released on it", {{WM_LBUTTONDOWN, -10, 15}, {WM_LBUTTONUP, 50, 15}}, 0},
      {"right button", {{WM_RBUTTONDOWN, 50, 15}, {WM_RBUTTONUP, 50, 15}}, 0},
  };
  for (const ClickCase& c : cases) {
    clicks_.clear();
    for (const MouseStep& step : c.Steps) {
      const WPARAM keys = step.Msg == WM_LBUTTONDOWN || step.Msg == WM_MOUSEMOVE ? MK_LBUTTON
                          : step.Msg == WM_RBUTTONDOWN                           ? MK_RBUTTON
                                                                                 : 0;
      Mouse(button_, step.Msg, step.X, step.Y, keys);
    }
    EXPECT_EQ(clicks_.size(), c.Clicks) << c.What;
    EXPECT_FALSE(button_->IsDown()) << c.What << ": the button is left up";
    EXPECT_FALSE(button_->MouseCapture()) << c.What << ": the capture is let go";
  }
}

TEST_F(SpeedButtonTest, PressedLookFollowsTheMouseWhileHeld) {
  const COLORREF up_corner = GetSysColor(COLOR_3DLIGHT);
  const COLORREF down_corner = GetSysColor(COLOR_BTNSHADOW);
  ASSERT_NE(up_corner, down_corner);
  EXPECT_EQ(PixelOf(button_, 0, 0), up_corner);
  EXPECT_EQ(PixelOf(button_, 50, 15), GetSysColor(COLOR_BTNFACE))
      << "a raised button fills its face";

  Press(button_, 50, 15);
  EXPECT_TRUE(button_->IsDown());
  EXPECT_TRUE(button_->MouseCapture());
  EXPECT_EQ(PixelOf(button_, 0, 0), down_corner);

  MoveHeld(button_, 50, 60);
  EXPECT_FALSE(button_->IsDown()) << "drawn up while the mouse is off it";
  EXPECT_TRUE(button_->MouseCapture()) << "but still holding the mouse";
  EXPECT_EQ(PixelOf(button_, 0, 0), up_corner);

  MoveHeld(button_, 50, 15);
  EXPECT_TRUE(button_->IsDown()) << "drawn down again when back on it";
  EXPECT_EQ(PixelOf(button_, 0, 0), down_corner);

  Release(button_, 50, 15);
  EXPECT_FALSE(button_->IsDown());
  EXPECT_FALSE(button_->MouseCapture());
  EXPECT_EQ(PixelOf(button_, 0, 0), up_corner);
  EXPECT_EQ(clicks_.size(), 1u);
}

TEST_F(SpeedButtonTest, FlatButtonShowsAFrameOnlyWhileTheMouseIsOverIt) {
  EXPECT_EQ(PixelOf(flat_, 0, 0), Background(flat_, 0, 0)) << "no frame, the pattern shows";
  EXPECT_EQ(PixelOf(flat_, 50, 15), Background(flat_, 50, 15)) << "no face either";

  Mouse(flat_, WM_MOUSEMOVE, 50, 15);
  EXPECT_TRUE(flat_->MouseInControl());
  EXPECT_EQ(PixelOf(flat_, 0, 0), GetSysColor(COLOR_BTNHIGHLIGHT)) << "raised frame on hover";
  EXPECT_EQ(PixelOf(flat_, 99, 29), GetSysColor(COLOR_BTNSHADOW));

  Press(flat_, 50, 15);
  EXPECT_EQ(PixelOf(flat_, 0, 0), GetSysColor(COLOR_BTNSHADOW)) << "sunken while pressed";
  Release(flat_, 50, 15);
  EXPECT_EQ(PixelOf(flat_, 0, 0), GetSysColor(COLOR_BTNHIGHLIGHT)) << "raised again, still hovered";

  Mouse(flat_, WM_MOUSEMOVE, 150, 15);  // over the pattern beside it
  EXPECT_FALSE(flat_->MouseInControl());
  EXPECT_EQ(PixelOf(flat_, 0, 0), Background(flat_, 0, 0)) << "frame gone when the mouse left";
  EXPECT_EQ(clicks_.size(), 1u);
}

TEST_F(SpeedButtonTest, GlyphIsCentredAndItsBottomLeftColourIsSeeThrough) {
  for (TSpeedButton* b : {button_, flat_}) {
    TwoImageGlyph(*b->Glyph());
    b->SetNumGlyphs(2);
    const TLayoutRect glyph = b->ContentLayout().Glyph;
    EXPECT_EQ(glyph, (TLayoutRect{42, 7, 58, 23})) << "a 16 x 16 image centred in 100 x 30";
    EXPECT_EQ(PixelOf(b, 50, 15), kBlue) << "the up image";
    const COLORREF behind = b == flat_ ? Background(b, 43, 8) : GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(PixelOf(b, 43, 8), behind)
        << (b == flat_ ? "flat" : "raised") << ": the see-through colour is not drawn";
    EXPECT_EQ(PixelOf(b, 57, 22), b == flat_ ? Background(b, 57, 22) : behind);
  }
}

TEST_F(SpeedButtonTest, PressedButtonMovesItsGlyphByOnePixel) {
  TwoImageGlyph(*button_->Glyph());
  button_->SetNumGlyphs(2);
  // The block covers 46..53 x 11..18 when up.
  EXPECT_EQ(PixelOf(button_, 46, 11), kBlue);
  EXPECT_EQ(PixelOf(button_, 54, 19), GetSysColor(COLOR_BTNFACE));
  Press(button_, 50, 15);
  EXPECT_EQ(PixelOf(button_, 46, 11), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(PixelOf(button_, 54, 19), kBlue);
  Release(button_, 50, 15);
}

TEST_F(SpeedButtonTest, DisabledButtonShowsItsSecondImageOrAnEmbossedFirst) {
  TwoImageGlyph(*button_->Glyph());
  button_->SetNumGlyphs(2);
  button_->SetEnabled(false);
  EXPECT_EQ(PixelOf(button_, 50, 15), kOrange) << "the disabled image";

  // One image only: the block in shadow, its highlight one pixel below and right.
  TBitmap single;
  exttest::Paint(single, 16, 16, [](int x, int y) {
    return x >= 4 && x < 12 && y >= 4 && y < 12 ? kBlue : kSeeThrough;
  });
  button_->SetGlyph(&single);
  button_->SetNumGlyphs(1);
  EXPECT_EQ(PixelOf(button_, 50, 15), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(PixelOf(button_, 53, 18), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(PixelOf(button_, 54, 19), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(PixelOf(button_, 45, 10), GetSysColor(COLOR_BTNFACE));

  Click(button_);
  EXPECT_TRUE(clicks_.empty()) << "a disabled button takes no clicks";
  EXPECT_FALSE(button_->IsDown());
}

TEST_F(SpeedButtonTest, CaptionHasItsOwnFontAndColour) {
  TwoImageGlyph(*button_->Glyph());
  button_->SetNumGlyphs(2);
  button_->SetCaption("Start");
  button_->Font()->SetColor(clRed);
  button_->Font()->SetHeight(-13);
  button_->Font()->SetStyle(fsUnderline);
  EXPECT_FALSE(button_->ParentFont()) << "a font of its own";
  wintest::Pump();
  const TButtonContentLayout layout = button_->ContentLayout();
  EXPECT_EQ(layout.Caption.Left, layout.Glyph.Right + 4) << "spacing 4 right of the glyph";
  EXPECT_LE(std::abs(layout.Glyph.Left - (100 - layout.Caption.Right)), 1)
      << "the group is centred";
  int red = 0, red_outside = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 100; ++x) {
      const bool in_caption = x >= layout.Caption.Left && x < layout.Caption.Right &&
                              y >= layout.Caption.Top && y < layout.Caption.Bottom;
      if (PixelOf(button_, x, y) == RGB(255, 0, 0)) ++(in_caption ? red : red_outside);
    }
  }
  EXPECT_GT(red, 20) << "the caption is drawn in red";
  EXPECT_EQ(red_outside, 0);
}

TEST_F(SpeedButtonTest, GroupButtonsLatchDownInTurn) {
  auto* left = Find<TSpeedButton>("SpeedButton3");
  auto* right = Find<TSpeedButton>("SpeedButton4");
  int clicks = 0;
  left->OnClick = right->OnClick = [&clicks](TObject*) { ++clicks; };

  Click(left);
  EXPECT_TRUE(left->Down());
  EXPECT_TRUE(left->IsDown()) << "drawn down while latched";
  Click(right);
  EXPECT_TRUE(right->Down());
  EXPECT_FALSE(left->Down()) << "one of a group at a time";
  Click(right);
  EXPECT_TRUE(right->Down()) << "without AllowAllUp one stays down";
  EXPECT_EQ(clicks, 3);

  right->SetAllowAllUp(true);
  EXPECT_TRUE(left->AllowAllUp()) << "the whole group shares AllowAllUp";
  Click(right);
  EXPECT_FALSE(right->Down());

  left->SetDown(true);
  EXPECT_TRUE(left->Down());
  EXPECT_EQ(clicks, 4) << "setting Down from code fires no click";
  button_->SetDown(true);
  EXPECT_FALSE(button_->Down()) << "a button outside any group cannot latch";
}

TEST_F(SpeedButtonTest, DoubleClickCountsTwoClicks) {
  int double_clicks = 0;
  button_->OnDblClick = [&double_clicks](TObject*) { ++double_clicks; };
  Press(button_, 50, 15);
  Release(button_, 50, 15);
  Mouse(button_, WM_LBUTTONDBLCLK, 50, 15, MK_LBUTTON);
  EXPECT_TRUE(button_->IsDown()) << "the second press draws it down too";
  Release(button_, 50, 15);
  EXPECT_EQ(clicks_.size(), 2u);
  EXPECT_EQ(double_clicks, 1);
}

TEST_F(SpeedButtonTest, ExceptionInTheClickHandlerLeavesTheButtonUp) {
  wintest::ExceptionRecorder recorder;
  button_->OnClick = [](TObject*) { throw EConvertError("start failed"); };
  Press(button_, 50, 15);
  Release(button_, 50, 15);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0], "start failed");
  EXPECT_FALSE(button_->IsDown());
  EXPECT_FALSE(button_->MouseCapture());
  EXPECT_EQ(PixelOf(button_, 0, 0), GetSysColor(COLOR_3DLIGHT));
}

TEST_F(SpeedButtonTest, GlyphAndLooksRoundTripThroughTheFormText) {
  TwoImageGlyph(*flat_->Glyph());
  flat_->SetNumGlyphs(2);
  flat_->SetCaption("1");
  flat_->Font()->SetColor(clBlue);
  flat_->SetLayout(TButtonLayout::blGlyphTop);
  flat_->SetSpacing(2);
  const AnsiString text = WriteComponentText(*form_);
  for (const char* line :
       {"Glyph.Data = {", "NumGlyphs = 2", "Flat = True", "Caption = '1'", "Font.Color = clBlue",
        "ParentFont = False", "Layout = blGlyphTop", "Spacing = 2", "GroupIndex = 1"}) {
    EXPECT_NE(text.find(line), AnsiString::npos) << line;
  }
  TForm copy(nullptr);
  copy.LoadFromText(text);
  auto* read = dynamic_cast<TSpeedButton*>(copy.FindComponent("SpeedButton2"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->NumGlyphs(), 2);
  EXPECT_EQ(read->Glyph()->GetWidth(), 32);
  EXPECT_EQ(read->Glyph()->PixelAt(20, 8), kOrange);
  EXPECT_EQ(read->Font()->Color(), clBlue);
  EXPECT_EQ(read->Caption(), "1");
}

}  // namespace
