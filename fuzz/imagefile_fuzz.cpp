// Fuzzes the image file readers with the same bytes three ways: as a BMP file (a form's bitmap
// or a file), as a bitmap resource without its file header, and as an ICO file. Each may only
// succeed or raise EReadError. A decoded bitmap must hold exactly its pixels, and, when small
// enough to keep the runs fast, write out and decode again to the very same pixels. A chosen
// icon image must lie inside the data, and one without its mask gets one.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "framework/core/Imagefile.h"

namespace {

// Stops the run with the failed condition's line, so that the finding says what broke.
#define Check(condition) \
  ((condition)           \
       ? void()          \
       : (std::fprintf(stderr, "failed: %s (line %d)\n", #condition, __LINE__), std::abort()))

constexpr size_t kRoundTripPixels = 1 << 16;

void CheckBitmap(const TBytes& file) {
  TImagePixels image;
  try {
    image = DecodeBmp(file);
  } catch (const EReadError&) {
    return;
  }
  Check(image.Width > 0 && image.Height > 0);
  Check(image.Pixels.size() == static_cast<size_t>(image.Width) * image.Height);
  for (uint32_t pixel : image.Pixels) Check(pixel <= 0xFFFFFF);
  if (image.Pixels.size() > kRoundTripPixels) return;
  const TImagePixels again = DecodeBmp(EncodeBmp(image.Width, image.Height, image.Pixels.data()));
  Check(again.Width == image.Width && again.Height == image.Height);
  Check(again.Pixels == image.Pixels);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const TBytes data(bytes, bytes + size);
  CheckBitmap(data);

  TBytes from_resource;
  try {
    from_resource = BmpFromDib(data);
    Check(from_resource.size() == data.size() + 14);
  } catch (const EReadError&) {
  }
  if (!from_resource.empty()) CheckBitmap(from_resource);

  try {
    const TIconImage image = ChooseIconImage(data);
    Check(uint64_t{image.Offset} + image.Size <= size);
    Check(image.Width >= 1 && image.Width <= 256 && image.Height >= 1 && image.Height <= 256);
    // As stored, or completed by a mask: never more or less of the file.
    const TBytes bytes = IconImageBytes(data, image);
    Check(image.MaskMissing ? bytes.size() > image.Size : bytes.size() == image.Size);
  } catch (const EReadError&) {
  }
  return 0;
}
