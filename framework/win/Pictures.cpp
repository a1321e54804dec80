#include "framework/win/Pictures.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <utility>

#include "framework/core/Imagefile.h"

namespace {

const char kIconNotValid[] = "Icon image is not valid";

// The pixels of a picture of that size, or the framework's error for a picture that cannot be
// made when the process could not hold them (on i686 a product past 2^32 would wrap).
size_t PixelCount(int width, int height) {
  const uint64_t pixels = uint64_t(std::max(width, 0)) * uint64_t(std::max(height, 0));
  if (pixels > PTRDIFF_MAX / sizeof(uint32_t)) {
    throw EOutOfResources(
        Format("Cannot create a bitmap: %d x %d pixels do not fit in memory", width, height));
  }
  return static_cast<size_t>(pixels);
}

// A top-down 32-bit DIB section, white.
TGdiObject CreateBitmap32(int width, int height, uint32_t** bits) {
  const size_t pixels = PixelCount(width, height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* memory = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
  if (!bitmap) RaiseLastOSError("Cannot create a bitmap");
  TGdiObject owned(bitmap);
  *bits = static_cast<uint32_t*>(memory);
  std::fill_n(*bits, pixels, 0x00FFFFFFu);
  return owned;
}

// A DC with a bitmap selected: the bitmap's canvas DC while that is bound (a bitmap can be
// selected into only one DC at a time), otherwise a temporary one.
class TBitmapSourceDC {
 public:
  TBitmapSourceDC(const TMemoryDC* canvas_dc, HBITMAP bitmap) {
    if (canvas_dc) {
      dc_ = canvas_dc->Get();
      return;
    }
    temporary_.emplace();
    selection_.emplace(temporary_->Get(), bitmap);
    dc_ = temporary_->Get();
  }
  HDC Get() const { return dc_; }

 private:
  std::optional<TMemoryDC> temporary_;
  std::optional<TSelectObject> selection_;  // goes before the DC it selects into
  HDC dc_ = nullptr;
};

// Sets a DC's text and background colours for the time of a blit and puts them back.
class TDCColors {
 public:
  TDCColors(HDC dc, COLORREF text, COLORREF background)
      : dc_(dc), old_text_(SetTextColor(dc, text)), old_background_(SetBkColor(dc, background)) {}
  ~TDCColors() {
    SetTextColor(dc_, old_text_);
    SetBkColor(dc_, old_background_);
  }
  TDCColors(const TDCColors&) = delete;
  TDCColors& operator=(const TDCColors&) = delete;

 private:
  HDC dc_;
  COLORREF old_text_;
  COLORREF old_background_;
};

// The colours of a part of an image scaled smoothly, with no trace of the key colour: a pixel
// at the edge of the see-through part is averaged from the image's own colours only. The key
// pixels are made black, the image and a map of where it is opaque are resampled alike, and
// each result is divided by how much of it was opaque.
TGdiObject ScaleWithoutKeyColour(HDC image, const RECT& source, int width, int height, COLORREF key,
                                 uint32_t** bits) {
  const int source_width = source.right - source.left;
  const int source_height = source.bottom - source.top;
  uint32_t* colour_bits = nullptr;
  uint32_t* cover_bits = nullptr;
  TGdiObject colour = CreateBitmap32(source_width, source_height, &colour_bits);
  TGdiObject cover = CreateBitmap32(source_width, source_height, &cover_bits);
  TMemoryDC colour_dc;
  TSelectObject colour_selection(colour_dc.Get(), colour.Get());
  BitBlt(colour_dc.Get(), 0, 0, source_width, source_height, image, source.left, source.top,
         SRCCOPY);
  GdiFlush();
  const uint32_t key_pixel = GetRValue(key) << 16 | GetGValue(key) << 8 | GetBValue(key);
  const size_t source_pixels = static_cast<size_t>(source_width) * source_height;
  for (size_t i = 0; i < source_pixels; ++i) {
    const bool see_through = (colour_bits[i] & 0xFFFFFF) == key_pixel;
    if (see_through) colour_bits[i] = 0;
    cover_bits[i] = see_through ? 0 : 0xFFFFFF;
  }

  uint32_t* scaled_cover_bits = nullptr;
  TGdiObject scaled = CreateBitmap32(width, height, bits);
  TGdiObject scaled_cover = CreateBitmap32(width, height, &scaled_cover_bits);
  TMemoryDC cover_dc;
  TSelectObject cover_selection(cover_dc.Get(), cover.Get());
  for (auto [target, from] :
       {std::pair{scaled.Get(), colour_dc.Get()}, std::pair{scaled_cover.Get(), cover_dc.Get()}}) {
    TMemoryDC scaled_dc;
    TSelectObject selection(scaled_dc.Get(), target);
    SetStretchBltMode(scaled_dc.Get(), HALFTONE);
    SetBrushOrgEx(scaled_dc.Get(), 0, 0, nullptr);
    StretchBlt(scaled_dc.Get(), 0, 0, width, height, from, 0, 0, source_width, source_height,
               SRCCOPY);
  }
  GdiFlush();
  const size_t pixels = static_cast<size_t>(width) * height;
  for (size_t i = 0; i < pixels; ++i) {
    const uint32_t opaque = scaled_cover_bits[i] & 0xFF;
    if (opaque == 0 || opaque == 255) continue;
    uint32_t pixel = 0;
    for (int shift : {0, 8, 16}) {
      const uint32_t channel = ((*bits)[i] >> shift & 0xFF) * 255 / opaque;
      pixel |= std::min<uint32_t>(channel, 255) << shift;
    }
    (*bits)[i] = pixel;
  }
  return scaled;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Graphics

const TClassInfo& TGraphic::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TGraphic>("TGraphic", &TPersistent::StaticClassInfo())
          .Property("Data", &TGraphic::GetData, &TGraphic::SetData)
          .StoredIf([](const TGraphic& graphic) { return !graphic.GetEmpty(); },
                    "while it holds a picture")
          .Build();
  return info;
}

void TGraphic::LoadFromFile(const AnsiString& file_name) {
  TFileStream stream(file_name, TFileMode::fmOpenRead);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const AnsiString& file_name) const {
  TFileStream stream(file_name, TFileMode::fmCreate);
  SaveToStream(&stream);
}

void TGraphic::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  Changed();
}

TBytes TGraphic::GetData() const {
  TMemoryStream stream;
  WriteData(&stream);
  return stream.Bytes();
}

void TGraphic::SetData(const TBytes& data) {
  if (data.empty()) {
    Assign(nullptr);
    return;
  }
  TMemoryStream stream;
  stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  stream.SetPosition(0);
  ReadData(&stream);
}

// ---------------------------------------------------------------------------------------------

const TClassInfo& TBitmap::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TBitmap>("TBitmap", &TGraphic::StaticClassInfo()).PublishInherited().Build();
  return info;
}

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  ReleaseCanvas();
}

void TBitmap::ReleaseCanvas() {
  // Unbind the canvas (its pen, brush and font leave the DC), select the old bitmap back,
  // then delete the DC; only then may the bitmap itself go.
  if (canvas_) canvas_->SetHandle(nullptr);
  canvas_selection_.reset();
  canvas_dc_.reset();
}

void TBitmap::BindCanvas() {
  if (!canvas_ || canvas_dc_) return;
  canvas_dc_ = std::make_unique<TMemoryDC>();
  if (bitmap_) canvas_selection_ = std::make_unique<TSelectObject>(canvas_dc_->Get(), Handle());
  canvas_->SetHandle(canvas_dc_->Get());
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TCanvas>();
  BindCanvas();
  // Whoever asks for the canvas may draw: the loaded bytes no longer describe the pixels.
  original_.clear();
  return canvas_.get();
}

// Replaces the pixels; `pixels` (top-down 0x00RRGGBB) may be null for a white bitmap.
void TBitmap::TakePixels(int width, int height, const uint32_t* pixels) {
  TGdiObject bitmap;
  uint32_t* bits = nullptr;
  if (width > 0 && height > 0) {
    bitmap = CreateBitmap32(width, height, &bits);
    if (pixels) std::copy_n(pixels, PixelCount(width, height), bits);
  }
  TakeBitmap(std::move(bitmap), bits, width, height);
}

void TBitmap::TakeBitmap(TGdiObject bitmap, uint32_t* bits, int width, int height) {
  ReleaseCanvas();
  bitmap_ = std::move(bitmap);
  bits_ = bits;
  width_ = width;
  height_ = height;
  BindCanvas();
}

void TBitmap::SetSize(int width, int height) {
  if (width < 0 || height < 0) {
    throw ERangeError(Format("Bitmap size %d x %d is not valid", width, height));
  }
  if (width == width_ && height == height_) return;
  // The pixels that both sizes cover are copied straight into the new bitmap, which is made
  // first: one that cannot be made leaves the old as it was. New pixels are white.
  TGdiObject bitmap;
  uint32_t* bits = nullptr;
  if (width > 0 && height > 0) {
    bitmap = CreateBitmap32(width, height, &bits);
    if (bits_) {
      GdiFlush();
      const int rows = std::min(height, height_);
      const int columns = std::min(width, width_);
      for (int y = 0; y < rows; ++y) {
        std::copy_n(bits_ + static_cast<size_t>(y) * width_, columns,
                    bits + static_cast<size_t>(y) * width);
      }
    }
  }
  TakeBitmap(std::move(bitmap), bits, width, height);
  original_.clear();
  Changed();
}

void TBitmap::LoadFromStream(TStream* stream) {
  LoadFromBytes(stream->ReadAll());
}

void TBitmap::LoadFromBytes(TBytes data) {
  // Decoded before anything changes: a bad file leaves the bitmap as it was.
  TImagePixels decoded = DecodeBmp(data);
  TakePixels(decoded.Width, decoded.Height, decoded.Pixels.data());
  original_ = std::move(data);
  Changed();
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const AnsiString& name) {
  HRSRC resource =
      FindResourceW(instance, WideText(name).c_str(), MAKEINTRESOURCEW(2));  // RT_BITMAP
  HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
  const auto* memory = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  if (!memory) throw EReadError(Format("Bitmap resource %s not found", name.c_str()));
  LoadFromBytes(BmpFromDib(TBytes(memory, memory + SizeofResource(instance, resource))));
}

void TBitmap::SaveToStream(TStream* stream) const {
  if (GetEmpty()) return;
  if (!original_.empty()) {
    stream->WriteBuffer(original_.data(), static_cast<int64_t>(original_.size()));
    return;
  }
  GdiFlush();
  TBytes data = EncodeBmp(width_, height_, bits_);
  stream->WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
}

void TBitmap::Assign(const TPersistent* source) {
  if (source == this) return;
  if (!source) {
    TakePixels(0, 0, nullptr);
    original_.clear();
    Changed();
    return;
  }
  auto* bitmap = dynamic_cast<const TBitmap*>(source);
  if (!bitmap) return TGraphic::Assign(source);
  if (bitmap->bits_) GdiFlush();
  TakePixels(bitmap->width_, bitmap->height_, bitmap->bits_);
  original_ = bitmap->original_;
  if (Transparent() != bitmap->Transparent()) SetTransparent(bitmap->Transparent());
  Changed();
}

COLORREF TBitmap::PixelAt(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  GdiFlush();
  const uint32_t pixel = bits_[static_cast<size_t>(y) * width_ + x];
  return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

COLORREF TBitmap::TransparentColor() const {
  return GetEmpty() ? 0 : PixelAt(0, height_ - 1);
}

void TBitmap::Draw(TCanvas& canvas, const RECT& rect) {
  if (!bitmap_) return;
  const RECT whole{0, 0, width_, height_};
  if (Transparent()) {
    DrawTransparent(canvas.Handle(), rect, whole, TransparentColor(), canvas.SmoothStretch());
    return;
  }
  TBitmapSourceDC source(canvas_dc_.get(), Handle());
  HDC dc = canvas.Handle();
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width == width_ && height == height_) {
    BitBlt(dc, rect.left, rect.top, width, height, source.Get(), 0, 0, canvas.CopyMode());
  } else {
    TStretchMode mode(dc, canvas.SmoothStretch() ? HALFTONE : COLORONCOLOR);
    if (canvas.SmoothStretch()) SetBrushOrgEx(dc, 0, 0, nullptr);  // as HALFTONE asks
    StretchBlt(dc, rect.left, rect.top, width, height, source.Get(), 0, 0, width_, height_,
               canvas.CopyMode());
  }
}

void TBitmap::DrawTransparent(HDC dc, const RECT& dest, const RECT& source, COLORREF transparent,
                              bool smooth) const {
  if (!bitmap_) return;
  const int source_width = source.right - source.left;
  const int source_height = source.bottom - source.top;
  if (source_width <= 0 || source_height <= 0) return;
  const int width = dest.right - dest.left;
  const int height = dest.bottom - dest.top;
  TBitmapSourceDC image(canvas_dc_.get(), Handle());

  // The mask is white where the image has the transparent colour: a blit from colour to
  // monochrome turns the source DC's background colour into white and all else into black.
  TGdiObject mask(CreateBitmap(source_width, source_height, 1, 1, nullptr));
  TMemoryDC mask_dc;
  TSelectObject mask_selection(mask_dc.Get(), mask.Get());
  {
    TDCColors colors(image.Get(), GetTextColor(image.Get()), transparent);
    BitBlt(mask_dc.Get(), 0, 0, source_width, source_height, image.Get(), source.left, source.top,
           SRCCOPY);
  }

  if (smooth && (width != source_width || height != source_height) && width > 0 && height > 0) {
    // The colours resampled smoothly; the see-through part follows the nearest source pixel,
    // so that it keeps its edge. Both at the destination's size, then combined as below.
    uint32_t* bits = nullptr;
    TGdiObject scaled =
        ScaleWithoutKeyColour(image.Get(), source, width, height, transparent, &bits);
    TMemoryDC scaled_dc;
    TSelectObject scaled_selection(scaled_dc.Get(), scaled.Get());
    TGdiObject scaled_mask(CreateBitmap(width, height, 1, 1, nullptr));
    TMemoryDC scaled_mask_dc;
    TSelectObject scaled_mask_selection(scaled_mask_dc.Get(), scaled_mask.Get());
    SetStretchBltMode(scaled_mask_dc.Get(), COLORONCOLOR);
    StretchBlt(scaled_mask_dc.Get(), 0, 0, width, height, mask_dc.Get(), 0, 0, source_width,
               source_height, SRCCOPY);
    TDCColors colors(dc, RGB(0, 0, 0), RGB(255, 255, 255));
    BitBlt(dc, dest.left, dest.top, width, height, scaled_dc.Get(), 0, 0, SRCINVERT);
    BitBlt(dc, dest.left, dest.top, width, height, scaled_mask_dc.Get(), 0, 0, SRCAND);
    BitBlt(dc, dest.left, dest.top, width, height, scaled_dc.Get(), 0, 0, SRCINVERT);
    return;
  }

  // dest ^= image; dest &= mask (transparent pixels keep dest ^ image, the others become 0);
  // dest ^= image. The transparent pixels end as dest, the others as the image. A blit from
  // monochrome to colour maps black to the text colour and white to the background colour.
  TDCColors colors(dc, RGB(0, 0, 0), RGB(255, 255, 255));
  TStretchMode mode(dc, COLORONCOLOR);
  StretchBlt(dc, dest.left, dest.top, width, height, image.Get(), source.left, source.top,
             source_width, source_height, SRCINVERT);
  StretchBlt(dc, dest.left, dest.top, width, height, mask_dc.Get(), 0, 0, source_width,
             source_height, SRCAND);
  StretchBlt(dc, dest.left, dest.top, width, height, image.Get(), source.left, source.top,
             source_width, source_height, SRCINVERT);
}

// ---------------------------------------------------------------------------------------------

const TClassInfo& TIcon::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TIcon>("TIcon", &TGraphic::StaticClassInfo()).PublishInherited().Build();
  return info;
}

TIcon::TIcon() = default;

TIcon::~TIcon() {
  ReleaseHandle();
}

void TIcon::ReleaseHandle() {
  handle_.Reset();
  sized_.Reset();
}

namespace {

// The system's icon of an image of an icon file, at a size; null when the system refuses it.
HICON CreateIconOfImage(const TBytes& data, const TIconImage& image, int width, int height) {
  TBytes bytes = IconImageBytes(data, image);
  return CreateIconFromResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), TRUE, 0x00030000,
                                  width, height, 0);
}

}  // namespace

HICON TIcon::HandleOfSize(int width, int height) {
  if (data_.empty()) return Handle();
  if (sized_ && sized_size_.cx == width && sized_size_.cy == height) return sized_.Get();
  HICON handle = CreateIconOfImage(data_, ChooseIconImage(data_, width, height), width, height);
  if (!handle) RaiseLastOSError("Cannot create an icon");
  sized_.Reset(handle);
  sized_size_ = {width, height};
  return handle;
}

void TIcon::LoadFromStream(TStream* stream) {
  TBytes data = stream->ReadAll();
  const TIconImage image = ChooseIconImage(data);
  HICON handle = CreateIconOfImage(data, image, image.Width, image.Height);
  if (!handle) throw EReadError(kIconNotValid);
  handle_.Reset(handle);
  data_ = std::move(data);
  width_ = image.Width;
  height_ = image.Height;
  Changed();
}

void TIcon::SaveToStream(TStream* stream) const {
  if (!data_.empty()) stream->WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}

HICON TIcon::Handle() {
  if (!handle_ && !data_.empty()) {
    const TIconImage image = ChooseIconImage(data_);
    HICON handle = CreateIconOfImage(data_, image, image.Width, image.Height);
    if (!handle) RaiseLastOSError("Cannot create an icon");
    handle_.Reset(handle);
  }
  return handle_.Get();
}

void TIcon::Assign(const TPersistent* source) {
  if (source == this) return;
  if (!source) {
    ReleaseHandle();
    data_.clear();
    width_ = height_ = 0;
    Changed();
    return;
  }
  auto* icon = dynamic_cast<const TIcon*>(source);
  if (!icon) return TGraphic::Assign(source);
  ReleaseHandle();  // made again from the copied data on first use
  data_ = icon->data_;
  width_ = icon->width_;
  height_ = icon->height_;
  Changed();
}

void TIcon::Draw(TCanvas& canvas, const RECT& rect) {
  HICON icon = Handle();
  if (!icon) return;
  DrawIconEx(canvas.Handle(), rect.left, rect.top, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

// ---------------------------------------------------------------------------------------------
// Graphic classes by name

namespace {

std::map<const TClassInfo*, TGraphicFactory>& GraphicClasses() {
  static std::map<const TClassInfo*, TGraphicFactory> classes;
  return classes;
}

void RegisterBuiltInGraphics() {
  static const bool registered = [] {
    RegisterGraphicClass<TBitmap>();
    RegisterGraphicClass<TIcon>();
    return true;
  }();
  (void)registered;
}

TGraphicFactory FactoryOf(const TClassInfo& info) {
  RegisterBuiltInGraphics();
  auto it = GraphicClasses().find(&info);
  return it == GraphicClasses().end() ? nullptr : it->second;
}

}  // namespace

void RegisterGraphicClass(const TClassInfo& info, TGraphicFactory factory) {
  GraphicClasses()[&info] = factory;
}

TGraphicFactory FindGraphicClass(const AnsiString& name) {
  RegisterBuiltInGraphics();
  const TClassInfo* info = FindClassInfo(name);
  if (!info || !info->InheritsFrom(TGraphic::StaticClassInfo())) return nullptr;
  return FactoryOf(*info);
}

// ---------------------------------------------------------------------------------------------

const TClassInfo& TPicture::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TPicture>("TPicture", &TPersistent::StaticClassInfo())
          .Property("Data", &TPicture::GetData, &TPicture::SetData)
          .StoredIf([](const TPicture& picture) { return picture.Graphic() != nullptr; },
                    "while it holds a picture")
          .Build();
  return info;
}

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

namespace {

std::unique_ptr<TGraphic> NewGraphicLike(const TGraphic& graphic) {
  TGraphicFactory factory = FactoryOf(graphic.ClassInfo());
  if (!factory) {
    throw EConvertError(Format("%s is not a registered graphic class", graphic.ClassName()));
  }
  return factory();
}

}  // namespace

void TPicture::SetGraphic(const TGraphic* graphic) {
  std::unique_ptr<TGraphic> copy;
  if (graphic) {
    copy = NewGraphicLike(*graphic);
    copy->Assign(graphic);
    copy->OnChange = [this](TObject*) { Changed(); };
  }
  graphic_ = std::move(copy);
  Changed();
}

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(graphic_.get())) {
    graphic_ = std::make_unique<TBitmap>();
    graphic_->OnChange = [this](TObject*) { Changed(); };
    Changed();
  }
  return static_cast<TBitmap*>(graphic_.get());
}

TIcon* TPicture::Icon() {
  if (!dynamic_cast<TIcon*>(graphic_.get())) {
    graphic_ = std::make_unique<TIcon>();
    graphic_->OnChange = [this](TObject*) { Changed(); };
    Changed();
  }
  return static_cast<TIcon*>(graphic_.get());
}

void TPicture::Assign(const TPersistent* source) {
  if (source == this) return;
  if (!source) return SetGraphic(nullptr);
  if (auto* picture = dynamic_cast<const TPicture*>(source)) return SetGraphic(picture->Graphic());
  if (auto* graphic = dynamic_cast<const TGraphic*>(source)) return SetGraphic(graphic);
  TPersistent::Assign(source);
}

TBytes TPicture::GetData() const {
  TBytes data;
  if (!graphic_) return data;
  const AnsiString name = graphic_->ClassName();
  data.push_back(static_cast<uint8_t>(name.size()));
  data.insert(data.end(), name.begin(), name.end());
  const TBytes bytes = graphic_->GetData();
  data.insert(data.end(), bytes.begin(), bytes.end());
  return data;
}

void TPicture::SetData(const TBytes& data) {
  if (data.empty()) return SetGraphic(nullptr);
  const size_t name_length = data[0];
  if (name_length == 0 || 1 + name_length > data.size()) {
    throw EReadError("Picture data is not valid");
  }
  const AnsiString name(data.begin() + 1, data.begin() + 1 + static_cast<ptrdiff_t>(name_length));
  TGraphicFactory factory = FindGraphicClass(name);
  if (!factory) throw EReadError(Format("Unknown picture format %s", name.c_str()));
  std::unique_ptr<TGraphic> graphic = factory();
  graphic->SetData(TBytes(data.begin() + 1 + static_cast<ptrdiff_t>(name_length), data.end()));
  graphic->OnChange = [this](TObject*) { Changed(); };
  graphic_ = std::move(graphic);
  Changed();
}
