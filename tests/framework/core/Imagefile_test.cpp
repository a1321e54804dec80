// BMP and ICO bytes: what decodes to which pixels, what raises, and the one BMP writer.
#include "framework/core/Imagefile.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>

#include "tests/framework/core/ImageBytes.h"

namespace {

using namespace image_bytes;

void SetU32(TBytes& file, size_t offset, uint32_t value, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) file[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void ExpectPixels(const TImagePixels& image, int width, int height,
                  const std::vector<uint32_t>& pixels, const std::string& what) {
  ASSERT_EQ(image.Width, width) << what;
  ASSERT_EQ(image.Height, height) << what;
  ASSERT_EQ(image.Pixels.size(), pixels.size()) << what;
  for (size_t i = 0; i < pixels.size(); ++i) {
    ASSERT_EQ(image.Pixels[i], pixels[i]) << what << " at " << i % width << ", " << i / width;
  }
}

struct FormatCase {
  int bit_count;
  bool top_down;
};

TEST(DecodeBmp, DecodesEveryUncompressedDepthBothWaysUp) {
  const FormatCase cases[] = {{1, false},  {4, false}, {8, false}, {16, false}, {24, false},
                              {32, false}, {4, true},  {8, true},  {24, true},  {32, true}};
  for (const FormatCase& test : cases) {
    const std::string what =
        std::to_string(test.bit_count) + " bits" + (test.top_down ? ", top-down" : ", bottom-up");
    std::vector<uint32_t> pixels = kPixels;
    if (test.bit_count == 1) {  // two colours only
      for (uint32_t& pixel : pixels) pixel = pixel == kRed || pixel == kWhite ? kWhite : kBlack;
    }
    ExpectPixels(DecodeBmp(MakeBmp(5, 3, pixels, test.bit_count, test.top_down)), 5, 3, pixels,
                 what);
  }
}

// Rows are padded to four bytes; a wrong stride shows as a shifted second row.
TEST(DecodeBmp, EveryWidthFindsItsRowStart) {
  for (int bit_count : {1, 4, 8, 16, 24, 32}) {
    for (int width : {1, 2, 3, 4, 5, 7, 8, 9, 15, 17, 31, 33}) {
      std::vector<uint32_t> pixels;
      for (int i = 0; i < 2 * width; ++i) pixels.push_back(i % 3 == 0 ? kWhite : kBlack);
      ExpectPixels(DecodeBmp(MakeBmp(width, 2, pixels, bit_count, false)), width, 2, pixels,
                   std::to_string(bit_count) + " bits, " + std::to_string(width) + " wide");
    }
  }
}

TEST(DecodeBmp, DecodesTheCoreHeaderAndBitfields) {
  // OS/2 core header: 12 bytes, 16-bit sizes, three-byte palette entries.
  // clang-format off
  const TBytes core = {'B', 'M', 36, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0,
                       12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0,
                       0, 0, 255, 255, 0, 0,  // red, blue
                       0x40, 0, 0, 0};
  // clang-format on
  ExpectPixels(DecodeBmp(core), 2, 1, {kRed, kBlue}, "core header");

  // 16 bits in 5-6-5 through bit-field masks after the header.
  TBytes masks, bits;
  for (uint32_t mask : {0xF800, 0x07E0, 0x001F}) Put32(masks, mask);
  Put16(bits, 0x07E0);
  Put16(bits, 0xF81F);
  TBytes fields = WriteBmp({.Width = 2, .Height = 1, .BitCount = 16, .Compression = kBmpBitfields},
                           masks, bits);
  ExpectPixels(DecodeBmp(fields), 2, 1, {kGreen, 0xFF00FF}, "5-6-5 bitfields");

  // 32 bits, blue and red swapped by the masks; a later header (56 bytes) holds the masks inside.
  masks.clear();
  bits.clear();
  for (uint32_t mask : {0x000000FFu, 0x0000FF00u, 0x00FF0000u, 0u}) Put32(masks, mask);
  Put32(bits, 0x00112233);
  fields = WriteBmp({.Width = 1, .Height = 1, .BitCount = 32, .Compression = kBmpBitfields}, masks,
                    bits);
  ExpectPixels(DecodeBmp(fields), 1, 1, {0x332211}, "masks after the header");
  SetU32(fields, 14, 56);
  ExpectPixels(DecodeBmp(fields), 1, 1, {0x332211}, "masks inside the header");
}

struct RleCase {
  const char* name;
  uint32_t compression;
  int width, height;
  TBytes data;
  std::vector<uint32_t> pixels;  // empty: the file raises
  std::vector<uint32_t> palette = kRlePalette;
};

TEST(DecodeBmp, RunLengthEncodedRowsDecodeOrRaise) {
  const uint32_t kRle8 = kBmpRle8, kRle4 = kBmpRle4;
  // Palette: 0 black, 1 red, 2 green, 3 blue.
  // clang-format off
  const RleCase cases[] = {
      {"RLE8: runs, absolute, end of line, delta", kRle8, 5, 2,
       {2, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 3, 0, 2, 2, 0, 1},
       {kBlack, kBlack, kBlack, kGreen, kGreen, kRed, kRed, kGreen, kBlue, kRed}},
      {"RLE4: runs and absolute alternate their nibbles", kRle4, 7, 1,
       {3, 0x12, 0, 3, 0x31, 0x20, 1, 0x30, 0, 1},
       {kRed, kGreen, kRed, kBlue, kRed, kGreen, kBlue}},
      {"RLE4: 3 pixels absolute take 2 bytes", kRle4, 4, 1,
       {0, 3, 0x12, 0x30, 1, 0x30, 0, 1}, {kRed, kGreen, kBlue, kBlue}},
      {"RLE4: 5 pixels absolute take 3 bytes and a pad", kRle4, 6, 1,
       {0, 5, 0x12, 0x31, 0x20, 0, 1, 0x10, 0, 1}, {kRed, kGreen, kBlue, kRed, kGreen, kRed}},
      {"runs past the right edge are cut off", kRle8, 2, 1,
       {255, 1, 0, 2, 200, 200, 9, 2, 0, 0, 0, 0, 0, 1}, {kRed, kRed}},
      {"a move past the top row writes nothing", kRle8, 2, 2,
       {0, 2, 0, 5, 2, 1, 0, 1}, {kBlack, kBlack, kBlack, kBlack}},
      {"the end marker may be missing once every row is there", kRle8, 2, 1,
       {2, 1, 0, 0}, {kRed, kRed}},
      {"an index past a short palette is black", kRle8, 3, 1,
       {2, 3, 0, 1}, {kBlack, kBlack, kWhite}, {kWhite, kRed}},
      {"rows missing at the end raise", kRle8, 2, 2, {2, 1, 0, 0}, {}},
      {"a move cut off by the end raises", kRle8, 2, 1, {0, 2, 1}, {}},
      {"an absolute run past the end raises", kRle8, 4, 1, {0, 4, 1, 2}, {}},
      {"an RLE4 absolute run past the end raises", kRle4, 8, 1, {0, 8, 0x12, 0x12, 0x12}, {}},
      {"top-down RLE raises", kRle8, 2, -1, {2, 1, 0, 1}, {}},
  };
  // clang-format on
  for (const RleCase& test : cases) {
    const TBytes file = RleFile(test.width, test.height, test.compression, test.data, test.palette);
    if (test.pixels.empty()) {
      EXPECT_THROW(DecodeBmp(file), EReadError) << test.name;
    } else {
      ExpectPixels(DecodeBmp(file), test.width, test.height, test.pixels, test.name);
    }
  }
}

TEST(DecodeBmp, EveryTruncationRaises) {
  const TBytes files[] = {MakeBmp(5, 3, kPixels, 4, false), MakeBmp(5, 3, kPixels, 24, true),
                          MakeBmp(5, 3, kPixels, 32, false), Rle8Sample()};
  for (const TBytes& file : files) {
    for (size_t length = 0; length < file.size(); ++length) {
      const TBytes cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(length));
      EXPECT_THROW(DecodeBmp(cut), EReadError) << "cut to " << length << " bytes";
    }
  }
}

struct Patch {
  size_t offset;
  uint32_t value;
  int bytes = 4;
};

struct BadHeaderCase {
  const char* name;
  std::vector<Patch> patches;
};

TEST(DecodeBmp, ImpossibleHeadersRaise) {
  const BadHeaderCase cases[] = {
      {"not BM", {{0, 'X', 1}}},
      {"zero width", {{18, 0}}},
      {"negative width", {{18, 0xFFFFFFFB}}},
      {"zero height", {{22, 0}}},
      {"height of minus 2^31", {{22, 0x80000000}}},
      {"huge size", {{18, 1000000}}},
      {"more than 2^24 pixels", {{18, 4097}, {22, 4096}}},
      {"7 bits", {{28, 7, 2}}},
      {"unknown compression", {{30, 9}}},
      {"RLE4 on 8 bits", {{30, kBmpRle4}}},
      {"bit fields on 8 bits", {{30, kBmpBitfields}}},
      {"JPEG inside", {{30, 4}}},
      {"header size 0", {{14, 0}}},
      {"header size 1025", {{14, 1025}}},
      {"header beyond the file", {{14, 100000}}},
      {"pixels beyond the file", {{10, 0xFFFFFF00}}},
      {"palette of 1000 colours", {{46, 1000}}},
  };
  const TBytes good = MakeBmp(5, 3, kPixels, 8, false);
  for (const BadHeaderCase& test : cases) {
    TBytes file = good;
    for (const Patch& patch : test.patches) SetU32(file, patch.offset, patch.value, patch.bytes);
    try {
      DecodeBmp(file);
      ADD_FAILURE() << test.name << " was accepted";
    } catch (const EReadError& error) {
      EXPECT_STREQ(error.what(), "Bitmap image is not valid") << test.name;
    }
  }
}

// Random damage must end in pixels or in EReadError, never in a crash or a wild read.
TEST(DecodeBmp, DamagedFilesDecodeOrRaise) {
  const TBytes files[] = {MakeBmp(5, 3, kPixels, 4, false), MakeBmp(5, 3, kPixels, 32, true),
                          Rle8Sample()};
  std::mt19937 random(20240601);
  int decoded = 0;
  for (const TBytes& good : files) {
    for (int round = 0; round < 700; ++round) {
      TBytes file = good;
      const int damage = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < damage; ++i) {
        file[random() % file.size()] = static_cast<uint8_t>(random());
      }
      try {
        const TImagePixels image = DecodeBmp(file);
        ++decoded;
        EXPECT_EQ(image.Pixels.size(), static_cast<size_t>(image.Width) * image.Height);
      } catch (const EReadError&) {
      }
    }
  }
  EXPECT_GT(decoded, 0) << "damage to pixel bytes alone should still decode";
}

TEST(WriteBmp, EncodedPixelsDecodeAsTheyWere) {
  const TBytes file = EncodeBmp(5, 3, kPixels.data());
  EXPECT_EQ(file.size(), 54u + 5 * 3 * 4) << "32 bits, no palette";
  ExpectPixels(DecodeBmp(file), 5, 3, kPixels, "round trip");
}

// A bitmap resource is the file without its first 14 bytes; putting them back gives the file.
TEST(BmpFromDib, GivesBackTheFileTheResourceWasMadeFrom) {
  TBytes masks;
  for (uint32_t mask : {0xF800, 0x07E0, 0x001F}) Put32(masks, mask);
  // clang-format off
  const TBytes core = {'B', 'M', 36, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0,
                       12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0,
                       0, 0, 255, 255, 0, 0, 0x40, 0, 0, 0};
  // clang-format on
  const struct {
    const char* name;
    TBytes file;
  } cases[] = {
      {"1 bit", MakeBmp(5, 3, std::vector<uint32_t>(15, kRed), 1, false)},
      {"4 bits", MakeBmp(5, 3, kPixels, 4, false)},
      {"8 bits", MakeBmp(5, 3, kPixels, 8, true)},
      {"24 bits, no palette", MakeBmp(5, 3, kPixels, 24, false)},
      {"colours used", Rle8Sample()},
      {"bit-field masks after the header",
       WriteBmp({.Width = 2, .Height = 1, .BitCount = 16, .Compression = kBmpBitfields}, masks,
                TBytes(4, 0))},
      {"core header", core},
  };
  for (const auto& test : cases) {
    const TBytes dib(test.file.begin() + 14, test.file.end());
    EXPECT_EQ(BmpFromDib(dib), test.file) << test.name;
  }

  TBytes short_palette(MakeBmp(5, 3, kPixels, 8, false));
  short_palette.erase(short_palette.begin(), short_palette.begin() + 14);
  short_palette.resize(40 + 100);  // 256 colours cannot fit
  const TBytes bad[] = {{}, {40, 0, 0}, short_palette, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}};
  for (const TBytes& dib : bad) {
    EXPECT_THROW(BmpFromDib(dib), EReadError) << dib.size() << " bytes";
  }
}

// ---------------------------------------------------------------------------------------------
// Icons

size_t ImageOffset(const TBytes& ico, int index) {
  const size_t at = 6 + 16 * static_cast<size_t>(index) + 12;
  return ico[at] | ico[at + 1] << 8 | ico[at + 2] << 16 | static_cast<size_t>(ico[at + 3]) << 24;
}

struct ChoiceCase {
  const char* name;
  TBytes file;
  int chosen;  // index of the entry
  int width;
};

TEST(ChooseIconImage, PicksTheImageNearest32WithTheMostColours) {
  TBytes png = MakeIco({{32, 4, kBlue}, {32, 4, kRed}});
  const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::copy(std::begin(signature), std::end(signature), png.begin() + ImageOffset(png, 1));
  png[6 + 16 + 6] = 0;  // a PNG entry often leaves its bit count 0
  TBytes large = MakeIco({{48, 4, kBlue}});
  large[6] = large[7] = 0;  // the directory says 0 for 256
  const ChoiceCase cases[] = {
      {"nearest 32, then most colours",
       MakeIco({{16, 24, kGreen}, {32, 4, kBlue}, {32, 24, kRed}, {48, 24, kWhite}}), 2, 32},
      {"of equal images the first", MakeIco({{32, 4, kBlue}, {32, 4, kRed}}), 0, 32},
      {"16 and 48 are equally near", MakeIco({{16, 24, kRed}, {48, 24, kRed}}), 0, 16},
      {"one image, however far", MakeIco({{16, 4, kRed}}), 0, 16},
      {"a PNG counts as 32 bits", png, 1, 32},
      {"a size of 0 is 256", large, 0, 256},
      {"a 32-bit image without its mask", MakeIco({{32, 4, kBlue}, {32, 32, kRed, false}}), 1, 32},
  };
  for (const ChoiceCase& test : cases) {
    const TIconImage image = ChooseIconImage(test.file);
    EXPECT_EQ(image.Offset, ImageOffset(test.file, test.chosen)) << test.name;
    EXPECT_EQ(image.Width, test.width) << test.name;
    EXPECT_EQ(image.Height, test.width) << test.name;
    const size_t at = 6 + 16 * static_cast<size_t>(test.chosen) + 8;
    EXPECT_EQ(image.Size, static_cast<uint32_t>(test.file[at] | test.file[at + 1] << 8))
        << test.name;
  }
}

TEST(IconImageBytes, AnImageWithoutItsMaskIsSeeThroughWhereItsAlphaIsZero) {
  const TBytes file = MakeIco({{32, 32, kRed, false}});
  EXPECT_EQ(IconImageBytes(file, ChooseIconImage(file)), IconImage(32, 32, kRed));
}

struct BadIconCase {
  const char* name;
  size_t offset;  // from the image's start when `in_image`
  bool in_image;
  uint32_t value;
  int bytes;
};

TEST(ChooseIconImage, BrokenIconFilesRaise) {
  const TBytes good = MakeIco({{32, 4, kBlue}});
  for (size_t length = 0; length < good.size(); length += (length < 64 ? 1 : 97)) {
    const TBytes cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(length));
    EXPECT_THROW(ChooseIconImage(cut), EReadError) << "cut to " << length << " bytes";
  }
  const BadIconCase cases[] = {
      {"not reserved 0", 0, false, 1, 2},
      {"a cursor file is not an icon", 2, false, 2, 2},
      {"no images", 4, false, 0, 2},
      {"image offset past the file", 6 + 12, false, 0x7F000000, 4},
      {"image size past the file", 6 + 8, false, 0x10000, 4},
      {"image smaller than its rows", 6 + 8, false, 40 + 64 + 512 + 128 - 1, 4},
      {"image header of 12 bytes", 0, true, 12, 4},
      {"image width 0", 4, true, 0, 4},
      {"image width 257", 4, true, 257, 4},
      {"image height negative", 8, true, 0xFFFFFFC0, 4},
      {"image of 7 bits", 14, true, 7, 2},
      {"image palette of 300 colours", 32, true, 300, 4},
  };
  const size_t image = ImageOffset(good, 0);
  for (const BadIconCase& test : cases) {
    TBytes file = good;
    SetU32(file, test.offset + (test.in_image ? image : 0), test.value, test.bytes);
    try {
      ChooseIconImage(file);
      ADD_FAILURE() << test.name << " was accepted";
    } catch (const EReadError& error) {
      EXPECT_STREQ(error.what(), "Icon image is not valid") << test.name;
    }
  }
}

}  // namespace
