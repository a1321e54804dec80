// Pictures: the graphic classes that forms store as binary data (bitmap, icon) and the
// picture that holds one of them, with the registry that creates graphics by class name.
//
// Ownership: a picture owns its graphic; a bitmap owns its pixels, its DC while its canvas is
// bound, and the canvas; an icon owns its handle.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/win/Canvas.h"

// ---------------------------------------------------------------------------------------------
// Graphics

// The base of everything a form stores as a picture. "Data" is its stored property: the
// bytes that ReadData reads and WriteData writes.
class TGraphic : public TPersistent {
  DECLARE_CLASS_INFO()
 public:
  virtual void Draw(TCanvas& canvas, const RECT& rect) = 0;
  virtual bool GetEmpty() const = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  virtual void SetWidth(int width) = 0;
  virtual void SetHeight(int height) = 0;
  virtual void ReadData(TStream* stream) { LoadFromStream(stream); }
  virtual void WriteData(TStream* stream) const { SaveToStream(stream); }
  virtual void LoadFromStream(TStream* stream) = 0;
  virtual void SaveToStream(TStream* stream) const = 0;
  void LoadFromFile(const AnsiString& file_name);
  void SaveToFile(const AnsiString& file_name) const;

  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);

  TBytes GetData() const;
  void SetData(const TBytes& data);

  TNotifyEvent OnChange;

 protected:
  void Changed() { OnChange(this); }

 private:
  bool transparent_ = false;
};

// A device-independent bitmap: 32 bits per pixel top-down in memory, whatever the file held.
// The bytes it was loaded from are written back unchanged until its canvas draws on it.
class TBitmap : public TGraphic {
  DECLARE_CLASS_INFO()
 public:
  TBitmap();
  ~TBitmap() override;

  void Draw(TCanvas& canvas, const RECT& rect) override;
  bool GetEmpty() const override { return width_ == 0 || height_ == 0; }
  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  void SetWidth(int width) override { SetSize(width, height_); }
  void SetHeight(int height) override { SetSize(width_, height); }
  void SetSize(int width, int height);
  // BMP file bytes (BITMAPFILEHEADER first): 1, 4, 8, 24 and 32 bits, uncompressed or RLE8/4.
  // Raises EReadError for data that is not such a bitmap.
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) const override;
  // A bitmap resource of a module (what LoadBitmapA finds by that name). Raises EReadError
  // when there is no such resource or it is not a valid bitmap.
  void LoadFromResourceName(HINSTANCE instance, const AnsiString& name);
  void Assign(const TPersistent* source) override;  // null empties it

  // The canvas draws on the bitmap itself.
  TCanvas* Canvas();
  // For reading and for blits from it: drawing through it bypasses the stored-bytes rule above.
  HBITMAP Handle() const { return static_cast<HBITMAP>(bitmap_.Get()); }
  // The pixel at (x, y) as a COLORREF (0x00BBGGRR); CLR_INVALID outside the bitmap.
  COLORREF PixelAt(int x, int y) const;
  // The see-through colour of a transparent draw: the bottom-left pixel.
  COLORREF TransparentColor() const;
  // Draws the part `source` of the bitmap at `dest`, leaving pixels of `transparent` untouched;
  // `smooth` resamples a picture drawn at another size smoothly.
  void DrawTransparent(HDC dc, const RECT& dest, const RECT& source, COLORREF transparent,
                       bool smooth = false) const;

 private:
  // The canvas object lives as long as the bitmap; only its DC comes and goes with the pixels.
  void ReleaseCanvas();
  void BindCanvas();
  void TakePixels(int width, int height, const uint32_t* pixels);
  // Makes a new bitmap (owned, with its bits) the pixels.
  void TakeBitmap(TGdiObject bitmap, uint32_t* bits, int width, int height);
  void LoadFromBytes(TBytes data);
  int width_ = 0;
  int height_ = 0;
  uint32_t* bits_ = nullptr;  // owned by bitmap_
  TGdiObject bitmap_;
  TBytes original_;  // the stored bytes, until the canvas changes the pixels
  std::unique_ptr<TMemoryDC> canvas_dc_;
  std::unique_ptr<TSelectObject> canvas_selection_;
  std::unique_ptr<TCanvas> canvas_;
};

// An icon made from ICO file bytes (the image nearest 32 x 32 is used) or a handle.
class TIcon : public TGraphic {
  DECLARE_CLASS_INFO()
 public:
  TIcon();
  ~TIcon() override;

  void Draw(TCanvas& canvas, const RECT& rect) override;
  bool GetEmpty() const override { return data_.empty() && !handle_; }
  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  // Raises EReadError for data that is not an icon file.
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) const override;
  void Assign(const TPersistent* source) override;

  // The icon's handle, made from the stored data on first use; null for an empty icon.
  HICON Handle();
  // The icon at another size (the notification area's small icons): the nearest image of the
  // file, scaled by the system where it differs; null for an empty icon. Made on first use
  // and kept until the icon changes.
  HICON HandleOfSize(int width, int height);

 private:
  void ReleaseHandle();
  TBytes data_;
  TIconHandle handle_;  // owned
  TIconHandle sized_;   // owned: the last HandleOfSize
  SIZE sized_size_{0, 0};
  int width_ = 0;
  int height_ = 0;
};

// Graphic classes that a picture can create by name. TBitmap and TIcon are always known;
// another class (an animated icon file) registers itself with RegisterGraphicClass<T>().
using TGraphicFactory = std::unique_ptr<TGraphic> (*)();
void RegisterGraphicClass(const TClassInfo& info, TGraphicFactory factory);
template <class T>
void RegisterGraphicClass() {
  RegisterGraphicClass(T::StaticClassInfo(),
                       []() -> std::unique_ptr<TGraphic> { return std::make_unique<T>(); });
}
// The factory of a registered graphic class; null for a name that is not one.
TGraphicFactory FindGraphicClass(const AnsiString& name);

// Holds one graphic of any class; its "Data" stores the class name in front of the bytes.
class TPicture : public TPersistent {
  DECLARE_CLASS_INFO()
 public:
  TPicture();
  ~TPicture() override;

  TGraphic* Graphic() const { return graphic_.get(); }
  void SetGraphic(const TGraphic* graphic);  // copies it
  TBitmap* Bitmap();                         // replaces a graphic of another class
  TIcon* Icon();
  int Width() const { return graphic_ ? graphic_->GetWidth() : 0; }
  int Height() const { return graphic_ ? graphic_->GetHeight() : 0; }
  void Assign(const TPersistent* source) override;

  TBytes GetData() const;
  void SetData(const TBytes& data);

  TNotifyEvent OnChange;

 private:
  void Changed() { OnChange(this); }
  std::unique_ptr<TGraphic> graphic_;
};
