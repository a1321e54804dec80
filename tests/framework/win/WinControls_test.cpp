// The windowed control's core under Wine: notifications reflected to the child that sent them,
// a press ended when the mouse capture goes elsewhere, the order in which the focus moves
// through nested containers, and aligned children kept in place as their parent, their siblings
// and their limits change.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

#include "framework/demo/DemoForm.h"
#include "framework/win/ExtCtrls.h"
#include "tests/framework/win/WinTest.h"

std::ostream& operator<<(std::ostream& out, const TLayoutRect& r) {
  return out << "{" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << "}";
}

namespace {

class WinControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    form_ = new TForm(Application);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    form_->SetBounds(60, 60, 200, 100);
  }
  void TearDown() override {
    TObject::Free(form_);
    wintest::Pump();
  }
  template <class T>
  T* Add(TWinControl* parent, int left, int top, int width, int height) {
    auto* control = new T(form_);
    control->SetBounds(left, top, width, height);
    control->SetParent(parent);
    return control;
  }
  void ShowForm() {
    form_->Show();
    wintest::Pump();
  }
  TForm* form_ = nullptr;
};

// --- reflection: what a child window tells its parent reaches the child's own object

constexpr LRESULT kChildAnswer = 0x5EED;

// Hears every reflected notification and answers it.
class TReflected : public TWinControl {
 public:
  using TWinControl::TWinControl;
  std::vector<TMessage> heard;

 protected:
  void CNCommand(TMessage& message) override { Hear(message); }
  void CNNotify(TMessage& message) override { Hear(message); }
  void CNCtlColor(TMessage& message) override { Hear(message); }
  void CNDrawItem(TMessage& message) override { Hear(message); }
  void CNMeasureItem(TMessage& message) override { Hear(message); }

 private:
  void Hear(TMessage& message) {
    heard.push_back(message);
    message.Result = kChildAnswer;
  }
};

// Who a notification says it comes from.
enum class TSender { Child, NoWindow, Foreign };

struct ReflectCase {
  const char* Name;
  UINT Msg;
  TSender From;
  UINT Reflected;  // what the child hears, or 0: nothing
};

TEST_F(WinControlsTest, ChildNotificationsReachTheChildsObjectAndItsAnswerGoesBack) {
  auto* child = Add<TReflected>(form_, 10, 10, 50, 20);
  HWND parent = form_->Handle();
  HWND foreign = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, parent, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  const UINT id = static_cast<UINT>(GetDlgCtrlID(child->Handle()));
  HDC dc = GetDC(parent);
  // clang-format off
  const ReflectCase cases[] = {
      {"a button's click", WM_COMMAND, TSender::Child, CN_COMMAND},
      {"a menu's command comes from no window", WM_COMMAND, TSender::NoWindow, 0},
      {"a command from a window that is none of ours", WM_COMMAND, TSender::Foreign, 0},
      {"a common control's notice", WM_NOTIFY, TSender::Child, CN_NOTIFY},
      {"a notice from a window that is none of ours, with our child's identifier", WM_NOTIFY,
       TSender::Foreign, 0},
      {"an edit's colours", WM_CTLCOLOREDIT, TSender::Child, CN_CTLCOLOREDIT},
      {"a static's colours", WM_CTLCOLORSTATIC, TSender::Child, CN_CTLCOLORSTATIC},
      {"a button's colours", WM_CTLCOLORBTN, TSender::Child, CN_CTLCOLORBTN},
      {"a list box's colours", WM_CTLCOLORLISTBOX, TSender::Child, CN_CTLCOLORLISTBOX},
      {"colours for a window that is none of ours", WM_CTLCOLORSTATIC, TSender::Foreign, 0},
      {"an owner-drawn item", WM_DRAWITEM, TSender::Child, CN_DRAWITEM},
      // Asked while the list is created: only the identifier says whose item it is.
      {"an owner-drawn item's size", WM_MEASUREITEM, TSender::Child, CN_MEASUREITEM},
  };
  // clang-format on
  for (const ReflectCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const HWND from = c.From == TSender::Child     ? child->Handle()
                      : c.From == TSender::Foreign ? foreign
                                                   : nullptr;
    NMHDR notice{from, id, static_cast<UINT>(NM_CLICK)};
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_BUTTON;
    draw.CtlID = id;
    draw.hwndItem = from;
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_LISTBOX;
    measure.CtlID = id;
    WPARAM wparam = id;
    LPARAM lparam = reinterpret_cast<LPARAM>(from);
    if (c.Msg == WM_COMMAND) wparam = MAKEWPARAM(id, BN_CLICKED);
    if (c.Msg >= WM_CTLCOLORMSGBOX && c.Msg <= WM_CTLCOLORSTATIC) {
      wparam = reinterpret_cast<WPARAM>(dc);
    }
    if (c.Msg == WM_NOTIFY) lparam = reinterpret_cast<LPARAM>(&notice);
    if (c.Msg == WM_DRAWITEM) lparam = reinterpret_cast<LPARAM>(&draw);
    if (c.Msg == WM_MEASUREITEM) lparam = reinterpret_cast<LPARAM>(&measure);

    child->heard.clear();
    const LRESULT answer = SendMessageA(parent, c.Msg, wparam, lparam);
    if (!c.Reflected) {
      EXPECT_TRUE(child->heard.empty()) << "reflected to a control it is not about";
      continue;
    }
    ASSERT_EQ(child->heard.size(), 1u);
    EXPECT_EQ(child->heard[0].Msg, c.Reflected);
    EXPECT_EQ(child->heard[0].WParam, wparam);
    EXPECT_EQ(child->heard[0].LParam, lparam);
    EXPECT_EQ(answer, kChildAnswer) << "the system must get the child's answer";
  }
  ReleaseDC(parent, dc);
  DestroyWindow(foreign);
}

// --- the mouse capture lost while a control is pressed

struct CaptureCase {
  const char* Name;
  bool Windowed;  // the pressed control has a window of its own
  // Takes the capture away from `pressed` (the window holding it); `other` is another window.
  std::function<void(HWND pressed, HWND other)> Lose;
  bool PressEnds;
};

TEST_F(WinControlsTest, APressEndsWithoutAClickWhenTheCaptureGoesElsewhere) {
  // clang-format off
  const CaptureCase cases[] = {
      {"windowless, released by someone else (a menu, a modal box)", false,
       [](HWND, HWND) { ReleaseCapture(); }, true},
      {"windowless, its window captures again for it", false,
       [](HWND pressed, HWND) { SetCapture(pressed); }, false},
      {"windowed, taken by another window", true,
       [](HWND, HWND other) { SetCapture(other); }, true},
      {"windowed, released by someone else", true,
       [](HWND, HWND) { ReleaseCapture(); }, true},
  };
  // clang-format on
  TForm other(nullptr);
  ShowForm();
  for (const CaptureCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TControl* control = c.Windowed ? static_cast<TControl*>(Add<TCounter>(form_, 100, 10, 60, 30))
                                   : Add<TSwatch>(form_, 10, 10, 60, 30);
    int clicks = 0, releases = 0;
    POINT released_at{};
    control->OnClick = [&](TObject*) { ++clicks; };
    control->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
      ++releases;
      released_at = {x, y};
    };
    HWND window = c.Windowed ? static_cast<TWinControl*>(control)->Handle() : form_->Handle();
    const POINT inside = c.Windowed ? POINT{10, 10} : POINT{20, 20};
    wintest::PostMouse(window, WM_LBUTTONDOWN, inside.x, inside.y, MK_LBUTTON);
    wintest::Pump();
    ASSERT_TRUE(control->MouseCapture());

    c.Lose(window, other.Handle());
    wintest::Pump();
    if (c.PressEnds) {
      EXPECT_FALSE(control->MouseCapture());
      EXPECT_EQ(releases, 1) << "the press must end with a release";
      EXPECT_TRUE(released_at.x < 0 || released_at.y < 0)
          << "the ended press must not look like a release over the control";
    } else {
      EXPECT_TRUE(control->MouseCapture());
      EXPECT_EQ(releases, 0);
    }
    // The button goes up over the control: a click only while the press lasted.
    wintest::PostMouse(window, WM_LBUTTONUP, inside.x, inside.y);
    wintest::Pump();
    EXPECT_EQ(clicks, c.PressEnds ? 0 : 1);
    ReleaseCapture();
    TObject::Free(control);
  }
}

// --- the focus moving in tab order through nested containers

TEST_F(WinControlsTest, SelectNextWalksNestedContainersDepthFirstAndSkipsWhatCannotTakeTheFocus) {
  // form: a, panel (p1, disabled p2, inner (q1)), b without a tab stop, a hidden panel (h1),
  // a disabled panel (d1), c. The inner panel takes the focus itself, before its child.
  form_->SetBounds(60, 60, 400, 200);
  auto* a = Add<TCounter>(form_, 0, 0, 30, 20);
  auto* panel = Add<TPanel>(form_, 40, 0, 150, 60);
  auto* p1 = Add<TCounter>(panel, 0, 0, 30, 20);
  auto* p2 = Add<TCounter>(panel, 40, 0, 30, 20);
  auto* inner = Add<TPanel>(panel, 80, 0, 60, 50);
  auto* q1 = Add<TCounter>(inner, 0, 0, 30, 20);
  auto* b = Add<TCounter>(form_, 200, 0, 30, 20);
  auto* hidden = Add<TPanel>(form_, 240, 0, 50, 50);
  auto* h1 = Add<TCounter>(hidden, 0, 0, 30, 20);
  auto* disabled = Add<TPanel>(form_, 300, 0, 50, 50);
  auto* d1 = Add<TCounter>(disabled, 0, 0, 30, 20);
  auto* c = Add<TCounter>(form_, 360, 0, 30, 20);
  for (TWinControl* control : std::initializer_list<TWinControl*>{a, p1, p2, q1, h1, d1, c}) {
    control->SetTabStop(true);
  }
  inner->SetTabStop(true);
  p2->SetEnabled(false);
  hidden->SetVisible(false);
  disabled->SetEnabled(false);
  ShowForm();

  const struct {
    const char* name;
    TWinControl* from;
    bool forward;
    TWinControl* expected;
  } steps[] = {
      {"nothing focused yet: the first", nullptr, true, a},
      {"into a container: its first child", a, true, p1},
      {"past a disabled one to a container that takes the focus", p1, true, inner},
      {"a container, then its own child", inner, true, q1},
      {"out of two containers, past a hidden and a disabled one", q1, true, c},
      {"from one without a tab stop", b, true, c},
      {"from the last round to the first", c, true, a},
      {"nothing focused yet, backwards: the last", nullptr, false, c},
      {"backwards into the deepest child", c, false, q1},
      {"backwards out of a container", p1, false, a},
      {"backwards from the first round to the last", a, false, c},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    form_->SelectNext(step.from, step.forward);
    EXPECT_TRUE(step.expected->Focused()) << "the focus went to " << GetFocus();
  }
  // A new tab order in a container changes the walk there and only there.
  inner->SetTabOrder(0);
  form_->SelectNext(a, true);
  EXPECT_TRUE(inner->Focused());
  form_->SelectNext(q1, true);
  EXPECT_TRUE(p1->Focused());
}

// --- aligned children under their limits as everything around them changes

struct AlignStep {
  const char* Name;
  std::function<void()> Act;
  // Top, bottom, left, right and client child.
  TLayoutRect Top, Bottom, Left, Right, Client;
};

TLayoutRect BoundsOf(const TControl* control) {
  const RECT r = control->BoundsRect();
  return {r.left, r.top, r.right, r.bottom};
}

// Where a child window really is, in its parent's client area.
TLayoutRect WindowBoundsOf(TWinControl* control) {
  RECT r;
  GetWindowRect(control->Handle(), &r);
  MapWindowPoints(nullptr, GetParent(control->Handle()), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

TEST_F(WinControlsTest, AlignedChildrenFollowTheirParentTheirSiblingsAndTheirLimits) {
  // Made in an order other than the alignment's; windowed and windowless mixed. The right one
  // is at least 50 high, the client one at most 100 wide.
  auto aligned = [&](TControl* control, TAlign align) {
    control->SetParent(form_);
    control->SetAlign(align);
    return control;
  };
  TControl* client = aligned(new TSwatch(form_), TAlign::alClient);
  client->Constraints()->SetMaxWidth(100);
  TControl* right = aligned(new TCounter(form_), TAlign::alRight);
  right->SetWidth(40);
  right->Constraints()->SetMinHeight(50);
  TControl* bottom = aligned(new TSwatch(form_), TAlign::alBottom);
  bottom->SetHeight(10);
  TControl* left = aligned(new TCounter(form_), TAlign::alLeft);
  left->SetWidth(30);
  TControl* top = aligned(new TCounter(form_), TAlign::alTop);
  top->SetHeight(20);
  ShowForm();
  HWND window = form_->Handle();
  auto size_form = [window](int width, int height) {
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  };
  const TLayoutRect top_at{0, 0, 200, 20}, bottom_at{0, 90, 200, 100}, left_at{0, 20, 30, 90},
      right_at{160, 20, 200, 90}, client_at{30, 20, 130, 90};

  // clang-format off
  const AlignStep steps[] = {
      {"laid out in the alignment's order", [] {},
       top_at, bottom_at, left_at, right_at, client_at},
      {"the parent sized by the system too small for them: none negative, limits held",
       [&] { size_form(100, 40); },
       {0, 0, 100, 20}, {0, 30, 100, 40}, {0, 20, 30, 30}, {60, 20, 100, 70}, {30, 20, 60, 30}},
      {"smaller still: later ones get nothing", [&] { size_form(50, 25); },
       {0, 0, 50, 20}, {0, 15, 50, 25}, {0, 20, 30, 20}, {10, 20, 50, 70}, {30, 20, 30, 20}},
      {"the parent back at its size", [&] { size_form(200, 100); },
       top_at, bottom_at, left_at, right_at, client_at},
      {"the top one hidden: the others take its room", [&] { top->Hide(); },
       top_at, {0, 90, 200, 100}, {0, 0, 30, 90}, {160, 0, 200, 90}, {30, 0, 130, 90}},
      {"shown again", [&] { top->Show(); },
       top_at, bottom_at, left_at, right_at, client_at},
      {"a maximum set on the left one: the client one moves along",
       [&] { left->Constraints()->SetMaxWidth(20); },
       top_at, bottom_at, {0, 20, 20, 90}, right_at, {20, 20, 120, 90}},
      {"the bottom one made taller by code", [&] { bottom->SetHeight(30); },
       top_at, {0, 70, 200, 100}, {0, 20, 20, 70}, {160, 20, 200, 70}, {20, 20, 120, 70}},
      {"the top one leaves its parent: the others close the gap",
       [&] { top->SetParent(nullptr); },
       top_at, {0, 70, 200, 100}, {0, 0, 20, 70}, {160, 0, 200, 70}, {20, 0, 120, 70}},
      {"and comes back: it takes the top again", [&] { top->SetParent(form_); },
       top_at, {0, 70, 200, 100}, {0, 20, 20, 70}, {160, 20, 200, 70}, {20, 20, 120, 70}},
  };
  // clang-format on
  for (const AlignStep& step : steps) {
    SCOPED_TRACE(step.Name);
    step.Act();
    wintest::Pump();
    const std::pair<TControl*, TLayoutRect> expected[] = {{top, step.Top},
                                                          {bottom, step.Bottom},
                                                          {left, step.Left},
                                                          {right, step.Right},
                                                          {client, step.Client}};
    for (const auto& [control, at] : expected) {
      if (!control->Parent()) continue;
      EXPECT_EQ(BoundsOf(control), at) << control->ClassName();
      if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        EXPECT_EQ(WindowBoundsOf(windowed), at) << "the window is elsewhere than its control";
      }
    }
  }
}

}  // namespace

namespace {

// --- a window moved by the system: dragged by the user, no change of size

// The system moves a dragged window without a WM_SIZE. Its control keeps its place in step, so a
// later change of size from code leaves the window where it was put; a windowed child moved by
// its window follows too.
TEST_F(WinControlsTest, AWindowMovedByTheSystemKeepsItsNewPlace) {
  auto* child = Add<TPanel>(form_, 10, 10, 50, 30);
  ShowForm();
  for (TWinControl* control : std::initializer_list<TWinControl*>{form_, child}) {
    SCOPED_TRACE(control == form_ ? "the form" : "a child");
    const int left = control->Left() + 37, top = control->Top() + 11;
    SetWindowPos(control->Handle(), nullptr, left, top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(control->Left(), left);
    EXPECT_EQ(control->Top(), top);
    control->SetWidth(control->Width() + 20);
    RECT r{};
    GetWindowRect(control->Handle(), &r);
    if (control == child)
      MapWindowPoints(nullptr, form_->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, left) << "the window went back";
    EXPECT_EQ(r.top, top);
  }
}

}  // namespace
