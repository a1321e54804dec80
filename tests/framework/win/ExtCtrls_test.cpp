#include "framework/win/ExtCtrls.h"

#include <gtest/gtest.h>

#include "framework/core/Filer.h"
#include "tests/framework/win/ExtTest.h"

namespace {

using exttest::CheckerAt;

// The part of a written form below the form's own properties (which depend on whether the form
// is showing).
AnsiString Children(const AnsiString& text) {
  return text.substr(text.find("\n  object "));
}

const char* const kForm = R"(object Form1: TForm
  Left = 40
  Top = 40
  BorderStyle = bsDialog
  Caption = 'Extra controls'
  ClientHeight = 200
  ClientWidth = 300
  object Checker1: TChecker
    Left = 0
    Top = 0
    Width = 300
    Height = 200
  end
  object Bevel1: TBevel
    Left = 20
    Top = 20
    Width = 40
    Height = 30
  end
  object Image1: TImage
    Left = 80
    Top = 20
    Width = 60
    Height = 40
  end
  object Panel1: TPanel
    Left = 160
    Top = 20
    Width = 80
    Height = 60
    BorderStyle = bsSingle
    TabOrder = 0
    object Bevel2: TBevel
      Left = 5
      Top = 5
      Width = 20
      Height = 20
    end
    object Panel2: TPanel
      Left = 40
      Top = 5
      Width = 30
      Height = 20
      TabOrder = 1
    end
    object Panel3: TPanel
      Left = 40
      Top = 30
      Width = 30
      Height = 20
      TabOrder = 0
    end
  end
end
)";

class ExtCtrlsTest : public exttest::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    Show(kForm);
  }
  COLORREF Shadow() const { return GetSysColor(COLOR_BTNSHADOW); }
  COLORREF Highlight() const { return GetSysColor(COLOR_BTNHIGHLIGHT); }
  COLORREF Face() const { return GetSysColor(COLOR_BTNFACE); }
};

// A 20 x 10 picture: white (its bottom-left colour, so see-through) around a black block.
void LogoBitmap(TBitmap& bitmap) {
  exttest::Paint(bitmap, 20, 10, [](int x, int y) {
    return x >= 5 && x < 15 && y >= 3 && y < 7 ? RGB(0, 0, 0) : RGB(255, 255, 255);
  });
}

enum class Expect { Shadow, Highlight, Background };

struct BevelCase {
  TBevelShape Shape;
  TBevelStyle Style;
  int X, Y;
  Expect Color;
  const char* What;
};

TEST_F(ExtCtrlsTest, BevelShapesDrawTheirEdgesAndLeaveTheRestSeeThrough) {
  using enum TBevelShape;
  using enum TBevelStyle;
  const BevelCase cases[] = {
      {bsBox, bsLowered, 0, 0, Expect::Shadow, "lowered box: grey top-left"},
      {bsBox, bsLowered, 39, 29, Expect::Highlight, "lowered box: white bottom-right"},
      {bsBox, bsLowered, 39, 0, Expect::Highlight, "top-right corner belongs to bottom-right"},
      {bsBox, bsLowered, 20, 15, Expect::Background, "box middle"},
      {bsBox, bsRaised, 0, 0, Expect::Highlight, "raised box: white top-left"},
      {bsBox, bsRaised, 39, 29, Expect::Shadow, "raised box: grey bottom-right"},
      {bsFrame, bsLowered, 0, 0, Expect::Shadow, "etched frame: outer line grey"},
      {bsFrame, bsLowered, 1, 1, Expect::Highlight, "etched frame: inner line white"},
      {bsFrame, bsLowered, 38, 28, Expect::Shadow, "etched frame: inner bottom-right grey"},
      {bsFrame, bsLowered, 39, 29, Expect::Highlight, "etched frame: outer bottom-right white"},
      {bsFrame, bsRaised, 0, 0, Expect::Highlight, "embossed frame: outer line white"},
      {bsFrame, bsLowered, 20, 15, Expect::Background, "frame middle"},
      {bsTopLine, bsLowered, 20, 0, Expect::Shadow, "top line"},
      {bsTopLine, bsLowered, 20, 1, Expect::Highlight, "top line's light half"},
      {bsTopLine, bsLowered, 20, 2, Expect::Background, "below the top line"},
      {bsTopLine, bsLowered, 39, 29, Expect::Background, "top line draws no box"},
      {bsBottomLine, bsLowered, 20, 28, Expect::Shadow, "bottom line"},
      {bsBottomLine, bsLowered, 20, 29, Expect::Highlight, "bottom line's light half"},
      {bsBottomLine, bsLowered, 20, 0, Expect::Background, "bottom line draws no top"},
      {bsLeftLine, bsRaised, 0, 15, Expect::Highlight, "raised left line"},
      {bsLeftLine, bsRaised, 1, 15, Expect::Shadow, "raised left line's dark half"},
      {bsLeftLine, bsRaised, 2, 15, Expect::Background, "right of the left line"},
      {bsRightLine, bsLowered, 38, 15, Expect::Shadow, "right line"},
      {bsRightLine, bsLowered, 39, 15, Expect::Highlight, "right line's light half"},
      {bsSpacer, bsLowered, 0, 0, Expect::Background, "a spacer draws nothing"},
  };
  auto* bevel = Find<TBevel>("Bevel1");
  for (const BevelCase& c : cases) {
    bevel->SetShape(c.Shape);
    bevel->SetStyle(c.Style);
    const COLORREF expected = c.Color == Expect::Shadow      ? Shadow()
                              : c.Color == Expect::Highlight ? Highlight()
                                                             : CheckerAt(20 + c.X, 20 + c.Y);
    EXPECT_EQ(PixelOf(bevel, c.X, c.Y), expected) << c.What;
  }
}

TEST_F(ExtCtrlsTest, ImageTransparentShowsThePatternWhereTheBottomLeftColourIs) {
  auto* image = Find<TImage>("Image1");
  LogoBitmap(*image->Picture()->Bitmap());
  image->SetTransparent(true);
  for (const auto& [x, y] : {std::pair{1, 1}, {0, 9}, {19, 0}, {4, 5}}) {
    EXPECT_EQ(PixelOf(image, x, y), CheckerAt(80 + x, 20 + y))
        << "see-through at " << x << "," << y;
  }
  EXPECT_EQ(PixelOf(image, 10, 5), RGB(0, 0, 0)) << "the picture itself is drawn";
  // Outside the picture the image paints nothing.
  EXPECT_EQ(PixelOf(image, 30, 30), CheckerAt(110, 50));

  image->SetTransparent(false);
  EXPECT_EQ(PixelOf(image, 1, 1), RGB(255, 255, 255)) << "opaque again";
}

TEST_F(ExtCtrlsTest, TransparencySurvivesANewPicture) {
  auto* image = Find<TImage>("Image1");
  image->SetTransparent(true);
  TPicture picture;
  LogoBitmap(*picture.Bitmap());
  image->SetPicture(&picture);
  EXPECT_EQ(PixelOf(image, 1, 1), CheckerAt(81, 21));
  EXPECT_EQ(PixelOf(image, 10, 5), RGB(0, 0, 0));
}

TEST_F(ExtCtrlsTest, ImageAutoSizeFollowsThePicture) {
  auto* image = Find<TImage>("Image1");
  LogoBitmap(*image->Picture()->Bitmap());
  EXPECT_EQ(image->Width(), 60) << "no AutoSize: the size stays";
  image->SetAutoSize(true);
  EXPECT_EQ(image->Width(), 20);
  EXPECT_EQ(image->Height(), 10);
  image->Picture()->Bitmap()->SetSize(33, 17);
  EXPECT_EQ(image->Width(), 33);
  EXPECT_EQ(image->Height(), 17);
  EXPECT_EQ(image->Left(), 80) << "AutoSize keeps the position";
}

TEST_F(ExtCtrlsTest, ImageCentresAndStretches) {
  auto* image = Find<TImage>("Image1");
  LogoBitmap(*image->Picture()->Bitmap());
  image->SetCenter(true);
  // 60 x 40 around 20 x 10: the picture's top left is at (20, 15).
  EXPECT_EQ(PixelOf(image, 20 + 10, 15 + 5), RGB(0, 0, 0));
  EXPECT_EQ(PixelOf(image, 20, 15), RGB(255, 255, 255));
  EXPECT_EQ(PixelOf(image, 19, 14), CheckerAt(80 + 19, 20 + 14)) << "outside the centred picture";
  image->SetCenter(false);
  image->SetStretch(true);
  // Three times wider and four times taller: the black block covers 15..45 x 12..28.
  EXPECT_EQ(PixelOf(image, 16, 13), RGB(0, 0, 0));
  EXPECT_EQ(PixelOf(image, 59, 39), RGB(255, 255, 255));
  EXPECT_EQ(PixelOf(image, 10, 5), RGB(255, 255, 255));
}

TEST_F(ExtCtrlsTest, PictureIsStoredAsPictureDataAndReadsBackTheSame) {
  auto* image = Find<TImage>("Image1");
  LogoBitmap(*image->Picture()->Bitmap());
  image->SetAutoSize(true);
  image->SetTransparent(true);
  const AnsiString text = WriteComponentText(*form_);
  EXPECT_NE(text.find("Picture.Data = {"), AnsiString::npos);
  EXPECT_NE(text.find("Transparent = True"), AnsiString::npos);

  TForm copy(nullptr);
  copy.LoadFromText(text);
  auto* read = dynamic_cast<TImage*>(copy.FindComponent("Image1"));
  ASSERT_NE(read, nullptr);
  auto* bitmap = dynamic_cast<TBitmap*>(read->Picture()->Graphic());
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(read->Width(), 20);
  EXPECT_EQ(read->Height(), 10);
  EXPECT_EQ(bitmap->PixelAt(10, 5), RGB(0, 0, 0));
  EXPECT_EQ(bitmap->PixelAt(0, 9), RGB(255, 255, 255));
  EXPECT_TRUE(bitmap->Transparent()) << "the image's Transparent reaches the read picture";
  EXPECT_EQ(Children(WriteComponentText(copy)), Children(text));
}

TEST_F(ExtCtrlsTest, PanelHasASingleLineBorderOutsideItsRaisedBevel) {
  auto* panel = Find<TPanel>("Panel1");
  HWND window = panel->Handle();
  EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_BORDER);
  EXPECT_EQ(panel->ClientWidth(), 78);
  EXPECT_EQ(panel->ClientHeight(), 58);
  // The border, seen from the form: the same line colour all round.
  const COLORREF border = wintest::PixelAt(Window(), 160, 20);
  EXPECT_NE(border, Face());
  EXPECT_NE(border, Highlight());
  EXPECT_EQ(wintest::PixelAt(Window(), 160 + 79, 20 + 59), border);
  EXPECT_EQ(wintest::PixelAt(Window(), 160 + 40, 20), border);
  // Inside it, the default raised bevel and the button face.
  EXPECT_EQ(wintest::PixelAt(window, 0, 0), Highlight());
  EXPECT_EQ(wintest::PixelAt(window, 77, 57), Shadow());
  EXPECT_EQ(wintest::PixelAt(window, 30, 50), Face());

  panel->SetBevelOuter(TBevelCut::bvLowered);
  EXPECT_EQ(wintest::PixelAt(window, 0, 0), Shadow());
  panel->SetBevelOuter(TBevelCut::bvNone);
  EXPECT_EQ(wintest::PixelAt(window, 0, 0), Face());
}

TEST_F(ExtCtrlsTest, PanelWithoutBorderKeepsItsChildren) {
  auto* panel = Find<TPanel>("Panel1");
  auto* inner = Find<TPanel>("Panel2");
  panel->SetBorderStyle(TBorderStyle::bsNone);
  wintest::Pump();
  EXPECT_FALSE(GetWindowLongA(panel->Handle(), GWL_STYLE) & WS_BORDER);
  EXPECT_EQ(panel->ClientWidth(), 80);
  EXPECT_EQ(GetParent(inner->Handle()), panel->Handle());
  EXPECT_TRUE(IsWindowVisible(inner->Handle()));
}

TEST_F(ExtCtrlsTest, PanelChildrenArePlacedInsideItInTabOrder) {
  auto* panel = Find<TPanel>("Panel1");
  auto* bevel = Find<TBevel>("Bevel2");
  auto* second = Find<TPanel>("Panel2");
  auto* first = Find<TPanel>("Panel3");
  EXPECT_EQ(bevel->Parent(), panel);
  // The windowless bevel is painted on the panel's own canvas, in panel coordinates.
  EXPECT_EQ(wintest::PixelAt(panel->Handle(), 5, 5), Shadow());
  EXPECT_EQ(wintest::PixelAt(panel->Handle(), 24, 24), Highlight());
  EXPECT_EQ(GetParent(second->Handle()), panel->Handle());
  RECT r;
  GetWindowRect(second->Handle(), &r);
  POINT at{r.left, r.top};
  ScreenToClient(panel->Handle(), &at);
  EXPECT_EQ(at.x, 40);
  EXPECT_EQ(at.y, 5);
  EXPECT_EQ(first->TabOrder(), 0);
  EXPECT_EQ(second->TabOrder(), 1);
  EXPECT_EQ(panel->TabOrder(), 0);
  // The windows follow the tab order, first on top: read in the other order, and moved.
  EXPECT_EQ(GetWindow(first->Handle(), GW_HWNDNEXT), second->Handle());
  second->SetTabOrder(0);
  EXPECT_EQ(GetWindow(second->Handle(), GW_HWNDNEXT), first->Handle());
  second->SetTabOrder(5);
  EXPECT_EQ(second->TabOrder(), 1);
  EXPECT_EQ(GetWindow(first->Handle(), GW_HWNDNEXT), second->Handle());
}

TEST_F(ExtCtrlsTest, WhatChangesWhileTheFormIsHiddenIsDrawnNewWhenItShows) {
  // Hidden windows are not invalidated; showing them must paint them whole.
  auto* panel = Find<TPanel>("Panel1");
  auto* bevel = Find<TBevel>("Bevel2");
  form_->Hide();
  wintest::Pump();
  panel->SetColor(clRed);
  bevel->SetShape(TBevelShape::bsSpacer);
  form_->Show();
  wintest::Pump();
  EXPECT_EQ(wintest::PixelAt(panel->Handle(), 10, 40), RGB(255, 0, 0)) << "windowed";
  EXPECT_EQ(PixelOf(bevel, 0, 0), RGB(255, 0, 0)) << "windowless: its edge is gone";
}

TEST_F(ExtCtrlsTest, PanelCaptionIsDrawnCentred) {
  auto* panel = Find<TPanel>("Panel1");
  panel->SetBevelOuter(TBevelCut::bvNone);
  panel->SetCaption("WWW");
  // Panel2 and Panel3 cover the right half; the caption is centred in the client.
  Find<TPanel>("Panel2")->Hide();
  Find<TPanel>("Panel3")->Hide();
  wintest::Pump();
  int dark = 0;
  for (int y = 20; y < 40; ++y) {
    for (int x = 20; x < 60; ++x) {
      if (wintest::PixelAt(panel->Handle(), x, y) == GetSysColor(COLOR_WINDOWTEXT)) ++dark;
    }
  }
  EXPECT_GT(dark, 10) << "caption pixels in the panel's middle";
  EXPECT_EQ(wintest::PixelAt(panel->Handle(), 3, 3), Face()) << "nothing near the edge";
}

TEST_F(ExtCtrlsTest, PanelIsButtonFaceOfItsOwnUnlessItTakesItsParentsColour) {
  auto* panel = Find<TPanel>("Panel1");
  EXPECT_FALSE(panel->ParentColor());
  EXPECT_EQ(panel->Color(), clBtnFace);
  const AnsiString text = Children(WriteComponentText(*form_));
  EXPECT_EQ(text.find("ParentColor"), AnsiString::npos) << "defaults are not stored";
  EXPECT_EQ(text.find("Color"), AnsiString::npos);
  EXPECT_EQ(text.find("Caption"), AnsiString::npos);

  TForm other(nullptr);
  other.LoadFromText(R"(object Form2: TForm
  Color = clWhite
  object Panel1: TPanel
    ParentColor = True
  end
end
)");
  auto* follower = dynamic_cast<TPanel*>(other.FindComponent("Panel1"));
  ASSERT_NE(follower, nullptr);
  EXPECT_EQ(follower->Color(), clWhite);
  other.SetColor(clYellow);
  EXPECT_EQ(follower->Color(), clYellow);
}

TEST_F(ExtCtrlsTest, BevelAndPanelPropertiesRoundTripThroughTheFormText) {
  auto* bevel = Find<TBevel>("Bevel1");
  bevel->SetShape(TBevelShape::bsFrame);
  bevel->SetStyle(TBevelStyle::bsRaised);
  auto* panel = Find<TPanel>("Panel1");
  panel->SetBevelInner(TBevelCut::bvLowered);
  panel->SetBevelWidth(2);
  panel->SetBorderWidth(3);
  const AnsiString text = WriteComponentText(*form_);
  for (const char* line : {"Shape = bsFrame", "Style = bsRaised", "BevelInner = bvLowered",
                           "BevelWidth = 2", "BorderWidth = 3", "BorderStyle = bsSingle"}) {
    EXPECT_NE(text.find(line), AnsiString::npos) << line;
  }
  TForm copy(nullptr);
  copy.LoadFromText(text);
  EXPECT_EQ(Children(WriteComponentText(copy)), Children(text));
}

}  // namespace

namespace {

// Not a test: a form with every control of this unit for a screenshot. Run it with
// --gtest_also_run_disabled_tests --gtest_filter=*Gallery; it stays up for
// WAKORA_GALLERY_SECONDS (20 by default) while the messages are pumped.
TEST_F(ExtCtrlsTest, DISABLED_Gallery) {
  delete form_;
  Show(R"(object Form1: TForm
  Left = 40
  Top = 40
  BorderStyle = bsDialog
  Caption = 'Gallery'
  ClientHeight = 150
  ClientWidth = 392
  object Checker1: TChecker
    Left = 0
    Top = 0
    Width = 392
    Height = 150
  end
  object Bevel3: TBevel
    Left = 137
    Top = 96
    Width = 127
    Height = 33
    Style = bsRaised
  end
  object Image1: TImage
    Left = 35
    Top = 6
    Width = 105
    Height = 105
    AutoSize = True
    Transparent = True
  end
  object SpeedButton1: TSpeedButton
    Left = 139
    Top = 97
    Width = 124
    Height = 31
    Caption = 'Start'
    Flat = True
    Font.Color = clBlue
    Font.Height = -13
    Font.Style = [fsUnderline]
    NumGlyphs = 2
  end
  object Bevel1: TBevel
    Left = 26
    Top = 40
    Width = 186
    Height = 51
  end
  object Panel1: TPanel
    Left = 335
    Top = 4
    Width = 43
    Height = 41
    BorderStyle = bsSingle
    TabOrder = 0
  end
  object DateTimePicker1: TDateTimePicker
    Left = 48
    Top = 55
    Width = 73
    Height = 21
    Kind = dtkTime
    TabOrder = 1
  end
end
)");
  exttest::Paint(*Find<TSpeedButton>("SpeedButton1")->Glyph(), 32, 16, [](int x, int y) {
    const int column = x % 16;
    const bool inside = column >= 3 && column < 13 && y >= 3 && y < 13;
    if (!inside) return RGB(0, 128, 128);
    return x < 16 ? RGB(0, 0, 200) : RGB(128, 128, 128);
  });
  exttest::Paint(*Find<TImage>("Image1")->Picture()->Bitmap(), 100, 30, [](int x, int y) {
    const int dx = x - 50, dy = y - 15;
    if (dx * dx / 4 + dy * dy > 150) return RGB(255, 255, 255);
    return (x / 4) % 2 ? RGB(220, 40, 40) : RGB(250, 200, 0);
  });
  Find<TDateTimePicker>("DateTimePicker1")->SetTime(EncodeTime(10, 1, 50, 0));
  const char* seconds = getenv("WAKORA_GALLERY_SECONDS");
  const DWORD until = GetTickCount() + 1000u * (seconds ? atoi(seconds) : 20);
  while (GetTickCount() < until) {
    wintest::Pump();
    Sleep(50);
  }
}

}  // namespace
