#include "framework/win/Graphics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "framework/core/Filer.h"
#include "tests/framework/win/GdiTest.h"
#include "tests/framework/win/StrictGdi.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Ownership and guards

using OwnershipTest = GdiTest;

TEST_F(OwnershipTest, GdiObjectDeletesAndCountsItsHandle) {
  const int start = LiveGdiObjects();
  HGDIOBJ pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  {
    TGdiObject owner(pen);
    EXPECT_EQ(LiveGdiObjects(), start + 1);
    TGdiObject moved(std::move(owner));
    EXPECT_EQ(LiveGdiObjects(), start + 1) << "a move must not count the handle twice";
    EXPECT_FALSE(owner);
    EXPECT_EQ(moved.Get(), pen);
    TGdiObject assigned;
    assigned = std::move(moved);
    EXPECT_EQ(LiveGdiObjects(), start + 1);
  }
  EXPECT_EQ(LiveGdiObjects(), start);
  EXPECT_EQ(GetObjectType(pen), 0u) << "the pen was not deleted";
}

TEST_F(OwnershipTest, ResetDeletesTheOldObjectAndReleaseGivesItUp) {
  HGDIOBJ first = CreateSolidBrush(RGB(1, 1, 1));
  HGDIOBJ second = CreateSolidBrush(RGB(2, 2, 2));
  TGdiObject owner(first);
  owner.Reset(second);
  EXPECT_EQ(GetObjectType(first), 0u);
  HGDIOBJ released = owner.Release();
  EXPECT_EQ(released, second);
  EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_BRUSH)) << "Release deleted it";
  DeleteObject(second);
}

TEST_F(OwnershipTest, FailedCreationRaisesWithTheSystemText) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  try {
    TGdiObject owner(nullptr);
    FAIL() << "no exception";
  } catch (const EOutOfResources& error) {
    EXPECT_EQ(error.Message.rfind("Cannot create a GDI object: ", 0), 0u) << error.Message;
    EXPECT_GT(error.Message.size(), sizeof("Cannot create a GDI object: ") - 1);
    EXPECT_NE(error.Message.back(), '\n');
  }
}

TEST_F(OwnershipTest, SelectObjectPutsBackWhatWasSelected) {
  TMemoryDC dc;
  HGDIOBJ original_pen = GetCurrentObject(dc.Get(), OBJ_PEN);
  TGdiObject pen(CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
  {
    TSelectObject selection(dc.Get(), pen.Get());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), pen.Get());
  }
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), original_pen);
}

TEST_F(OwnershipTest, SelectingIntoNoDCRaises) {
  TGdiObject pen(CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
  EXPECT_THROW(TSelectObject(nullptr, pen.Get()), EOutOfResources);
}

// Wine lets these pass; Windows refuses the delete (the object leaks) and keeps our object in a
// DC it releases. The framework counts them, and every test fails that does one unawares.
TEST_F(OwnershipTest, StrictCountCatchesWhatWindowsRefusesAndNothingElse) {
  const auto pen = [] { return TGdiObject(CreatePen(PS_SOLID, 1, RGB(1, 2, 3))); };
  const struct {
    const char* what;
    std::function<void()> run;
    int refused;
  } cases[] = {
      {"a bitmap deleted while selected",
       [] {
         TMemoryDC dc;
         TGdiObject bitmap(CreateCompatibleBitmap(dc.Get(), 4, 4));
         SelectObject(dc.Get(), bitmap.Get());
         bitmap.Reset();
       },
       1},
      {"a memory DC deleted with our pen selected",
       [&] {
         TGdiObject owned = pen();
         TMemoryDC dc;
         SelectObject(dc.Get(), owned.Get());
       },
       1},
      {"a window DC released with our pen selected",
       [&] {
         TGdiObject owned = pen();
         TWindowDC dc(nullptr);
         SelectObject(dc.Get(), owned.Get());
       },
       1},
      {"selections undone in order before the DC goes",
       [&] {
         TMemoryDC dc;
         TGdiObject bitmap(CreateCompatibleBitmap(dc.Get(), 4, 4));
         TSelectObject holds(dc.Get(), bitmap.Get());
         TCanvas canvas;
         canvas.SetHandle(dc.Get());
         canvas.Rectangle(0, 0, 3, 3);
         canvas.SetHandle(nullptr);  // letting go of a DC is no release
       },
       0},
  };
  int expected = 0;
  for (const auto& c : cases) {
    const int before = RefusedGdiOperations();
    c.run();
    EXPECT_EQ(RefusedGdiOperations() - before, c.refused) << c.what;
    expected += c.refused;
  }
  ExpectRefusedGdiOperations(expected);
}

TEST_F(OwnershipTest, CanvasLetsGoWithTheDCsOwnObjectsAndStateRestored) {
  TMemoryDC dc;
  TGdiObject bitmap(CreateBitmap(20, 20, 1, 32, nullptr));
  TSelectObject selection(dc.Get(), bitmap.Get());
  const HGDIOBJ pen = GetCurrentObject(dc.Get(), OBJ_PEN);
  const HGDIOBJ brush = GetCurrentObject(dc.Get(), OBJ_BRUSH);
  const HGDIOBJ font = GetCurrentObject(dc.Get(), OBJ_FONT);
  const COLORREF text_color = GetTextColor(dc.Get());
  const int rop2 = GetROP2(dc.Get());
  {
    TCanvas canvas;
    canvas.SetHandle(dc.Get());
    canvas.Pen()->SetColor(clRed);
    canvas.Pen()->SetMode(TPenMode::pmXor);
    canvas.Brush()->SetColor(clBlue);
    canvas.Font()->SetColor(clLime);
    canvas.Rectangle(0, 0, 10, 10);
    canvas.TextOut(0, 0, "x");
    canvas.IntersectClip(RECT{0, 0, 5, 5});
    canvas.SetOrigin(3, 4);
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), canvas.Pen()->Handle());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), canvas.Brush()->Handle());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), canvas.Font()->Handle());
    EXPECT_EQ(GetROP2(dc.Get()), R2_XORPEN);

    canvas.SetHandle(nullptr);
    EXPECT_FALSE(canvas.HandleAllocated());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), font);
    EXPECT_EQ(GetTextColor(dc.Get()), text_color);
    EXPECT_EQ(GetROP2(dc.Get()), rop2);
    POINT origin{-1, -1};
    GetViewportOrgEx(dc.Get(), &origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    RECT clip{};
    GetClipBox(dc.Get(), &clip);
    EXPECT_EQ(clip.right, 20) << "the clipping stayed after the canvas let go";
  }
}

// A pen, brush or font changed while selected must leave the DC before its handle is deleted.
TEST_F(OwnershipTest, ObjectChangedWhileSelectedIsDeselectedFirst) {
  TBitmap bitmap;
  bitmap.SetSize(4, 4);
  TCanvas* canvas = bitmap.Canvas();
  HDC dc = canvas->Handle();
  canvas->Rectangle(0, 0, 2, 2);
  canvas->TextOut(0, 0, "x");

  HGDIOBJ old_pen = canvas->Pen()->Handle();
  HGDIOBJ seen_when_changed = nullptr;
  // The canvas handles OnChange; watch the DC from the outside through the pen's deletion.
  canvas->Pen()->SetColor(clRed);
  seen_when_changed = GetCurrentObject(dc, OBJ_PEN);
  EXPECT_NE(seen_when_changed, old_pen);
  EXPECT_EQ(seen_when_changed, GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetObjectType(old_pen), 0u) << "the old pen was not deleted";

  HGDIOBJ old_brush = canvas->Brush()->Handle();
  canvas->Brush()->SetColor(clRed);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetObjectType(old_brush), 0u);

  HGDIOBJ old_font = canvas->Font()->Handle();
  canvas->Font()->SetStyle(fsBold);
  EXPECT_NE(GetCurrentObject(dc, OBJ_FONT), old_font);
  EXPECT_EQ(GetObjectType(old_font), 0u);

  // The next drawing selects the new objects.
  canvas->Rectangle(0, 0, 2, 2);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), canvas->Pen()->Handle());
  EXPECT_EQ(bitmap.PixelAt(0, 0), RGB(255, 0, 0));
}

TEST_F(OwnershipTest, ClearBrushIsTheStockNullBrushAndNotCounted) {
  const int start = LiveGdiObjects();
  TBrush brush;
  brush.SetStyle(TBrushStyle::bsClear);
  EXPECT_EQ(brush.Handle(), GetStockObject(NULL_BRUSH));
  EXPECT_EQ(LiveGdiObjects(), start);
  brush.SetStyle(TBrushStyle::bsSolid);
  EXPECT_EQ(GetObjectType(GetStockObject(NULL_BRUSH)), static_cast<DWORD>(OBJ_BRUSH))
      << "the stock brush was deleted";
}

TEST_F(OwnershipTest, CanvasWithoutADCRefusesToDraw) {
  TCanvas canvas;
  EXPECT_THROW(canvas.Rectangle(0, 0, 1, 1), Exception);
  EXPECT_THROW(canvas.TextExtent("x"), Exception);
}

// ---------------------------------------------------------------------------------------------
// Pens, brushes, fonts

using GraphicsObjectTest = GdiTest;

TEST_F(GraphicsObjectTest, OnlyARealChangeFiresOnChange) {
  TFont font;
  int changes = 0;
  font.OnChange = [&](TObject*) { ++changes; };
  font.SetHeight(font.Height());
  font.SetName(font.Name());
  EXPECT_EQ(changes, 0);
  font.SetHeight(-20);
  EXPECT_EQ(changes, 1);
  TFont other;
  other.SetName("Tahoma");
  other.SetStyle(fsBold | fsItalic);
  font.Assign(&other);
  EXPECT_EQ(changes, 2) << "Assign changes everything at once";
  EXPECT_TRUE(font == other);
  font.Assign(&other);
  EXPECT_EQ(changes, 2);
}

TEST_F(GraphicsObjectTest, FontSizeAndHeightAgreeAtTheScreenResolution) {
  TFont font;
  for (int points : {6, 8, 9, 10, 12, 24, 72}) {
    font.SetSize(points);
    EXPECT_LT(font.Height(), 0) << points;
    EXPECT_EQ(font.Size(), points) << points;
  }
}

TEST_F(GraphicsObjectTest, FontHandleCarriesTheStyle) {
  TFont font;
  font.SetName("Tahoma");
  font.SetHeight(-13);
  font.SetStyle(fsBold | fsUnderline);
  font.SetCharset(ANSI_CHARSET);
  LOGFONTA info{};
  ASSERT_NE(GetObjectA(font.Handle(), sizeof(info), &info), 0);
  EXPECT_EQ(info.lfHeight, -13);
  EXPECT_EQ(info.lfWeight, FW_BOLD);
  EXPECT_TRUE(info.lfUnderline);
  EXPECT_FALSE(info.lfItalic);
  EXPECT_EQ(info.lfCharSet, ANSI_CHARSET);
  EXPECT_STREQ(info.lfFaceName, "Tahoma");
}

TEST(ColorToRGBTest, ResolvesSystemColoursOnly) {
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clWindowText), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(ColorToRGB(clRed), RGB(255, 0, 0));
  EXPECT_EQ(ColorToRGB(RGBColor(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(ColorToRGB(clNone), RGB(0, 0, 0));
}

// A component with every graphics object as a stored sub-object.
class TGraphicsHolder : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  using TComponent::TComponent;
  TFont* GetFont() const { return &font_; }
  TPen* GetPen() const { return &pen_; }
  TBrush* GetBrush() const { return &brush_; }
  TPicture* GetPicture() const { return &picture_; }

 private:
  mutable TFont font_;
  mutable TPen pen_;
  mutable TBrush brush_;
  mutable TPicture picture_;
};

const TClassInfo& TGraphicsHolder::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TGraphicsHolder>("TGraphicsHolder", &TComponent::StaticClassInfo())
          .ObjectProperty("Brush", &TGraphicsHolder::GetBrush)
          .ObjectProperty("Font", &TGraphicsHolder::GetFont)
          .ObjectProperty("Pen", &TGraphicsHolder::GetPen)
          .ObjectProperty("Picture", &TGraphicsHolder::GetPicture)
          .Build();
  return info;
}

TEST_F(GraphicsObjectTest, FormDescriptionStoresAndRestoresGraphicsObjects) {
  TGraphicsHolder holder(nullptr);
  holder.SetName("Holder1");
  holder.GetFont()->SetName("Tahoma");
  holder.GetFont()->SetStyle(fsBold | fsStrikeOut);
  holder.GetFont()->SetCharset(ANSI_CHARSET);
  holder.GetFont()->SetColor(clRed);
  holder.GetPen()->SetStyle(TPenStyle::psDot);
  holder.GetPen()->SetMode(TPenMode::pmXor);
  holder.GetBrush()->SetColor(clBtnFace);
  holder.GetBrush()->SetStyle(TBrushStyle::bsCross);
  Fill(*holder.GetPicture()->Bitmap(), 2, 2, RGB(10, 20, 30));

  const AnsiString text = WriteComponentText(holder);
  for (const char* expected :
       {"Font.Charset = ANSI_CHARSET", "Font.Color = clRed", "Font.Name = 'Tahoma'",
        "Font.Style = [fsBold, fsStrikeOut]", "Pen.Mode = pmXor", "Pen.Style = psDot",
        "Brush.Color = clBtnFace", "Brush.Style = bsCross", "Picture.Data = {"}) {
    EXPECT_NE(text.find(expected), AnsiString::npos) << expected << " missing from\n" << text;
  }
  EXPECT_EQ(text.find("Font.Height"), AnsiString::npos) << "a default value was stored";
  EXPECT_EQ(text.find("Pen.Width"), AnsiString::npos);

  TGraphicsHolder copy(nullptr);
  ReadComponentText(copy, text);
  EXPECT_TRUE(*copy.GetFont() == *holder.GetFont());
  EXPECT_EQ(copy.GetPen()->Mode(), TPenMode::pmXor);
  EXPECT_EQ(copy.GetBrush()->Style(), TBrushStyle::bsCross);
  ASSERT_NE(dynamic_cast<TBitmap*>(copy.GetPicture()->Graphic()), nullptr);
  EXPECT_EQ(copy.GetPicture()->Bitmap()->PixelAt(1, 1), RGB(10, 20, 30));
  EXPECT_EQ(WriteComponentText(copy), text);
}

TEST_F(GraphicsObjectTest, EmptyPictureIsNotStored) {
  TGraphicsHolder holder(nullptr);
  holder.SetName("Holder1");
  EXPECT_EQ(WriteComponentText(holder).find("Picture"), AnsiString::npos);
}

// ---------------------------------------------------------------------------------------------
// Drawing

using CanvasTest = GdiTest;

struct RasterCase {
  const char* name;
  DWORD rop;
  COLORREF dest, source, brush, expected;
};

// The raster operations that the controls combine pictures with, through CopyRect.
TEST_F(CanvasTest, RasterOperationsGiveTheExpectedPixels) {
  const RasterCase cases[] = {
      {"SRCCOPY", SRCCOPY, RGB(1, 2, 3), RGB(200, 100, 50), RGB(0, 0, 0), RGB(200, 100, 50)},
      {"SRCINVERT", SRCINVERT, RGB(0xF0, 0x0F, 0xFF), RGB(0xFF, 0xFF, 0x0F), RGB(0, 0, 0),
       RGB(0x0F, 0xF0, 0xF0)},
      {"SRCINVERT of white inverts", SRCINVERT, RGB(255, 0, 128), RGB(255, 255, 255), RGB(0, 0, 0),
       RGB(0, 255, 127)},
      {"SRCAND", SRCAND, RGB(0xF0, 0x0F, 0xFF), RGB(0xFF, 0xFF, 0x0F), RGB(0, 0, 0),
       RGB(0xF0, 0x0F, 0x0F)},
      {"SRCPAINT", SRCPAINT, RGB(0xF0, 0x00, 0x01), RGB(0x0F, 0x00, 0x02), RGB(0, 0, 0),
       RGB(0xFF, 0x00, 0x03)},
      {"BLACKNESS", BLACKNESS, RGB(9, 9, 9), RGB(200, 100, 50), RGB(7, 7, 7), RGB(0, 0, 0)},
      {"WHITENESS", WHITENESS, RGB(9, 9, 9), RGB(200, 100, 50), RGB(7, 7, 7), RGB(255, 255, 255)},
      {"PATCOPY", PATCOPY, RGB(9, 9, 9), RGB(200, 100, 50), RGB(70, 80, 90), RGB(70, 80, 90)},
      {"DSPDxax, white source takes the brush", 0x00E20746, RGB(0, 0, 255), RGB(255, 255, 255),
       RGB(255, 0, 0), RGB(255, 0, 0)},
      {"DSPDxax, black source keeps the dest", 0x00E20746, RGB(0, 0, 255), RGB(0, 0, 0),
       RGB(255, 0, 0), RGB(0, 0, 255)},
  };
  for (const RasterCase& test : cases) {
    TBitmap dest;
    TBitmap source;
    Fill(dest, 3, 2, test.dest);
    Fill(source, 3, 2, test.source);
    TCanvas* canvas = dest.Canvas();
    canvas->Brush()->SetColor(static_cast<TColor>(test.brush));
    canvas->SetCopyMode(test.rop);
    canvas->CopyRect(RECT{0, 0, 3, 2}, *source.Canvas(), RECT{0, 0, 3, 2});
    EXPECT_EQ(dest.PixelAt(2, 1), test.expected) << test.name;
    EXPECT_EQ(source.PixelAt(2, 1), test.source) << test.name << ": the source changed";
  }
}

TEST_F(CanvasTest, DrawUsesTheCopyModeAndTheBitmapsOwnSize) {
  TBitmap dest;
  TBitmap source;
  Fill(dest, 6, 6, RGB(255, 255, 255));
  Fill(source, 2, 2, RGB(0, 255, 0));
  dest.Canvas()->Draw(3, 3, &source);
  EXPECT_EQ(dest.PixelAt(3, 3), RGB(0, 255, 0));
  EXPECT_EQ(dest.PixelAt(4, 4), RGB(0, 255, 0));
  EXPECT_EQ(dest.PixelAt(5, 5), RGB(255, 255, 255)) << "drawn beyond the bitmap's size";
  EXPECT_EQ(dest.PixelAt(2, 2), RGB(255, 255, 255));

  dest.Canvas()->SetCopyMode(SRCINVERT);
  dest.Canvas()->Draw(3, 3, &source);
  EXPECT_EQ(dest.PixelAt(3, 3), RGB(0, 0, 0));

  dest.Canvas()->SetCopyMode(SRCCOPY);
  dest.Canvas()->StretchDraw(RECT{0, 0, 6, 6}, &source);
  EXPECT_EQ(dest.PixelAt(5, 5), RGB(0, 255, 0)) << "StretchDraw did not fill the rectangle";
}

// A bitmap whose pixels (top-down) are given as rows of letters.
void Paint(TBitmap& bitmap, std::initializer_list<const char*> rows) {
  const int height = static_cast<int>(rows.size());
  const int width = static_cast<int>(std::strlen(*rows.begin()));
  bitmap.SetSize(width, height);
  int y = 0;
  for (const char* row : rows) {
    for (int x = 0; x < width; ++x) {
      const TColor color = row[x] == 'r' ? clRed : row[x] == 'g' ? clLime : clFuchsia;
      bitmap.Canvas()->SetPixel(x, y, color);
    }
    ++y;
  }
}

TEST_F(CanvasTest, TransparentDrawLeavesTheKeyColoursPixelsUntouched) {
  TBitmap image;
  // The bottom-left pixel names the see-through colour: fuchsia.
  Paint(image, {"rm", "mg", "mr"});
  EXPECT_EQ(image.TransparentColor(), RGB(255, 0, 255));
  image.SetTransparent(true);

  TBitmap dest;
  Fill(dest, 4, 6, RGB(0, 0, 255));
  dest.Canvas()->Draw(0, 0, &image);
  const COLORREF blue = RGB(0, 0, 255), red = RGB(255, 0, 0), green = RGB(0, 255, 0);
  EXPECT_EQ(dest.PixelAt(0, 0), red);
  EXPECT_EQ(dest.PixelAt(1, 0), blue);
  EXPECT_EQ(dest.PixelAt(0, 1), blue);
  EXPECT_EQ(dest.PixelAt(1, 1), green);
  EXPECT_EQ(dest.PixelAt(0, 2), blue);
  EXPECT_EQ(dest.PixelAt(1, 2), red);
  EXPECT_EQ(dest.PixelAt(2, 0), blue) << "drawn outside the image";

  // Stretched to twice the size, each source pixel covers 2 x 2.
  Fill(dest, 4, 6, blue);
  dest.Canvas()->StretchDraw(RECT{0, 0, 4, 6}, &image);
  EXPECT_EQ(dest.PixelAt(1, 1), red);
  EXPECT_EQ(dest.PixelAt(3, 1), blue);
  EXPECT_EQ(dest.PixelAt(3, 3), green);
  EXPECT_EQ(dest.PixelAt(0, 5), blue);
}

TEST_F(CanvasTest, DrawTransparentWithAnyKeyColourAndSourcePart) {
  TBitmap image;
  Paint(image, {"rgm", "grm"});
  TBitmap dest;
  Fill(dest, 3, 2, RGB(0, 0, 255));
  // Green is the key; only the left two columns are drawn.
  image.DrawTransparent(dest.Canvas()->Handle(), RECT{0, 0, 2, 2}, RECT{0, 0, 2, 2},
                        RGB(0, 255, 0));
  EXPECT_EQ(dest.PixelAt(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(dest.PixelAt(1, 0), RGB(0, 0, 255));
  EXPECT_EQ(dest.PixelAt(0, 1), RGB(0, 0, 255));
  EXPECT_EQ(dest.PixelAt(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(dest.PixelAt(2, 0), RGB(0, 0, 255));

  // Scaled smoothly, the edge of the see-through part takes no tint of the key colour.
  Paint(image, {"rm", "rr"});
  Fill(dest, 6, 6, RGB(0, 0, 255));
  image.DrawTransparent(dest.Canvas()->Handle(), RECT{0, 0, 6, 6}, RECT{0, 0, 2, 2},
                        RGB(255, 0, 255), true);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) {
      const COLORREF pixel = dest.PixelAt(x, y);
      if (pixel == RGB(0, 0, 255)) continue;
      EXPECT_TRUE(GetRValue(pixel) > 240 && GetBValue(pixel) < 16) << x << "," << y;
    }
  }
  EXPECT_EQ(dest.PixelAt(5, 0), RGB(0, 0, 255));
  EXPECT_EQ(dest.PixelAt(0, 5), RGB(255, 0, 0));
}

TEST_F(CanvasTest, BrushCopyPutsTheBrushWhereTheKeyColourWas) {
  TBitmap image;
  Paint(image, {"rm", "mr"});
  TBitmap dest;
  Fill(dest, 2, 2, RGB(0, 0, 0));
  dest.Canvas()->Brush()->SetColor(clLime);
  dest.Canvas()->BrushCopy(RECT{0, 0, 2, 2}, image, RECT{0, 0, 2, 2}, clFuchsia);
  EXPECT_EQ(dest.PixelAt(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(dest.PixelAt(1, 0), RGB(0, 255, 0));
}

TEST_F(CanvasTest, Frame3DDrawsRingsAndShrinksTheRectangle) {
  TBitmap bitmap;
  Fill(bitmap, 5, 5, RGB(255, 255, 255));
  RECT rect{0, 0, 5, 5};
  bitmap.Canvas()->Frame3D(rect, clRed, clBlue, 2);
  EXPECT_EQ(rect.left, 2);
  EXPECT_EQ(rect.top, 2);
  EXPECT_EQ(rect.right, 3);
  EXPECT_EQ(rect.bottom, 3);
  // r = top-left colour, b = bottom-right colour, w = untouched, rows top-down.
  const char* expected[] = {"rrrrb", "rrrbb", "rrwbb", "rbbbb", "bbbbb"};
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      const COLORREF want = expected[y][x] == 'r'   ? RGB(255, 0, 0)
                            : expected[y][x] == 'b' ? RGB(0, 0, 255)
                                                    : RGB(255, 255, 255);
      EXPECT_EQ(bitmap.PixelAt(x, y), want) << "at " << x << ", " << y;
    }
  }
}

TEST_F(CanvasTest, ShapesUseThePenOutlineAndTheBrushInside) {
  TBitmap bitmap;
  Fill(bitmap, 8, 8, RGB(255, 255, 255));
  TCanvas* canvas = bitmap.Canvas();
  canvas->Pen()->SetColor(clRed);
  canvas->Brush()->SetColor(clLime);
  canvas->Rectangle(1, 1, 7, 7);
  EXPECT_EQ(bitmap.PixelAt(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(bitmap.PixelAt(6, 6), RGB(255, 0, 0));
  EXPECT_EQ(bitmap.PixelAt(4, 4), RGB(0, 255, 0));
  EXPECT_EQ(bitmap.PixelAt(7, 7), RGB(255, 255, 255));

  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  canvas->Pen()->SetColor(clBlue);
  canvas->Rectangle(2, 2, 6, 6);
  EXPECT_EQ(bitmap.PixelAt(2, 2), RGB(0, 0, 255));
  EXPECT_EQ(bitmap.PixelAt(3, 3), RGB(0, 255, 0)) << "a clear brush painted the inside";

  // pmXor twice restores the pixels.
  canvas->Pen()->SetMode(TPenMode::pmXor);
  canvas->Pen()->SetColor(clWhite);
  canvas->MoveTo(0, 0);
  canvas->LineTo(8, 0);
  EXPECT_EQ(bitmap.PixelAt(3, 0), RGB(0, 0, 0));
  canvas->MoveTo(0, 0);
  canvas->LineTo(8, 0);
  EXPECT_EQ(bitmap.PixelAt(3, 0), RGB(255, 255, 255));
}

TEST_F(CanvasTest, ClippingAndOriginMoveTheDrawing) {
  TBitmap bitmap;
  Fill(bitmap, 6, 6, RGB(255, 255, 255));
  TCanvas* canvas = bitmap.Canvas();
  canvas->Brush()->SetColor(clRed);
  canvas->IntersectClip(RECT{0, 0, 3, 3});
  canvas->FillRect(RECT{0, 0, 6, 6});
  EXPECT_EQ(bitmap.PixelAt(2, 2), RGB(255, 0, 0));
  EXPECT_EQ(bitmap.PixelAt(3, 3), RGB(255, 255, 255)) << "drawn outside the clip";

  TBitmap other;
  Fill(other, 6, 6, RGB(255, 255, 255));
  other.Canvas()->Brush()->SetColor(clBlue);
  const POINT old = other.Canvas()->SetOrigin(2, 3);
  EXPECT_EQ(old.x, 0);
  other.Canvas()->FillRect(RECT{0, 0, 1, 1});
  EXPECT_EQ(other.PixelAt(2, 3), RGB(0, 0, 255));
  EXPECT_EQ(other.PixelAt(0, 0), RGB(255, 255, 255));
}

// ---------------------------------------------------------------------------------------------
// Text

using TextTest = GdiTest;

TEST_F(TextTest, ExtentGrowsWithLengthAndHeightAndBoldIsWider) {
  TBitmap bitmap;
  bitmap.SetSize(10, 10);
  TCanvas* canvas = bitmap.Canvas();
  for (const char* face : {"MS Sans Serif", "Tahoma"}) {
    canvas->Font()->SetName(face);
    canvas->Font()->SetStyle(0);
    canvas->Font()->SetHeight(-11);
    const SIZE one = canvas->TextExtent("W");
    const SIZE four = canvas->TextExtent("WWWW");
    EXPECT_GT(one.cx, 0) << face;
    EXPECT_GT(four.cx, 3 * one.cx) << face;
    EXPECT_EQ(four.cy, one.cy) << face;
    EXPECT_EQ(canvas->TextWidth(""), 0) << face;

    canvas->Font()->SetHeight(-24);
    EXPECT_GT(canvas->TextHeight("W"), one.cy) << face << ": a taller font is not taller";
    EXPECT_GT(canvas->TextWidth("WWWW"), four.cx) << face;

    canvas->Font()->SetHeight(-11);
    const int regular = canvas->TextWidth("Wakora alarm");
    canvas->Font()->SetStyle(fsBold);
    EXPECT_GT(canvas->TextWidth("Wakora alarm"), regular) << face << ": bold is not wider";
  }
}

bool AnyPixelOf(const TBitmap& bitmap, COLORREF color, const RECT& area) {
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (bitmap.PixelAt(x, y) == color) return true;
    }
  }
  return false;
}

TEST_F(TextTest, TextIsDrawnInTheFontColourOverTheBrush) {
  TBitmap bitmap;
  Fill(bitmap, 60, 20, RGB(255, 255, 255));
  TCanvas* canvas = bitmap.Canvas();
  canvas->Font()->SetColor(clRed);
  canvas->Brush()->SetColor(clLime);
  canvas->TextOut(2, 2, "Wakora");
  const SIZE size = canvas->TextExtent("Wakora");
  const RECT cell{2, 2, 2 + size.cx, 2 + size.cy};
  EXPECT_TRUE(AnyPixelOf(bitmap, RGB(255, 0, 0), cell));
  EXPECT_TRUE(AnyPixelOf(bitmap, RGB(0, 255, 0), cell)) << "a solid brush fills the cell";

  Fill(bitmap, 60, 20, RGB(255, 255, 255));
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  canvas->TextOut(2, 2, "Wakora");
  EXPECT_TRUE(AnyPixelOf(bitmap, RGB(255, 0, 0), cell));
  EXPECT_FALSE(AnyPixelOf(bitmap, RGB(0, 255, 0), RECT{0, 0, 60, 20}))
      << "a clear brush left the background";
}

TEST_F(TextTest, TextRectClipsAndDrawTextAnswersTheHeight) {
  TBitmap bitmap;
  Fill(bitmap, 80, 30, RGB(255, 255, 255));
  TCanvas* canvas = bitmap.Canvas();
  canvas->Font()->SetColor(clBlack);
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  canvas->TextRect(RECT{0, 0, 10, 30}, 0, 0, "WWWWWWWW");
  EXPECT_TRUE(AnyPixelOf(bitmap, RGB(0, 0, 0), RECT{0, 0, 10, 30}));
  EXPECT_FALSE(AnyPixelOf(bitmap, RGB(0, 0, 0), RECT{10, 0, 80, 30})) << "not clipped";

  RECT rect{0, 0, 80, 30};
  const int height = canvas->DrawText("Wakora", rect, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(height, canvas->TextHeight("Wakora"));
  EXPECT_EQ(rect.right, canvas->TextWidth("Wakora"));
}

}  // namespace
