// Anchors and constraints on real windows: a form sized by the system holds its limits and moves
// its anchored children, windowed and windowless, within theirs.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "framework/demo/DemoForm.h"
#include "framework/win/Platform.h"
#include "framework/win/StdCtrls.h"
#include "tests/framework/win/WinTest.h"

namespace {

SIZE WindowSize(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

TEST(Placement, FormSizedByTheSystemHoldsItsConstraintsAndMovesAnchoredChildren) {
  wintest::EnsureApplication();
  TForm form(nullptr);
  form.LoadFromText(
      "object PlacedForm: TForm\n"
      "  Constraints.MinWidth = 200\n  Constraints.MinHeight = 150\n"
      "  Constraints.MaxWidth = 400\n  Constraints.MaxHeight = 300\nend\n");
  form.SetBounds(60, 60, 300, 200);
  auto* corner = new TCounter(&form);  // windowed, kept at the bottom right
  corner->SetParent(&form);
  corner->SetBounds(200, 100, 60, 30);
  corner->SetAnchors(akRight | akBottom);
  auto* band = new TSwatch(&form);  // windowless, stretched across, at most 230 wide
  band->SetParent(&form);
  band->SetBounds(10, 10, 200, 20);
  band->Constraints()->SetMaxWidth(230);
  band->SetAnchors(akLeft | akTop | akRight);
  form.Show();
  wintest::Pump();
  HWND window = form.Handle();
  const int client_width = form.ClientWidth(), client_height = form.ClientHeight();

  MINMAXINFO info{};
  SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 200);
  EXPECT_EQ(info.ptMinTrackSize.y, 150);
  EXPECT_EQ(info.ptMaxTrackSize.x, 400);
  EXPECT_EQ(info.ptMaxTrackSize.y, 300);

  // The user drags the frame larger: children follow their anchors.
  SetWindowPos(window, nullptr, 0, 0, 360, 260, SWP_NOMOVE | SWP_NOZORDER);
  wintest::Pump();
  EXPECT_EQ(corner->Left(), 200 + 60);
  EXPECT_EQ(corner->Top(), 100 + 60);
  RECT corner_rect;
  GetWindowRect(corner->Handle(), &corner_rect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&corner_rect), 2);
  EXPECT_EQ(corner_rect.left, 260) << "the child window itself moved";
  EXPECT_EQ(band->Width(), 230) << "stretched by 60, held at its maximum";

  // Any smaller or larger than the limits, by anyone, is held at them.
  SetWindowPos(window, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
  wintest::Pump();
  EXPECT_EQ(WindowSize(window).cx, 200);
  EXPECT_EQ(WindowSize(window).cy, 150);
  EXPECT_EQ(form.Width(), 200);
  form.SetBounds(form.Left(), form.Top(), 1000, 1000);
  wintest::Pump();
  EXPECT_EQ(WindowSize(window).cx, 400);
  EXPECT_EQ(WindowSize(window).cy, 300);

  // Back to the first size: the children are back where code put them.
  form.SetBounds(form.Left(), form.Top(), 300, 200);
  wintest::Pump();
  EXPECT_EQ(form.ClientWidth(), client_width);
  EXPECT_EQ(form.ClientHeight(), client_height);
  EXPECT_EQ(corner->BoundsRect().left, 200);
  EXPECT_EQ(corner->BoundsRect().top, 100);
  EXPECT_EQ(band->Width(), 200);

  // New limits hold at once, on a child window as on the form.
  corner->Constraints()->SetMinWidth(90);
  EXPECT_EQ(corner->Width(), 90);
  EXPECT_EQ(WindowSize(corner->Handle()).cx, 90);
}

}  // namespace

namespace {

// A form moved to a screen of 1.5 times the resolution: everything scales once, by its own
// rule — places and sizes, own fonts, limits; aligned and anchored children keep their rule
// against the scaled client area; an auto-sized label takes its text's size.
TEST(Placement, AScaledFormScalesEachChildOnceByItsRule) {
  wintest::EnsureApplication();
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  form.SetBounds(40, 40, 200, 100);
  auto* filler = new TSwatch(&form);  // fills the form
  filler->SetParent(&form);
  filler->SetAlign(TAlign::alClient);
  auto* corner = new TCounter(&form);  // 10 from the right, 10 from the bottom
  corner->SetParent(&form);
  corner->SetBounds(150, 60, 40, 30);
  corner->SetAnchors(akRight | akBottom);
  corner->Constraints()->SetMaxWidth(60);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  label->SetLeft(8);
  label->Font()->SetHeight(-12);
  label->SetCaption("&Scaled");
  form.Show();
  wintest::Pump();
  const int label_width = label->Width();

  auto bounds = [](const TControl* control) {
    const RECT r = control->BoundsRect();
    return std::vector<int>{r.left, r.top, r.right, r.bottom};
  };
  form.ChangeScale(144, 96);
  wintest::Pump();
  EXPECT_EQ(form.PixelsPerInch(), 144);
  EXPECT_EQ(form.ClientWidth(), 300);
  EXPECT_EQ(form.ClientHeight(), 150);
  EXPECT_EQ(bounds(filler), (std::vector<int>{0, 0, 300, 150}));
  EXPECT_EQ(bounds(corner), (std::vector<int>{225, 90, 285, 135})) << "anchored or scaled twice";
  EXPECT_EQ(corner->Constraints()->MaxWidth(), 90);
  EXPECT_EQ(label->Left(), 12);
  EXPECT_EQ(label->Font()->Height(), -18);
  EXPECT_GT(label->Width(), label_width * 5 / 4) << "the label did not take its new text size";
  EXPECT_LT(label->Width(), label_width * 7 / 4);

  // And back, as the system says it when the window moves to a screen of 96 pixels per inch.
  RECT suggested{40, 40, 240, 140};
  SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(form.PixelsPerInch(), 96);
  EXPECT_EQ(form.ClientWidth(), 200);
  EXPECT_EQ(bounds(corner), (std::vector<int>{150, 60, 190, 90}));
  EXPECT_EQ(label->Font()->Height(), -12);
}

}  // namespace

namespace {

// Every window on a monitor of this resolution while it lives; Wine's screen, and the frames it
// draws, stay at 96.
struct TMonitorAt {
  explicit TMonitorAt(int dpi) {
    DpiServices().WindowPixelsPerInch = [dpi](HWND) { return dpi; };
  }
  ~TMonitorAt() { DpiServices() = saved; }
  TDpiServices saved = DpiServices();
};

// Read, or made, on a monitor denser than the system: laid out for the monitor and kept inside
// its work area. A form that is read scales its place too; a window made later stays put.
TEST(Placement, AFormIsLaidOutForItsMonitorAndStaysInsideItsWorkArea) {
  wintest::EnsureApplication();
  constexpr int kFlush = -1;  // against the work area's right or bottom edge
  const struct {
    int dpi;
    bool read;
    int left, top, client_width, client_height, want_left, want_top;
  } cases[] = {
      {192, true, 236, 108, 392, 294, kFlush, kFlush},  // the window's: twice is off the screen
      {144, true, 100, 60, 200, 100, 150, 90},
      {144, false, 100, 60, 200, 100, 100, 60},
      {144, false, 800, 600, 200, 100, kFlush, kFlush},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dpi << (c.read ? " read at " : " made at ") << c.left);
    TForm form(nullptr);  // no frame: Wine would draw it for 96
    std::optional<TMonitorAt> monitor;
    if (c.read) {
      monitor.emplace(c.dpi);
      form.LoadFromText(
          Format("object DenseForm: TForm\n  Left = %d\n  Top = %d\n  BorderStyle "
                 "= bsNone\n  ClientWidth = %d\n  ClientHeight = %d\nend\n",
                 c.left, c.top, c.client_width, c.client_height));
    } else {
      form.SetBorderStyle(TFormBorderStyle::bsNone);
      form.SetBounds(c.left, c.top, c.client_width, c.client_height);
      monitor.emplace(c.dpi);
    }
    form.Show();
    EXPECT_EQ(form.PixelsPerInch(), c.dpi);
    EXPECT_EQ(form.ClientWidth(), MulDiv(c.client_width, c.dpi, 96));
    EXPECT_EQ(form.ClientHeight(), MulDiv(c.client_height, c.dpi, 96));
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromWindow(form.Handle(), MONITOR_DEFAULTTONEAREST), &info);
    EXPECT_EQ(form.Left(), c.want_left == kFlush ? info.rcWork.right - form.Width() : c.want_left);
    EXPECT_EQ(form.Top(), c.want_top == kFlush ? info.rcWork.bottom - form.Height() : c.want_top);
  }
}

std::vector<WINDOWPOS> moves;  // every move or size of a window, in order, while hooked

LRESULT CALLBACK RecordMove(int code, WPARAM wparam, LPARAM lparam) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lparam);
  if (code == HC_ACTION && call->message == WM_WINDOWPOSCHANGED)
    moves.push_back(*reinterpret_cast<const WINDOWPOS*>(call->lParam));
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// Dragged to a monitor of twice the resolution, as Windows announces it: the size the form wants
// there, then the change with a rectangle of that size. The form takes the rectangle before
// anything else moves (anywhere else could be back on the first monitor and set off another
// change); its children follow, and the form is not moved again.
TEST(Placement, AFormMovedToADenserMonitorTakesTheSystemsRectangleBeforeItsChildrenMove) {
  wintest::EnsureApplication();
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsDialog);
  form.SetBounds(100, 80, 0, 0);
  form.SetClientWidth(200);
  form.SetClientHeight(100);
  auto* child = new TCounter(&form);
  child->SetParent(&form);
  child->SetBounds(20, 10, 60, 30);
  form.Show();
  HWND window = form.Handle();
  SIZE wanted{};
  ASSERT_TRUE(SendMessageA(window, WM_GETDPISCALEDSIZE, 192, reinterpret_cast<LPARAM>(&wanted)));
  EXPECT_GT(wanted.cx, 400);
  RECT suggested{600, 40, 600 + wanted.cx, 40 + wanted.cy};
  {
    TMonitorAt monitor(192);
    moves.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, RecordMove, nullptr, GetCurrentThreadId());
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    UnhookWindowsHookEx(hook);
  }
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves[0].hwnd, window) << "something moved before the form took its place";
  EXPECT_EQ((std::vector<int>{moves[0].x, moves[0].y, moves[0].cx, moves[0].cy}),
            (std::vector<int>{600, 40, wanted.cx, wanted.cy}));
  bool child_moved = false;
  for (const WINDOWPOS& move : moves) {
    if (move.flags & SWP_NOMOVE) continue;
    child_moved |= move.hwnd == child->Handle();
    if (move.hwnd == window) {
      EXPECT_TRUE(move.x == 600 && move.y == 40) << "moved again";
    }
  }
  EXPECT_TRUE(child_moved);
  EXPECT_EQ(form.PixelsPerInch(), 192);
  EXPECT_EQ(form.ClientWidth(), 400);
  EXPECT_EQ(form.ClientHeight(), 200);
  const RECT r = child->BoundsRect();
  EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}),
            (std::vector<int>{40, 20, 160, 80}));
}

}  // namespace
