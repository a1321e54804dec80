#include "framework/win/Canvas.h"

#include <iterator>

#include "framework/win/Pictures.h"

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
    UnwatchDC(dc_, false);
    dc_ = nullptr;
    saved_state_ = 0;
    selected_pen_ = selected_brush_ = selected_font_ = nullptr;
  }
  if (dc) {
    saved_state_ = SaveDC(dc);
    dc_ = dc;
    WatchDC(dc);
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
  const std::wstring wide = WideText(text);
  ::TextOutW(dc_, x, y, wide.data(), static_cast<int>(wide.size()));
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const AnsiString& text) {
  TextRect(rect, x, y, WideText(text));
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::wstring& text) {
  RequireFont();
  RequireBrush();
  UINT options = ETO_CLIPPED;
  if (brush_.Style() == TBrushStyle::bsSolid) options |= ETO_OPAQUE;
  ExtTextOutW(dc_, x, y, options, &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
}

int TCanvas::DrawText(const AnsiString& text, RECT& rect, UINT flags) {
  RequireFont();
  RequireBrush();
  const std::wstring wide = WideText(text);
  return ::DrawTextW(dc_, wide.data(), static_cast<int>(wide.size()), &rect, flags);
}

SIZE TCanvas::TextExtent(const AnsiString& text) {
  return TextExtent(WideText(text));
}

SIZE TCanvas::TextExtent(const std::wstring& text) {
  RequireFont();
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size);
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
