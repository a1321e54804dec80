// Anchors and constraints on real windows: a form sized by the system holds its limits and moves
// its anchored children, windowed and windowless, within theirs.
#include <gtest/gtest.h>

#include "framework/demo/DemoForm.h"
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
