// Image files: BMP decoding and writing, and the choice of image in an ICO file. The graphic
// classes hand the results to the system; the bytes themselves come from form descriptions,
// files and resources, so every reader here raises EReadError for what it cannot take and never
// reads outside the data it was given.
//
// Pixels are 0x00RRGGBB, top row first: the memory layout of a top-down 32-bit DIB.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/Sysutils.h"

// biCompression values.
constexpr uint32_t kBmpRgb = 0, kBmpRle8 = 1, kBmpRle4 = 2, kBmpBitfields = 3;

struct TImagePixels {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;  // Width x Height
};

// BMP file bytes (the file header first): the core header or an info header of any later size;
// 1, 4, 8, 16, 24 and 32 bits; uncompressed, bit fields, RLE8 or RLE4; bottom-up or top-down.
// Raises EReadError "Bitmap image is not valid" for anything else.
TImagePixels DecodeBmp(const TBytes& data);

// The fields of a BITMAPINFOHEADER that vary.
struct TBmpFormat {
  int32_t Width = 0;
  int32_t Height = 0;  // negative for top-down rows
  uint16_t BitCount = 32;
  uint32_t Compression = kBmpRgb;
  uint32_t ColorsUsed = 0;
};

// The one BMP writer: the file header and a 40-byte info header of `format`, then `palette`
// (the colour masks and palette entries the format calls for), then the pixel rows `bits`.
TBytes WriteBmp(const TBmpFormat& format, const TBytes& palette, const TBytes& bits);

// A 32-bit bottom-up BMP of `pixels`.
TBytes EncodeBmp(int width, int height, const uint32_t* pixels);

// A BMP file of a bitmap resource, which holds the bitmap without its file header: the info
// header, the colour masks of a bit-fields bitmap, the palette, the pixels. Raises EReadError
// when the header leaves no room for the pixels; the pixels are checked by DecodeBmp.
TBytes BmpFromDib(const TBytes& dib);

// Where an ICO file holds the image that an icon shows.
struct TIconImage {
  uint32_t Offset = 0;  // of the image (a DIB or a PNG) in the file
  uint32_t Size = 0;
  int Width = 0;
  int Height = 0;
  // A DIB of 32 bits may end after its colour rows: its alpha tells what is see-through.
  bool MaskMissing = false;
};

// Checks an ICO file and picks the image nearest the wanted size (32 x 32 unless told); of
// those, the one with the most colours, and of those the first. Raises EReadError "Icon image
// is not valid".
TIconImage ChooseIconImage(const TBytes& data, int wanted_width = 32, int wanted_height = 32);

// The bytes of a chosen image as the system takes an icon image: as stored, or, when it has no
// mask, with one made from its alpha (see-through where the alpha is 0).
TBytes IconImageBytes(const TBytes& data, const TIconImage& image);
