// Drag and drop between controls of a form, driven by real mouse and key messages: from a
// windowless control and from a windowed one, onto controls that accept and that refuse, and
// ended by Escape and by the loss of the capture.
#include <gtest/gtest.h>

#include <vector>

#include "framework/demo/DemoForm.h"
#include "tests/framework/win/WinTest.h"

namespace {

enum class TEnding { Release, Escape, CaptureLost };

struct DragCase {
  const char* Name;
  bool FromWindowed;  // from `box`, else from the windowless `swatch`
  TDragKind Kind;
  POINT Press;
  // In the client area of the source's window, which has the capture; the release comes 10
  // pixels right of and below the last one.
  std::vector<POINT> Moves;
  TEnding Ending;
  int Cursor;  // after the last move
  std::vector<AnsiString> Log;
};

AnsiString NameOf(TObject* object) {
  auto* component = dynamic_cast<TComponent*>(object);
  return component ? component->Name() : "none";
}

class DragDropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    form_ = new TForm(Application);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    form_->SetBounds(60, 60, 300, 220);
    swatch_ = Place(new TSwatch(form_), "swatch", 10, 10, 40, 40);
    box_ = Place(new TCounter(form_), "box", 60, 150, 60, 40);
    Place(new TCounter(form_), "taker", 150, 10, 100, 60)->OnDragOver = Over("taker", true);
    Place(new TCounter(form_), "refuser", 150, 100, 100, 40)->OnDragOver = Over("refuser", false);
    Place(new TSwatch(form_), "pad", 200, 150, 40, 40)->OnDragOver = Over("pad", true);
    for (TControl* source : {static_cast<TControl*>(swatch_), static_cast<TControl*>(box_)}) {
      source->SetDragMode(TDragMode::dmAutomatic);
      source->OnStartDrag = [this](TObject* s, TObject*&) { Log("start %s", NameOf(s)); };
      source->OnStartDock = [this](TObject* s, TObject*&) { Log("start dock %s", NameOf(s)); };
      source->OnEndDrag = [this](TObject*, TObject* t, int x, int y) {
        Log("end %s %d,%d", NameOf(t), x, y);
      };
      source->OnEndDock = [this](TObject*, TObject* t, int x, int y) {
        Log("end dock %s %d,%d", NameOf(t), x, y);
      };
      source->OnClick = [this](TObject* s) { Log("click %s", NameOf(s)); };
    }
    form_->Show();
    wintest::Pump();
  }
  void TearDown() override {
    delete form_;
    wintest::Pump();
  }
  template <class T>
  T* Place(T* control, const char* name, int left, int top, int width, int height) {
    control->SetName(name);
    control->SetBounds(left, top, width, height);
    control->SetParent(form_);
    control->OnDragDrop = [this](TObject* target, TObject* source, int x, int y) {
      log_.push_back(
          Format("drop from %s on %s %d,%d", NameOf(source).c_str(), NameOf(target).c_str(), x, y));
    };
    return control;
  }
  TDragOverEvent Over(const char* name, bool accept) {
    return [this, name, accept](TObject*, TObject*, int, int, TDragState state, bool& accepted) {
      static const char* const kStates[] = {"enter", "leave", "move"};
      log_.push_back(Format("%s %s", kStates[static_cast<int>(state)], name));
      accepted = accept;
    };
  }
  template <class... Args>
  void Log(const char* format, const AnsiString& name, Args... args) {
    log_.push_back(Format(format, name.c_str(), args...));
  }

  TForm* form_ = nullptr;
  TSwatch* swatch_ = nullptr;
  TCounter* box_ = nullptr;
  std::vector<AnsiString> log_;
};
TEST_F(DragDropTest, EachDragEndsOnceWithTheTargetThatTookItOrNone) {
  using enum TDragKind;
  using enum TEnding;
  // clang-format off
  const DragCase cases[] = {
      {"windowless onto a windowed control that accepts", false, dkDrag, {20, 20},
       {{30, 30}, {160, 20}}, Release, crDrag,
       {"start swatch", "enter taker", "move taker", "leave taker",
        "drop from swatch on taker 20,20", "end taker 20,20"}},
      {"onto a control that refuses", false, dkDrag, {20, 20},
       {{30, 30}, {160, 110}}, Release, crNo,
       {"start swatch", "enter refuser", "move refuser", "leave refuser", "end none 160,110"}},
      {"over a taker and on to the form, which takes no drops", false, dkDrag, {20, 20},
       {{30, 30}, {160, 20}, {120, 90}}, Release, crNo,
       {"start swatch", "enter taker", "leave taker", "end none 120,90"}},
      {"Escape cancels over a taker", false, dkDrag, {20, 20},
       {{30, 30}, {160, 20}}, Escape, crDrag,
       {"start swatch", "enter taker", "leave taker", "end none 150,10"}},
      {"losing the capture cancels", false, dkDrag, {20, 20},
       {{30, 30}, {160, 20}}, CaptureLost, crDrag,
       {"start swatch", "enter taker", "leave taker", "end none 150,10"}},
      {"released before it moved past the threshold: a click", false, dkDrag, {20, 20},
       {{21, 21}}, Release, crDefault, {"click swatch"}},
      {"from a windowed control onto a windowless one", true, dkDrag, {10, 10},
       {{20, 20}, {150, 10}}, Release, crDrag,
       {"start box", "enter pad", "move pad", "leave pad", "drop from box on pad 20,20",
        "end pad 20,20"}},
      {"a dock drag has no targets", false, dkDock, {20, 20},
       {{30, 30}, {160, 20}}, Release, crNo, {"start dock swatch", "end dock none 160,20"}},
  };
  // clang-format on
  for (const DragCase& c : cases) {
    SCOPED_TRACE(c.Name);
    log_.clear();
    TControl* source = c.FromWindowed ? static_cast<TControl*>(box_) : swatch_;
    source->SetDragKind(c.Kind);
    HWND window = c.FromWindowed ? box_->Handle() : form_->Handle();
    wintest::PostMouse(window, WM_MOUSEMOVE, c.Press.x, c.Press.y);
    wintest::PostMouse(window, WM_LBUTTONDOWN, c.Press.x, c.Press.y, MK_LBUTTON);
    for (POINT p : c.Moves) wintest::PostMouse(window, WM_MOUSEMOVE, p.x, p.y, MK_LBUTTON);
    Application->ProcessMessages();
    if (c.Cursor != crDefault) {
      EXPECT_TRUE(source->Dragging());
      EXPECT_EQ(GetCursor(), CursorHandle(c.Cursor));
    }
    switch (c.Ending) {
      case Release:
        break;
      case Escape:
        PostMessageA(GetFocus() ? GetFocus() : window, WM_KEYDOWN, VK_ESCAPE, 1);
        Application->ProcessMessages();
        break;
      case CaptureLost: {
        TForm other(nullptr);
        SetCapture(other.Handle());
        ReleaseCapture();
        break;
      }
    }
    const POINT last = c.Moves.back();
    wintest::PostMouse(window, WM_LBUTTONUP, last.x + 10, last.y + 10);
    Application->ProcessMessages();
    EXPECT_EQ(log_, c.Log);
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(GetCapture(), nullptr);
    source->SetDragKind(dkDrag);
  }
}

TEST_F(DragDropTest, StartHandlerMayHandTheTargetsAnotherObjectAndCodeEndsTheDrag) {
  TStrings payload;
  swatch_->OnStartDrag = [&](TObject*, TObject*& dragged) { dragged = &payload; };
  TObject* seen = nullptr;
  static_cast<TControl*>(form_->FindComponent("taker"))->OnDragDrop =
      [&](TObject*, TObject* source, int, int) { seen = source; };
  wintest::PostMouse(form_->Handle(), WM_MOUSEMOVE, 20, 20);
  Application->ProcessMessages();
  swatch_->BeginDrag(true);
  wintest::PostMouse(form_->Handle(), WM_MOUSEMOVE, 160, 20);
  Application->ProcessMessages();
  swatch_->EndDrag(true);
  EXPECT_EQ(seen, &payload);
  EXPECT_EQ(log_.back(), "end taker 10,10");
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
