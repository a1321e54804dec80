// The colour grid under Wine: real keys and mouse messages choose the colours, the marks and
// squares as painted, and the size snapping to whole squares.
#include "controls-extra/Cgrid.h"

#include <gtest/gtest.h>

#include "tests/controls-extra/LibraryTest.h"

namespace {

// Exposes the square drawing, which the control does at once on its window.
class TProbeGrid : public TCColorGrid {
 public:
  using TCColorGrid::DrawSquare;
  using TCColorGrid::TCColorGrid;
};

// A new 4 x 4 grid of 100 x 100 pixels (squares of 25 x 25) on a shown form, with counters of
// its events.
class ColorGridTest : public LibraryFormTest {
 protected:
  void SetUp() override {
    LibraryFormTest::SetUp();
    grid_ = new TProbeGrid(form_);
    grid_->SetParent(form_);
    grid_->OnChange = [this](TObject*) { ++changes_; };
    grid_->OnClick = [this](TObject*) { ++clicks_; };
    ShowForm();
  }
  void Key(WPARAM key) {
    PostMessageA(grid_->Handle(), WM_KEYDOWN, key, 1);
    wintest::Pump();
  }
  void Mouse(UINT msg, int square, WPARAM keys) {
    wintest::PostMouse(grid_->Handle(), msg, square % 4 * 25 + 12, square / 4 * 25 + 12, keys);
    wintest::Pump();
  }
  // The grid as it paints itself.
  void Print(TBitmap& surface) {
    surface.SetSize(grid_->Width(), grid_->Height());
    SendMessageA(grid_->Handle(), WM_PRINTCLIENT,
                 reinterpret_cast<WPARAM>(surface.Canvas()->Handle()), PRF_CLIENT);
  }
  // The mark that square shows: "" or one of the three.
  AnsiString MarkOn(int square) {
    TBitmap surface;
    Print(surface);
    const TColor color = SquareColor(kDefaultPaletteEntries, square);
    const RECT r{square % 4 * 25, square / 4 * 25, square % 4 * 25 + 25, square / 4 * 25 + 25};
    return TextInRect(surface, r, {"VG", "HG", "VH"}, grid_->Font(), color, MarkTextColor(color));
  }

  TProbeGrid* grid_ = nullptr;
  int changes_ = 0;
  int clicks_ = 0;
};

TEST_F(ColorGridTest, ArrowKeysWrapAroundTheFourByFourGrid) {
  struct Case {
    int from;
    WPARAM key;
    int to;
  };
  const Case cases[] = {{2, VK_UP, 13},   {14, VK_DOWN, 3},  {15, VK_DOWN, 0},
                        {0, VK_LEFT, 15}, {15, VK_RIGHT, 0}, {15, VK_SPACE, 0}};
  for (const Case& c : cases) {
    grid_->SetSelection(c.from);
    Key(c.key);
    EXPECT_EQ(grid_->Selection(), c.to) << "from " << c.from << " key " << c.key;
  }
  EXPECT_EQ(changes_ + clicks_, 0) << "moving the selection chooses no colour";
}

TEST_F(ColorGridTest, FAndBChooseTheSelectedSquare) {
  grid_->SetSelection(5);
  Key('F');
  grid_->SetSelection(6);
  Key('B');
  EXPECT_EQ(grid_->ForegroundIndex(), 5);
  EXPECT_EQ(grid_->BackgroundIndex(), 6);
  EXPECT_EQ(changes_ + clicks_, 4);

  // A switched-off colour ignores its key, unless a click may switch it on: then it takes the
  // square even where it was.
  grid_->EnableForeground(false);
  grid_->SetSelection(9);
  Key('F');
  EXPECT_EQ(grid_->ForegroundIndex(), 5);
  grid_->ClickEnablesColor = true;
  grid_->SetSelection(5);
  Key('F');
  EXPECT_TRUE(grid_->ForegroundEnabled());
  EXPECT_EQ(grid_->ForegroundIndex(), 5);
  EXPECT_EQ(changes_, 3);
}

TEST_F(ColorGridTest, ADragChoosesSquareBySquare) {
  Mouse(WM_LBUTTONDOWN, 0, MK_LBUTTON);
  for (int square : {1, 1, 2, 6}) Mouse(WM_MOUSEMOVE, square, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 6, 0);
  EXPECT_EQ(changes_, 3) << "one change per new square";
  EXPECT_EQ(grid_->ForegroundIndex(), 6);
  EXPECT_EQ(grid_->Selection(), 6);
  Mouse(WM_MOUSEMOVE, 7, 0);
  EXPECT_EQ(grid_->ForegroundIndex(), 6) << "the release ended the drag";

  // The right button chooses the background and holds the capture until its release.
  Mouse(WM_RBUTTONDOWN, 9, MK_RBUTTON);
  EXPECT_EQ(GetCapture(), grid_->Handle());
  Mouse(WM_MOUSEMOVE, 10, MK_RBUTTON);
  EXPECT_EQ(grid_->BackgroundIndex(), 10);
  EXPECT_EQ(grid_->GetBackgroundColor(), clLime);
  // Another window takes the capture: the drag is over although no release came.
  TForm other(nullptr);
  SetCapture(other.Handle());
  wintest::Pump();
  ReleaseCapture();
  Mouse(WM_MOUSEMOVE, 11, MK_RBUTTON);
  EXPECT_EQ(grid_->BackgroundIndex(), 10);
}

TEST_F(ColorGridTest, MarksNameTheChosenSquares) {
  TBitmap surface;
  Print(surface);
  EXPECT_EQ(surface.PixelAt(5, 5), RGB(0, 0, 0)) << "square 0 is black";
  EXPECT_EQ(MarkOn(0), "VH") << "both colours on square 0, in white";

  grid_->EnableBackground(false);
  EXPECT_EQ(MarkOn(0), "VG");
  grid_->EnableBackground(true);
  grid_->SetForegroundIndex(9);
  EXPECT_EQ(MarkOn(9), "VG");
  EXPECT_EQ(MarkOn(0), "HG");
  grid_->SetForegroundIndex(20);
  EXPECT_EQ(MarkOn(0), "HG") << "an index out of range marks nothing";
  EXPECT_EQ(grid_->GetForegroundColor(), clBlack);
  EXPECT_EQ(changes_, 2);
}

TEST_F(ColorGridTest, TheFlatCursorDrawnAgainLooksTheSame) {
  grid_->SetCtl3D(false);
  wintest::Pump();
  auto square_pixels = [&] {
    std::vector<COLORREF> pixels;
    for (int y = 25; y < 50; ++y) {
      for (int x = 25; x < 50; ++x) pixels.push_back(wintest::PixelAt(grid_->Handle(), x, y));
    }
    return pixels;
  };
  grid_->DrawSquare(5, true);
  const std::vector<COLORREF> once = square_pixels();
  grid_->DrawSquare(5, true);
  EXPECT_EQ(square_pixels(), once);
}

TEST_F(ColorGridTest, ResizingSnapsToWholeSquares) {
  grid_->SetGridOrdering(TGridOrdering::go8x2);
  SetWindowPos(grid_->Handle(), nullptr, 0, 0, 103, 50, SWP_NOZORDER | SWP_NOMOVE);
  EXPECT_EQ(grid_->Width(), 96);
  EXPECT_EQ(grid_->Height(), 50);
  EXPECT_EQ(grid_->CellWidth(), 12);
  EXPECT_EQ(grid_->CellHeight(), 25);
  EXPECT_EQ(grid_->SquareFromPos(95, 49), 15);
}

}  // namespace
