// The grid under Wine: real key and mouse messages move the current cell under SelectCell's
// veto, the view scrolls after it, scroll bars and the wheel move the view alone, the cells
// paint in their states, and a grid stores and reads its properties.
#include "framework/win/Grids.h"

#include <gtest/gtest.h>

#include <map>

#include "framework/core/Filer.h"
#include "tests/framework/win/GdiTest.h"
#include "tests/framework/win/WinTest.h"

namespace {

constexpr TGridCoord kRefused{3, 3};

// A grid of 6 columns by 20 rows of 40 x 20 pixels, one fixed of each, in a window of
// 200 x 150 pixels without a border: rows 1 to 6 show whole, a vertical scroll bar and the
// columns past the fourth beyond the right edge. Cell 3, 3 refuses to become current.
class GridTest : public GdiTest {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    GdiTest::SetUp();
    form_ = new TForm(Application);
    form_->SetBounds(40, 40, 300, 240);
    grid_ = new TDrawGrid(form_);
    grid_->SetBorderStyle(TBorderStyle::bsNone);
    grid_->SetBounds(0, 0, 200, 150);
    grid_->SetColCount(6);
    grid_->SetRowCount(20);
    grid_->SetDefaultColWidth(40);
    grid_->SetDefaultRowHeight(20);
    grid_->SetScrollBars(TScrollStyle::ssVertical);
    grid_->SetOptions(grid_->Options() | GridOption(TGridOption::goTabs));
    grid_->OnClick = [this](TObject*) { ++clicks_; };
    grid_->OnSelectCell = [](TObject*, int col, int row, bool& allowed) {
      allowed = TGridCoord{col, row} != kRefused;
    };
    grid_->SetParent(form_);
    form_->Show();
    grid_->SetFocus();
    wintest::Pump();
  }
  void TearDown() override {
    delete form_;
    wintest::Pump();
    GdiTest::TearDown();
  }
  void Key(WPARAM key, TShiftState shift = 0) {
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE saved[256];
    std::copy(std::begin(keys), std::end(keys), saved);
    keys[VK_SHIFT] = (shift & ssShift) ? 0x80 : 0;
    keys[VK_CONTROL] = (shift & ssCtrl) ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageA(grid_->Handle(), WM_KEYDOWN, key, 1);
    wintest::Pump();
    SetKeyboardState(saved);
  }
  POINT Centre(int col, int row) {
    const RECT r = grid_->CellRect(col, row);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void Mouse(UINT msg, POINT at, WPARAM keys) {
    wintest::PostMouse(grid_->Handle(), msg, at.x, at.y, keys);
    wintest::Pump();
  }
  TGridCoord Current() const { return {grid_->Col(), grid_->Row()}; }

  TForm* form_ = nullptr;
  TDrawGrid* grid_ = nullptr;
  int clicks_ = 0;
};

TEST_F(GridTest, KeysMoveTheCurrentCellAndTheViewFollows) {
  struct Case {
    WPARAM key;
    TShiftState shift;
    TGridCoord current;
    TGridRect selection;
    int top_row;
    bool click;
  };
  // clang-format off
  const Case steps[] = {
      {VK_RIGHT, 0, {2, 1}, {2, 1, 2, 1}, 1, true},
      {VK_DOWN, 0, {2, 2}, {2, 2, 2, 2}, 1, true},
      {VK_DOWN, ssShift, {2, 3}, {2, 2, 2, 3}, 1, true},   // Shift extends the range
      {VK_RIGHT, ssShift, {2, 3}, {2, 2, 2, 3}, 1, false}, // 3, 3 refuses: no move, no click
      {VK_UP, 0, {2, 2}, {2, 2, 2, 2}, 1, true},
      {VK_END, 0, {5, 2}, {5, 2, 5, 2}, 1, true},
      {VK_HOME, ssCtrl, {1, 1}, {1, 1, 1, 1}, 1, true},
      {VK_UP, 0, {1, 1}, {1, 1, 1, 1}, 1, false},          // the fixed row stops it
      {VK_NEXT, 0, {1, 7}, {1, 7, 1, 7}, 2, true},          // a page of six rows
      {VK_END, ssCtrl, {5, 19}, {5, 19, 5, 19}, 14, true},
      {VK_TAB, 0, {5, 19}, {5, 19, 5, 19}, 14, false},      // the last cell
      {VK_TAB, ssShift, {4, 19}, {4, 19, 4, 19}, 14, true},
      {VK_PRIOR, 0, {4, 13}, {4, 13, 4, 13}, 13, true},
  };
  // clang-format on
  for (const Case& step : steps) {
    const int clicks_before = clicks_;
    Key(step.key, step.shift);
    SCOPED_TRACE(testing::Message() << "key " << step.key << " shift " << int{step.shift});
    EXPECT_EQ(Current(), step.current) << Current().X << ", " << Current().Y;
    EXPECT_EQ(grid_->Selection(), step.selection);
    EXPECT_EQ(grid_->TopRow(), step.top_row);
    EXPECT_EQ(clicks_ - clicks_before, step.click ? 1 : 0);
  }
  EXPECT_GT(grid_->LeftCol(), 1) << "the last column was not scrolled into view";
}

TEST_F(GridTest, MovesFromCodeRaiseNoClickAndCheckTheirCell) {
  grid_->SetCol(4);
  grid_->SetRow(3);
  EXPECT_EQ(Current(), (TGridCoord{4, 3}));
  grid_->SetCol(kRefused.X);
  EXPECT_EQ(Current(), (TGridCoord{4, 3})) << "SelectCell refuses code too";
  grid_->SetRow(18);
  EXPECT_EQ(grid_->TopRow(), 13) << "a cell set from code is scrolled into view";
  EXPECT_THROW(grid_->SetCol(0), ERangeError) << "a fixed column cannot be current";
  EXPECT_THROW(grid_->SetRow(20), ERangeError);
  EXPECT_EQ(clicks_, 0);

  EXPECT_THROW(grid_->SetFixedCols(6), ERangeError);
  EXPECT_THROW(grid_->SetColCount(0), ERangeError);
  EXPECT_EQ(grid_->ColCount(), 6);
  EXPECT_EQ(grid_->FixedCols(), 1);
  grid_->SetRowCount(10);
  EXPECT_EQ(Current(), (TGridCoord{4, 9})) << "fewer rows take the current cell along";
  EXPECT_EQ(grid_->TopRow(), 4) << "fewer rows leave no unused space below the last";
}

TEST_F(GridTest, TheMousePicksDragsAndScrolls) {
  Mouse(WM_LBUTTONDOWN, Centre(2, 2), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, Centre(2, 2), 0);
  EXPECT_EQ(Current(), (TGridCoord{2, 2}));
  EXPECT_EQ(clicks_, 1);
  Mouse(WM_LBUTTONDOWN, Centre(2, 2), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, Centre(2, 2), 0);
  EXPECT_EQ(clicks_, 2) << "a click on the current cell is a click too";

  for (POINT at : {Centre(3, 3), Centre(2, 0), Centre(0, 4)}) {  // refused, fixed, fixed
    Mouse(WM_LBUTTONDOWN, at, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, at, 0);
  }
  EXPECT_EQ(Current(), (TGridCoord{2, 2}));
  EXPECT_EQ(clicks_, 2);

  Mouse(WM_LBUTTONDOWN, Centre(4, 4), MK_LBUTTON | MK_SHIFT);
  Mouse(WM_LBUTTONUP, Centre(4, 4), 0);
  EXPECT_EQ(grid_->Selection(), (TGridRect{2, 2, 4, 4})) << "Shift extends the range";
  EXPECT_EQ(grid_->LeftCol(), 2) << "a cell shown in part scrolls into view";

  // A drag selects as it goes, and below the last row it scrolls on, a row at a time.
  Mouse(WM_LBUTTONDOWN, Centre(2, 5), MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, Centre(3, 6), MK_LBUTTON);
  EXPECT_EQ(grid_->Selection(), (TGridRect{2, 5, 3, 6}));
  const int x = Centre(2, 5).x;
  Mouse(WM_MOUSEMOVE, {x, 170}, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, {x, 175}, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, {x, 175}, 0);
  EXPECT_EQ(Current(), (TGridCoord{2, 8}));
  EXPECT_EQ(grid_->TopRow(), 3);
  Mouse(WM_MOUSEMOVE, Centre(2, 4), 0);
  EXPECT_EQ(Current(), (TGridCoord{2, 8})) << "the drag ended with the release";
}

TEST_F(GridTest, ScrollBarAndWheelMoveTheViewButNotTheCurrentCell) {
  auto scroll = [&](WPARAM request) {
    SendMessageA(grid_->Handle(), WM_VSCROLL, request, 0);
    return grid_->TopRow();
  };
  EXPECT_EQ(scroll(SB_LINEDOWN), 2);
  EXPECT_EQ(scroll(SB_PAGEDOWN), 8);
  EXPECT_EQ(scroll(SB_BOTTOM), 14);
  EXPECT_EQ(scroll(SB_LINEDOWN), 14) << "nothing below the last row";
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(grid_->Handle(), SB_VERT, &info);
  EXPECT_EQ(info.nPos, 13);
  EXPECT_EQ(info.nMax - static_cast<int>(info.nPage) + 1, 13) << "the bar ends where the view does";
  EXPECT_EQ(scroll(SB_TOP), 1);

  SendMessageA(grid_->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_GT(grid_->TopRow(), 1);
  EXPECT_EQ(Current(), (TGridCoord{1, 1}));
  EXPECT_EQ(clicks_, 0);
}

TEST_F(GridTest, CellsPaintInTheirStates) {
  std::map<std::pair<int, int>, TGridDrawState> states;
  grid_->OnDrawCell = [&](TObject*, int col, int row, RECT, TGridDrawState state) {
    states[{col, row}] = state;
  };
  auto state = [&](int col, int row) { return int{states[{col, row}]}; };
  Key(VK_RIGHT, ssShift);  // 1, 1 to 2, 1: the current cell is 2, 1
  TBitmap surface;
  surface.SetSize(200, 150);
  SendMessageA(grid_->Handle(), WM_PRINTCLIENT,
               reinterpret_cast<WPARAM>(surface.Canvas()->Handle()), PRF_CLIENT);
  EXPECT_EQ(state(0, 0), gdFixed);
  EXPECT_EQ(state(1, 1), gdSelected);
  EXPECT_EQ(state(2, 1), gdFocused) << "the focused cell is not drawn selected";
  EXPECT_EQ(state(3, 2), 0);
  EXPECT_EQ(states.count({1, 7}), 1u) << "a row in part is drawn";
  EXPECT_EQ(states.count({1, 8}), 0u) << "a row out of view is not";

  auto pixel = [&](int col, int row) {
    const POINT at = Centre(col, row);
    return surface.PixelAt(at.x, at.y);
  };
  EXPECT_EQ(pixel(0, 3), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(pixel(1, 1), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(pixel(3, 3), GetSysColor(COLOR_WINDOW));
  const RECT cell = grid_->CellRect(3, 3);
  EXPECT_EQ(surface.PixelAt(cell.right, cell.top + 5), GetSysColor(COLOR_BTNFACE)) << "line";

  grid_->SetOptions(grid_->Options() | GridOption(TGridOption::goDrawFocusSelected));
  SendMessageA(grid_->Handle(), WM_PRINTCLIENT,
               reinterpret_cast<WPARAM>(surface.Canvas()->Handle()), PRF_CLIENT);
  EXPECT_EQ(state(2, 1), gdFocused | gdSelected);
}

TEST(GridForm, PropertiesStoreAndReadBack) {
  wintest::EnsureApplication();
  TDrawGrid::StaticClassInfo();
  TForm form(nullptr);
  form.LoadFromText(
      "object GridForm: TForm\n"
      "  object Grid1: TDrawGrid\n"
      "    ColCount = 9\n"
      "    FixedCols = 2\n"
      "    Options = [goVertLine, goRowSelect, goTabs]\n"
      "    ScrollBars = ssNone\n"
      "    Anchors = [akLeft, akTop, akRight]\n"
      "    DragMode = dmAutomatic\n"
      "    BorderStyle = bsNone\n"
      "  end\n"
      "end\n");
  auto* grid = static_cast<TDrawGrid*>(form.FindComponent("Grid1"));
  EXPECT_EQ(grid->ColCount(), 9);
  EXPECT_EQ(grid->FixedCols(), 2);
  EXPECT_TRUE(grid->HasOption(TGridOption::goRowSelect));
  EXPECT_FALSE(grid->HasOption(TGridOption::goRangeSelect));
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 1, 8, 1})) << "a row selection spans the row";
  EXPECT_EQ(grid->DragMode(), TDragMode::dmAutomatic);
  const AnsiString written = WriteComponentText(form);
  TForm copy(nullptr);
  copy.LoadFromText(written);
  EXPECT_EQ(WriteComponentText(copy), written);
}

}  // namespace
