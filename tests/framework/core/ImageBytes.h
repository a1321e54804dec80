// Builders of BMP and ICO bytes for the image tests, native and under Wine. Colours are
// 0x00RRGGBB, pixels top row first.
#pragma once

#include <algorithm>
#include <vector>

#include "framework/core/Imagefile.h"

namespace image_bytes {

constexpr uint32_t kBlack = 0x000000, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF,
                   kWhite = 0xFFFFFF;

// 5 x 3, with distinct rows and columns so that flips and shifts show.
inline const std::vector<uint32_t> kPixels = {
    kRed,   kGreen, kBlue,  kWhite, kBlack,  //
    kBlue,  kBlue,  kRed,   kGreen, kGreen,  //
    kBlack, kWhite, kGreen, kRed,   kBlue,   //
};

inline void Put16(TBytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void Put32(TBytes& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

inline void PutBgr0(TBytes& out, uint32_t rgb) {
  out.insert(out.end(), {static_cast<uint8_t>(rgb), static_cast<uint8_t>(rgb >> 8),
                         static_cast<uint8_t>(rgb >> 16), 0});
}

// A BMP file of the given pixels, written as a typical program writes it: uncompressed, with a
// full palette of the colours in the order they first appear.
inline TBytes MakeBmp(int width, int height, const std::vector<uint32_t>& pixels, int bit_count,
                      bool top_down) {
  std::vector<uint32_t> colors;
  if (bit_count <= 8) {
    for (uint32_t pixel : pixels) {
      if (std::find(colors.begin(), colors.end(), pixel) == colors.end()) colors.push_back(pixel);
    }
    colors.resize(size_t{1} << bit_count, kBlack);
  }
  TBytes palette;
  for (uint32_t color : colors) PutBgr0(palette, color);
  const int stride = ((width * bit_count + 31) / 32) * 4;
  TBytes bits;
  for (int file_row = 0; file_row < height; ++file_row) {
    const int y = top_down ? file_row : height - 1 - file_row;
    TBytes row(static_cast<size_t>(stride), 0);
    for (int x = 0; x < width; ++x) {
      const uint32_t pixel = pixels[static_cast<size_t>(y * width + x)];
      const auto index =
          static_cast<uint8_t>(std::find(colors.begin(), colors.end(), pixel) - colors.begin());
      const auto red = static_cast<uint8_t>(pixel >> 16), green = static_cast<uint8_t>(pixel >> 8),
                 blue = static_cast<uint8_t>(pixel);
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
          const uint32_t value = ((red >> 3) << 10) | ((green >> 3) << 5) | (blue >> 3);
          row[2 * x] = static_cast<uint8_t>(value);
          row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
          break;
        }
        case 24:
          row[3 * x] = blue;
          row[3 * x + 1] = green;
          row[3 * x + 2] = red;
          break;
        case 32:
          row[4 * x] = blue;
          row[4 * x + 1] = green;
          row[4 * x + 2] = red;
          row[4 * x + 3] = 0xA5;  // the fourth byte means nothing in BI_RGB
          break;
      }
    }
    bits.insert(bits.end(), row.begin(), row.end());
  }
  return WriteBmp({.Width = width,
                   .Height = top_down ? -height : height,
                   .BitCount = static_cast<uint16_t>(bit_count),
                   .Compression = kBmpRgb,
                   .ColorsUsed = 0},
                  palette, bits);
}

// Palette: 0 black, 1 red, 2 green, 3 blue.
inline const std::vector<uint32_t> kRlePalette = {kBlack, kRed, kGreen, kBlue};

// An RLE8 or RLE4 file whose palette holds only the given entries (biClrUsed says how many).
inline TBytes RleFile(int width, int height, uint32_t compression, const TBytes& data,
                      const std::vector<uint32_t>& colors = kRlePalette) {
  TBytes palette;
  for (uint32_t color : colors) PutBgr0(palette, color);
  return WriteBmp({.Width = width,
                   .Height = height,
                   .BitCount = static_cast<uint16_t>(compression == kBmpRle8 ? 8 : 4),
                   .Compression = compression,
                   .ColorsUsed = static_cast<uint32_t>(colors.size())},
                  palette, data);
}

inline TBytes Rle8Sample() {
  return RleFile(5, 2, kBmpRle8,
                 {
                     2, 1,              // bottom row: red red
                     0, 3, 2, 3, 1, 0,  // absolute: green blue red, padded
                     0, 0,              // end of line
                     0, 2, 3, 0,        // skip three pixels
                     2, 2,              // green green
                     0, 1,              // end of bitmap
                 });
}

// One icon image: a DIB (header, palette, colour bits, AND mask), all `color` but for a
// see-through top-left pixel (in 32 bits, its alpha 0 too); the mask may be left out.
inline TBytes IconImage(int size, int bit_count, uint32_t color, bool with_mask = true) {
  TBytes out;
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(size));
  Put32(out, static_cast<uint32_t>(2 * size));
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(bit_count));
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  if (bit_count <= 8) {
    PutBgr0(out, kBlack);  // entry 0
    PutBgr0(out, color);
    out.resize(out.size() + 4 * ((size_t{1} << bit_count) - 2), 0);
  }
  const int stride = ((size * bit_count + 31) / 32) * 4;
  for (int row = 0; row < size; ++row) {  // bottom-up
    TBytes line(static_cast<size_t>(stride), 0);
    for (int x = 0; x < size; ++x) {
      const bool see_through = row == size - 1 && x == 0;
      if (bit_count == 4) {
        line[x / 2] |= see_through ? 0 : (x % 2 ? 1 : 0x10);
      } else if (bit_count >= 24 && !see_through) {
        for (int byte = 0; byte < bit_count / 8; ++byte)  // blue, green, red, alpha
          line[bit_count / 8 * x + byte] =
              byte < 3 ? static_cast<uint8_t>(color >> 8 * byte) : 0xFF;
      }
    }
    out.insert(out.end(), line.begin(), line.end());
  }
  if (!with_mask) return out;
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
  uint32_t color;
  bool with_mask = true;
};

inline TBytes MakeIco(const std::vector<IconEntry>& entries) {
  TBytes out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(entries.size()));
  std::vector<TBytes> images;
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
  for (const IconEntry& entry : entries) {
    images.push_back(IconImage(entry.size, entry.bit_count, entry.color, entry.with_mask));
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

}  // namespace image_bytes
