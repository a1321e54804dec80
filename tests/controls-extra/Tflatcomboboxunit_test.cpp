#include "controls-extra/Tflatcomboboxunit.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "controls-extra/Cdiroutl.h"
#include "framework/core/Filer.h"
#include "framework/win/ExtCtrls.h"
#include "framework/win/Platform.h"
#include "tests/controls-extra/LibraryTest.h"

namespace {

using enum TComboBoxStyle;

// A flat combo box on a coloured panel of a shown form.
class FlatComboTest : public GdiTest {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    GdiTest::SetUp();
    form_ = new TForm(Application);
    form_->SetBounds(60, 60, 320, 200);
    panel_ = new TPanel(form_);
    panel_->SetParent(form_);
    panel_->SetBounds(0, 0, 300, 160);
    panel_->SetColor(kPanelColor);
    second_ = new TFlatComboBox(form_);
    second_->SetParent(panel_);
    second_->SetBounds(10, 100, 120, 21);
    form_->Show();
    Renew(csDropDown);
  }
  void TearDown() override {
    delete form_;
    wintest::Pump();
    GdiTest::TearDown();
  }
  void Renew(TComboBoxStyle style) {
    delete combo_;
    combo_ = new TFlatComboBox(form_);
    combo_->SetStyle(style);
    combo_->SetParent(panel_);
    combo_->SetBounds(10, 10, 150, 21);
    wintest::Pump();
  }
  COLORREF Pixel(int x, int y) { return wintest::PixelAt(combo_->Handle(), x, y); }
  int ListHeight() {
    RECT list;
    GetWindowRect(combo_->ListHandle(), &list);
    return list.bottom - list.top;
  }

  static constexpr TColor kPanelColor = RGBColor(200, 220, 160);
  TForm* form_ = nullptr;
  TPanel* panel_ = nullptr;
  TFlatComboBox* combo_ = nullptr;
  TFlatComboBox* second_ = nullptr;  // somewhere else for the focus to go
};

TEST_F(FlatComboTest, DropDownListIsAsHighAsItsItemsUpToDropDownCount) {
  struct Case {
    TComboBoxStyle style;
    int items, drop_down_count, item_height;
    int height;
  };
  // A font whose cell is 16 high: 18 - 2 per item for the system's own items.
  const Case cases[] = {
      {csDropDownList, 20, 8, 0, 8 * 16 + 4},    {csDropDownList, 0, 8, 0, 10},
      {csDropDown, 3, 8, 0, 3 * 16 + 4},         {csDropDown, 5, 2, 0, 2 * 16 + 4},
      {csOwnerDrawFixed, 20, 4, 21, 4 * 21 + 4},
  };
  for (const Case& c : cases) {
    Renew(c.style);
    combo_->Font()->SetHeight(16);
    if (c.item_height) combo_->SetItemHeight(c.item_height);
    combo_->SetDropDownCount(c.drop_down_count);
    for (int i = 0; i < c.items; ++i) combo_->Items()->Add(Format("Item %d", i));
    combo_->SetDroppedDown(true);
    wintest::Pump();
    EXPECT_EQ(ListHeight(), c.height) << static_cast<int>(c.style) << " " << c.items;
    combo_->SetDroppedDown(false);
    wintest::Pump();
  }
}

TEST_F(FlatComboTest, BorderIsSolidWithTheFocusOnTheBoxOrItsEditAndWhileDroppedDown) {
  for (TComboBoxStyle style : {csDropDown, csDropDownList}) {
    Renew(style);
    EXPECT_FALSE(combo_->GetSolidBorder());
    combo_->SetFocus();
    wintest::Pump();
    EXPECT_EQ(GetFocus(), style == csDropDown ? combo_->EditHandle() : combo_->Handle());
    EXPECT_TRUE(combo_->GetSolidBorder()) << static_cast<int>(style);
    second_->SetFocus();
    wintest::Pump();
    EXPECT_FALSE(combo_->GetSolidBorder()) << static_cast<int>(style);
    combo_->SetDroppedDown(true);
    wintest::Pump();
    EXPECT_TRUE(combo_->GetSolidBorder()) << static_cast<int>(style);
    combo_->SetDroppedDown(false);
    wintest::Pump();
  }
}

TEST_F(FlatComboTest, PaintsAFlatBorderAndArrowEnabledDisabledAndDroppedDown) {
  const COLORREF background = RGB(240, 250, 200), border = RGB(0, 0, 160),
                 button = RGB(255, 255, 0), arrow = RGB(255, 0, 0);
  struct Case {
    bool enabled, dropped;
    COLORREF arrow_middle, arrow_shadow, below_left;
  };
  const Case cases[] = {
      {true, false, arrow, button, button},
      {true, true, arrow, button, arrow},  // pointing up: its base is at the bottom
      {false, false, RGB(128, 128, 128), RGB(255, 255, 255), button},
  };
  for (const Case& c : cases) {
    Renew(csDropDownList);
    combo_->SetColor(static_cast<TColor>(background));
    combo_->SetColors(0, static_cast<TColor>(arrow));
    combo_->SetColors(1, static_cast<TColor>(button));
    combo_->SetColors(2, static_cast<TColor>(border));
    combo_->SetEnabled(c.enabled);
    if (c.dropped) combo_->SetDroppedDown(true);
    wintest::Pump();
    RECT client;
    GetClientRect(combo_->Handle(), &client);
    const int w = client.right, h = client.bottom;
    const int row = static_cast<int>(&c - cases);
    // One line of the border colour, the system's 3-D edge under the control's colour.
    EXPECT_EQ(Pixel(0, h / 2), border) << row;
    EXPECT_EQ(Pixel(w / 3, 0), border) << row;
    EXPECT_EQ(Pixel(w / 3, h - 1), border) << row;
    EXPECT_EQ(Pixel(1, h / 2), background) << row;
    EXPECT_EQ(Pixel(w / 3, h - 2), background) << row;
    // The flat button: 13 pixels at the right edge, framed in the border colour.
    EXPECT_EQ(Pixel(w - 13, h / 2 + 4), border) << row;
    EXPECT_EQ(Pixel(w - 12, 2), button) << row;
    EXPECT_EQ(Pixel(w - 14, h / 2 + 4), background) << row;
    // The arrow: 5 pixels wide and 3 high, centred in the button.
    const int x = w - 13, y = h / 2 - 1;
    EXPECT_EQ(Pixel(x + 6, y + 1), c.arrow_middle) << row;
    EXPECT_EQ(Pixel(x + 7, y + 3), c.arrow_shadow) << row;
    EXPECT_EQ(Pixel(x + 4, y + 2), c.below_left) << row;
    if (c.dropped) combo_->SetDroppedDown(false);
  }
}

TEST_F(FlatComboTest, ADisabledBoxGreysItsTextInEveryStyle) {
  const COLORREF grey = GetSysColor(COLOR_GRAYTEXT), black = RGB(0, 0, 0);
  for (TComboBoxStyle style : {csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable, csSimple}) {
    Renew(style);
    if (style == csSimple) combo_->SetBounds(10, 10, 150, 80);
    combo_->Items()->SetText("Wake up\nSnooze");
    combo_->SetItemIndex(1);
    combo_->SetEnabled(false);
    wintest::Pump();
    // The text of the box itself, or of a simple box's list.
    const HWND text_window = style == csSimple ? combo_->ListHandle() : combo_->Handle();
    RECT area;
    GetClientRect(text_window, &area);
    int greys = 0, blacks = 0;
    for (int y = 2; y < area.bottom - 2; ++y) {
      for (int x = 2; x < area.right - 20; ++x) {
        const COLORREF pixel = wintest::PixelAt(text_window, x, y);
        greys += pixel == grey;
        blacks += pixel == black;
      }
    }
    EXPECT_GT(greys, 10) << static_cast<int>(style);
    EXPECT_EQ(blacks, 0) << static_cast<int>(style);
  }
}

TEST_F(FlatComboTest, SimpleBoxKeepsItsListInSightAndItsBorderClosed) {
  Renew(csSimple);
  combo_->SetBounds(10, 10, 150, 80);
  combo_->SetColors(2, clBlue);
  combo_->Items()->SetText("one\ntwo\nthree");
  combo_->SetLeft(12);  // a move alone: the system lays out nothing again
  wintest::Pump();
  RECT edit, list;
  GetWindowRect(combo_->EditHandle(), &edit);
  GetWindowRect(combo_->ListHandle(), &list);
  EXPECT_LE(edit.bottom, list.top) << "the edit covers the list";
  EXPECT_GT(list.bottom - list.top, 40);
  RECT client;
  GetClientRect(combo_->Handle(), &client);
  for (POINT at : {POINT{0, 5}, POINT{client.right - 1, 5}, POINT{client.right - 5, 0}}) {
    EXPECT_EQ(Pixel(at.x, at.y), RGB(0, 0, 255)) << at.x << "," << at.y;
  }
}

TEST_F(FlatComboTest, AdvancedColorsAreShadesOfTheParentsColour) {
  const TColor face = static_cast<TColor>(GetSysColor(COLOR_BTNFACE));
  auto shade = [](TColor base, int amount) {
    return AdvancedColorFromRGB(base, clNone, static_cast<uint8_t>(amount), TColorCalcType::darken);
  };
  combo_->SetUseAdvColors(true);
  EXPECT_EQ(combo_->GetColorBorder(), shade(kPanelColor, 50));
  EXPECT_EQ(combo_->GetColorArrowBackground(), shade(kPanelColor, 10));
  panel_->SetColor(clBtnFace);  // a system colour: its RGB value counts
  EXPECT_EQ(combo_->GetColorBorder(), shade(face, 50));
  combo_->SetAdvColors(0, 30);
  EXPECT_EQ(combo_->GetColorBorder(), shade(face, 30));
  combo_->SetAdvColors(1, 0);  // no amount: the colour stays
  EXPECT_EQ(combo_->GetColorArrowBackground(), shade(face, 10));

  TFlatComboBox orphan(nullptr);
  orphan.SetAdvColors(1, 250);
  EXPECT_EQ(orphan.GetAdvColorArrowBackground(), 100);
  orphan.SetUseAdvColors(true);
  EXPECT_EQ(orphan.GetColorBorder(), shade(face, 50));
  EXPECT_EQ(orphan.GetColorArrowBackground(), shade(face, 100));
}

TEST_F(FlatComboTest, FormDescriptionStoresOnlyWhatDiffersFromTheDefaults) {
  combo_->SetName("Plain");
  second_->SetName("Derived");
  second_->SetUseAdvColors(true);
  second_->SetDragMode(TDragMode::dmAutomatic);
  const AnsiString written = WriteComponentText(*form_);
  const size_t plain = written.find("Plain: TFlatComboBox"), derived = written.find("Derived:");
  ASSERT_TRUE(plain != AnsiString::npos && derived != AnsiString::npos) << written;
  const AnsiString plain_text = written.substr(plain, written.find("end", plain) - plain);
  EXPECT_EQ(plain_text.find("Color"), AnsiString::npos) << plain_text;
  EXPECT_EQ(plain_text.find("ItemHeight"), AnsiString::npos) << plain_text;
  for (const char* line : {"UseAdvColors = True", "DragMode = dmAutomatic"}) {
    EXPECT_NE(written.find(line, derived), AnsiString::npos) << line << "\n" << written;
  }
}

TEST_F(FlatComboTest, ParentImageIsWhatTheParentShowsUnderTheControl) {
  TBitmap surface;
  Fill(surface, second_->Width(), second_->Height(), RGB(1, 2, 3));
  TFlatComboBox orphan(nullptr);
  DrawParentImage(&orphan, surface.Canvas());
  EXPECT_EQ(surface.PixelAt(0, 0), RGB(1, 2, 3));
  // The panel's bevel is at its edges; under the control it is plain panel.
  DrawParentImage(second_, surface.Canvas());
  EXPECT_EQ(surface.PixelAt(0, 0), static_cast<COLORREF>(kPanelColor));
  EXPECT_EQ(surface.PixelAt(second_->Width() - 1, second_->Height() - 1),
            static_cast<COLORREF>(kPanelColor));
}

// The mask colour is the glyph's background: the glyph comes out engraved (dark, with a light
// edge below and to the right), not a dark block with a hole in the glyph's shape.
TEST_F(FlatComboTest, DisabledBitmapEngravesTheGlyph) {
  // '#' the glyph, 'n' a colour near the mask colour (glyph too), '.' the mask colour;
  // D dark, L light, '.' the fill.
  const char* glyph[] = {"#...", ".#..", "...n"};
  const char* with_light[] = {"D...", ".D..", "..LD"};
  const char* without_light[] = {"D...", ".D..", "...D"};
  TBitmap image;
  Fill(image, 4, 3, RGB(0, 0, 128));
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      if (glyph[y][x] == '#') image.Canvas()->SetPixel(x, y, clBlack);
      if (glyph[y][x] == 'n') image.Canvas()->SetPixel(x, y, RGBColor(0, 0, 129));
    }
  }
  const COLORREF fill = RGB(0, 128, 0), light = RGB(255, 255, 0), dark = RGB(128, 0, 0);
  for (bool lit : {true, false}) {
    std::unique_ptr<TBitmap> result =
        CreateDisabledBitmap(&image, clNavy, static_cast<TColor>(fill), static_cast<TColor>(light),
                             static_cast<TColor>(dark), lit);
    ASSERT_EQ(result->GetWidth(), 4);
    ASSERT_EQ(result->GetHeight(), 3);
    const char** expected = lit ? with_light : without_light;
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) {
        const char want = expected[y][x];
        const COLORREF color = want == 'D' ? dark : want == 'L' ? light : fill;
        EXPECT_EQ(result->PixelAt(x, y), color) << x << "," << y << (lit ? " lit" : "");
      }
    }
  }
}

// A form made in code, as a new user makes one; run at 120, 144 and 192 pixels per inch too.
using ScaledLibrary = LibraryFormTest;

TEST_F(ScaledLibrary, CentredFormGrowsRowsArrowsAndItemsAndAnAnchoredBoxPaintsOnlyItself) {
  const int dpi = ScreenPixelsPerInch();
  const char* expected = std::getenv("WAKORA_EXPECT_DPI");
  ASSERT_EQ(dpi, expected ? std::atoi(expected) : dpi) << "the screen is not at the test's DPI";
  auto at_screen = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
  form_->SetPosition(TPosition::poScreenCenter);
  auto* combo = new TFlatComboBox(form_);
  combo->SetParent(form_);
  combo->SetStyle(csOwnerDrawFixed);
  combo->SetBounds(8, 8, 120, 21);
  combo->SetAnchors(akLeft | akTop | akRight);
  auto* outline = new TCDirectoryOutline(form_);
  outline->SetParent(form_);
  outline->SetBounds(140, 8, 150, 150);
  ShowForm();

  EXPECT_EQ(form_->Left(), (GetSystemMetrics(SM_CXSCREEN) - form_->Width()) / 2);
  EXPECT_EQ(form_->Top(), (GetSystemMetrics(SM_CYSCREEN) - form_->Height()) / 2);
  EXPECT_EQ(combo->Width(), at_screen(120)) << "anchored, and scaled once";
  EXPECT_EQ(combo->ItemHeight(), at_screen(13));
  EXPECT_EQ(outline->ItemHeight(), at_screen(16));
  EXPECT_EQ(wintest::PixelAt(form_->Handle(), combo->Left(), combo->Top() + combo->Height() + 1),
            ColorToRGB(clBtnFace))
      << "the box painted the form under it";
  const RECT button = combo->GetButtonRect();
  int arrow = 0;  // black pixels in the button: a triangle of (h + 1)^2 for a height of h
  for (int y = button.top; y < button.bottom; ++y)
    for (int x = button.left; x < button.right; ++x)
      arrow += wintest::PixelAt(combo->Handle(), x, y) == RGB(0, 0, 0);
  EXPECT_EQ(arrow, (at_screen(2) + 1) * (at_screen(2) + 1));
}

}  // namespace
