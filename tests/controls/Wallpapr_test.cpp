// The wallpaper under Wine: tiles counted on an unclipped surface, then the picture a real
// window shows, cut at the control's edge.
#include "controls/Wallpapr.h"

#include <gtest/gtest.h>

#include <memory>

#include "framework/core/Filer.h"
#include "framework/win/Forms.h"
#include "tests/framework/win/WinTest.h"

namespace {

constexpr int kTileWidth = 10;
constexpr int kTileHeight = 8;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

void Fill(TBitmap& bitmap, int width, int height, COLORREF color) {
  bitmap.SetSize(width, height);
  bitmap.Canvas()->Brush()->SetColor(static_cast<TColor>(color));
  bitmap.Canvas()->FillRect(RECT{0, 0, width, height});
}

// Blue with a red top-left pixel: every drawn tile leaves exactly one red pixel at its origin.
void MakeTile(TBitmap& tile) {
  Fill(tile, kTileWidth, kTileHeight, kBlue);
  tile.Canvas()->SetPixel(0, 0, static_cast<TColor>(kRed));
}

int CountPixels(const TBitmap& surface, COLORREF color) {
  int count = 0;
  for (int y = 0; y < surface.GetHeight(); ++y) {
    for (int x = 0; x < surface.GetWidth(); ++x) count += surface.PixelAt(x, y) == color;
  }
  return count;
}

class WallpaperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    gdi_before_ = LiveGdiObjects();
  }
  void TearDown() override {
    wintest::Pump();
    EXPECT_EQ(LiveGdiObjects(), gdi_before_) << "GDI objects leaked";
  }
  int gdi_before_ = 0;
};

// Paints the control straight onto a green surface larger than it, with no clipping at its
// edge, so every tile it draws can be counted whole.
TEST_F(WallpaperTest, DrawsEnoughTilesToCoverTheAreaRoundedUp) {
  struct Case {
    int width, height;
    int columns, rows;
    const char* breaks;
  };
  const Case cases[] = {
      {2 * kTileWidth, 3 * kTileHeight, 2, 3, "an exact fit draws a tile too many"},
      {2 * kTileWidth + 1, 3 * kTileHeight, 3, 3, "a one-pixel column is left bare"},
      {2 * kTileWidth, 3 * kTileHeight + 1, 2, 4, "a one-pixel row is left bare"},
      {2 * kTileWidth + 1, 3 * kTileHeight + 1, 3, 4, "the corner is left bare"},
      {kTileWidth - 1, kTileHeight - 1, 1, 1, "an area smaller than one tile stays bare"},
      {1, 1, 1, 1, "a one-pixel area stays bare"},
      {0, 3 * kTileHeight, 0, 0, "a control without width draws"},
      {2 * kTileWidth, 0, 0, 0, "a control without height draws"},
  };
  TComponent owner(nullptr);
  auto* wallpaper = new TWallpaper(&owner);
  TBitmap tile;
  MakeTile(tile);
  wallpaper->SetWallpaper(&tile);
  for (const Case& c : cases) {
    wallpaper->SetBounds(0, 0, c.width, c.height);
    TBitmap surface;
    Fill(surface, 6 * kTileWidth, 6 * kTileHeight, kGreen);
    wallpaper->PaintOn(surface.Canvas()->Handle());
    EXPECT_EQ(CountPixels(surface, kRed), c.columns * c.rows)
        << c.width << " x " << c.height << ": " << c.breaks;
    // Each tile is drawn at its own size from the area's origin, the last ones too.
    for (int row = 0; row < c.rows; ++row) {
      for (int column = 0; column < c.columns; ++column) {
        EXPECT_EQ(surface.PixelAt(column * kTileWidth, row * kTileHeight), kRed);
        EXPECT_EQ(surface.PixelAt(column * kTileWidth + kTileWidth - 1,
                                  row * kTileHeight + kTileHeight - 1),
                  kBlue);
      }
    }
    EXPECT_EQ(surface.PixelAt(c.columns * kTileWidth, 0), kGreen) << "a tile beyond the last";
  }
}

TEST_F(WallpaperTest, WithoutPixelsTheAreaIsWhite) {
  struct Case {
    int width, height;
    const char* what;
  };
  const Case cases[] = {
      {0, 0, "no bitmap"},
      {0, kTileHeight, "a bitmap without width"},
      {kTileWidth, 0, "a bitmap without height"},
  };
  TComponent owner(nullptr);
  auto* wallpaper = new TWallpaper(&owner);
  wallpaper->SetBounds(0, 0, 30, 20);
  for (const Case& c : cases) {
    TBitmap bitmap;
    bitmap.SetSize(c.width, c.height);
    wallpaper->SetWallpaper(&bitmap);
    TBitmap surface;
    Fill(surface, 40, 30, kGreen);
    wallpaper->PaintOn(surface.Canvas()->Handle());
    EXPECT_EQ(CountPixels(surface, kWhite), 30 * 20) << c.what;
    EXPECT_EQ(surface.PixelAt(30, 0), kGreen) << c.what << ": white beyond the control";
  }
  // Null empties the bitmap too.
  TBitmap tile;
  MakeTile(tile);
  wallpaper->SetWallpaper(&tile);
  wallpaper->SetWallpaper(nullptr);
  EXPECT_TRUE(wallpaper->Wallpaper()->GetEmpty());
}

TEST_F(WallpaperTest, SetWallpaperCopiesTheBitmap) {
  TComponent owner(nullptr);
  auto* wallpaper = new TWallpaper(&owner);
  TBitmap* own = wallpaper->Wallpaper();
  {
    TBitmap tile;
    MakeTile(tile);
    wallpaper->SetWallpaper(&tile);
    tile.Canvas()->SetPixel(0, 0, static_cast<TColor>(kGreen));
  }
  EXPECT_EQ(wallpaper->Wallpaper(), own) << "the bitmap object was replaced";
  EXPECT_EQ(own->GetWidth(), kTileWidth);
  EXPECT_EQ(own->PixelAt(0, 0), kRed) << "the control shares pixels with the source";
}

// --- In a window

class TWallTestForm : public TForm {
  DECLARE_CLASS_INFO()
 public:
  using TForm::TForm;
  TWallpaper* Wallpaper1 = nullptr;
};

const TClassInfo& TWallTestForm::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TWallTestForm>("TWallTestForm", &TForm::StaticClassInfo())
          .PublishInherited()
          .Field("Wallpaper1", &TWallTestForm::Wallpaper1)
          .Build();
  return info;
}

class WallpaperFormTest : public WallpaperTest {
 protected:
  void SetUp() override {
    WallpaperTest::SetUp();
    form_ = new TWallTestForm(Application);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    form_->SetBounds(20, 20, 100, 80);
    form_->SetColor(static_cast<TColor>(kGreen));
    wallpaper_ = new TWallpaper(form_);
    wallpaper_->SetParent(form_);
    form_->Wallpaper1 = wallpaper_;
  }
  void TearDown() override {
    delete form_;
    WallpaperTest::TearDown();
  }
  // What the screen shows now, without painting first.
  COLORREF Shown(int x, int y) {
    HDC dc = GetDC(form_->Handle());
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(form_->Handle(), dc);
    return color;
  }
  TWallTestForm* form_ = nullptr;
  TWallpaper* wallpaper_ = nullptr;
};

TEST_F(WallpaperFormTest, TheLastColumnAndRowAreCutAtTheEdge) {
  TBitmap tile;
  MakeTile(tile);
  wallpaper_->SetWallpaper(&tile);
  // One pixel wider and higher than 2 x 3 tiles, placed away from the form's corner.
  wallpaper_->SetBounds(5, 7, 2 * kTileWidth + 1, 3 * kTileHeight + 1);
  form_->Show();
  wintest::Pump();
  HWND window = form_->Handle();
  const int right = 5 + 2 * kTileWidth;    // the one-pixel column
  const int bottom = 7 + 3 * kTileHeight;  // the one-pixel row
  EXPECT_EQ(wintest::PixelAt(window, 5, 7), kRed) << "tiles do not start at the control's origin";
  EXPECT_EQ(wintest::PixelAt(window, 5 + kTileWidth, 7 + kTileHeight), kRed);
  EXPECT_EQ(wintest::PixelAt(window, right, 7), kRed) << "the third column is missing";
  EXPECT_EQ(wintest::PixelAt(window, right, 8), kBlue);
  EXPECT_EQ(wintest::PixelAt(window, 5, bottom), kRed) << "the fourth row is missing";
  EXPECT_EQ(wintest::PixelAt(window, right, bottom), kRed) << "the corner tile is missing";
  // Cut off: beyond the edge the form shows.
  EXPECT_EQ(wintest::PixelAt(window, right + 1, 7), kGreen) << "the third column is not cut";
  EXPECT_EQ(wintest::PixelAt(window, 5, bottom + 1), kGreen) << "the fourth row is not cut";
  EXPECT_EQ(wintest::PixelAt(window, 4, 7), kGreen);
}

TEST_F(WallpaperFormTest, FillsTheClientAreaWhiteWithoutABitmap) {
  wallpaper_->SetAlign(TAlign::alClient);
  form_->Show();
  wintest::Pump();
  HWND window = form_->Handle();
  for (POINT at : {POINT{0, 0}, POINT{99, 0}, POINT{0, 79}, POINT{99, 79}, POINT{50, 40}}) {
    EXPECT_EQ(wintest::PixelAt(window, at.x, at.y), kWhite) << at.x << "," << at.y;
  }
}

TEST_F(WallpaperFormTest, SetWallpaperRepaintsAtOnceAndChangesRepaintLater) {
  wallpaper_->SetAlign(TAlign::alClient);
  form_->Show();
  wintest::Pump();
  ASSERT_EQ(Shown(0, 0), kWhite);
  TBitmap tile;
  MakeTile(tile);
  wallpaper_->SetWallpaper(&tile);
  EXPECT_EQ(Shown(0, 0), kRed) << "the new wallpaper waits for the next paint";
  EXPECT_EQ(Shown(1, 0), kBlue);
  // New data in the owned bitmap (as a form description gives it) shows at the next paint.
  TBitmap other;
  MakeTile(other);
  other.Canvas()->SetPixel(1, 0, static_cast<TColor>(kGreen));
  wallpaper_->Wallpaper()->SetData(other.GetData());
  wintest::Pump();
  EXPECT_EQ(wintest::PixelAt(form_->Handle(), 1, 0), kGreen);
  EXPECT_EQ(wintest::PixelAt(form_->Handle(), kTileWidth + 1, 0), kGreen);
}

TEST_F(WallpaperFormTest, AFormDescriptionStoresAndRestoresTheTile) {
  TBitmap tile;
  MakeTile(tile);
  form_->SetName("WallTestForm");
  wallpaper_->SetName("Wallpaper1");
  wallpaper_->SetAlign(TAlign::alClient);
  wallpaper_->SetWallpaper(&tile);
  const AnsiString text = WriteComponentText(*form_);
  EXPECT_NE(text.find("Align = alClient"), AnsiString::npos) << text;
  EXPECT_NE(text.find("Wallpaper.Data = {"), AnsiString::npos) << text;

  form_->SetName("");  // the copy takes the name
  std::unique_ptr<TWallTestForm> copy(new TWallTestForm(Application));
  copy->LoadFromText(text);
  ASSERT_NE(copy->Wallpaper1, nullptr);
  TBitmap* restored = copy->Wallpaper1->Wallpaper();
  ASSERT_EQ(restored->GetWidth(), kTileWidth);
  ASSERT_EQ(restored->GetHeight(), kTileHeight);
  for (int y = 0; y < kTileHeight; ++y) {
    for (int x = 0; x < kTileWidth; ++x) ASSERT_EQ(restored->PixelAt(x, y), tile.PixelAt(x, y));
  }
  copy->Show();
  wintest::Pump();
  EXPECT_EQ(wintest::PixelAt(copy->Handle(), kTileWidth, kTileHeight), kRed);
}

}  // namespace
