// The one window-procedure entry and the handle guards under Wine: what reaches an object while
// its window is created and destroyed, what an exception does there, and that every guard lets
// go of its handle on every way out of its scope.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <stdexcept>
#include <tuple>

#include "framework/win/Buttons.h"
#include "framework/win/StdCtrls.h"
#include "tests/framework/win/WinTest.h"

namespace {

// Remembers the messages its window sent it, in order; `log` outlives it.
template <class Base>
class TRecording : public Base {
 public:
  TRecording(TComponent* owner, std::vector<UINT>& log) : Base(owner), log_(log) {}
  void WndProc(TMessage& message) override {
    log_.push_back(message.Msg);
    if (message.Msg == WM_PARENTNOTIFY && LOWORD(message.WParam) == WM_CREATE) {
      ++children_announced;
    }
    Base::WndProc(message);
  }
  int children_announced = 0;

 private:
  std::vector<UINT>& log_;
};

bool Saw(const std::vector<UINT>& seen, UINT msg) {
  return std::find(seen.begin(), seen.end(), msg) != seen.end();
}

class EntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    form_ = new TForm(Application);
  }
  void TearDown() override {
    TObject::Free(form_);
    wintest::Pump();
  }
  TForm* form_ = nullptr;
  std::vector<UINT> custom_seen, edit_seen, combo_seen;  // outlive the form's controls
};

TEST_F(EntryTest, ObjectsHearTheirWindowsFirstMessagesOwnAndSystemClassesAlike) {
  auto* custom = new TRecording<TCustomControl>(form_, custom_seen);
  auto* edit = new TRecording<TEdit>(form_, edit_seen);
  auto* combo = new TRecording<TComboBox>(form_, combo_seen);
  for (TWinControl* control : std::initializer_list<TWinControl*>{custom, edit, combo}) {
    control->SetParent(form_);
  }
  form_->HandleNeeded();
  for (const auto* seen : {&custom_seen, &edit_seen, &combo_seen}) {
    ASSERT_FALSE(seen->empty());
    EXPECT_TRUE(Saw(*seen, WM_NCCREATE)) << "a window taken over after creation misses it";
    EXPECT_TRUE(Saw(*seen, WM_CREATE));
  }
  // The combo box makes its edit and list while it is created, and says so to itself.
  EXPECT_GE(combo->children_announced, 1);
  EXPECT_NE(combo->EditHandle(), nullptr);
  EXPECT_EQ(TWinControl::FromHandle(edit->Handle()), edit);
  EXPECT_EQ(TWinControl::FromHandle(combo->EditHandle()), nullptr) << "a child is no control";
}

TEST_F(EntryTest, FreedControlAnswersItsLastMessagesWhileWholeDeletedOneGetsNone) {
  std::vector<UINT>& freed_seen = edit_seen;
  std::vector<UINT>& deleted_seen = combo_seen;
  auto* freed = new TRecording<TEdit>(form_, freed_seen);
  auto* deleted = new TRecording<TEdit>(form_, deleted_seen);
  freed->SetParent(form_);
  deleted->SetParent(form_);
  HWND freed_window = freed->Handle();
  HWND deleted_window = deleted->Handle();
  freed_seen.clear();
  deleted_seen.clear();

  TObject::Free(freed);
  EXPECT_TRUE(Saw(freed_seen, WM_DESTROY)) << "the whole object hears its window go";
  EXPECT_FALSE(IsWindow(freed_window));

  delete deleted;  // the recorder's vtable is gone before the window is
  EXPECT_TRUE(deleted_seen.empty());
  EXPECT_FALSE(IsWindow(deleted_window));
  // The system's own procedure got the window back and destroyed it cleanly.
  EXPECT_EQ(BoundTarget(deleted_window), nullptr);
}

TEST_F(EntryTest, ComboBoxChildrenGetTheirOwnProcedureBackWithTheComboBoxGone) {
  auto* combo = new TComboBox(form_);
  combo->SetParent(form_);
  combo->HandleNeeded();
  HWND edit = combo->EditHandle();
  ASSERT_NE(edit, nullptr);
  ASSERT_NE(BoundTarget(edit), nullptr);
  const auto bound_proc = GetWindowLongPtrA(edit, GWLP_WNDPROC);
  combo->RecreateWnd();  // the old children go with the old window
  HWND new_edit = combo->EditHandle();
  ASSERT_NE(new_edit, nullptr);
  EXPECT_EQ(GetWindowLongPtrA(new_edit, GWLP_WNDPROC), bound_proc);
  delete combo;
  EXPECT_FALSE(IsWindow(new_edit));
}

// --- exceptions

int hook_calls = 0;
void ThrowingHook(const std::exception&) {
  ++hook_calls;
  throw std::runtime_error("the display broke too");
}

TEST(WindowProcedureEntry, AHookThatThrowsIsStoppedAtTheEntry) {
  wintest::EnsureApplication();
  TMessageWindow window([](TMessage& message) -> bool {
    if (message.Msg != WM_USER) return false;
    throw ERangeError("handler broke");
  });
  hook_calls = 0;
  const TExceptionHook saved = SetExceptionHook(ThrowingHook);
  const LRESULT answer = SendMessageA(window.Handle(), WM_USER, 0, 0);
  SetExceptionHook(saved);
  EXPECT_EQ(hook_calls, 1);
  EXPECT_EQ(answer, 0);
  // The program goes on: the window still answers.
  EXPECT_EQ(SendMessageA(window.Handle(), WM_USER + 1, 0, 0), 0);
}

TEST(WindowProcedureEntry, AMessageWindowLeavesNoWindowAndNoBindingBehind) {
  HWND handle = nullptr;
  {
    TMessageWindow window([](TMessage&) { return false; });
    handle = window.Handle();
    EXPECT_NE(BoundTarget(handle), nullptr);
    EXPECT_EQ(GetParent(handle), nullptr);
  }
  EXPECT_FALSE(IsWindow(handle));
}

TEST(WindowProcedureEntry, WindowsMadeInAndAfterNestedBurstsHearTheirFirstMessage) {
  std::vector<UINT> seen;
  auto make = [&seen] {
    seen.clear();
    TMessageWindow window([&seen](TMessage& message) {
      seen.push_back(message.Msg);
      return false;
    });
  };
  {
    TCreationBurst outer;
    {
      TCreationBurst inner;
      make();
      EXPECT_TRUE(Saw(seen, WM_NCCREATE)) << "inside";
    }
    make();
    EXPECT_TRUE(Saw(seen, WM_NCCREATE)) << "after the inner one";
  }
  make();
  EXPECT_TRUE(Saw(seen, WM_NCCREATE)) << "after both: the window brings its own hook again";
}

// Windows makes a thread's IME window inside the creation of its first top-level window, so its
// HCBT_CREATEWND may reach the framework's hook while the requested window is being made. A CBT
// hook installed after the framework's is called before it, and makes such a stranger.
HHOOK decoy_hook = nullptr;
HWND decoy = nullptr;
LRESULT CALLBACK DecoyHook(int code, WPARAM wparam, LPARAM lparam) {
  static bool making = false;
  if (code == HCBT_CREATEWND && !decoy && !making) {
    making = true;
    decoy =
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    making = false;
  }
  return CallNextHookEx(decoy_hook, code, wparam, lparam);
}

// Remembers which window sent which message.
struct TWindowLog final : TMessageTarget {
  void TargetMessage(HWND window, TMessage& message, WNDPROC previous) override {
    seen.push_back({window, message.Msg});
    message.Result = CallPrevious(window, message, previous);
  }
  bool Heard(HWND window, UINT msg) const {
    return std::find(seen.begin(), seen.end(), std::make_pair(window, msg)) != seen.end();
  }
  std::vector<std::pair<HWND, UINT>> seen;
};

TEST(WindowProcedureEntry, AWindowMadeInsideTheCreationIsNeitherBoundNorDestroyed) {
  TWindowLog log;
  HWND window = nullptr;
  {
    TCreationBurst burst;  // the framework's hook is in place before the decoy's
    decoy = nullptr;
    decoy_hook = SetWindowsHookExA(WH_CBT, DecoyHook, nullptr, GetCurrentThreadId());
    ASSERT_NE(decoy_hook, nullptr);
    TWindowRequest request;
    request.ClassName = "WeftDecoyTest";
    request.Style = WS_POPUP;
    window = CreateBoundWindow(log, request);
    UnhookWindowsHookEx(decoy_hook);
  }
  ASSERT_NE(decoy, nullptr) << "the decoy hook never ran";
  EXPECT_TRUE(log.Heard(window, WM_NCCREATE)) << "the requested window missed its first messages";
  EXPECT_TRUE(log.Heard(window, WM_CREATE));
  EXPECT_EQ(BoundTarget(decoy), nullptr) << "the stranger was taken for ours";
  EXPECT_FALSE(log.Heard(decoy, WM_NCCREATE));
  DestroyWindow(window);
  EXPECT_TRUE(IsWindow(decoy));
  DestroyWindow(decoy);
}

// --- every other way in from the system: the loop's own path and the screen reader's objects

VARIANT ChildId(LONG id) {
  VARIANT child{};
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

// An object's window and its answer about its role, which tells a window's object from the
// client object of the same window.
std::tuple<HWND, HRESULT, LONG> WindowAndRoleOf(IDispatch* dispatch) {
  IAccessible* object = nullptr;
  HWND window = nullptr;
  VARIANT role{};
  if (dispatch) dispatch->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&object));
  if (!object) return {nullptr, E_NOINTERFACE, 0};
  WindowFromAccessibleObject(object, &window);
  const HRESULT result = object->get_accRole(ChildId(CHILDID_SELF), &role);
  object->Release();
  return {window, result, role.lVal};
}

// A form with a windowless button whose handler throws, pressed by Alt and its letter or by a
// screen reader, and an edit for the reader to hold on to.
class ThrowingButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    form_ = new TForm(Application);
    button_ = new TSpeedButton(form_);
    button_->SetParent(form_);
    button_->SetCaption("&Go");
    button_->SetBounds(8, 8, 60, 24);
    button_->OnClick = [](TObject*) { throw ERangeError("the handler broke"); };
    edit_ = new TEdit(form_);
    edit_->SetParent(form_);
    edit_->SetBounds(8, 40, 60, 21);
    form_->Show();
    wintest::Pump();
  }
  void TearDown() override {
    TObject::Free(form_);
    wintest::Pump();
    CoUninitialize();
  }
  static IAccessible* ObjectOf(HWND window) {
    IAccessible* object = nullptr;
    AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                               reinterpret_cast<void**>(&object));
    return object;
  }
  // The next message after the failure is handled as usual.
  static void ExpectTheLoopGoesOn() {
    bool handled = false;
    TMessageWindow next([&handled](TMessage& message) {
      handled = handled || message.Msg == WM_USER;
      return false;
    });
    PostMessageA(next.Handle(), WM_USER, 0, 0);
    Application->ProcessMessages();
    EXPECT_TRUE(handled);
  }
  wintest::ExceptionRecorder shown_;
  TForm* form_ = nullptr;
  TSpeedButton* button_ = nullptr;
  TEdit* edit_ = nullptr;
};

TEST_F(ThrowingButtonTest, AltAndItsLetterShowsTheErrorAndTheLoopGoesOn) {
  PostMessageA(edit_->Handle(), WM_SYSCHAR, 'g', 1 | (1 << 29));
  Application->ProcessMessages();
  ASSERT_EQ(shown_.messages.size(), 1u);
  EXPECT_EQ(shown_.messages[0], "the handler broke");
  ExpectTheLoopGoesOn();
}

TEST_F(ThrowingButtonTest, AScreenReadersPressShowsTheErrorAndAnswersAFailure) {
  IAccessible* object = ObjectOf(form_->Handle());
  ASSERT_NE(object, nullptr);
  const VARIANT button = ChildId(1);  // the first child listed
  BSTR name = nullptr;
  ASSERT_EQ(object->get_accName(button, &name), S_OK);
  EXPECT_STREQ(name, L"Go");
  SysFreeString(name);
  EXPECT_TRUE(FAILED(object->accDoDefaultAction(button)));
  ASSERT_EQ(shown_.messages.size(), 1u);
  EXPECT_EQ(shown_.messages[0], "the handler broke");
  object->Release();
  ExpectTheLoopGoesOn();
}

TEST_F(ThrowingButtonTest, AWindowedChildIsItsWindowsObjectOnTheWayDownAsOnTheWayUp) {
  IAccessible* of_form = ObjectOf(form_->Handle());
  IAccessible* of_edit = ObjectOf(edit_->Handle());
  IDispatch *up = nullptr, *by_id = nullptr;
  ASSERT_EQ(of_edit->get_accParent(&up), S_OK);
  EXPECT_EQ(std::get<HWND>(WindowAndRoleOf(up)), edit_->Handle());
  // The button is child 1, the edit child 2.
  VARIANT last{}, next{}, after_last{};
  EXPECT_EQ(of_form->get_accChild(ChildId(2), &by_id), S_OK);
  EXPECT_EQ(of_form->accNavigate(NAVDIR_LASTCHILD, ChildId(CHILDID_SELF), &last), S_OK);
  EXPECT_EQ(of_form->accNavigate(NAVDIR_NEXT, ChildId(1), &next), S_OK);
  EXPECT_EQ(of_form->accNavigate(NAVDIR_NEXT, ChildId(2), &after_last), S_FALSE);
  for (IDispatch* down : {by_id, last.pdispVal, next.pdispVal}) {
    EXPECT_EQ(WindowAndRoleOf(down), WindowAndRoleOf(up)) << "a client object in its place";
    if (down) down->Release();
  }
  up->Release();
  of_edit->Release();
  of_form->Release();
}

TEST_F(ThrowingButtonTest, AReaderObjectOutlivingItsWindowOrControlAnswersNotConnectedAndEmpty) {
  IAccessible* of_edit = ObjectOf(edit_->Handle());
  IAccessible* of_form = ObjectOf(form_->Handle());
  ASSERT_NE(of_edit, nullptr);
  ASSERT_NE(of_form, nullptr);
  const VARIANT self = ChildId(CHILDID_SELF);
  BSTR name = nullptr;
  LONG count = 0;
  // The system destroys the windows (not the framework): the controls live on.
  DestroyWindow(form_->Handle());
  EXPECT_EQ(of_edit->get_accName(self, &name), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(of_form->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
  // A failure leaves nothing in an [out] argument for the caller to trust or free.
  IDispatch* parent = of_edit;
  VARIANT role = self, end = self;
  LONG left = 1, top = 1, width = 1, height = 1;
  EXPECT_EQ(of_form->get_accParent(&parent), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(of_form->accNavigate(NAVDIR_FIRSTCHILD, self, &end), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(of_form->accLocation(&left, &top, &width, &height, self), CO_E_OBJNOTCONNECTED);
  EXPECT_TRUE(!parent && end.vt == VT_EMPTY && left == 0 && height == 0);
  of_form->Release();
  // A new window, a new object; then the control itself goes.
  of_form = ObjectOf(form_->Handle());
  ASSERT_NE(of_form, nullptr);
  EXPECT_EQ(of_form->get_accChildCount(&count), S_OK);
  EXPECT_EQ(of_form->get_accRole(ChildId(9), &role), E_INVALIDARG);  // no ninth child
  EXPECT_EQ(role.vt, VT_EMPTY);
  TObject::Free(form_);
  form_ = nullptr;
  EXPECT_EQ(of_form->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
  of_form->Release();
  of_edit->Release();
  EXPECT_TRUE(shown_.messages.empty());
}

// --- guards

TEST(Guards, EveryGuardLetsGoOfItsHandleOnEveryWayOut) {
  wintest::EnsureApplication();
  // A window: destroyed when its owner goes, also by an exception; kept after Release.
  HWND destroyed = nullptr, kept = nullptr;
  try {
    TWindowHandle window(
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    destroyed = window.Get();
    throw 1;
  } catch (int) {
  }
  EXPECT_FALSE(IsWindow(destroyed));
  {
    TWindowHandle window(
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    kept = window.Release();
  }
  EXPECT_TRUE(IsWindow(kept));
  DestroyWindow(kept);

  // A kernel handle: closed when its owner goes; INVALID_HANDLE_VALUE counts as none.
  HANDLE event = nullptr;
  {
    TKernelHandle owned(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    event = owned.Get();
    TKernelHandle invalid(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(invalid);
  }
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(event, &flags)) << "the event was not closed";

  // An icon: counted while owned, destroyed with its owner, moved without a second count.
  const int before = LiveGdiObjects();
  {
    TIconHandle icon(CopyIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32512))));
    EXPECT_EQ(LiveGdiObjects(), before + 1);
    TIconHandle moved(std::move(icon));
    EXPECT_EQ(LiveGdiObjects(), before + 1);
    EXPECT_FALSE(icon);
  }
  EXPECT_EQ(LiveGdiObjects(), before);

  // A saved DC: whatever a block selects and clips goes back.
  TMemoryDC dc;
  HGDIOBJ original_pen = GetCurrentObject(dc.Get(), OBJ_PEN);
  TGdiObject pen(CreatePen(PS_SOLID, 3, RGB(1, 2, 3)));
  {
    TSavedDC saved(dc.Get());
    SelectObject(dc.Get(), pen.Get());
    IntersectClipRect(dc.Get(), 0, 0, 1, 1);
  }
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), original_pen);

  // A scope exit: runs on a throw, not once dismissed.
  int runs = 0;
  try {
    TScopeExit count([&] { ++runs; });
    throw 2;
  } catch (int) {
  }
  {
    TScopeExit count([&] { ++runs; });
    count.Dismiss();
  }
  EXPECT_EQ(runs, 1);
}

TEST(Guards, PaintDCUsesAGivenDCAndEndsOnlyThePaintItBegan) {
  wintest::EnsureApplication();
  TForm form(nullptr);
  form.SetBounds(0, 0, 100, 100);
  form.Show();
  wintest::Pump();
  TMemoryDC given;
  {
    TPaintDC dc(form.Handle(), reinterpret_cast<WPARAM>(given.Get()));
    EXPECT_EQ(dc.Get(), given.Get());
  }
  InvalidateRect(form.Handle(), nullptr, FALSE);
  {
    TPaintDC dc(form.Handle(), 0);
    EXPECT_NE(dc.Get(), nullptr);
  }
  RECT update;
  EXPECT_FALSE(GetUpdateRect(form.Handle(), &update, FALSE)) << "the paint was not ended";
}

}  // namespace
