// Checks the committed pictures and sounds: the sizes and depths that the window and the
// controls rely on, the see-through colours, the exact spin arrows, the icon directory and the
// wave headers. Pure file parsing; the files are read from the source tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/core/Imagefile.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadSourceFile(const std::string& relative) {
  std::ifstream in(std::string(WAKORA_SOURCE_DIR) + "/" + relative, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot open " << relative;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Little-endian reads that fail the test instead of reading past the end.
uint32_t U32(const Bytes& b, size_t at) {
  if (at + 4 > b.size()) throw std::out_of_range("read past end");
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t U16(const Bytes& b, size_t at) {
  if (at + 2 > b.size()) throw std::out_of_range("read past end");
  return uint16_t(b[at] | b[at + 1] << 8);
}
int32_t I32(const Bytes& b, size_t at) {
  return int32_t(U32(b, at));
}

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
  bool IsGrey() const { return r == g && g == b; }
  double Luminance() const { return 0.299 * r + 0.587 * g + 0.114 * b; }
};

const Rgb kKey{255, 0, 255};

// A device-independent bitmap: BITMAPINFOHEADER at `info`, palette after it, then the
// bottom-up rows at `bits_at`. Pixels are returned top row first, as colours.
struct Dib {
  int width = 0, height = 0, bits = 0;
  uint32_t colours_used = 0, compression = 0, image_size = 0;
  std::vector<Rgb> palette;
  std::vector<int> index;  // palette index per pixel, top-down (indexed bitmaps)
  std::vector<Rgb> pixels;
  std::vector<int> alpha;  // 32-bit bitmaps

  Rgb At(int x, int y) const { return pixels[y * width + x]; }
  int IndexAt(int x, int y) const { return index[y * width + x]; }
};

int Stride(int width, int bits) {
  return (width * bits + 31) / 32 * 4;
}

Dib ParseDib(const Bytes& b, size_t info, int height_override, size_t* end = nullptr) {
  Dib d;
  EXPECT_EQ(U32(b, info), 40u) << "header is not a BITMAPINFOHEADER";
  d.width = I32(b, info + 4);
  d.height = height_override ? height_override : I32(b, info + 8);
  EXPECT_EQ(U16(b, info + 12), 1) << "planes";
  d.bits = U16(b, info + 14);
  d.compression = U32(b, info + 16);
  d.image_size = U32(b, info + 20);
  d.colours_used = U32(b, info + 32);
  size_t at = info + 40;
  size_t entries = d.bits <= 8 ? (d.colours_used ? d.colours_used : 1u << d.bits) : 0;
  for (size_t i = 0; i < entries; ++i, at += 4) d.palette.push_back({b[at + 2], b[at + 1], b[at]});
  const int stride = Stride(d.width, d.bits);
  for (int y = 0; y < d.height; ++y) {
    const size_t row = at + size_t(d.height - 1 - y) * stride;
    for (int x = 0; x < d.width; ++x) {
      if (d.bits == 32) {
        const size_t p = row + 4 * x;
        if (p + 4 > b.size()) throw std::out_of_range("pixels past end");
        d.pixels.push_back({b[p + 2], b[p + 1], b[p]});
        d.alpha.push_back(b[p + 3]);
        continue;
      }
      const size_t p = row + x * d.bits / 8;
      if (p >= b.size()) throw std::out_of_range("pixels past end");
      int i = d.bits == 8 ? b[p] : d.bits == 4 ? (x % 2 ? b[p] & 15 : b[p] >> 4) : -1;
      EXPECT_LT(size_t(i), d.palette.size()) << "pixel indexes past the palette";
      d.index.push_back(i);
      d.pixels.push_back(d.palette.at(i));
    }
  }
  if (end) *end = at + size_t(stride) * d.height;
  return d;
}

Dib ReadBmp(const std::string& relative) {
  const Bytes b = ReadSourceFile(relative);
  EXPECT_EQ(b.at(0), 'B');
  EXPECT_EQ(b.at(1), 'M');
  EXPECT_EQ(U32(b, 2), b.size()) << "bfSize";
  size_t end = 0;
  Dib d = ParseDib(b, 14, 0, &end);
  EXPECT_EQ(U32(b, 10), 14 + 40 + 4 * d.palette.size()) << "bfOffBits";
  EXPECT_EQ(end, b.size()) << "pixel data does not end the file";
  return d;
}

TEST(Artwork, EachPictureHasTheSizeDepthAndPaletteTheWindowAsksFor) {
  struct Case {
    const char* file;
    int width, height, bits;
  } const cases[] = {
      {"app/res/logo.bmp", 206, 53, 8},       {"app/res/tile.bmp", 38, 38, 8},
      {"app/res/glyph.bmp", 32, 16, 4},       {"controls/res/spinup.bmp", 9, 6, 4},
      {"controls/res/spindown.bmp", 9, 6, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const Dib d = ReadBmp(c.file);
    EXPECT_EQ(d.width, c.width);
    EXPECT_EQ(d.height, c.height);
    EXPECT_EQ(d.bits, c.bits);
    EXPECT_EQ(d.compression, 0u) << "compressed bitmaps are not loaded by every reader";
    EXPECT_EQ(d.palette.size(), 1u << c.bits) << "a full palette: 256 or 16 colours";
    EXPECT_EQ(d.image_size, uint32_t(Stride(c.width, c.bits) * c.height));
  }
}

TEST(Artwork, LogoIsSeeThroughOnlyWhereItsBackgroundIs) {
  const Dib logo = ReadBmp("app/res/logo.bmp");
  const Rgb key = logo.At(0, logo.height - 1);
  EXPECT_EQ(key, kKey) << "the bottom-left pixel names the see-through colour";
  // One palette entry of that colour, or letters would get holes where a second entry matches.
  EXPECT_EQ(std::count(logo.palette.begin(), logo.palette.end(), key), 1);
  int opaque = 0, pinkish = 0;
  for (const Rgb& p : logo.pixels) {
    if (p == key) continue;
    ++opaque;
    // Edges blend towards the light background, never towards the key: a pink fringe shows.
    if (p.r > 180 && p.b > 180 && p.g < 120) ++pinkish;
  }
  const int total = logo.width * logo.height;
  EXPECT_GT(opaque, total / 4) << "the word should fill the picture";
  EXPECT_LT(opaque, total * 3 / 4) << "the background should show around the word";
  EXPECT_EQ(pinkish, 0);
  for (int x = 0; x < logo.width; ++x) {
    EXPECT_EQ(logo.At(x, 0), key) << "top edge touched at x=" << x;
  }
}

TEST(Artwork, GlyphHasNormalAndGreyedImagesEachKeyedAtItsBottomLeft) {
  const Dib glyph = ReadBmp("app/res/glyph.bmp");
  for (int image = 0; image < 2; ++image) {
    SCOPED_TRACE(image == 0 ? "normal" : "disabled");
    const int left = image * 16;
    EXPECT_EQ(glyph.At(left, 15), kKey);
    int opaque = 0, coloured = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = left; x < left + 16; ++x) {
        const Rgb p = glyph.At(x, y);
        if (p == kKey) continue;
        ++opaque;
        if (!p.IsGrey()) ++coloured;
      }
    }
    EXPECT_GT(opaque, 40);
    if (image == 0) {
      EXPECT_GT(coloured, opaque / 2) << "the normal image is in colour";
    } else {
      EXPECT_EQ(coloured, 0) << "the disabled image is grey only";
    }
  }
}

TEST(Artwork, SpinArrowsAreCentredBlackTrianglesWithAOnePixelMargin) {
  // Rows 1 to 4 hold 1, 3, 5, 7 black pixels (up) or 7, 5, 3, 1 (down); all else is face grey.
  struct Case {
    const char* file;
    int widths[6];
  } const cases[] = {
      {"controls/res/spinup.bmp", {0, 1, 3, 5, 7, 0}},
      {"controls/res/spindown.bmp", {0, 7, 5, 3, 1, 0}},
  };
  const Rgb black{0, 0, 0}, face{192, 192, 192};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const Dib d = ReadBmp(c.file);
    for (int y = 0; y < 6; ++y) {
      std::string row, expected;
      for (int x = 0; x < 9; ++x) {
        const Rgb p = d.At(x, y);
        row += p == black ? '#' : p == face ? '.' : '?';
        expected += std::abs(x - 4) * 2 < c.widths[y] ? '#' : '.';
      }
      EXPECT_EQ(row, expected) << "row " << y;
    }
    EXPECT_EQ(d.At(0, 5), face) << "the bottom-left pixel is the see-through face grey";
  }
}

TEST(Artwork, TileIsLightQuietAndHasNoSeamWhereItRepeats) {
  const Dib tile = ReadBmp("app/res/tile.bmp");
  const int n = tile.width;
  double darkest = 255, lightest = 0;
  for (const Rgb& p : tile.pixels) {
    darkest = std::min(darkest, p.Luminance());
    lightest = std::max(lightest, p.Luminance());
  }
  EXPECT_GT(darkest, 185) << "black 8-point text needs a light background";
  EXPECT_LT(lightest - darkest, 32) << "the pattern should stay gentle";

  auto difference = [&](int x0, int y0, int x1, int y1) {
    const Rgb a = tile.At(x0, y0), b = tile.At(x1, y1);
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
  };
  double inside = 0, across = 0;
  int inside_pairs = 0;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j + 1 < n; ++j) {
      inside += difference(j, i, j + 1, i) + difference(i, j, i, j + 1);
      inside_pairs += 2;
    }
    across += difference(n - 1, i, 0, i) + difference(i, n - 1, i, 0);
  }
  inside /= inside_pairs;
  across /= 2 * n;
  EXPECT_LE(across, 2 * inside + 0.5) << "a visible seam every " << n << " pixels";
}

struct IconEntry {
  int width, height, colour_count, planes, bits;
  uint32_t size, offset;
};

std::vector<IconEntry> ReadIconDirectory(const Bytes& b) {
  EXPECT_EQ(U16(b, 0), 0);
  EXPECT_EQ(U16(b, 2), 1) << "type 1 is an icon";
  std::vector<IconEntry> entries;
  for (int i = 0, count = U16(b, 4); i < count; ++i) {
    const size_t at = 6 + 16 * size_t(i);
    entries.push_back({b.at(at) ? b.at(at) : 256, b.at(at + 1) ? b.at(at + 1) : 256, b.at(at + 2),
                       U16(b, at + 4), U16(b, at + 6), U32(b, at + 8), U32(b, at + 12)});
  }
  return entries;
}

// Checks one icon image against its directory entry; answers the image and its AND mask.
Dib CheckIconImage(const Bytes& b, const IconEntry& e, std::vector<int>* mask) {
  EXPECT_LE(size_t(e.offset) + e.size, b.size()) << "image runs past the file";
  EXPECT_EQ(I32(b, e.offset + 8), 2 * e.height) << "the header height counts XOR and AND rows";
  size_t end = 0;
  Dib d = ParseDib(b, e.offset, e.height, &end);
  EXPECT_EQ(d.width, e.width);
  EXPECT_EQ(d.bits, e.bits);
  EXPECT_EQ(e.colour_count, d.bits < 8 ? 1 << d.bits : 0);
  if (d.bits <= 8) {
    EXPECT_EQ(d.palette.size(), 1u << d.bits);
  }
  const int stride = Stride(d.width, 1);
  for (int y = 0; y < d.height; ++y) {
    for (int x = 0; x < d.width; ++x) {
      const size_t p = end + size_t(d.height - 1 - y) * stride + x / 8;
      mask->push_back(b.at(p) >> (7 - x % 8) & 1);
    }
  }
  EXPECT_EQ(end + size_t(stride) * d.height, size_t(e.offset) + e.size) << "bytesInRes";
  return d;
}

// See-through pixels must be black in the colour image (AND 1, XOR 0 keeps the screen);
// anything else there inverts or tints what lies behind the icon.
void ExpectCleanTransparency(const Dib& d, const std::vector<int>& mask) {
  int see_through = 0;
  for (size_t i = 0; i < mask.size(); ++i) {
    if (!mask[i]) continue;
    ++see_through;
    EXPECT_EQ(d.pixels[i], (Rgb{0, 0, 0})) << "pixel " << i;
    if (!d.alpha.empty()) {
      EXPECT_EQ(d.alpha[i], 0) << "pixel " << i;
    }
  }
  EXPECT_GT(see_through, 0) << "an alarm clock is not a square";
  EXPECT_EQ(mask[0], 1) << "top-left corner";
  EXPECT_EQ(mask[mask.size() / 2 + d.width / 2], 0) << "centre";
}

TEST(Artwork, TrayIconIsOne32PixelSixteenColourImage) {
  const Bytes b = ReadSourceFile("app/res/tray.ico");
  const auto entries = ReadIconDirectory(b);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].width, 32);
  EXPECT_EQ(entries[0].height, 32);
  EXPECT_EQ(entries[0].bits, 4);
  std::vector<int> mask;
  const Dib d = CheckIconImage(b, entries[0], &mask);
  ExpectCleanTransparency(d, mask);
}

TEST(Artwork, ApplicationIconHolds16And32And48PixelImages) {
  const Bytes b = ReadSourceFile("app/res/Wakora.ico");
  const auto entries = ReadIconDirectory(b);
  std::set<int> sizes;
  for (const IconEntry& e : entries) {
    SCOPED_TRACE(e.width);
    sizes.insert(e.width);
    EXPECT_EQ(e.width, e.height);
    EXPECT_EQ(e.planes, 1);
    std::vector<int> mask;
    const Dib d = CheckIconImage(b, e, &mask);
    ExpectCleanTransparency(d, mask);
    if (d.bits == 32) {
      for (size_t i = 0; i < mask.size(); ++i) {
        EXPECT_EQ(mask[i] == 1, d.alpha[i] == 0) << "mask and alpha disagree at " << i;
      }
    }
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));
}

// The framework's decoders on the committed files: each picture decodes to the pixels that the
// parser above reads, and each icon shows its 32 x 32 image with the most colours.
TEST(Artwork, TheFrameworkReadsEachFileAsItIs) {
  for (const char* file : {"app/res/logo.bmp", "app/res/tile.bmp", "app/res/glyph.bmp",
                           "controls/res/spinup.bmp", "controls/res/spindown.bmp"}) {
    SCOPED_TRACE(file);
    const Dib d = ReadBmp(file);
    const TImagePixels image = DecodeBmp(ReadSourceFile(file));
    ASSERT_EQ(image.Width, d.width);
    ASSERT_EQ(image.Height, d.height);
    for (size_t i = 0; i < d.pixels.size(); ++i) {
      const Rgb p = d.pixels[i];
      ASSERT_EQ(image.Pixels[i], uint32_t(p.r << 16 | p.g << 8 | p.b)) << "pixel " << i;
    }
  }
  for (const char* file : {"app/res/Wakora.ico", "app/res/tray.ico"}) {
    SCOPED_TRACE(file);
    const Bytes b = ReadSourceFile(file);
    const std::vector<IconEntry> entries = ReadIconDirectory(b);
    const IconEntry* expected = nullptr;
    for (const IconEntry& e : entries) {
      if (e.width == 32 && (!expected || e.bits > expected->bits)) expected = &e;
    }
    ASSERT_NE(expected, nullptr);
    const TIconImage chosen = ChooseIconImage(b);
    EXPECT_EQ(chosen.Offset, expected->offset);
    EXPECT_EQ(chosen.Size, expected->size);
    EXPECT_EQ(chosen.Width, 32);
    EXPECT_EQ(chosen.Height, 32);
  }
}

struct Wave {
  int format, channels, rate, bits;
  std::vector<int16_t> samples;
};

Wave ReadWave(const Bytes& b) {
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(U32(b, 4), b.size() - 8) << "RIFF size";
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 12), "WAVE");
  Wave w{};
  bool have_format = false;
  for (size_t at = 12; at + 8 <= b.size();) {
    const std::string id(b.begin() + at, b.begin() + at + 4);
    const uint32_t size = U32(b, at + 4);
    EXPECT_LE(at + 8 + size, b.size()) << "chunk " << id << " runs past the file";
    if (id == "fmt ") {
      w.format = U16(b, at + 8);
      w.channels = U16(b, at + 10);
      w.rate = int(U32(b, at + 12));
      EXPECT_EQ(U32(b, at + 16), U32(b, at + 12) * U16(b, at + 20)) << "byte rate";
      EXPECT_EQ(U16(b, at + 20), U16(b, at + 10) * U16(b, at + 22) / 8) << "block align";
      w.bits = U16(b, at + 22);
      have_format = true;
    } else if (id == "data") {
      EXPECT_TRUE(have_format) << "data before fmt";
      for (uint32_t i = 0; i + 1 < size; i += 2) w.samples.push_back(int16_t(U16(b, at + 8 + i)));
    }
    at += 8 + size + (size & 1);
  }
  return w;
}

TEST(Artwork, AlarmSoundsAreShortPlainPcmWavesWithoutClicks) {
  std::set<std::vector<int16_t>> distinct;
  for (const char* file : {"app/res/Wakora1.wav", "app/res/Wakora2.wav", "app/res/Wakora3.wav"}) {
    SCOPED_TRACE(file);
    const Bytes b = ReadSourceFile(file);
    EXPECT_LT(b.size(), 200u * 1000u);
    const Wave w = ReadWave(b);
    EXPECT_EQ(w.format, 1) << "PCM";
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.bits, 16);
    ASSERT_GT(w.rate, 0);
    const double seconds = double(w.samples.size()) / w.rate;
    EXPECT_GE(seconds, 2.0);
    EXPECT_LE(seconds, 4.0);
    ASSERT_FALSE(w.samples.empty());
    int peak = 0;
    for (int16_t s : w.samples) peak = std::max(peak, std::abs(int(s)));
    const double peak_dbfs = 20.0 * std::log10(peak / 32767.0);
    EXPECT_NEAR(peak_dbfs, -3.0, 0.5) << "loud enough to wake, with headroom";
    // A sound that starts or stops away from zero clicks.
    EXPECT_LT(std::abs(int(w.samples.front())), 64);
    EXPECT_LT(std::abs(int(w.samples.back())), 64);
    distinct.insert(w.samples);
  }
  EXPECT_EQ(distinct.size(), 3u) << "the three choices must sound different";
}

}  // namespace
