#include "framework/win/Graphics.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <optional>

#include "framework/core/Imagefile.h"

namespace {

int live_gdi_objects = 0;

const char kIconNotValid[] = "Icon image is not valid";

// A top-down 32-bit DIB section, white.
TGdiObject CreateBitmap32(int width, int height, uint32_t** bits) {
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
  std::fill_n(*bits, static_cast<size_t>(width) * height, 0x00FFFFFFu);
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

class TStretchMode {
 public:
  TStretchMode(HDC dc, int mode) : dc_(dc), old_(SetStretchBltMode(dc, mode)) {}
  ~TStretchMode() {
    if (old_) SetStretchBltMode(dc_, old_);
  }
  TStretchMode(const TStretchMode&) = delete;
  TStretchMode& operator=(const TStretchMode&) = delete;

 private:
  HDC dc_;
  int old_;
};

int ScreenPixelsPerInch() {
  TScreenDC screen;
  const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  return dpi > 0 ? dpi : 96;
}

TPropOptions WithIdents(TPropOptions options, const TIdentMap& idents) {
  options.Idents = &idents;
  return options;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// GDI ownership

int LiveGdiObjects() {
  return live_gdi_objects;
}

TGdiObject::TGdiObject(HGDIOBJ handle) {
  if (!handle) RaiseLastOSError("Cannot create a GDI object");
  handle_ = handle;
  ++live_gdi_objects;
}

TGdiObject::TGdiObject(TGdiObject&& other) noexcept : handle_(other.handle_) {
  other.handle_ = nullptr;
}

TGdiObject& TGdiObject::operator=(TGdiObject&& other) noexcept {
  if (this != &other) {
    Reset();
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

void TGdiObject::Reset(HGDIOBJ handle) {
  if (handle == handle_) return;
  if (handle_) {
    DeleteObject(handle_);
    --live_gdi_objects;
  }
  handle_ = handle;
  if (handle_) ++live_gdi_objects;
}

HGDIOBJ TGdiObject::Release() {
  HGDIOBJ handle = handle_;
  if (handle) --live_gdi_objects;
  handle_ = nullptr;
  return handle;
}

TMemoryDC::TMemoryDC() : dc_(CreateCompatibleDC(nullptr)) {
  if (!dc_) RaiseLastOSError("Cannot create a memory device context");
  ++live_gdi_objects;
}

TMemoryDC::~TMemoryDC() {
  DeleteDC(dc_);
  --live_gdi_objects;
}

TSelectObject::TSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {
  if (!old_ || old_ == HGDI_ERROR) RaiseLastOSError("Cannot select a GDI object");
}

TSelectObject::~TSelectObject() {
  SelectObject(dc_, old_);
}

COLORREF ColorToRGB(TColor color) {
  if (IsSystemColor(color)) return GetSysColor(SystemColorIndex(color));
  if (color == clNone || color == clDefault) return RGB(0, 0, 0);
  return static_cast<COLORREF>(color);
}

// ---------------------------------------------------------------------------------------------
// Pens, brushes, fonts

const TClassInfo& TGraphicsObject::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TGraphicsObject>("TGraphicsObject", &TPersistent::StaticClassInfo()).Build();
  return info;
}

void TGraphicsObject::Changed() {
  OnChange(this);
  ReleaseHandle();
  OnAfterChange(this);
}

const TEnumInfo& EnumInfoOf(TPenStyle) {
  static const TEnumInfo info{
      {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TPenMode) {
  static const TEnumInfo info{{"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
                               "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen",
                               "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor",
                               "pmNotXor"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TBrushStyle) {
  static const TEnumInfo info{{"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                               "bsBDiagonal", "bsCross", "bsDiagCross"}};
  return info;
}

const TEnumInfo& FontStyleInfo() {
  static const TEnumInfo info{{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
  return info;
}

const TIdentMap& CharsetIdents() {
  static const TIdentMap idents{{
      {"ANSI_CHARSET", ANSI_CHARSET},
      {"DEFAULT_CHARSET", DEFAULT_CHARSET},
      {"SYMBOL_CHARSET", SYMBOL_CHARSET},
      {"MAC_CHARSET", MAC_CHARSET},
      {"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET},
      {"HANGEUL_CHARSET", HANGEUL_CHARSET},
      {"JOHAB_CHARSET", JOHAB_CHARSET},
      {"GB2312_CHARSET", GB2312_CHARSET},
      {"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET},
      {"GREEK_CHARSET", GREEK_CHARSET},
      {"TURKISH_CHARSET", TURKISH_CHARSET},
      {"VIETNAMESE_CHARSET", VIETNAMESE_CHARSET},
      {"HEBREW_CHARSET", HEBREW_CHARSET},
      {"ARABIC_CHARSET", ARABIC_CHARSET},
      {"BALTIC_CHARSET", BALTIC_CHARSET},
      {"RUSSIAN_CHARSET", RUSSIAN_CHARSET},
      {"THAI_CHARSET", THAI_CHARSET},
      {"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET},
      {"OEM_CHARSET", OEM_CHARSET},
  }};
  return idents;
}

const TClassInfo& TPen::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TPen>("TPen", &TGraphicsObject::StaticClassInfo())
          .Property("Color", &TPen::Color, &TPen::SetColor,
                    WithIdents(Default(clBlack), ColorIdents()))
          .Property("Mode", &TPen::Mode, &TPen::SetMode, Default(TPenMode::pmCopy))
          .Property("Style", &TPen::Style, &TPen::SetStyle, Default(TPenStyle::psSolid))
          .Property("Width", &TPen::Width, &TPen::SetWidth, Default(1))
          .Build();
  return info;
}

void TPen::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TPen::SetWidth(int width) {
  if (width == width_) return;
  width_ = width;
  Changed();
}

void TPen::SetStyle(TPenStyle style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TPen::SetMode(TPenMode mode) {
  if (mode == mode_) return;
  mode_ = mode;
  Changed();
}

HPEN TPen::Handle() {
  if (!handle_) {
    // The pen styles are numbered as the PS_ constants.
    handle_ =
        TGdiObject(CreatePen(static_cast<int>(style_), std::max(width_, 0), ColorToRGB(color_)));
  }
  return static_cast<HPEN>(handle_.Get());
}

void TPen::Assign(const TPersistent* source) {
  auto* pen = dynamic_cast<const TPen*>(source);
  if (!pen) return TGraphicsObject::Assign(source);
  if (pen == this) return;
  color_ = pen->color_;
  width_ = pen->width_;
  style_ = pen->style_;
  mode_ = pen->mode_;
  Changed();
}

const TClassInfo& TBrush::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TBrush>("TBrush", &TGraphicsObject::StaticClassInfo())
          .Property("Color", &TBrush::Color, &TBrush::SetColor,
                    WithIdents(Default(clWhite), ColorIdents()))
          .Property("Style", &TBrush::Style, &TBrush::SetStyle, Default(TBrushStyle::bsSolid))
          .Build();
  return info;
}

void TBrush::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

HBRUSH TBrush::Handle() {
  // The null brush is a stock object: neither ours to count nor to delete.
  if (style_ == TBrushStyle::bsClear) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  if (!handle_) {
    if (style_ == TBrushStyle::bsSolid) {
      handle_ = TGdiObject(CreateSolidBrush(ColorToRGB(color_)));
    } else {
      // bsHorizontal..bsDiagCross follow HS_HORIZONTAL..HS_DIAGCROSS.
      const int hatch = static_cast<int>(style_) - static_cast<int>(TBrushStyle::bsHorizontal);
      handle_ = TGdiObject(CreateHatchBrush(hatch, ColorToRGB(color_)));
    }
  }
  return static_cast<HBRUSH>(handle_.Get());
}

void TBrush::Assign(const TPersistent* source) {
  auto* brush = dynamic_cast<const TBrush*>(source);
  if (!brush) return TGraphicsObject::Assign(source);
  if (brush == this) return;
  color_ = brush->color_;
  style_ = brush->style_;
  Changed();
}

const TClassInfo& TFont::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TFont>("TFont", &TGraphicsObject::StaticClassInfo())
          .Property("Charset", &TFont::Charset, &TFont::SetCharset,
                    WithIdents(Default(int{DEFAULT_CHARSET}), CharsetIdents()))
          .Property("Color", &TFont::Color, &TFont::SetColor,
                    WithIdents(Default(clWindowText), ColorIdents()))
          .Property("Height", &TFont::Height, &TFont::SetHeight, Default(-11))
          .Property("Name", &TFont::Name, &TFont::SetName, Default(AnsiString("MS Sans Serif")))
          .Property("Style", &TFont::Style, &TFont::SetStyle, SetOf(FontStyleInfo()))
          .Build();
  return info;
}

void TFont::SetName(const AnsiString& name) {
  if (name == name_) return;
  name_ = name;
  Changed();
}

void TFont::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  Changed();
}

int TFont::Size() const {
  return -MulDiv(height_, 72, ScreenPixelsPerInch());
}

void TFont::SetSize(int points) {
  SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72));
}

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TFont::SetCharset(int charset) {
  if (charset == charset_) return;
  charset_ = charset;
  Changed();
}

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTA font{};
    font.lfHeight = height_;
    font.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (style_ & fsItalic) ? 1 : 0;
    font.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
    font.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
    font.lfCharSet = static_cast<BYTE>(charset_);
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH;
    // A longer name is cut to the field, which keeps its terminating zero.
    std::strncpy(font.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
    handle_ = TGdiObject(CreateFontIndirectA(&font));
  }
  return static_cast<HFONT>(handle_.Get());
}

void TFont::Assign(const TPersistent* source) {
  auto* font = dynamic_cast<const TFont*>(source);
  if (!font) return TGraphicsObject::Assign(source);
  if (font == this || *font == *this) return;
  name_ = font->name_;
  height_ = font->height_;
  style_ = font->style_;
  color_ = font->color_;
  charset_ = font->charset_;
  Changed();
}

bool TFont::operator==(const TFont& other) const {
  return name_ == other.name_ && height_ == other.height_ && style_ == other.style_ &&
         color_ == other.color_ && charset_ == other.charset_;
}

// ---------------------------------------------------------------------------------------------
// Canvas

const TClassInfo& TCanvas::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TCanvas>("TCanvas", &TPersistent::StaticClassInfo()).Build();
  return info;
}

TCanvas::TCanvas() {
  pen_.OnChange = [this](TObject*) { Deselect(&pen_); };
  brush_.OnChange = [this](TObject*) { Deselect(&brush_); };
  font_.OnChange = [this](TObject*) { Deselect(&font_); };
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  if (dc_) {
    // Puts back the pen, brush, font, colours, clipping and origin the DC had when bound.
    RestoreDC(dc_, saved_state_);
    dc_ = nullptr;
    saved_state_ = 0;
    selected_pen_ = selected_brush_ = selected_font_ = nullptr;
  }
  if (dc) {
    saved_state_ = SaveDC(dc);
    dc_ = dc;
  }
}

namespace {

[[noreturn]] void RaiseNoDrawing() {
  throw Exception("Canvas does not allow drawing");
}

int Rop2Of(TPenMode mode) {
  static const int kRop2[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                              R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                              R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                              R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
  const auto index = static_cast<size_t>(mode);
  return index < std::size(kRop2) ? kRop2[index] : R2_COPYPEN;
}

}  // namespace

void TCanvas::RequirePen() {
  if (!dc_) RaiseNoDrawing();
  if (selected_pen_) return;
  HGDIOBJ pen = pen_.Handle();
  SelectObject(dc_, pen);
  SetROP2(dc_, Rop2Of(pen_.Mode()));
  selected_pen_ = pen;
}

void TCanvas::RequireBrush() {
  if (!dc_) RaiseNoDrawing();
  if (selected_brush_) return;
  HGDIOBJ brush = brush_.Handle();
  SelectObject(dc_, brush);
  // The background mode governs text cells and the gaps of hatches: only a solid brush
  // paints them.
  SetBkColor(dc_, ColorToRGB(brush_.Color()));
  SetBkMode(dc_, brush_.Style() == TBrushStyle::bsSolid ? OPAQUE : TRANSPARENT);
  selected_brush_ = brush;
}

void TCanvas::RequireFont() {
  if (!dc_) RaiseNoDrawing();
  if (selected_font_) return;
  HGDIOBJ font = font_.Handle();
  SelectObject(dc_, font);
  SetTextColor(dc_, ColorToRGB(font_.Color()));
  selected_font_ = font;
}

// Runs before the object drops its handle: a selected GDI object must not be deleted.
void TCanvas::Deselect(TGraphicsObject* object) {
  if (!dc_) return;
  if (object == &pen_ && selected_pen_) {
    SelectObject(dc_, GetStockObject(BLACK_PEN));
    selected_pen_ = nullptr;
  } else if (object == &brush_ && selected_brush_) {
    SelectObject(dc_, GetStockObject(WHITE_BRUSH));
    selected_brush_ = nullptr;
  } else if (object == &font_ && selected_font_) {
    SelectObject(dc_, GetStockObject(SYSTEM_FONT));
    selected_font_ = nullptr;
  }
}

void TCanvas::MoveTo(int x, int y) {
  if (!dc_) RaiseNoDrawing();
  MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  RequirePen();
  ::LineTo(dc_, x, y);
}

void TCanvas::Polyline(const POINT* points, int count) {
  RequirePen();
  ::Polyline(dc_, points, count);
}

void TCanvas::Polygon(const POINT* points, int count) {
  RequirePen();
  RequireBrush();
  ::Polygon(dc_, points, count);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  RequirePen();
  RequireBrush();
  ::Rectangle(dc_, left, top, right, bottom);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int width, int height) {
  RequirePen();
  RequireBrush();
  ::RoundRect(dc_, left, top, right, bottom, width, height);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
  RequirePen();
  RequireBrush();
  ::Ellipse(dc_, left, top, right, bottom);
}

void TCanvas::Pie(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4) {
  RequirePen();
  RequireBrush();
  ::Pie(dc_, left, top, right, bottom, x3, y3, x4, y4);
}

void TCanvas::FillRect(const RECT& rect) {
  RequireBrush();
  ::FillRect(dc_, &rect, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& rect) {
  RequireBrush();
  ::FrameRect(dc_, &rect, brush_.Handle());
}

void TCanvas::DrawFocusRect(const RECT& rect) {
  RequireBrush();
  ::DrawFocusRect(dc_, &rect);
}

void TCanvas::Frame3D(RECT& rect, TColor top_left, TColor bottom_right, int width) {
  if (!dc_) RaiseNoDrawing();
  TGdiObject light(CreateSolidBrush(ColorToRGB(top_left)));
  TGdiObject dark(CreateSolidBrush(ColorToRGB(bottom_right)));
  auto fill = [this](LONG left, LONG top, LONG right, LONG bottom, const TGdiObject& brush) {
    RECT part{left, top, right, bottom};
    ::FillRect(dc_, &part, static_cast<HBRUSH>(brush.Get()));
  };
  for (; width > 0; --width) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) break;
    // The top-right and bottom-left corners belong to the bottom-right colour.
    fill(rect.left, rect.top, rect.right - 1, rect.top + 1, light);
    fill(rect.left, rect.top, rect.left + 1, rect.bottom - 1, light);
    fill(rect.right - 1, rect.top, rect.right, rect.bottom, dark);
    fill(rect.left, rect.bottom - 1, rect.right, rect.bottom, dark);
    InflateRect(&rect, -1, -1);
  }
}

void TCanvas::TextOut(int x, int y, const AnsiString& text) {
  RequireFont();
  RequireBrush();
  ::TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const AnsiString& text) {
  RequireFont();
  RequireBrush();
  UINT options = ETO_CLIPPED;
  if (brush_.Style() == TBrushStyle::bsSolid) options |= ETO_OPAQUE;
  ExtTextOutA(dc_, x, y, options, &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
}

int TCanvas::DrawText(const AnsiString& text, RECT& rect, UINT flags) {
  RequireFont();
  RequireBrush();
  return ::DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &rect, flags);
}

SIZE TCanvas::TextExtent(const AnsiString& text) {
  RequireFont();
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
  return size;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  StretchDraw(RECT{x, y, x + graphic->GetWidth(), y + graphic->GetHeight()}, graphic);
}

void TCanvas::StretchDraw(const RECT& rect, TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  // The copy mode may combine the brush.
  RequireBrush();
  graphic->Draw(*this, rect);
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& source_rect) {
  RequireBrush();
  if (!source.dc_) RaiseNoDrawing();
  TStretchMode mode(dc_, COLORONCOLOR);
  StretchBlt(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source.dc_,
             source_rect.left, source_rect.top, source_rect.right - source_rect.left,
             source_rect.bottom - source_rect.top, copy_mode_);
}

void TCanvas::BrushCopy(const RECT& dest, TBitmap& bitmap, const RECT& source, TColor transparent) {
  FillRect(dest);
  bitmap.DrawTransparent(dc_, dest, source, ColorToRGB(transparent));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  if (!dc_) RaiseNoDrawing();
  ::SetPixel(dc_, x, y, ColorToRGB(color));
}

void TCanvas::IntersectClip(const RECT& rect) {
  if (!dc_) RaiseNoDrawing();
  IntersectClipRect(dc_, rect.left, rect.top, rect.right, rect.bottom);
}

POINT TCanvas::SetOrigin(int x, int y) {
  if (!dc_) RaiseNoDrawing();
  POINT old{0, 0};
  SetViewportOrgEx(dc_, x, y, &old);
  return old;
}

// ---------------------------------------------------------------------------------------------
// Graphics

const TClassInfo& TGraphic::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TGraphic>("TGraphic", &TPersistent::StaticClassInfo())
          .Property("Data", &TGraphic::GetData, &TGraphic::SetData)
          .StoredIf([](const TGraphic& graphic) { return !graphic.GetEmpty(); })
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
    if (pixels) std::copy_n(pixels, static_cast<size_t>(width) * height, bits);
  }
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
  // The pixels that both sizes cover are kept; new ones are white.
  std::vector<uint32_t> pixels;
  if (width > 0 && height > 0) {
    pixels.assign(static_cast<size_t>(width) * height, 0x00FFFFFFu);
    if (bits_) {
      GdiFlush();
      const int rows = std::min(height, height_);
      const int columns = std::min(width, width_);
      for (int y = 0; y < rows; ++y) {
        std::copy_n(bits_ + static_cast<size_t>(y) * width_, columns,
                    pixels.begin() + static_cast<ptrdiff_t>(y) * width);
      }
    }
  }
  TakePixels(width, height, pixels.empty() ? nullptr : pixels.data());
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
  HRSRC resource = FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(2));  // RT_BITMAP
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
    DrawTransparent(canvas.Handle(), rect, whole, TransparentColor());
    return;
  }
  TBitmapSourceDC source(canvas_dc_.get(), Handle());
  HDC dc = canvas.Handle();
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width == width_ && height == height_) {
    BitBlt(dc, rect.left, rect.top, width, height, source.Get(), 0, 0, canvas.CopyMode());
  } else {
    TStretchMode mode(dc, COLORONCOLOR);
    StretchBlt(dc, rect.left, rect.top, width, height, source.Get(), 0, 0, width_, height_,
               canvas.CopyMode());
  }
}

void TBitmap::DrawTransparent(HDC dc, const RECT& dest, const RECT& source,
                              COLORREF transparent) const {
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
  if (!handle_) return;
  DestroyIcon(handle_);
  --live_gdi_objects;
  handle_ = nullptr;
}

void TIcon::LoadFromStream(TStream* stream) {
  TBytes data = stream->ReadAll();
  const TIconImage image = ChooseIconImage(data);
  HICON handle = CreateIconFromResourceEx(data.data() + image.Offset, image.Size, TRUE, 0x00030000,
                                          image.Width, image.Height, 0);
  if (!handle) throw EReadError(kIconNotValid);
  ReleaseHandle();
  handle_ = handle;
  ++live_gdi_objects;
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
    handle_ = CreateIconFromResourceEx(data_.data() + image.Offset, image.Size, TRUE, 0x00030000,
                                       image.Width, image.Height, 0);
    if (!handle_) RaiseLastOSError("Cannot create an icon");
    ++live_gdi_objects;
  }
  return handle_;
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
          .StoredIf([](const TPicture& picture) { return picture.Graphic() != nullptr; })
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
