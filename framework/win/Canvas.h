// Canvas: TCanvas, drawing with a pen, a brush and a font on a device context.
//
// A canvas that binds a DC saves its state first and restores it when it lets go, so every
// object it selected is deselected before its owner deletes it.
// Coordinates are device pixels, origin at the top left.
#pragma once

#include <windows.h>

#include <string>

#include "framework/win/GdiObjects.h"

// ---------------------------------------------------------------------------------------------
// Canvas

class TGraphic;
class TBitmap;

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
  // Pictures drawn at another size than their own are resampled smoothly (artwork scaled for
  // the screen's resolution) instead of pixel by pixel.
  bool SmoothStretch() const { return smooth_stretch_; }
  void SetSmoothStretch(bool smooth) { smooth_stretch_ = smooth; }

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
  // Names of files in any script, through the wide calls.
  void TextRect(const RECT& rect, int x, int y, const std::wstring& text);
  // DrawText with the given DT_ flags; answers the text's height.
  int DrawText(const AnsiString& text, RECT& rect, UINT flags);
  SIZE TextExtent(const AnsiString& text);
  SIZE TextExtent(const std::wstring& text);
  int TextWidth(const AnsiString& text) { return TextExtent(text).cx; }
  int TextHeight(const AnsiString& text) { return TextExtent(text).cy; }

  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const RECT& rect, TGraphic* graphic);
  // Block copy from another canvas with the copy mode's raster operation.
  void CopyRect(const RECT& dest, TCanvas& source, const RECT& source_rect);
  void BrushCopy(const RECT& dest, TBitmap& bitmap, const RECT& source, TColor transparent);

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
  bool smooth_stretch_ = false;
};
