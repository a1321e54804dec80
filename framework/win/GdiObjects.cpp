#include "framework/win/GdiObjects.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

int live_gdi_objects = 0;
int refused_gdi_operations = 0;
const char* last_refused_gdi_operation = "";

// Our live objects by handle, and the watched DCs with how many watches each has. Never
// destroyed: objects may still go after the statics of the process have.
std::unordered_set<HGDIOBJ>& OwnedHandles() {
  static auto* handles = new std::unordered_set<HGDIOBJ>();
  return *handles;
}
std::unordered_map<HDC, int>& WatchedDCs() {
  static auto* dcs = new std::unordered_map<HDC, int>();
  return *dcs;
}

void Refuse(const char* what) {
  ++refused_gdi_operations;
  last_refused_gdi_operation = what;
  OutputDebugStringA(what);
}

// The kinds a DC holds one of at a time, as GetCurrentObject names them.
constexpr UINT kSelectedKinds[] = {OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP};

bool SelectedInWatchedDC(HGDIOBJ object) {
  UINT kind = GetObjectType(object);
  if (kind == OBJ_EXTPEN) kind = OBJ_PEN;
  if (std::find(std::begin(kSelectedKinds), std::end(kSelectedKinds), kind) ==
      std::end(kSelectedKinds)) {
    return false;
  }
  return std::any_of(WatchedDCs().begin(), WatchedDCs().end(), [&](const auto& watched) {
    return GetCurrentObject(watched.first, kind) == object;
  });
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

int RefusedGdiOperations() {
  return refused_gdi_operations;
}

const char* LastRefusedGdiOperation() {
  return last_refused_gdi_operation;
}

void WatchDC(HDC dc) {
  ++WatchedDCs()[dc];
}

void UnwatchDC(HDC dc, bool ending) {
  auto found = WatchedDCs().find(dc);
  if (found == WatchedDCs().end()) return;
  if (--found->second == 0) WatchedDCs().erase(found);
  if (!ending) return;
  static const char* const kStillSelected[] = {
      "A DC was released or deleted with our pen still selected into it",
      "A DC was released or deleted with our brush still selected into it",
      "A DC was released or deleted with our font still selected into it",
      "A DC was released or deleted with our bitmap still selected into it",
  };
  for (size_t i = 0; i < std::size(kSelectedKinds); ++i) {
    if (OwnedHandles().count(GetCurrentObject(dc, kSelectedKinds[i]))) {
      Refuse(kStillSelected[i]);
      return;
    }
  }
}

void TGdiObjectPolicy::Check(HGDIOBJ object) {
  if (!object) RaiseLastOSError("Cannot create a GDI object");
}

void TGdiObjectPolicy::Taken(HGDIOBJ object) {
  OwnedHandles().insert(object);
  ++live_gdi_objects;
}

void TGdiObjectPolicy::Given(HGDIOBJ object) {
  OwnedHandles().erase(object);
  --live_gdi_objects;
}

void TGdiObjectPolicy::Close(HGDIOBJ object) {
  if (SelectedInWatchedDC(object))
    Refuse("A GDI object was deleted while it was selected into a DC");
  Given(object);
  DeleteObject(object);
}

TMemoryDC::TMemoryDC() : dc_(CreateCompatibleDC(nullptr)) {
  if (!dc_) RaiseLastOSError("Cannot create a memory device context");
  WatchDC(dc_);
  ++live_gdi_objects;
}

TMemoryDC::~TMemoryDC() {
  UnwatchDC(dc_, true);
  DeleteDC(dc_);
  --live_gdi_objects;
}

TSelectObject::TSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {
  if (!old_ || old_ == HGDI_ERROR) RaiseLastOSError("Cannot select a GDI object");
}

TSelectObject::~TSelectObject() {
  SelectObject(dc_, old_);
}

void TIconPolicy::Taken(HICON) {
  ++live_gdi_objects;
}

void TIconPolicy::Given(HICON) {
  --live_gdi_objects;
}

void TIconPolicy::Close(HICON icon) {
  DestroyIcon(icon);
  --live_gdi_objects;
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
          .Property("Style", &TFont::Style, &TFont::SetStyle,
                    SetOf(FontStyleInfo(), 0, "TFontStyles"))
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
    LOGFONTW font{};
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
    WideText(name_).copy(font.lfFaceName, LF_FACESIZE - 1);
    handle_ = TGdiObject(CreateFontIndirectW(&font));
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
