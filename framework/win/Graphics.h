// Graphics: fonts, pens and brushes, the canvas over a device context, and the graphic classes
// (bitmap, icon, picture) that forms store as binary data.
//
// Ownership: every GDI object is held by a TGdiObject (or a TIcon's TIconHandle) and counted
// in LiveGdiObjects(), so tests can prove that nothing leaks: GetGuiResources answers 0 under
// Wine, and Wine quietly frees a bitmap still selected into a DC where Windows would leak it.
// A canvas that binds a DC saves its state first and restores it when it lets go, so every
// object it selected is deselected before its owner deletes it.
// Coordinates are device pixels, origin at the top left.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/core/Classes.h"
#include "framework/core/Colors.h"
#include "framework/core/Typinfo.h"
#include "framework/win/Platform.h"

// ---------------------------------------------------------------------------------------------
// GDI ownership

// Live GDI objects (pens, brushes, fonts, bitmaps, regions, memory DCs, icons) created by us.
int LiveGdiObjects();

// Owns one GDI object (HPEN, HBRUSH, HFONT, HBITMAP, HRGN). Raises EOutOfResources with the
// system's error text when given a null handle to take over from a failed creation.
class TGdiObject {
 public:
  TGdiObject() = default;
  explicit TGdiObject(HGDIOBJ handle);
  ~TGdiObject() { Reset(); }
  TGdiObject(TGdiObject&& other) noexcept;
  TGdiObject& operator=(TGdiObject&& other) noexcept;
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;

  HGDIOBJ Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(HGDIOBJ handle = nullptr);  // deletes the old object
  HGDIOBJ Release();                     // gives it up without deleting it

 private:
  HGDIOBJ handle_ = nullptr;  // owned
};

// A memory DC compatible with the screen; counted like the GDI objects.
class TMemoryDC {
 public:
  TMemoryDC();
  ~TMemoryDC();
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;  // owned
};

// Selects an object into a DC for its lifetime and selects the old one back afterwards.
class TSelectObject {
 public:
  TSelectObject(HDC dc, HGDIOBJ object);
  ~TSelectObject();
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;

 private:
  HDC dc_;       // not owned
  HGDIOBJ old_;  // not owned
};

// The screen's DC for the lifetime of the object.
class TScreenDC {
 public:
  TScreenDC() : dc_(GetDC(nullptr)) {}
  ~TScreenDC() { ReleaseDC(nullptr, dc_); }
  TScreenDC(const TScreenDC&) = delete;
  TScreenDC& operator=(const TScreenDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

COLORREF ColorToRGB(TColor color);

// ---------------------------------------------------------------------------------------------
// Pens, brushes, fonts

class TGraphicsObject : public TPersistent {
  DECLARE_CLASS_INFO()
 public:
  // Before the old handle goes: a canvas that selected it selects it out.
  TNotifyEvent OnChange;
  // After the old handle has gone: a window that uses the object may take the new one.
  TNotifyEvent OnAfterChange;

 protected:
  // Fires OnChange (a canvas deselects the object), drops the old handle, fires OnAfterChange.
  void Changed();
  virtual void ReleaseHandle() = 0;
};

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TPenMode {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};
enum class TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};
const TEnumInfo& EnumInfoOf(TPenStyle);
const TEnumInfo& EnumInfoOf(TPenMode);
const TEnumInfo& EnumInfoOf(TBrushStyle);

class TPen : public TGraphicsObject {
  DECLARE_CLASS_INFO()
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Width() const { return width_; }
  void SetWidth(int width);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle style);
  TPenMode Mode() const { return mode_; }  // applied by the canvas as the DC's ROP2
  void SetMode(TPenMode mode);
  HPEN Handle();  // created on first use
  void Assign(const TPersistent* source) override;

 protected:
  void ReleaseHandle() override { handle_.Reset(); }

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = TPenStyle::psSolid;
  TPenMode mode_ = TPenMode::pmCopy;
  TGdiObject handle_;
};

class TBrush : public TGraphicsObject {
  DECLARE_CLASS_INFO()
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);
  HBRUSH Handle();  // created on first use; the null brush for bsClear
  void Assign(const TPersistent* source) override;

 protected:
  void ReleaseHandle() override { handle_.Reset(); }

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = TBrushStyle::bsSolid;
  TGdiObject handle_;
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;
const TEnumInfo& FontStyleInfo();  // fsBold, fsItalic, fsUnderline, fsStrikeOut
const TIdentMap& CharsetIdents();  // ANSI_CHARSET, DEFAULT_CHARSET, ...

class TFont : public TGraphicsObject {
  DECLARE_CLASS_INFO()
 public:
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& name);
  // Height in pixels; negative is the character height, as the platform defines it.
  int Height() const { return height_; }
  void SetHeight(int height);
  // Size in points at the screen's resolution; setting it sets Height.
  int Size() const;
  void SetSize(int points);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Charset() const { return charset_; }
  void SetCharset(int charset);
  HFONT Handle();  // created on first use
  void Assign(const TPersistent* source) override;
  bool operator==(const TFont& other) const;

 protected:
  void ReleaseHandle() override { handle_.Reset(); }

 private:
  AnsiString name_ = "MS Sans Serif";
  int height_ = -11;
  TFontStyles style_ = 0;
  TColor color_ = clWindowText;
  int charset_ = DEFAULT_CHARSET;
  TGdiObject handle_;
};

// ---------------------------------------------------------------------------------------------
// Canvas

class TGraphic;

class TCanvas : public TPersistent {
  DECLARE_CLASS_INFO()
 public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // Binds a DC (saving its state) or lets go of it (restoring the state); null lets go.
  void SetHandle(HDC dc);
  HDC Handle() const { return dc_; }
  bool HandleAllocated() const { return dc_ != nullptr; }

  TPen* Pen() { return &pen_; }
  TBrush* Brush() { return &brush_; }
  TFont* Font() { return &font_; }
  // The raster operation of Draw/CopyRect; SRCCOPY by default.
  DWORD CopyMode() const { return copy_mode_; }
  void SetCopyMode(DWORD rop) { copy_mode_ = rop; }

  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(const POINT* points, int count);
  void Polygon(const POINT* points, int count);
  void Rectangle(int left, int top, int right, int bottom);
  void Rectangle(const RECT& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
  void RoundRect(int left, int top, int right, int bottom, int width, int height);
  void Ellipse(int left, int top, int right, int bottom);
  void Pie(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4);
  void FillRect(const RECT& rect);   // with the brush
  void FrameRect(const RECT& rect);  // one pixel, with the brush
  void DrawFocusRect(const RECT& rect);
  // A 3-D frame: top-left in one colour, bottom-right in the other; the rectangle shrinks.
  void Frame3D(RECT& rect, TColor top_left, TColor bottom_right, int width);

  void TextOut(int x, int y, const AnsiString& text);
  void TextRect(const RECT& rect, int x, int y, const AnsiString& text);
  // DrawText with the given DT_ flags; answers the text's height.
  int DrawText(const AnsiString& text, RECT& rect, UINT flags);
  SIZE TextExtent(const AnsiString& text);
  int TextWidth(const AnsiString& text) { return TextExtent(text).cx; }
  int TextHeight(const AnsiString& text) { return TextExtent(text).cy; }

  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const RECT& rect, TGraphic* graphic);
  // Block copy from another canvas with the copy mode's raster operation.
  void CopyRect(const RECT& dest, TCanvas& source, const RECT& source_rect);
  void BrushCopy(const RECT& dest, class TBitmap& bitmap, const RECT& source, TColor transparent);

  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }
  void SetPixel(int x, int y, TColor color);

  // Clipping to a rectangle, added to the current clip; restored when the canvas lets go.
  void IntersectClip(const RECT& rect);
  // Moves the origin (for painting a windowless child at its place).
  POINT SetOrigin(int x, int y);

 protected:
  // Selects pen, brush and font into the DC as needed before drawing.
  void RequirePen();
  void RequireBrush();
  void RequireFont();
  void Deselect(TGraphicsObject* object);

 private:
  HDC dc_ = nullptr;  // not owned
  int saved_state_ = 0;
  HGDIOBJ selected_pen_ = nullptr, selected_brush_ = nullptr, selected_font_ = nullptr;
  TPen pen_;
  TBrush brush_;
  TFont font_;
  DWORD copy_mode_ = SRCCOPY;
};

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
  // Draws the part `source` of the bitmap at `dest`, leaving pixels of `transparent` untouched.
  void DrawTransparent(HDC dc, const RECT& dest, const RECT& source, COLORREF transparent) const;

 private:
  // The canvas object lives as long as the bitmap; only its DC comes and goes with the pixels.
  void ReleaseCanvas();
  void BindCanvas();
  void TakePixels(int width, int height, const uint32_t* pixels);
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

 private:
  void ReleaseHandle();
  TBytes data_;
  HICON handle_ = nullptr;  // owned, counted in LiveGdiObjects
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
