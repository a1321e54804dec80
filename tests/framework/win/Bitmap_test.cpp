// Bitmaps, icons and pictures: file formats in and out, and the bytes a form stores.
#include <gtest/gtest.h>

#include <random>

#include "framework/win/Graphics.h"
#include "tests/framework/win/GdiTest.h"

namespace {

void Put16(TBytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(TBytes& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

TBytes FileHeaderAndInfo(int width, int height, int bit_count, uint32_t compression,
                         uint32_t palette_bytes, uint32_t image_size) {
  TBytes out{'B', 'M'};
  Put32(out, 54 + palette_bytes + image_size);
  Put32(out, 0);
  Put32(out, 54 + palette_bytes);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(bit_count));
  Put32(out, compression);
  Put32(out, image_size);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  return out;
}

// A BMP file of the given top-down pixels, written as a typical program writes it.
TBytes MakeBmp(int width, int height, const std::vector<COLORREF>& pixels, int bit_count,
               bool top_down) {
  std::vector<COLORREF> palette;
  if (bit_count <= 8) {
    for (COLORREF pixel : pixels) {
      if (std::find(palette.begin(), palette.end(), pixel) == palette.end()) {
        palette.push_back(pixel);
      }
    }
    palette.resize(size_t{1} << bit_count, RGB(0, 0, 0));
  }
  const uint32_t stride = ((width * bit_count + 31) / 32) * 4;
  TBytes out = FileHeaderAndInfo(width, top_down ? -height : height, bit_count, BI_RGB,
                                 static_cast<uint32_t>(palette.size() * 4), stride * height);
  for (COLORREF entry : palette) {
    out.insert(out.end(), {GetBValue(entry), GetGValue(entry), GetRValue(entry), 0});
  }
  for (int file_row = 0; file_row < height; ++file_row) {
    const int y = top_down ? file_row : height - 1 - file_row;
    TBytes row(stride, 0);
    for (int x = 0; x < width; ++x) {
      const COLORREF pixel = pixels[static_cast<size_t>(y * width + x)];
      const auto index =
          static_cast<uint8_t>(std::find(palette.begin(), palette.end(), pixel) - palette.begin());
      switch (bit_count) {
        case 1:
          row[x / 8] |= index << (7 - x % 8);
          break;
        case 4:
          row[x / 2] |= x % 2 ? index : index << 4;
          break;
        case 8:
          row[x] = index;
          break;
        case 16: {
          const uint32_t value = ((GetRValue(pixel) >> 3) << 10) | ((GetGValue(pixel) >> 3) << 5) |
                                 (GetBValue(pixel) >> 3);
          row[2 * x] = static_cast<uint8_t>(value);
          row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
          break;
        }
        case 24:
          row[3 * x] = GetBValue(pixel);
          row[3 * x + 1] = GetGValue(pixel);
          row[3 * x + 2] = GetRValue(pixel);
          break;
        case 32:
          row[4 * x] = GetBValue(pixel);
          row[4 * x + 1] = GetGValue(pixel);
          row[4 * x + 2] = GetRValue(pixel);
          row[4 * x + 3] = 0xA5;  // the fourth byte means nothing in BI_RGB
          break;
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
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

struct FormatCase {
  int bit_count;
  bool top_down;
};

TEST_F(BitmapTest, LoadsEveryUncompressedDepthBothWaysUp) {
  const FormatCase cases[] = {{1, false},  {4, false}, {8, false}, {16, false}, {24, false},
                              {32, false}, {4, true},  {8, true},  {24, true},  {32, true}};
  for (const FormatCase& test : cases) {
    const std::string what =
        std::to_string(test.bit_count) + " bits" + (test.top_down ? ", top-down" : ", bottom-up");
    std::vector<COLORREF> pixels = kPixels;
    if (test.bit_count == 1) {  // two colours only
      for (COLORREF& pixel : pixels) pixel = pixel == kRed || pixel == kWhite ? kWhite : kBlack;
    }
    TBitmap bitmap;
    Load(bitmap, MakeBmp(5, 3, pixels, test.bit_count, test.top_down));
    ExpectPixels(bitmap, 5, 3, pixels, what);
  }
}

TEST_F(BitmapTest, LoadsTheCoreHeaderAndBitfields) {
  // OS/2 core header: 12 bytes, 16-bit sizes, three-byte palette entries.
  TBytes core{'B', 'M'};
  Put32(core, 14 + 12 + 6 + 4);
  Put32(core, 0);
  Put32(core, 14 + 12 + 6);
  Put32(core, 12);
  Put16(core, 2);
  Put16(core, 1);
  Put16(core, 1);
  Put16(core, 1);
  core.insert(core.end(), {0, 0, 255, 255, 0, 0});  // red, blue
  core.insert(core.end(), {0x40, 0, 0, 0});         // red, blue
  TBitmap bitmap;
  Load(bitmap, core);
  ExpectPixels(bitmap, 2, 1, {kRed, kBlue}, "core header");

  // 16 bits in 5-6-5 through BI_BITFIELDS masks after the header.
  TBytes fields = FileHeaderAndInfo(2, 1, 16, BI_BITFIELDS, 12, 4);
  Put32(fields, 0xF800);
  Put32(fields, 0x07E0);
  Put32(fields, 0x001F);
  Put16(fields, 0x07E0);
  Put16(fields, 0xF81F);
  Load(bitmap, fields);
  ExpectPixels(bitmap, 2, 1, {kGreen, RGB(255, 0, 255)}, "5-6-5 bitfields");
}

TBytes RleFile(int width, int height, uint32_t compression, const TBytes& palette_rgb,
               const TBytes& data) {
  TBytes out = FileHeaderAndInfo(width, height, compression == BI_RLE8 ? 8 : 4, compression,
                                 static_cast<uint32_t>(palette_rgb.size() / 3 * 4),
                                 static_cast<uint32_t>(data.size()));
  // The palette has only the entries used: biClrUsed says how many.
  const uint32_t used = static_cast<uint32_t>(palette_rgb.size() / 3);
  for (int i = 0; i < 4; ++i) out[46 + i] = static_cast<uint8_t>(used >> (8 * i));
  for (size_t i = 0; i < palette_rgb.size(); i += 3) {
    out.insert(out.end(), {palette_rgb[i + 2], palette_rgb[i + 1], palette_rgb[i], 0});
  }
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

// Palette: 0 black, 1 red, 2 green, 3 blue.
const TBytes kRlePalette = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};

TBytes Rle8Sample() {
  return RleFile(5, 2, BI_RLE8, kRlePalette,
                 {
                     2, 1,              // bottom row: red red
                     0, 3, 2, 3, 1, 0,  // absolute: green blue red, padded
                     0, 0,              // end of line
                     0, 2, 3, 0,        // skip three pixels
                     2, 2,              // green green
                     0, 1,              // end of bitmap
                 });
}

TEST_F(BitmapTest, DecodesRunLengthEncodedBitmaps) {
  TBitmap bitmap;
  Load(bitmap, Rle8Sample());
  ExpectPixels(bitmap, 5, 2,
               {kBlack, kBlack, kBlack, kGreen, kGreen,  //
                kRed, kRed, kGreen, kBlue, kRed},
               "RLE8");

  Load(bitmap, RleFile(7, 1, BI_RLE4, kRlePalette,
                       {
                           3,
                           0x12,  // red green red
                           0,
                           3,
                           0x31,
                           0x20,  // absolute: blue red green
                           1,
                           0x30,  // blue
                           0,
                           1,
                       }));
  ExpectPixels(bitmap, 7, 1, {kRed, kGreen, kRed, kBlue, kRed, kGreen, kBlue}, "RLE4");
}

TEST_F(BitmapTest, RunsPastTheEdgesAreCutOffNotWrittenOutside) {
  TBitmap bitmap;
  Load(bitmap,
       RleFile(2, 1, BI_RLE8, kRlePalette, {255, 1, 0, 2, 200, 200, 9, 2, 0, 0, 0, 0, 0, 1}));
  ExpectPixels(bitmap, 2, 1, {kRed, kRed}, "RLE8 overrun");
}

TEST_F(BitmapTest, EveryTruncationRaisesAndKeepsTheOldPicture) {
  const TBytes files[] = {MakeBmp(5, 3, kPixels, 4, false), MakeBmp(5, 3, kPixels, 24, true),
                          MakeBmp(5, 3, kPixels, 32, false), Rle8Sample()};
  TBitmap bitmap;
  Fill(bitmap, 1, 1, kGreen);
  for (const TBytes& file : files) {
    for (size_t length = 0; length < file.size(); ++length) {
      const TBytes cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(length));
      EXPECT_THROW(Load(bitmap, cut), EReadError) << "cut to " << length << " bytes";
    }
  }
  ExpectPixels(bitmap, 1, 1, {kGreen}, "after the failed loads");
}

struct BadHeaderCase {
  const char* name;
  size_t offset;
  uint32_t value;
  int bytes;
};

TEST_F(BitmapTest, ImpossibleHeadersRaise) {
  const BadHeaderCase cases[] = {
      {"not BM", 0, 'X', 1},
      {"zero width", 18, 0, 4},
      {"negative width", 18, 0xFFFFFFFB, 4},
      {"zero height", 22, 0, 4},
      {"height of minus 2^31", 22, 0x80000000, 4},
      {"huge size", 18, 1000000, 4},
      {"7 bits", 28, 7, 2},
      {"unknown compression", 30, 9, 4},
      {"RLE4 on 24 bits", 30, BI_RLE4, 4},
      {"JPEG inside", 30, 4, 4},
      {"header size 0", 14, 0, 4},
      {"header beyond the file", 14, 100000, 4},
      {"pixels beyond the file", 10, 0xFFFFFF00, 4},
      {"palette of 1000 colours", 46, 1000, 4},
  };
  const TBytes good = MakeBmp(5, 3, kPixels, 8, false);
  for (const BadHeaderCase& test : cases) {
    TBytes file = good;
    for (int i = 0; i < test.bytes; ++i) {
      file[test.offset + i] = static_cast<uint8_t>(test.value >> (8 * i));
    }
    TBitmap bitmap;
    try {
      Load(bitmap, file);
      ADD_FAILURE() << test.name << " was accepted";
    } catch (const EReadError& error) {
      EXPECT_STREQ(error.what(), "Bitmap image is not valid") << test.name;
    }
    EXPECT_TRUE(bitmap.GetEmpty()) << test.name;
  }
}

// Random damage must end in a bitmap or in EReadError, never in a crash or a wild read.
TEST_F(BitmapTest, DamagedFilesLoadOrRaise) {
  const TBytes files[] = {MakeBmp(5, 3, kPixels, 4, false), MakeBmp(5, 3, kPixels, 32, true),
                          Rle8Sample()};
  std::mt19937 random(20240601);
  int loaded = 0;
  for (const TBytes& good : files) {
    for (int round = 0; round < 700; ++round) {
      TBytes file = good;
      const int damage = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < damage; ++i) {
        file[random() % file.size()] = static_cast<uint8_t>(random());
      }
      TBitmap bitmap;
      try {
        Load(bitmap, file);
        ++loaded;
        EXPECT_FALSE(bitmap.GetEmpty());
      } catch (const EReadError&) {
      }
    }
  }
  EXPECT_GT(loaded, 0) << "damage to pixel bytes alone should still load";
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

struct ArtworkCase {
  const char* file;
  int width, height;
};

// The program's own artwork, as its build draws it: every file loads and saves unchanged.
TEST_F(BitmapTest, LoadsTheProgramsArtwork) {
  const ArtworkCase cases[] = {{"app/res/tile.bmp", 38, 38},
                               {"app/res/logo.bmp", 206, 53},
                               {"app/res/glyph.bmp", 32, 16},
                               {"controls/res/spinup.bmp", 9, 6},
                               {"controls/res/spindown.bmp", 9, 6}};
  for (const ArtworkCase& test : cases) {
    const AnsiString path = AnsiString(WAKORA_SOURCE_DIR) + "/" + test.file;
    TMemoryStream file;
    file.LoadFromFile(path);
    TBitmap bitmap;
    bitmap.LoadFromFile(path);
    EXPECT_EQ(bitmap.GetWidth(), test.width) << test.file;
    EXPECT_EQ(bitmap.GetHeight(), test.height) << test.file;
    EXPECT_EQ(Save(bitmap), file.Bytes()) << test.file;
  }
  // The arrows are the right way up: the up arrow is widest at its bottom row (row 4).
  TBitmap up;
  up.LoadFromFile(AnsiString(WAKORA_SOURCE_DIR) + "/controls/res/spinup.bmp");
  EXPECT_EQ(up.PixelAt(1, 4), kBlack);
  EXPECT_EQ(up.PixelAt(7, 4), kBlack);
  EXPECT_EQ(up.PixelAt(4, 1), kBlack);
  EXPECT_NE(up.PixelAt(3, 1), kBlack);
  EXPECT_NE(up.PixelAt(0, 4), kBlack);
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

// One icon image: a DIB (header, palette, colour bits, AND mask), all `color` but for a
// see-through top-left pixel.
TBytes IconImage(int size, int bit_count, COLORREF color) {
  TBytes out;
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(size));
  Put32(out, static_cast<uint32_t>(2 * size));
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(bit_count));
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  if (bit_count <= 8) {
    out.insert(out.end(), {0, 0, 0, 0});  // entry 0: black
    out.insert(out.end(), {GetBValue(color), GetGValue(color), GetRValue(color), 0});
    out.resize(out.size() + 4 * ((size_t{1} << bit_count) - 2), 0);
  }
  const int stride = ((size * bit_count + 31) / 32) * 4;
  for (int row = 0; row < size; ++row) {  // bottom-up
    TBytes line(static_cast<size_t>(stride), 0);
    for (int x = 0; x < size; ++x) {
      const bool see_through = row == size - 1 && x == 0;
      if (bit_count == 4) {
        line[x / 2] |= see_through ? 0 : (x % 2 ? 1 : 0x10);
      } else if (bit_count == 24 && !see_through) {
        line[3 * x] = GetBValue(color);
        line[3 * x + 1] = GetGValue(color);
        line[3 * x + 2] = GetRValue(color);
      }
    }
    out.insert(out.end(), line.begin(), line.end());
  }
  const int mask_stride = ((size + 31) / 32) * 4;
  for (int row = 0; row < size; ++row) {
    TBytes line(static_cast<size_t>(mask_stride), 0);
    if (row == size - 1) line[0] = 0x80;
    out.insert(out.end(), line.begin(), line.end());
  }
  return out;
}

struct IconEntry {
  int size;
  int bit_count;
  COLORREF color;
};

TBytes MakeIco(std::initializer_list<IconEntry> entries) {
  TBytes out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(entries.size()));
  std::vector<TBytes> images;
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
  for (const IconEntry& entry : entries) {
    images.push_back(IconImage(entry.size, entry.bit_count, entry.color));
    out.push_back(static_cast<uint8_t>(entry.size));
    out.push_back(static_cast<uint8_t>(entry.size));
    out.push_back(entry.bit_count == 4 ? 16 : 0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(entry.bit_count));
    Put32(out, static_cast<uint32_t>(images.back().size()));
    Put32(out, offset);
    offset += static_cast<uint32_t>(images.back().size());
  }
  for (const TBytes& image : images) out.insert(out.end(), image.begin(), image.end());
  return out;
}

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

TEST_F(IconTest, BrokenIconFilesRaise) {
  const TBytes good = MakeIco({{32, 4, kBlue}});
  TIcon icon;
  for (size_t length = 0; length < good.size(); length += (length < 64 ? 1 : 97)) {
    const TBytes cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(length));
    EXPECT_THROW(Load(icon, cut), EReadError) << "cut to " << length << " bytes";
  }
  TBytes cursor = good;
  cursor[2] = 2;
  EXPECT_THROW(Load(icon, cursor), EReadError) << "a cursor file is not an icon";
  TBytes no_images = good;
  no_images[4] = 0;
  EXPECT_THROW(Load(icon, no_images), EReadError);
  TBytes wild_offset = good;
  wild_offset[6 + 15] = 0x7F;
  EXPECT_THROW(Load(icon, wild_offset), EReadError);
  EXPECT_TRUE(icon.GetEmpty());
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
