#include "framework/core/Imagefile.h"

#include <algorithm>
#include <cstdlib>

namespace {

const char kBitmapNotValid[] = "Bitmap image is not valid";
const char kIconNotValid[] = "Icon image is not valid";

// Little-endian fields of file data; a field past the end raises EReadError with `error`.
class TLittleEndian {
 public:
  TLittleEndian(const TBytes& data, const char* error) : data_(data), error_(error) {}
  [[noreturn]] void Fail() const { throw EReadError(error_); }
  void Need(uint64_t offset, uint64_t count) const {
    if (offset > data_.size() || count > data_.size() - offset) Fail();
  }
  uint8_t U8(uint64_t offset) const {
    Need(offset, 1);
    return data_[offset];
  }
  uint16_t U16(uint64_t offset) const {
    Need(offset, 2);
    return static_cast<uint16_t>(data_[offset] | (data_[offset + 1] << 8));
  }
  uint32_t U32(uint64_t offset) const {
    Need(offset, 4);
    return static_cast<uint32_t>(data_[offset]) | (static_cast<uint32_t>(data_[offset + 1]) << 8) |
           (static_cast<uint32_t>(data_[offset + 2]) << 16) |
           (static_cast<uint32_t>(data_[offset + 3]) << 24);
  }
  int32_t I32(uint64_t offset) const { return static_cast<int32_t>(U32(offset)); }

 private:
  const TBytes& data_;
  const char* error_;
};

void PutU16(TBytes& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(TBytes& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

void PutFileHeader(TBytes& out, uint64_t file_size, uint64_t bits_offset) {
  if (file_size > UINT32_MAX) throw EReadError(kBitmapNotValid);
  out.push_back('B');
  out.push_back('M');
  PutU32(out, static_cast<uint32_t>(file_size));
  PutU32(out, 0);
  PutU32(out, static_cast<uint32_t>(bits_offset));
}

// Large enough for any wallpaper or glyph; small enough that a few bytes of RLE data cannot
// ask for gigabytes.
constexpr int64_t kMaxBitmapSide = 32768;
constexpr int64_t kMaxBitmapPixels = int64_t{1} << 24;

// One colour channel of a bit-fields or 16-bit pixel, scaled to 0..255.
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  uint32_t Max = 0;
  explicit TChannel(uint32_t mask) : Mask(mask) {
    if (!mask) return;
    while (!(mask & 1)) {
      mask >>= 1;
      ++Shift;
    }
    Max = mask;
  }
  uint32_t Of(uint32_t pixel) const {
    if (!Max) return 0;
    return static_cast<uint32_t>((uint64_t{(pixel & Mask) >> Shift} * 255 + Max / 2) / Max);
  }
};

// What a bitmap file's headers say, checked: a size that fits, a known bit count for its
// compression.
struct TBmpHeader {
  int64_t Width = 0;
  int64_t Height = 0;  // positive; TopDown tells the row order
  bool TopDown = false;
  int BitCount = 0;
  uint32_t Compression = kBmpRgb;
  uint32_t ColorsUsed = 0;
  uint32_t HeaderSize = 0;
  uint64_t HeaderEnd = 0;     // where the palette (or the bit-field masks) begins
  uint64_t PaletteEntry = 4;  // bytes per palette entry: 3 in the OS/2 core header
  uint32_t BitsOffset = 0;
  uint64_t Stride = 0;  // bytes per row of uncompressed pixels
  bool Rle() const { return Compression == kBmpRle8 || Compression == kBmpRle4; }
};

TBmpHeader ReadBmpHeader(TLittleEndian& in, const TBytes& data) {
  if (data.size() < 2 || data[0] != 'B' || data[1] != 'M') in.Fail();
  TBmpHeader header;
  header.BitsOffset = in.U32(10);
  header.HeaderSize = in.U32(14);
  if (header.HeaderSize == 12) {  // the OS/2 core header
    header.Width = in.U16(18);
    header.Height = in.U16(20);
    header.BitCount = in.U16(24);
    header.PaletteEntry = 3;
  } else if (header.HeaderSize >= kInfoHeaderSize && header.HeaderSize <= 1024) {
    header.Width = in.I32(18);
    header.Height = in.I32(22);
    header.BitCount = in.U16(28);
    header.Compression = in.U32(30);
    header.ColorsUsed = in.U32(46);
  } else {
    in.Fail();
  }
  header.HeaderEnd = kFileHeaderSize + uint64_t{header.HeaderSize};
  in.Need(0, header.HeaderEnd);

  header.TopDown = header.Height < 0;
  if (header.TopDown) header.Height = -header.Height;
  const int64_t width = header.Width, height = header.Height;
  if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide ||
      width * height > kMaxBitmapPixels) {
    in.Fail();
  }
  const int bits = header.BitCount;
  switch (header.Compression) {
    case kBmpRgb:
      if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        in.Fail();
      }
      break;
    case kBmpRle8:
      if (bits != 8 || header.TopDown) in.Fail();
      break;
    case kBmpRle4:
      if (bits != 4 || header.TopDown) in.Fail();
      break;
    case kBmpBitfields:
      if (bits != 16 && bits != 32) in.Fail();
      break;
    default:
      in.Fail();
  }
  header.Stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
  // Checked before the pixels are allocated, so that a short file cannot ask for much memory.
  if (!header.Rle()) in.Need(header.BitsOffset, header.Stride * static_cast<uint64_t>(height));
  return header;
}

// The colours of a bitmap: a palette of up to 256 entries, or the channels of its 16- and
// 32-bit pixels. An index past a short palette is black.
struct TBmpColors {
  std::vector<uint32_t> Palette;
  TChannel Red{0x7C00}, Green{0x03E0}, Blue{0x001F};
  uint32_t Of(uint32_t index) const { return index < Palette.size() ? Palette[index] : 0; }
};

TBmpColors ReadBmpColors(TLittleEndian& in, const TBytes& data, const TBmpHeader& header) {
  TBmpColors colors;
  if (header.Compression == kBmpBitfields) {
    // A plain info header has the masks after it; the later headers hold them inside.
    const uint64_t masks =
        header.HeaderSize == kInfoHeaderSize ? header.HeaderEnd : kFileHeaderSize + kInfoHeaderSize;
    colors.Red = TChannel(in.U32(masks));
    colors.Green = TChannel(in.U32(masks + 4));
    colors.Blue = TChannel(in.U32(masks + 8));
  } else if (header.BitCount == 32) {
    colors.Red = TChannel(0x00FF0000);
    colors.Green = TChannel(0x0000FF00);
    colors.Blue = TChannel(0x000000FF);
  }
  if (header.BitCount <= 8) {
    const uint64_t count = header.ColorsUsed ? header.ColorsUsed : (uint64_t{1} << header.BitCount);
    if (count > 256) in.Fail();
    in.Need(header.HeaderEnd, count * header.PaletteEntry);
    for (uint64_t i = 0; i < count; ++i) {
      const uint64_t at = header.HeaderEnd + i * header.PaletteEntry;
      colors.Palette.push_back((uint32_t{data[at + 2]} << 16) | (uint32_t{data[at + 1]} << 8) |
                               data[at]);
    }
  }
  return colors;
}

// The pixels of a file row (0 the first row in the file) in the picture.
uint32_t* PictureRow(TImagePixels& picture, const TBmpHeader& header, int64_t file_row) {
  const int64_t y = header.TopDown ? file_row : header.Height - 1 - file_row;
  return &picture.Pixels[static_cast<size_t>(y * header.Width)];
}

// Run-length encoded pixels (8 or 4 bits): runs, absolute runs, row ends and moves.
void DecodeBmpRle(TLittleEndian& in, const TBytes& data, const TBmpHeader& header,
                  const TBmpColors& colors, TImagePixels& picture) {
  const bool rle8 = header.Compression == kBmpRle8;
  uint64_t pos = header.BitsOffset;
  int64_t x = 0;
  int64_t y = 0;  // counted from the bottom row
  // Runs and moves past the right edge or the top row are cut off there.
  auto put = [&](uint32_t index) {
    if (x < header.Width && y < header.Height) PictureRow(picture, header, y)[x] = colors.Of(index);
    ++x;
  };
  for (;;) {
    if (pos + 2 > data.size()) {
      if (y >= header.Height) break;  // every row is there; only the end marker is missing
      in.Fail();
    }
    const uint8_t count = data[pos];
    const uint8_t value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(rle8 ? value : (i % 2 == 0 ? value >> 4 : value & 15));
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      x += in.U8(pos);
      y += in.U8(pos + 1);
      pos += 2;
    } else {
      // An absolute run of `value` pixels, padded to a whole number of 16-bit words.
      const uint64_t bytes = rle8 ? value : (value + 1u) / 2;
      in.Need(pos, (bytes + 1) & ~uint64_t{1});
      for (int i = 0; i < value; ++i) {
        const uint8_t byte = data[pos + (rle8 ? i : i / 2)];
        put(rle8 ? byte : (i % 2 == 0 ? byte >> 4 : byte & 15));
      }
      pos += (bytes + 1) & ~uint64_t{1};
    }
  }
}

// Uncompressed rows: palette indices of 1, 4 or 8 bits, or colours of 16, 24 or 32 bits.
void DecodeBmpRows(const TBytes& data, const TBmpHeader& header, const TBmpColors& colors,
                   TImagePixels& picture) {
  for (int64_t file_row = 0; file_row < header.Height; ++file_row) {
    const uint8_t* source = &data[header.BitsOffset + file_row * header.Stride];
    uint32_t* target = PictureRow(picture, header, file_row);
    for (int64_t x = 0; x < header.Width; ++x) {
      switch (header.BitCount) {
        case 1:
          target[x] = colors.Of((source[x / 8] >> (7 - x % 8)) & 1);
          break;
        case 4:
          target[x] = colors.Of(x % 2 == 0 ? source[x / 2] >> 4 : source[x / 2] & 15);
          break;
        case 8:
          target[x] = colors.Of(source[x]);
          break;
        case 24:
          target[x] = (uint32_t{source[3 * x + 2]} << 16) | (uint32_t{source[3 * x + 1]} << 8) |
                      source[3 * x];
          break;
        case 16:
        case 32: {
          const uint32_t pixel =
              header.BitCount == 16
                  ? uint32_t{source[2 * x]} | (source[2 * x + 1] << 8)
                  : uint32_t{source[4 * x]} | (uint32_t{source[4 * x + 1]} << 8) |
                        (uint32_t{source[4 * x + 2]} << 16) | (uint32_t{source[4 * x + 3]} << 24);
          target[x] =
              (colors.Red.Of(pixel) << 16) | (colors.Green.Of(pixel) << 8) | colors.Blue.Of(pixel);
          break;
        }
      }
    }
  }
}

}  // namespace

TImagePixels DecodeBmp(const TBytes& data) {
  TLittleEndian in(data, kBitmapNotValid);
  const TBmpHeader header = ReadBmpHeader(in, data);
  const TBmpColors colors = ReadBmpColors(in, data, header);
  TImagePixels picture;
  picture.Width = static_cast<int>(header.Width);
  picture.Height = static_cast<int>(header.Height);
  picture.Pixels.assign(static_cast<size_t>(header.Width * header.Height), colors.Of(0));
  if (header.Rle()) {
    DecodeBmpRle(in, data, header, colors, picture);
  } else {
    DecodeBmpRows(data, header, colors, picture);
  }
  return picture;
}

TBytes WriteBmp(const TBmpFormat& format, const TBytes& palette, const TBytes& bits) {
  const uint64_t bits_offset = kFileHeaderSize + kInfoHeaderSize + uint64_t{palette.size()};
  TBytes out;
  out.reserve(static_cast<size_t>(bits_offset) + bits.size());
  PutFileHeader(out, bits_offset + bits.size(), bits_offset);
  PutU32(out, kInfoHeaderSize);
  PutU32(out, static_cast<uint32_t>(format.Width));
  PutU32(out, static_cast<uint32_t>(format.Height));
  PutU16(out, 1);  // planes
  PutU16(out, format.BitCount);
  PutU32(out, format.Compression);
  PutU32(out, static_cast<uint32_t>(bits.size()));
  PutU32(out, 0);  // pixels per metre, across and down
  PutU32(out, 0);
  PutU32(out, format.ColorsUsed);
  PutU32(out, 0);  // colours important
  out.insert(out.end(), palette.begin(), palette.end());
  out.insert(out.end(), bits.begin(), bits.end());
  return out;
}

TBytes EncodeBmp(int width, int height, const uint32_t* pixels) {
  TBytes bits;
  bits.reserve(static_cast<size_t>(width) * height * 4);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) PutU32(bits, pixels[static_cast<size_t>(y) * width + x]);
  }
  return WriteBmp({.Width = width, .Height = height}, {}, bits);
}

TBytes BmpFromDib(const TBytes& dib) {
  TLittleEndian in(dib, kBitmapNotValid);
  const uint32_t header_size = in.U32(0);
  uint64_t bits_offset = kFileHeaderSize + uint64_t{header_size};
  if (header_size == 12) {
    const int bit_count = in.U16(10);
    if (bit_count <= 8) bits_offset += 3 * (uint64_t{1} << bit_count);
  } else {
    const int bit_count = in.U16(14);
    const uint32_t colors_used = in.U32(32);
    if (in.U32(16) == kBmpBitfields && header_size == kInfoHeaderSize) bits_offset += 12;
    if (colors_used) {
      bits_offset += 4 * uint64_t{colors_used};
    } else if (bit_count <= 8) {
      bits_offset += 4 * (uint64_t{1} << bit_count);
    }
  }
  if (bits_offset > kFileHeaderSize + dib.size()) in.Fail();
  TBytes file;
  file.reserve(kFileHeaderSize + dib.size());
  PutFileHeader(file, kFileHeaderSize + uint64_t{dib.size()}, bits_offset);
  file.insert(file.end(), dib.begin(), dib.end());
  return file;
}

namespace {

// The layout of an icon's DIB: its header's height counts the colour rows and the mask rows.
struct TIconDib {
  uint64_t Rows = 0;
  uint64_t Palette = 0;  // bytes
  uint64_t ColorStride = 0;
  uint64_t MaskStride = 0;
};

TIconDib IconDibOf(int32_t width, int32_t height, int bit_count, uint32_t colors_used) {
  TIconDib dib;
  dib.Rows = static_cast<uint64_t>(height) / 2;
  dib.Palette = bit_count <= 8 ? 4 * uint64_t{colors_used ? colors_used : (1u << bit_count)} : 0;
  dib.ColorStride = ((uint64_t{static_cast<uint32_t>(width)} * bit_count + 31) / 32) * 4;
  dib.MaskStride = ((uint64_t{static_cast<uint32_t>(width)} + 31) / 32) * 4;
  return dib;
}

}  // namespace

TIconImage ChooseIconImage(const TBytes& data, int wanted_width, int wanted_height) {
  TLittleEndian in(data, kIconNotValid);
  if (in.U16(0) != 0 || in.U16(2) != 1) in.Fail();
  const int count = in.U16(4);
  if (count == 0) in.Fail();
  TIconImage best;
  int best_distance = 0;
  int best_bits = -1;
  for (int i = 0; i < count; ++i) {
    const uint64_t entry = 6 + 16 * static_cast<uint64_t>(i);
    TIconImage image;
    image.Width = in.U8(entry) ? in.U8(entry) : 256;
    image.Height = in.U8(entry + 1) ? in.U8(entry + 1) : 256;
    const int colors = in.U8(entry + 2);
    int bits = in.U16(entry + 6);
    image.Size = in.U32(entry + 8);
    image.Offset = in.U32(entry + 12);
    in.Need(image.Offset, image.Size);

    // The image is a DIB (header, palette, colour bits, AND mask) or a PNG.
    static const uint8_t kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (image.Size >= 8 && std::equal(kPng, kPng + 8, data.begin() + image.Offset)) {
      if (bits == 0) bits = 32;
    } else {
      if (image.Size < kInfoHeaderSize || in.U32(image.Offset) != kInfoHeaderSize) in.Fail();
      const int32_t width = in.I32(image.Offset + 4);
      const int32_t height = in.I32(image.Offset + 8);
      const int bit_count = in.U16(image.Offset + 14);
      const uint32_t colors_used = in.U32(image.Offset + 32);
      if (width <= 0 || width > 256 || height <= 0 || height > 512 ||
          (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 16 &&
           bit_count != 24 && bit_count != 32)) {
        in.Fail();
      }
      const TIconDib dib = IconDibOf(width, height, bit_count, colors_used);
      const uint64_t colours_end = kInfoHeaderSize + dib.Palette + dib.ColorStride * dib.Rows;
      if (dib.Palette > 4 * 256 || colours_end > image.Size) in.Fail();
      if (colours_end + dib.MaskStride * dib.Rows > image.Size) {
        // Only an image of 32 bits can do without its mask: its alpha stands for it.
        if (bit_count != 32) in.Fail();
        image.MaskMissing = true;
      }
      if (bits == 0) bits = bit_count;
    }
    if (bits == 0 && colors > 0) {
      while ((1 << bits) < colors) ++bits;
    }
    const int distance =
        std::abs(image.Width - wanted_width) + std::abs(image.Height - wanted_height);
    if (best_bits < 0 || distance < best_distance ||
        (distance == best_distance && bits > best_bits)) {
      best = image;
      best_distance = distance;
      best_bits = bits;
    }
  }
  return best;
}

TBytes IconImageBytes(const TBytes& data, const TIconImage& image) {
  TLittleEndian in(data, kIconNotValid);
  in.Need(image.Offset, image.Size);
  const auto start = data.begin() + image.Offset;
  if (!image.MaskMissing) return TBytes(start, start + image.Size);
  const int32_t width = in.I32(image.Offset + 4);
  const TIconDib dib = IconDibOf(width, in.I32(image.Offset + 8), 32, 0);
  const uint64_t colours_end = kInfoHeaderSize + dib.ColorStride * dib.Rows;
  if (colours_end > image.Size) in.Fail();
  TBytes bytes(start, start + static_cast<ptrdiff_t>(colours_end));
  bytes.reserve(static_cast<size_t>(colours_end + dib.MaskStride * dib.Rows));
  // Mask rows in the colour rows' order (bottom up); a set bit is see-through.
  for (uint64_t row = 0; row < dib.Rows; ++row) {
    const uint8_t* pixels = &bytes[kInfoHeaderSize + row * dib.ColorStride];
    TBytes mask(static_cast<size_t>(dib.MaskStride), 0);
    for (int32_t x = 0; x < width; ++x) {
      if (pixels[4 * x + 3] == 0) mask[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    bytes.insert(bytes.end(), mask.begin(), mask.end());
  }
  return bytes;
}
