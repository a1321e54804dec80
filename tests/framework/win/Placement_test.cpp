// Anchors and constraints on real windows: a form sized by the system holds its limits and moves
// its anchored children, windowed and windowless, within theirs.
#include <gtest/gtest.h>

#include <vector>

#include "framework/demo/DemoForm.h"
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
