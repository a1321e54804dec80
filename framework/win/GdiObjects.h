// GdiObjects: ownership of GDI objects, and the pens, brushes and fonts that a canvas draws with.
//
// Ownership: every GDI object is held by a TGdiObject (icons by a TIconHandle) and counted in
// LiveGdiObjects(), so tests can prove that nothing leaks: GetGuiResources answers 0 under
// Wine, and Wine quietly frees a bitmap still selected into a DC where Windows would leak it.
// A pen, brush or font creates its handle on first use and drops it when it changes.
#pragma once

#include <windows.h>

#include <utility>

#include "framework/core/Classes.h"
#include "framework/core/Colors.h"
#include "framework/core/Typinfo.h"
#include "framework/win/Handles.h"
#include "framework/win/Platform.h"

// ---------------------------------------------------------------------------------------------
// GDI ownership

// Live GDI objects (pens, brushes, fonts, bitmaps, regions, memory DCs, icons) created by us.
int LiveGdiObjects();
// What Windows refuses and Wine lets pass, on the DCs the framework watches (see WatchDC): a
// GDI object of ours deleted while selected (Windows keeps it, leaked), and a DC released or
// deleted with one of our objects still selected. The tests fail when the count grows.
int RefusedGdiOperations();
// What the last refused operation was, for the test's message.
const char* LastRefusedGdiOperation();

// Owns one GDI object (HPEN, HBRUSH, HFONT, HBITMAP, HRGN), counted. Raises EOutOfResources
// with the system's error text when given a null handle to take over from a failed creation.
struct TGdiObjectPolicy {
  using THandle = HGDIOBJ;
  static bool Valid(HGDIOBJ object) { return object != nullptr; }
  static void Check(HGDIOBJ object);
  static void Taken(HGDIOBJ object);
  static void Given(HGDIOBJ object);
  static void Close(HGDIOBJ object);
};
using TGdiObject = TOwnedHandle<TGdiObjectPolicy>;

// A memory DC compatible with the screen; counted like the GDI objects, and watched. It also
// measures text as the screen does (same resolution, same default font) but, unlike the
// screen's own DC, costs no round trip to the window server.
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

// Owns one icon; counted like the GDI objects while it owns it.
struct TIconPolicy {
  using THandle = HICON;
  static bool Valid(HICON icon) { return icon != nullptr; }
  static void Check(HICON) {}
  static void Taken(HICON icon);
  static void Given(HICON icon);
  static void Close(HICON icon);
};
using TIconHandle = TOwnedHandle<TIconPolicy>;

// Sets a DC's stretch mode for its lifetime and puts the old one back.
class TStretchMode {
 public:
  TStretchMode(HDC dc, int mode) : dc_(dc), old_(SetStretchBltMode(dc, mode)) {}
  ~TStretchMode() {
    if (old_) SetStretchBltMode(dc_, old_);
  }
  TStretchMode(const TStretchMode&) = delete;
  TStretchMode& operator=(const TStretchMode&) = delete;

 private:
  HDC dc_;  // not owned
  int old_;
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
