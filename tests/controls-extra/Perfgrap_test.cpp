// The performance graph under Wine: the pixels it paints, on a surface and in a window, and its
// form description.
#include "controls-extra/Perfgrap.h"

#include <gtest/gtest.h>

#include "framework/core/Filer.h"
#include "framework/win/Forms.h"
#include "tests/controls-extra/LibraryTest.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

class TGraphTestForm : public TForm {
  DECLARE_CLASS_INFO()
 public:
  using TForm::TForm;
  TPerformanceGraph* Graph1 = nullptr;
  int scale_changes = 0;
  TObject* last_sender = nullptr;
  void Graph1ScaleChange(TObject* sender) {
    ++scale_changes;
    last_sender = sender;
  }
};

const TClassInfo& TGraphTestForm::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TGraphTestForm>("TGraphTestForm", &TForm::StaticClassInfo())
          .PublishInherited()
          .Field("Graph1", &TGraphTestForm::Graph1)
          .Method("Graph1ScaleChange", &TGraphTestForm::Graph1ScaleChange)
          .Build();
  return info;
}

using PerformanceGraphTest = LibraryControlTest<TPerformanceGraph>;

TEST_F(PerformanceGraphTest, ANewGraphIsBlackWithAGreenGrid) {
  TBitmap surface;
  PaintOn(surface);
  for (int x = 0; x < 100; ++x) {
    for (int y = 0; y < 100; ++y) {
      const bool grid = (x >= 14 && (x - 14) % 15 == 0) || (y >= 15 && y % 15 == 0);
      ASSERT_EQ(surface.PixelAt(x, y), grid ? kGreen : kBlack) << "at " << x << ", " << y;
    }
  }
}

// 100 pixels high for a scale of 1000: a value of 500 is 50 pixels above the bottom edge.
// Each later, empty cycle moves the bands one band (3 pixels) to the left.
TEST_F(PerformanceGraphTest, BarsAndLinesInTheNewestBandAndHowTheyMoveLeft) {
  struct Case {
    const char* name;
    TGraphKind kind;
    int pen_width;
    int first, second;        // the red values of two cycles
    int later;                // empty cycles after them
    int top_row, bottom_row;  // red rows of the second band's middle column
  };
  const Case cases[] = {
      {"a bar from the bottom", TGraphKind::pgBar, 2, 300, 500, 0, 49, 99},
      {"a level line as wide as the pen", TGraphKind::pgLine, 1, 500, 500, 0, 50, 50},
      {"a level line of a wider pen", TGraphKind::pgLine, 3, 500, 500, 0, 49, 51},
      {"a bar two bands older", TGraphKind::pgBar, 2, 300, 500, 2, 49, 99},
  };
  for (const Case& c : cases) {
    Renew();
    control_->SetGridlines(false);
    control_->SetGradient(1000);
    control_->SetKind(c.kind);
    control_->SetPenWidth(c.pen_width);
    control_->DataPoint(static_cast<TColor>(kRed), c.first);
    control_->Update();
    control_->DataPoint(static_cast<TColor>(kRed), c.second);
    control_->Update();
    for (int i = 0; i < c.later; ++i) control_->Update();
    TBitmap surface;
    PaintOn(surface);
    const int column = 98 - 3 * c.later;
    std::vector<int> red_rows;
    for (int y = 0; y < 100; ++y) {
      if (surface.PixelAt(column, y) == kRed) red_rows.push_back(y);
      if (c.later) {
        ASSERT_EQ(surface.PixelAt(98, y), kBlack) << c.name << ": the newest band";
      }
    }
    ASSERT_FALSE(red_rows.empty()) << c.name;
    EXPECT_EQ(red_rows.front(), c.top_row) << c.name;
    EXPECT_EQ(red_rows.back(), c.bottom_row) << c.name;
    EXPECT_EQ(static_cast<int>(red_rows.size()), c.bottom_row - c.top_row + 1) << c.name;
    EXPECT_EQ(surface.PixelAt(90, 20), kBlack) << c.name << ": drawn outside the new bands";
  }
}

TEST_F(PerformanceGraphTest, APaintAtANewSizeRedrawsFromTheHistory) {
  control_->SetKind(TGraphKind::pgBar);
  control_->SetGridlines(false);
  control_->SetGradient(1000);
  control_->DataPoint(static_cast<TColor>(kRed), 1000);
  control_->Update();
  control_->SetBounds(0, 0, 200, 50);
  TBitmap surface;
  PaintOn(surface);
  EXPECT_EQ(control_->Plot().History().Count(), 200 / 3 + 2);
  EXPECT_EQ(surface.PixelAt(197, 25), kRed) << "the newest band is not at the new right edge";
  EXPECT_EQ(surface.PixelAt(196, 25), kBlack);
  EXPECT_EQ(surface.PixelAt(150, 25), kBlack);
}

TEST_F(PerformanceGraphTest, UpdateShowsTheNewBandInTheWindowAtOnce) {
  auto* form = new TGraphTestForm(Application);
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  form->SetBounds(30, 30, 120, 120);
  control_->SetParent(form);
  control_->SetBounds(10, 10, 100, 100);
  control_->SetGridlines(false);
  control_->SetKind(TGraphKind::pgBar);
  form->Show();
  wintest::Pump();
  control_->DataPoint(static_cast<TColor>(kRed), 1000);
  control_->Update();
  // Read without painting first: the update painted already.
  HDC dc = GetDC(form->Handle());
  const COLORREF shown = GetPixel(dc, 10 + 98, 10 + 50);
  ReleaseDC(form->Handle(), dc);
  EXPECT_EQ(shown, kRed);
  control_->SetParent(nullptr);
  TObject::Free(form);
}

TEST_F(PerformanceGraphTest, FormDescriptionRoundTrip) {
  const AnsiString text =
      "object GraphForm: TGraphTestForm\n"
      "  object Graph1: TPerformanceGraph\n"
      "    Left = 4\n    Top = 5\n    Width = 90\n    Height = 60\n"
      "    Anchors = [akLeft, akTop, akRight]\n    Constraints.MinWidth = 40\n"
      "    Kind = pgBar\n    ForeColor = clLime\n    BackColor = clNavy\n"
      "    GridSize = 10\n    StepSize = 5\n    Gradient = 1000\n    Scale = 2500\n"
      "    Gridlines = False\n    PenWidth = 3\n    ShowHint = True\n"
      "    OnScaleChange = Graph1ScaleChange\n"
      "  end\nend\n";
  TGraphTestForm form(nullptr);
  form.LoadFromText(text);
  TPerformanceGraph* graph = form.Graph1;
  ASSERT_NE(graph, nullptr);
  EXPECT_EQ(graph->Scale(), 3000) << "not rounded up to the gradient read before it";
  graph->DataPoint(clRed, 5000);
  graph->Update();
  EXPECT_EQ(form.scale_changes, 1);
  EXPECT_EQ(form.last_sender, graph);

  const AnsiString written = WriteComponentText(form);
  TGraphTestForm copy(nullptr);
  copy.LoadFromText(written);
  EXPECT_EQ(WriteComponentText(copy), written);
  EXPECT_NE(written.find("Gradient = 1000"), AnsiString::npos) << "the stored default is not 100";
  EXPECT_NE(written.find("Anchors = [akLeft, akTop, akRight]"), AnsiString::npos);
  EXPECT_NE(written.find("Constraints.MinWidth = 40"), AnsiString::npos);
}

}  // namespace
