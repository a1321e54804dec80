// The outline under Wine: what a row paints, the keys and the mouse as a user drives them, and
// the scroll bars.
#include "framework/win/Outline.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/framework/win/ExtTest.h"

namespace {

const char* const kForm = R"(object Form1: TForm
  Left = 40
  Top = 40
  BorderStyle = bsDialog
  Caption = 'Outline'
  ClientHeight = 120
  ClientWidth = 200
end
)";

class OutlineTest : public exttest::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    Show(kForm);
    outline_ = new TCustomOutline(form_);
    outline_->SetBounds(0, 0, 200, 120);
    outline_->SetBorderStyle(TBorderStyle::bsNone);
    outline_->SetColor(clAqua);
    outline_->SetScrollBars(TScrollStyle::ssNone);
    outline_->SetParent(form_);
    // c: > windows > system, c: > users, d:
    outline_->AddChild(0, "c:");
    outline_->AddChild(1, "windows");
    outline_->AddChild(2, "system");
    outline_->AddChild(1, "users");
    outline_->AddChild(0, "d:");
    outline_->OnClick = [this](TObject*) { ++clicks_; };
    outline_->OnExpand = [this](TObject*, int index) { events_.push_back(index); };
    outline_->OnCollapse = [this](TObject*, int index) { events_.push_back(-index); };
    outline_->SetFocus();
  }
  HWND Handle() { return outline_->Handle(); }
  AnsiString SelectedText() const {
    const int selected = outline_->SelectedItem();
    return selected > 0 ? outline_->Items(selected).Text() : AnsiString("(none)");
  }
  // The client point in the middle of an item's text.
  POINT TextPoint(int index) const {
    const RECT r = outline_->ItemTextRect(index);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  TCustomOutline* outline_ = nullptr;
  int clicks_ = 0;
  std::vector<int> events_;  // expanded items, collapsed ones negative
};

TEST_F(OutlineTest, RowsPaintLinesPicturesAndTheSelection) {
  outline_->Items(1).Expand();
  outline_->SetSelectedItem(2);
  UpdateWindow(Handle());
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  struct Row {
    const char* what;
    int x, y;
    COLORREF expected;
  };
  // Rows are 16 pixels high; a level's column 16 wide, the first one for the root line.
  const std::vector<Row> rows = {
      {"root line down the first column", 8, 12, shadow},
      {"branch of c: to its picture", 12, 8, shadow},
      {"open folder of c:", 16 + 2, 5, RGB(255, 255, 0)},
      {"closed folder of windows", 32 + 3, 16 + 6, RGB(255, 255, 0)},
      {"the pictures' corners let the colour through", 32, 16, RGB(0, 255, 255)},
      {"windows' branch", 24, 16 + 12, shadow},
      {"leaf sheet of users", 32 + 4, 32 + 5, RGB(255, 255, 255)},
      {"the selection's background", 49, 16 + 8, GetSysColor(COLOR_HIGHLIGHT)},
      {"an unselected text's background", 33, 8, RGB(0, 255, 255)},
      {"nothing below the last row", 100, 100, RGB(0, 255, 255)},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(wintest::PixelAt(Handle(), row.x, row.y), row.expected) << row.what;
  }
}

TEST_F(OutlineTest, KeysMoveOpenAndCloseAsAUserExpects) {
  struct Row {
    const char* keys;  // U D L R H E: arrows, Home, End; + and - typed
    const char* selected;
    std::vector<int> events;
    int clicks;
  };
  const std::vector<Row> rows = {
      {"R", "c:", {1}, 0},        // opens, stays
      {"RR", "windows", {1}, 1},  // then goes to the first child
      {"RRDD", "d:", {1}, 3},     // windows' children stay hidden
      {"RRDU", "windows", {1}, 3},   {"RE", "d:", {1}, 1},
      {"REH", "c:", {1}, 2},         {"RRL", "c:", {1}, 2},  // a closed item goes to its parent
      {"RL", "c:", {1, -1}, 0},                              // an open one closes
      {"+-", "c:", {1, -1}, 0},      {"UUU", "c:", {}, 0},   // nothing above the first row
      {"+R+D", "system", {1, 2}, 2}, {"+R+D-", "system", {1, 2}, 2},  // "-" closes the selected
                                                                      // item only
  };
  for (const Row& row : rows) {
    outline_->Items(1).Collapse();
    outline_->Items(2).Collapse();
    outline_->SetSelectedItem(1);
    events_.clear();
    clicks_ = 0;
    for (const char* key = row.keys; *key; ++key) {
      static const std::map<char, WPARAM> kVirtual = {{'U', VK_UP},   {'D', VK_DOWN},
                                                      {'L', VK_LEFT}, {'R', VK_RIGHT},
                                                      {'H', VK_HOME}, {'E', VK_END}};
      if (*key == '+' || *key == '-') {
        SendMessageA(Handle(), WM_CHAR, static_cast<WPARAM>(*key), 0);
      } else {
        SendMessageA(Handle(), WM_KEYDOWN, kVirtual.at(*key), 0);
      }
    }
    EXPECT_EQ(SelectedText(), row.selected) << row.keys;
    EXPECT_EQ(events_, row.events) << row.keys;
    EXPECT_EQ(clicks_, row.clicks) << row.keys << ": every move by the user, and no other";
  }
}

TEST_F(OutlineTest, MouseSelectsClicksAndOpens) {
  outline_->Items(1).Expand();
  const POINT users = TextPoint(4);
  wintest::Click(Handle(), users.x, users.y);
  EXPECT_EQ(SelectedText(), "users");
  EXPECT_EQ(clicks_, 1);
  // A double click on windows opens it.
  const POINT windows = TextPoint(2);
  wintest::Click(Handle(), windows.x, windows.y);
  wintest::PostMouse(Handle(), WM_LBUTTONDBLCLK, windows.x, windows.y, MK_LBUTTON);
  wintest::PostMouse(Handle(), WM_LBUTTONUP, windows.x, windows.y);
  wintest::Pump();
  EXPECT_TRUE(outline_->Items(2).Expanded());
  EXPECT_EQ(events_, (std::vector<int>{1, 2}));
  // Below the last row nothing changes.
  wintest::Click(Handle(), 50, 110);
  EXPECT_EQ(SelectedText(), "windows");
  EXPECT_EQ(outline_->GetItem(50, 110), -1);

  // A plus or minus box opens and closes without moving the selection.
  outline_->SetOutlineStyle(TOutlineStyle::osPlusMinusText);
  events_.clear();
  wintest::Click(Handle(), 8, 8);  // c:'s box
  EXPECT_FALSE(outline_->Items(1).Expanded());
  EXPECT_EQ(SelectedText(), "c:") << "the selection inside moved up to the closed item";
  wintest::Click(Handle(), 8, 8);
  EXPECT_TRUE(outline_->Items(1).Expanded());
  EXPECT_EQ(events_, (std::vector<int>{-1, 1}));
}

TEST_F(OutlineTest, ScrollBarsFollowTheRowsAndTheSelection) {
  for (int i = 0; i < 20; ++i) outline_->AddChild(0, "item " + IntToStr(i));
  outline_->AddChild(0, AnsiString(60, 'w'));
  outline_->SetScrollBars(TScrollStyle::ssBoth);
  UpdateWindow(Handle());
  const auto bar = [this](int which) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(Handle(), which, &info);
    return info;
  };
  EXPECT_EQ(bar(SB_VERT).nMax, outline_->RowCount() - 1);
  EXPECT_EQ(static_cast<int>(bar(SB_VERT).nPage), outline_->ClientHeight() / 16);
  EXPECT_GT(bar(SB_HORZ).nMax, outline_->ClientWidth()) << "the long text reaches past the edge";

  outline_->SetSelectedItem(outline_->ItemCount());
  EXPECT_EQ(outline_->TopRow(), outline_->RowCount() - outline_->ClientHeight() / 16);
  SendMessageA(Handle(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(outline_->TopRow(), 0);
  SendMessageA(Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(outline_->GetItem(0, 0), 5) << "the second row, d:, is on top";
  for (int turn = 0; turn < 4; ++turn) {  // a touchpad turns in small steps
    SendMessageA(Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-30)), 0);
  }
  EXPECT_EQ(outline_->TopRow(), 1 + static_cast<int>(WheelScrollLines()));
  SendMessageA(Handle(), WM_VSCROLL, SB_TOP, 0);
  SendMessageA(Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  SendMessageA(Handle(), WM_HSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(outline_->LeftPos(), 8);
  EXPECT_EQ(clicks_, 0) << "scrolling selects nothing";

  outline_->SetScrollBars(TScrollStyle::ssNone);
  UpdateWindow(Handle());
  EXPECT_EQ(GetWindowLongA(Handle(), GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), 0);

  // The border follows BorderStyle and Ctl3D: a sunken edge, a line, or none.
  outline_->SetBorderStyle(TBorderStyle::bsSingle);
  EXPECT_TRUE(GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  outline_->SetCtl3D(false);
  EXPECT_FALSE(GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(GetWindowLongA(Handle(), GWL_STYLE) & WS_BORDER);
}

TEST_F(OutlineTest, OwnerDrawLeavesEachShownRowToTheHandler) {
  std::vector<int> drawn;
  outline_->OnDrawItem = [&](TWinControl*, int index, RECT rect, TOwnerDrawState state) {
    drawn.push_back(index);
    EXPECT_EQ(rect.bottom - rect.top, 16);
    EXPECT_EQ((state & odSelected) != 0, index == 5);
  };
  outline_->SetSelectedItem(5);
  outline_->SetStyle(TOutlineType::otOwnerDraw);
  UpdateWindow(Handle());
  EXPECT_EQ(drawn, (std::vector<int>{1, 5}));
}

}  // namespace
