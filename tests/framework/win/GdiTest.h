// The fixture of the graphics tests: every test must give back each GDI object it made.
#pragma once

#include <gtest/gtest.h>

#include "framework/win/Graphics.h"

class GdiTest : public ::testing::Test {
 protected:
  void SetUp() override { live_at_start_ = LiveGdiObjects(); }
  void TearDown() override {
    EXPECT_EQ(LiveGdiObjects(), live_at_start_) << "GDI objects leaked by this test";
  }

 private:
  int live_at_start_ = 0;
};

// A bitmap of the given size filled with one colour.
inline void Fill(TBitmap& bitmap, int width, int height, COLORREF color) {
  bitmap.SetSize(width, height);
  bitmap.Canvas()->Brush()->SetColor(static_cast<TColor>(color));
  bitmap.Canvas()->FillRect(RECT{0, 0, width, height});
}
