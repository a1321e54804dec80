// The fixtures of the library controls' tests under Wine: one control of the class under test,
// painted on a surface of its size, or a form to place windowed controls on; and no GDI object
// left behind.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

#include "tests/framework/win/GdiTest.h"
#include "tests/framework/win/WinTest.h"

template <class Control>
class LibraryControlTest : public GdiTest {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    GdiTest::SetUp();
    control_ = new Control(&owner_);
  }
  void TearDown() override {
    delete control_;
    wintest::Pump();
    GdiTest::TearDown();
  }
  // A new control in place of the old one, for the next row of a table.
  void Renew() {
    delete control_;
    control_ = new Control(&owner_);
  }
  // What the control paints, on a surface of its size.
  void PaintOn(TBitmap& surface) {
    surface.SetSize(control_->Width(), control_->Height());
    control_->PaintOn(surface.Canvas()->Handle());
  }

  TComponent owner_{nullptr};
  Control* control_ = nullptr;
};

// A shown form for a windowed control of the library, and no GDI object left behind.
class LibraryFormTest : public GdiTest {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    GdiTest::SetUp();
    form_ = new TForm(Application);
    form_->SetBounds(60, 60, 300, 240);
  }
  void TearDown() override {
    delete form_;
    wintest::Pump();
    GdiTest::TearDown();
  }
  // Shows the form with what the test placed on it.
  void ShowForm() {
    form_->Show();
    wintest::Pump();
  }

  TForm* form_ = nullptr;
};

// Which of `texts` a rectangle of the surface shows, written in one line in the middle of it in
// `font` and `ink` on `paper`, as a control writes a mark or a name; "" for none of them. Only
// the rectangle's inside is compared, clear of frames and focus marks at its edges, and only
// the pixels that are wholly ink or paper: smoothed edges differ where a text is written twice.
inline AnsiString TextInRect(TBitmap& surface, const RECT& rect,
                             std::initializer_list<const char*> texts, TFont* font, TColor paper,
                             TColor ink) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  for (const char* text : texts) {
    TBitmap written;
    Fill(written, width, height, ColorToRGB(paper));
    TCanvas* canvas = written.Canvas();
    canvas->Font()->Assign(font);
    canvas->Font()->SetColor(ink);
    canvas->Brush()->SetStyle(TBrushStyle::bsClear);
    const SIZE size = canvas->TextExtent(text);
    canvas->TextOut((width - size.cx) / 2, (height - size.cy) / 2, text);
    bool same = true;
    for (int y = 4; y < height - 4 && same; ++y) {
      for (int x = 4; x < width - 4 && same; ++x) {
        const COLORREF expected = written.PixelAt(x, y);
        if (expected != ColorToRGB(ink) && expected != ColorToRGB(paper)) continue;
        same = expected == surface.PixelAt(rect.left + x, rect.top + y);
      }
    }
    if (same) return text;
  }
  return "";
}
