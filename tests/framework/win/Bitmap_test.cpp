// Bitmaps, icons and pictures: file formats in and out, and the bytes a form stores.
#include <gtest/gtest.h>

#include "framework/win/Graphics.h"
#include "tests/framework/core/ImageBytes.h"
#include "tests/framework/win/GdiTest.h"

namespace {

// 0x00RRGGBB, the builders' colours, from COLORREF.
std::vector<uint32_t> RgbOf(const std::vector<COLORREF>& pixels) {
  std::vector<uint32_t> rgb;
  for (COLORREF pixel : pixels) {
    rgb.push_back((uint32_t{GetRValue(pixel)} << 16) | (uint32_t{GetGValue(pixel)} << 8) |
                  GetBValue(pixel));
  }
  return rgb;
}

TBytes MakeBmp(int width, int height, const std::vector<COLORREF>& pixels, int bit_count,
               bool top_down) {
  return image_bytes::MakeBmp(width, height, RgbOf(pixels), bit_count, top_down);
}

struct IconEntry {
  int size;
  int bit_count;
  COLORREF color;
};

TBytes MakeIco(std::initializer_list<IconEntry> entries) {
  std::vector<image_bytes::IconEntry> images;
  for (const IconEntry& entry : entries) {
    images.push_back({entry.size, entry.bit_count, RgbOf({entry.color})[0]});
  }
  return image_bytes::MakeIco(images);
}

const COLORREF kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0),
               kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255);

// 5 x 3, with distinct rows and columns so that flips and shifts show.
const std::vector<COLORREF> kPixels = {
    kRed,   kGreen, kBlue,  kWhite, kBlack,  //
    kBlue,  kBlue,  kRed,   kGreen, kGreen,  //
    kBlack, kWhite, kGreen, kRed,   kBlue,   //
};

void Load(TGraphic& graphic, const TBytes& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream.SetPosition(0);
  graphic.LoadFromStream(&stream);
}

TBytes Save(const TGraphic& graphic) {
  TMemoryStream stream;
  graphic.SaveToStream(&stream);
  return stream.Bytes();
}

void ExpectPixels(const TBitmap& bitmap, int width, int height, const std::vector<COLORREF>& pixels,
                  const std::string& what) {
  ASSERT_EQ(bitmap.GetWidth(), width) << what;
  ASSERT_EQ(bitmap.GetHeight(), height) << what;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      ASSERT_EQ(bitmap.PixelAt(x, y), pixels[static_cast<size_t>(y * width + x)])
          << what << " at " << x << ", " << y;
    }
  }
}

using BitmapTest = GdiTest;

// Decoding itself is tested natively; here, that a load which fails changes nothing.
TEST_F(BitmapTest, AFailedLoadKeepsTheOldPicture) {
  const TBytes good = MakeBmp(5, 3, kPixels, 4, false);
  TBytes wrong_depth = good;
  wrong_depth[28] = 7;
  const TBytes files[] = {TBytes(good.begin(), good.end() - 1), wrong_depth, {'B', 'M'}};
  TBitmap bitmap;
  Fill(bitmap, 1, 1, kGreen);
  for (const TBytes& file : files) {
    try {
      Load(bitmap, file);
      ADD_FAILURE() << file.size() << " bytes were accepted";
    } catch (const EReadError& error) {
      EXPECT_STREQ(error.what(), "Bitmap image is not valid");
    }
  }
  ExpectPixels(bitmap, 1, 1, {kGreen}, "after the failed loads");

  TIcon icon;
  TBytes cursor = MakeIco({{32, 4, kBlue}});
  cursor[2] = 2;
  EXPECT_THROW(Load(icon, cursor), EReadError) << "a cursor file is not an icon";
  EXPECT_TRUE(icon.GetEmpty());
}

TEST_F(BitmapTest, SavingGivesBackTheLoadedBytesUntilTheCanvasDraws) {
  const TBytes file = MakeBmp(5, 3, kPixels, 8, false);
  TBitmap bitmap;
  Load(bitmap, file);
  EXPECT_EQ(Save(bitmap), file);
  EXPECT_EQ(bitmap.GetData(), file);

  TBitmap copy;
  copy.Assign(&bitmap);
  EXPECT_EQ(Save(copy), file) << "Assign lost the stored bytes";
  ExpectPixels(copy, 5, 3, kPixels, "assigned copy");

  bitmap.Canvas()->SetPixel(0, 0, clLime);
  const TBytes drawn = Save(bitmap);
  EXPECT_NE(drawn, file);
  TBitmap reloaded;
  Load(reloaded, drawn);
  std::vector<COLORREF> expected = kPixels;
  expected[0] = kGreen;
  ExpectPixels(reloaded, 5, 3, expected, "saved after drawing");
  EXPECT_EQ(Save(reloaded), drawn);
}

TEST_F(BitmapTest, SetSizeKeepsTheCoveredPixelsAndTheCanvas) {
  TBitmap bitmap;
  Fill(bitmap, 2, 2, kRed);
  TCanvas* canvas = bitmap.Canvas();
  bitmap.SetSize(3, 1);
  ExpectPixels(bitmap, 3, 1, {kRed, kRed, kWhite}, "after resizing");
  EXPECT_EQ(bitmap.Canvas(), canvas) << "the canvas must outlive a resize";
  canvas->SetPixel(2, 0, clBlue);
  EXPECT_EQ(bitmap.PixelAt(2, 0), kBlue) << "the canvas draws on the old pixels";

  bitmap.SetWidth(0);
  EXPECT_TRUE(bitmap.GetEmpty());
  EXPECT_EQ(bitmap.PixelAt(0, 0), CLR_INVALID);
  EXPECT_TRUE(Save(bitmap).empty());
  EXPECT_THROW(bitmap.SetSize(-1, 4), ERangeError);
  // Pixels the process cannot hold: the error of a bitmap that cannot be made, and the old
  // picture stays.
  Fill(bitmap, 2, 1, kRed);
  for (const auto& [width, height] : {std::pair{65536, 65536}, std::pair{30000, 30000}}) {
    EXPECT_THROW(bitmap.SetSize(width, height), EOutOfResources) << width << " x " << height;
    ExpectPixels(bitmap, 2, 1, {kRed, kRed}, "after a size too large");
  }
}

TEST_F(BitmapTest, BitmapInUseByItsCanvasCanBeDrawnAndCopied) {
  TBitmap source;
  Fill(source, 2, 2, kBlue);  // now selected into its canvas's DC
  TBitmap dest;
  Fill(dest, 2, 2, kWhite);
  dest.Canvas()->Draw(0, 0, &source);
  EXPECT_EQ(dest.PixelAt(1, 1), kBlue);
  TBitmap copy;
  copy.Assign(&source);
  EXPECT_EQ(copy.PixelAt(1, 1), kBlue);
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.GetEmpty());
}

TEST_F(BitmapTest, EmptyDataEmptiesTheBitmap) {
  TBitmap bitmap;
  Fill(bitmap, 2, 2, kBlue);
  bitmap.SetData({});
  EXPECT_TRUE(bitmap.GetEmpty());
}

// The program's own artwork (checked natively): every file loads and saves unchanged.
TEST_F(BitmapTest, TheProgramsArtworkSavesAsItWasLoaded) {
  for (const char* file : {"app/res/tile.bmp", "app/res/logo.bmp", "app/res/glyph.bmp",
                           "controls/res/spinup.bmp", "controls/res/spindown.bmp"}) {
    const AnsiString path = AnsiString(WAKORA_SOURCE_DIR) + "/" + file;
    TMemoryStream bytes;
    bytes.LoadFromFile(path);
    TBitmap bitmap;
    bitmap.LoadFromFile(path);
    EXPECT_FALSE(bitmap.GetEmpty()) << file;
    EXPECT_EQ(Save(bitmap), bytes.Bytes()) << file;
  }
}

TEST_F(BitmapTest, LoadsABitmapResourceAsItsFileWouldLoad) {
  TBitmap from_resource;
  from_resource.LoadFromResourceName(GetModuleHandleA(nullptr), "SpinUp");
  TBitmap from_file;
  from_file.LoadFromFile(AnsiString(WAKORA_SOURCE_DIR) + "/controls/res/spinup.bmp");
  ASSERT_EQ(from_resource.GetWidth(), from_file.GetWidth());
  ASSERT_EQ(from_resource.GetHeight(), from_file.GetHeight());
  for (int y = 0; y < from_file.GetHeight(); ++y) {
    for (int x = 0; x < from_file.GetWidth(); ++x) {
      EXPECT_EQ(from_resource.PixelAt(x, y), from_file.PixelAt(x, y)) << x << ", " << y;
    }
  }
  EXPECT_EQ(Save(from_resource), Save(from_file)) << "the file header was not rebuilt alike";
  EXPECT_THROW(from_resource.LoadFromResourceName(GetModuleHandleA(nullptr), "NoSuchBitmap"),
               EReadError);
  EXPECT_EQ(from_resource.GetWidth(), 9) << "a failed load emptied the bitmap";
}

// ---------------------------------------------------------------------------------------------
// Icons

using IconTest = GdiTest;

TEST_F(IconTest, PicksTheImageNearest32WithTheMostColours) {
  const TBytes file = MakeIco({{16, 24, kGreen}, {32, 4, kBlue}, {32, 24, kRed}, {48, 24, kWhite}});
  TIcon icon;
  Load(icon, file);
  EXPECT_EQ(icon.GetWidth(), 32);
  EXPECT_EQ(icon.GetHeight(), 32);
  EXPECT_EQ(Save(icon), file);

  TBitmap dest;
  Fill(dest, 40, 40, RGB(1, 2, 3));
  dest.Canvas()->Draw(4, 4, &icon);
  EXPECT_EQ(dest.PixelAt(10, 10), kRed) << "not the 24-bit 32 x 32 image";
  EXPECT_EQ(dest.PixelAt(4, 4), RGB(1, 2, 3)) << "the masked pixel was painted";
  EXPECT_EQ(dest.PixelAt(36, 36), RGB(1, 2, 3)) << "drawn larger than its own size";
}

TEST_F(IconTest, LoadsTheProgramsIcons) {
  for (const char* file : {"app/res/Wakora.ico", "app/res/tray.ico"}) {
    TIcon icon;
    icon.LoadFromFile(AnsiString(WAKORA_SOURCE_DIR) + "/" + file);
    EXPECT_EQ(icon.GetWidth(), 32) << file;
    EXPECT_NE(icon.Handle(), nullptr) << file;
  }
}

TEST_F(IconTest, CopiesMakeTheirOwnHandle) {
  TIcon icon;
  Load(icon, MakeIco({{32, 4, kBlue}}));
  TIcon copy;
  copy.Assign(&icon);
  ASSERT_NE(copy.Handle(), nullptr);
  EXPECT_NE(copy.Handle(), icon.Handle());
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.GetEmpty());
  EXPECT_EQ(copy.Handle(), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Pictures

using PictureTest = GdiTest;

TEST_F(PictureTest, DataNamesTheClassInFrontOfTheBytes) {
  const TBytes bmp = MakeBmp(5, 3, kPixels, 24, false);
  TPicture picture;
  Load(*picture.Bitmap(), bmp);
  const TBytes data = picture.GetData();
  ASSERT_GT(data.size(), 8u);
  EXPECT_EQ(data[0], 7);
  EXPECT_EQ(AnsiString(data.begin() + 1, data.begin() + 8), "TBitmap");
  EXPECT_EQ(TBytes(data.begin() + 8, data.end()), bmp);

  TPicture copy;
  copy.SetData(data);
  ASSERT_NE(dynamic_cast<TBitmap*>(copy.Graphic()), nullptr);
  ExpectPixels(*copy.Bitmap(), 5, 3, kPixels, "picture copy");
  EXPECT_EQ(copy.GetData(), data);

  const TBytes ico = MakeIco({{32, 4, kBlue}});
  Load(*picture.Icon(), ico);
  copy.SetData(picture.GetData());
  ASSERT_NE(dynamic_cast<TIcon*>(copy.Graphic()), nullptr);
  EXPECT_EQ(copy.Width(), 32);
  EXPECT_EQ(copy.GetData(), picture.GetData());

  copy.SetData({});
  EXPECT_EQ(copy.Graphic(), nullptr);
  EXPECT_TRUE(copy.GetData().empty());
}

TEST_F(PictureTest, BadDataRaisesAndKeepsTheGraphic) {
  TPicture picture;
  Fill(*picture.Bitmap(), 1, 1, kRed);
  const TBytes cases[] = {
      {0},                                               // no class name
      {9, 'T', 'B', 'i', 't'},                           // name runs past the end
      {5, 'T', 'F', 'o', 'o', 'x'},                      // no such class
      {8, 'T', 'S', 't', 'r', 'i', 'n', 'g', 's'},       // a class, but no graphic
      {7, 'T', 'B', 'i', 't', 'm', 'a', 'p', 'B', 'M'},  // a broken bitmap
  };
  for (const TBytes& data : cases) {
    EXPECT_THROW(picture.SetData(data), EReadError) << data.size() << " bytes";
    EXPECT_EQ(picture.Bitmap()->PixelAt(0, 0), kRed);
  }
}

TEST_F(PictureTest, ChangesOfTheGraphicReachThePicture) {
  TPicture picture;
  int changes = 0;
  picture.OnChange = [&](TObject*) { ++changes; };
  TBitmap* bitmap = picture.Bitmap();
  const int after_creation = changes;
  bitmap->SetSize(3, 3);
  EXPECT_EQ(changes, after_creation + 1);

  TBitmap other;
  Fill(other, 2, 2, kBlue);
  picture.SetGraphic(&other);
  EXPECT_NE(picture.Graphic(), &other) << "the picture keeps a copy";
  EXPECT_EQ(picture.Bitmap()->PixelAt(1, 1), kBlue);
}

// A graphic class of another unit, registered by name.
class TRawGraphic : public TGraphic {
  DECLARE_CLASS_INFO()
 public:
  void Draw(TCanvas&, const RECT&) override {}
  bool GetEmpty() const override { return bytes.empty(); }
  int GetWidth() const override { return 0; }
  int GetHeight() const override { return 0; }
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  void LoadFromStream(TStream* stream) override { bytes = stream->ReadAll(); }
  void SaveToStream(TStream* stream) const override {
    stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
  void Assign(const TPersistent* source) override {
    if (!source) {
      bytes.clear();
    } else if (auto* raw = dynamic_cast<const TRawGraphic*>(source)) {
      bytes = raw->bytes;
    } else {
      TGraphic::Assign(source);
    }
  }
  TBytes bytes;
};

const TClassInfo& TRawGraphic::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TRawGraphic>("TRawGraphic", &TGraphic::StaticClassInfo())
          .PublishInherited()
          .Build();
  return info;
}

// Known to the class registry, but never registered as a graphic class.
class TUnregisteredGraphic : public TRawGraphic {
  DECLARE_CLASS_INFO()
};

const TClassInfo& TUnregisteredGraphic::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TUnregisteredGraphic>("TUnregisteredGraphic", &TRawGraphic::StaticClassInfo())
          .PublishInherited()
          .Build();
  return info;
}

TEST_F(PictureTest, OtherGraphicClassesWorkOnceRegistered) {
  TUnregisteredGraphic::StaticClassInfo();
  TPicture picture;
  const AnsiString unregistered = "TUnregisteredGraphic";
  TBytes unknown{static_cast<uint8_t>(unregistered.size())};
  unknown.insert(unknown.end(), unregistered.begin(), unregistered.end());
  EXPECT_THROW(picture.SetData(unknown), EReadError) << "known to the class registry only";
  TUnregisteredGraphic graphic;
  EXPECT_THROW(picture.SetGraphic(&graphic), EConvertError);

  const TBytes data{11, 'T', 'R', 'a', 'w', 'G', 'r', 'a', 'p', 'h', 'i', 'c', 1, 2, 3};
  RegisterGraphicClass<TRawGraphic>();
  picture.SetData(data);
  auto* raw = dynamic_cast<TRawGraphic*>(picture.Graphic());
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(raw->bytes, (TBytes{1, 2, 3}));
  EXPECT_EQ(picture.GetData(), data);

  TPicture copy;
  copy.Assign(&picture);
  ASSERT_NE(dynamic_cast<TRawGraphic*>(copy.Graphic()), nullptr);
  EXPECT_NE(copy.Graphic(), picture.Graphic());
}

}  // namespace
