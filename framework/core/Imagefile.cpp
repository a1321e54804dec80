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

}  // namespace

TImagePixels DecodeBmp(const TBytes& data) {
  TLittleEndian in(data, kBitmapNotValid);
  if (data.size() < 2 || data[0] != 'B' || data[1] != 'M') in.Fail();
  const uint32_t bits_offset = in.U32(10);
  const uint32_t header_size = in.U32(14);
  int64_t width = 0;
  int64_t height = 0;
  int bit_count = 0;
  uint32_t compression = kBmpRgb;
  uint32_t colors_used = 0;
  uint64_t palette_entry = 4;
  if (header_size == 12) {  // the OS/2 core header
    width = in.U16(18);
    height = in.U16(20);
    bit_count = in.U16(24);
    palette_entry = 3;
  } else if (header_size >= kInfoHeaderSize && header_size <= 1024) {
    width = in.I32(18);
    height = in.I32(22);
    bit_count = in.U16(28);
    compression = in.U32(30);
    colors_used = in.U32(46);
  } else {
    in.Fail();
  }
  const uint64_t header_end = kFileHeaderSize + uint64_t{header_size};
  in.Need(0, header_end);

  const bool top_down = height < 0;
  if (top_down) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide ||
      width * height > kMaxBitmapPixels) {
    in.Fail();
  }
  switch (compression) {
    case kBmpRgb:
      if (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 16 &&
          bit_count != 24 && bit_count != 32) {
        in.Fail();
      }
      break;
    case kBmpRle8:
      if (bit_count != 8 || top_down) in.Fail();
      break;
    case kBmpRle4:
      if (bit_count != 4 || top_down) in.Fail();
      break;
    case kBmpBitfields:
      if (bit_count != 16 && bit_count != 32) in.Fail();
      break;
    default:
      in.Fail();
  }
  const bool rle = compression == kBmpRle8 || compression == kBmpRle4;
  const uint64_t stride = ((static_cast<uint64_t>(width) * bit_count + 31) / 32) * 4;
  // Checked before the pixels are allocated, so that a short file cannot ask for much memory.
  if (!rle) in.Need(bits_offset, stride * static_cast<uint64_t>(height));

  std::vector<uint32_t> palette;
  TChannel red(0x7C00), green(0x03E0), blue(0x001F);
  if (compression == kBmpBitfields) {
    // A plain info header has the masks after it; the later headers hold them inside.
    const uint64_t masks =
        header_size == kInfoHeaderSize ? header_end : kFileHeaderSize + kInfoHeaderSize;
    red = TChannel(in.U32(masks));
    green = TChannel(in.U32(masks + 4));
    blue = TChannel(in.U32(masks + 8));
  } else if (bit_count == 32) {
    red = TChannel(0x00FF0000);
    green = TChannel(0x0000FF00);
    blue = TChannel(0x000000FF);
  }
  if (bit_count <= 8) {
    const uint64_t count = colors_used ? colors_used : (uint64_t{1} << bit_count);
    if (count > 256) in.Fail();
    in.Need(header_end, count * palette_entry);
    for (uint64_t i = 0; i < count; ++i) {
      const uint64_t at = header_end + i * palette_entry;
      palette.push_back((uint32_t{data[at + 2]} << 16) | (uint32_t{data[at + 1]} << 8) | data[at]);
    }
  }
  // An index past a short palette is black.
  auto color_of = [&](uint32_t index) -> uint32_t {
    return index < palette.size() ? palette[index] : 0;
  };

  TImagePixels result;
  result.Width = static_cast<int>(width);
  result.Height = static_cast<int>(height);
  result.Pixels.assign(static_cast<size_t>(width * height), color_of(0));
  auto row_of = [&](int64_t file_row) -> uint32_t* {
    const int64_t y = top_down ? file_row : height - 1 - file_row;
    return &result.Pixels[static_cast<size_t>(y * width)];
  };

  if (rle) {
    const bool rle8 = compression == kBmpRle8;
    uint64_t pos = bits_offset;
    int64_t x = 0;
    int64_t y = 0;  // counted from the bottom row
    // Runs and moves past the right edge or the top row are cut off there.
    auto put = [&](uint32_t index) {
      if (x < width && y < height) row_of(y)[x] = color_of(index);
      ++x;
    };
    for (;;) {
      if (pos + 2 > data.size()) {
        if (y >= height) break;  // every row is there; only the end marker is missing
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
    return result;
  }

  for (int64_t file_row = 0; file_row < height; ++file_row) {
    const uint8_t* source = &data[bits_offset + file_row * stride];
    uint32_t* target = row_of(file_row);
    for (int64_t x = 0; x < width; ++x) {
      switch (bit_count) {
        case 1:
          target[x] = color_of((source[x / 8] >> (7 - x % 8)) & 1);
          break;
        case 4:
          target[x] = color_of(x % 2 == 0 ? source[x / 2] >> 4 : source[x / 2] & 15);
          break;
        case 8:
          target[x] = color_of(source[x]);
          break;
        case 24:
          target[x] = (uint32_t{source[3 * x + 2]} << 16) | (uint32_t{source[3 * x + 1]} << 8) |
                      source[3 * x];
          break;
        case 16:
        case 32: {
          uint32_t pixel = bit_count == 16
                               ? uint32_t{source[2 * x]} | (source[2 * x + 1] << 8)
                               : uint32_t{source[4 * x]} | (uint32_t{source[4 * x + 1]} << 8) |
                                     (uint32_t{source[4 * x + 2]} << 16) |
                                     (uint32_t{source[4 * x + 3]} << 24);
          target[x] = (red.Of(pixel) << 16) | (green.Of(pixel) << 8) | blue.Of(pixel);
          break;
        }
      }
    }
  }
  return result;
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
      // The header's height counts the colour rows and the mask rows.
      const uint64_t rows = static_cast<uint64_t>(height) / 2;
      const uint64_t palette =
          bit_count <= 8 ? 4 * uint64_t{colors_used ? colors_used : (1u << bit_count)} : 0;
      const uint64_t color_stride =
          ((uint64_t{static_cast<uint32_t>(width)} * bit_count + 31) / 32) * 4;
      const uint64_t mask_stride = ((uint64_t{static_cast<uint32_t>(width)} + 31) / 32) * 4;
      if (palette > 4 * 256 ||
          kInfoHeaderSize + palette + (color_stride + mask_stride) * rows > image.Size) {
        in.Fail();
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
