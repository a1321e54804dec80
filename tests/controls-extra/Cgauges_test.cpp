// The gauge under Wine: the pixels of each kind, the inverted percentage, and the form
// description.
#include "controls-extra/Cgauges.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/core/Filer.h"
#include "tests/controls-extra/LibraryTest.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kLime = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);

// Text is smoothed: its pixels count as the colour they are nearer to.
bool Near(COLORREF pixel, COLORREF color) {
  auto channel = [](COLORREF c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
  for (int shift : {0, 8, 16}) {
    if (std::abs(channel(pixel, shift) - channel(color, shift)) > 127) return false;
  }
  return true;
}

// The smallest rectangle holding every pixel near `color` inside the border.
struct Box {
  int left = 1000, top = 1000, right = -1, bottom = -1;
  int count = 0;
};
Box BoxOf(const TBitmap& surface, COLORREF color, int from_x = 1, int to_x = 98) {
  Box box;
  for (int y = 1; y < surface.GetHeight() - 1; ++y) {
    for (int x = from_x; x <= to_x; ++x) {
      if (!Near(surface.PixelAt(x, y), color)) continue;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
      ++box.count;
    }
  }
  return box;
}

using GaugeTest = LibraryControlTest<TCGauge>;

TEST_F(GaugeTest, ANewGaugeIsWhiteInABlackFrameWithZeroPercentCentred) {
  TBitmap surface;
  PaintOn(surface);
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(surface.PixelAt(i, 0), kBlack);
    ASSERT_EQ(surface.PixelAt(i, 99), kBlack);
    ASSERT_EQ(surface.PixelAt(0, i), kBlack);
    ASSERT_EQ(surface.PixelAt(99, i), kBlack);
  }
  const Box text = BoxOf(surface, kBlack);
  const Box paper = BoxOf(surface, kWhite);
  ASSERT_GT(text.count, 10) << "no text";
  EXPECT_EQ(text.count + paper.count, 98 * 98) << "colours other than black and white";
  EXPECT_NEAR(text.left - 1, 98 - text.right, 3) << "not centred across";
  EXPECT_NEAR(text.top - 1, 98 - text.bottom, 4) << "not centred down";
  EXPECT_LT(text.right - text.left, 20) << "wider than 0%";
}

TEST_F(GaugeTest, ThePercentageInvertsTheFilledAndTheEmptyPart) {
  control_->SetForeColor(static_cast<TColor>(kBlue));
  control_->SetBackColor(static_cast<TColor>(kYellow));
  control_->SetProgress(50);
  TBitmap surface;
  PaintOn(surface);
  // The bar fills columns 1 to 48; the text "50%" straddles its end.
  const Box on_bar = BoxOf(surface, kYellow, 1, 47);
  const Box beside = BoxOf(surface, kBlue, 49, 98);
  EXPECT_GT(on_bar.count, 5) << "text over the bar is not in the back colour";
  EXPECT_GT(beside.count, 5) << "text beside the bar is not in the fore colour";
  EXPECT_EQ(BoxOf(surface, kBlue).count + BoxOf(surface, kYellow).count, 98 * 98)
      << "colours other than the two and their mixtures";
}

// Red fills, white is empty, lime is the control's colour around the round shapes.
TEST_F(GaugeTest, EachKindDrawsItsShape) {
  struct Case {
    TCGaugeKind kind;
    int progress;
    int probes[4][3];  // x, y and whether the pixel is red (1), white (0) or lime (2)
  };
  using enum TCGaugeKind;
  const Case cases[] = {
      {gkPie, 25, {{70, 28, 1}, {28, 28, 0}, {70, 70, 0}, {3, 3, 2}}},  // twelve to three
      {gkNeedle, 50, {{49, 40, 1}, {25, 80, 0}, {60, 80, 0}, {3, 3, 2}}},
  };
  const COLORREF colors[] = {kWhite, kRed, kLime};
  for (const Case& c : cases) {
    Renew();
    control_->SetColor(static_cast<TColor>(kLime));
    control_->SetForeColor(static_cast<TColor>(kRed));
    control_->SetKind(c.kind);
    control_->SetProgress(c.progress);
    control_->SetShowText(false);
    TBitmap surface;
    PaintOn(surface);
    for (const auto& p : c.probes) {
      EXPECT_EQ(surface.PixelAt(p[0], p[1]), colors[p[2]])
          << static_cast<int>(c.kind) << " at " << c.progress << "%: " << p[0] << ", " << p[1];
    }
  }
}

TEST_F(GaugeTest, FormDescriptionKeepsARangeAboveTheDefaultMaximum) {
  Cgauges::Register();
  auto read = [](TForm& form, const AnsiString& lines) {
    form.LoadFromText("object GaugeForm: TForm\n  object Gauge1: TCGauge\n" + lines +
                      "  end\nend\n");
    return static_cast<TCGauge*>(form.FindComponent("Gauge1"));
  };
  TForm form(nullptr);
  TCGauge* gauge = read(form,
                        "    Anchors = [akRight, akBottom]\n    Kind = gkPie\n"
                        "    MinValue = 150\n    MaxValue = 200\n    Progress = 170\n"
                        "    Constraints.MaxHeight = 80\n");
  EXPECT_EQ(gauge->GetPercentDone(), 40);
  const AnsiString written = WriteComponentText(form);
  TForm copy(nullptr);
  copy.LoadFromText(written);
  EXPECT_EQ(WriteComponentText(copy), written);
  EXPECT_EQ(gauge->Anchors(), TAnchors(akRight | akBottom));
  EXPECT_EQ(gauge->Constraints()->MaxHeight(), 80);

  struct Case {
    const char* lines;
    const char* message;
  };
  const Case crossed[] = {
      {"    MinValue = 150\n    MaxValue = 120\n",
       "Line 4: Wert muß zwischen 151 und 2147483647 liegen"},
      {"    MinValue = 150\n", "Wert muß zwischen 151 und 2147483647 liegen"},
  };
  for (const Case& c : crossed) {
    TForm bad(nullptr);
    try {
      read(bad, c.lines);
      ADD_FAILURE() << "crossed bounds were read: " << c.lines;
    } catch (const Exception& error) {
      EXPECT_EQ(error.Message, c.message);
    }
  }
  // At run time the bounds are checked at once.
  EXPECT_THROW(control_->SetMinValue(150), Exception);
  EXPECT_EQ(control_->MinValue(), 0);
}

}  // namespace
