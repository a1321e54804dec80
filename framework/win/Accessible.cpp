#include "framework/win/Accessible.h"

#include <oleacc.h>

#include <algorithm>
#include <map>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "framework/win/Platform.h"
#include "framework/win/WinControls.h"

namespace {

// The library's entries, loaded on the first request.
struct TAccessibilityLibrary {
  using TCreateStandard = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
  using TResultFromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
  using TObjectFromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
  using TAllocString = BSTR(WINAPI*)(const OLECHAR*, UINT);
  using TInitialize = HRESULT(WINAPI*)(LPVOID, DWORD);
  TCreateStandard CreateStandard = nullptr;
  TResultFromObject ResultFromObject = nullptr;
  TObjectFromWindow ObjectFromWindow = nullptr;
  TAllocString AllocString = nullptr;
  bool Ready = false;
};

const TAccessibilityLibrary& Library() {
  static const TAccessibilityLibrary library = [] {
    TAccessibilityLibrary lib;
    // The objects cross to their clients through COM; the thread may not have it yet.
    if (auto initialize =
            SystemFunction<TAccessibilityLibrary::TInitialize>(L"ole32.dll", "CoInitializeEx")) {
      initialize(nullptr, COINIT_APARTMENTTHREADED);
    }
    lib.CreateStandard = SystemFunction<TAccessibilityLibrary::TCreateStandard>(
        L"oleacc.dll", "CreateStdAccessibleObject");
    lib.ResultFromObject = SystemFunction<TAccessibilityLibrary::TResultFromObject>(
        L"oleacc.dll", "LresultFromObject");
    lib.ObjectFromWindow = SystemFunction<TAccessibilityLibrary::TObjectFromWindow>(
        L"oleacc.dll", "AccessibleObjectFromWindow");
    lib.AllocString =
        SystemFunction<TAccessibilityLibrary::TAllocString>(L"oleaut32.dll", "SysAllocStringLen");
    lib.Ready =
        lib.CreateStandard && lib.ResultFromObject && lib.ObjectFromWindow && lib.AllocString;
    return lib;
  }();
  return library;
}

// The library speaks UTF-16.
BSTR MakeString(const AnsiString& text) {
  const std::wstring wide = WideText(text);
  return Library().AllocString(wide.data(), static_cast<UINT>(wide.size()));
}

LONG RoleCode(TAccessibleRole role) {
  switch (role) {
    case TAccessibleRole::arPushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case TAccessibleRole::arStaticText:
      return ROLE_SYSTEM_STATICTEXT;
    case TAccessibleRole::arGraphic:
      return ROLE_SYSTEM_GRAPHIC;
    case TAccessibleRole::arText:
      return ROLE_SYSTEM_TEXT;
    case TAccessibleRole::arComboBox:
      return ROLE_SYSTEM_COMBOBOX;
    case TAccessibleRole::arCheckButton:
      return ROLE_SYSTEM_CHECKBUTTON;
    case TAccessibleRole::arRadioButton:
      return ROLE_SYSTEM_RADIOBUTTON;
    case TAccessibleRole::arSpinButton:
      return ROLE_SYSTEM_SPINBUTTON;
    case TAccessibleRole::arNone:
      break;
  }
  return ROLE_SYSTEM_CLIENT;
}

// The first label found, depth first from `root`, whose labelled control `control` is.
const TControl* LabelOf(const TWinControl& root, const TWinControl* control) {
  for (const TControl* child : root.Controls()) {
    if (child->LabelledControl() == control) return child;
    if (auto* window = dynamic_cast<const TWinControl*>(child)) {
      if (const TControl* found = LabelOf(*window, control)) return found;
    }
  }
  return nullptr;
}

// The label that names `control`: the one whose labelled control it is, else the one the
// control names itself as labelled by.
const TControl* NamingLabel(const TWinControl& root, const TWinControl* control) {
  if (const TControl* label = LabelOf(root, control)) return label;
  return control->LabelledBy();
}

const TWinControl& TopOf(const TWinControl& control) {
  const TWinControl* top = &control;
  while (top->Parent()) top = top->Parent();
  return *top;
}

class TAccessibleObject;
// The objects handed out and still connected, by control. A tool may release its object while
// the program's statics are destroyed at exit, or later still when COM lets go of what the
// tools held: the table is made once and never destroyed.
std::map<const TWinControl*, TAccessibleObject*>& Handed() {
  static auto* const objects = new std::map<const TWinControl*, TAccessibleObject*>();
  return *objects;
}

// One control's client area. Child ids above 0 name the entries of Children(), 1-based.
class TAccessibleObject final : public IAccessible {
 public:
  TAccessibleObject(TWinControl& control, IAccessible* standard)
      : control_(&control), standard_(standard) {}

  void Disconnect() { control_ = nullptr; }

  // --- IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_IAccessible)) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    // No enumerator: clients then walk the children through get_accChild, which lists the
    // windowless ones the standard object's enumerator does not know.
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      if (control_) Handed().erase(control_);
      standard_->Release();
      delete this;
    }
    return left;
  }

  // --- IDispatch: names only, no type information
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID,
                                          DISPID* ids) override {
    if (ids) std::fill_n(ids, count, DISPID_UNKNOWN);
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argument) override {
    if (result) Empty(*result);
    if (exception) Empty(*exception);
    if (argument) Empty(*argument);
    return E_NOTIMPL;
  }

  // --- IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return Answer(parent, [&]() -> HRESULT { return standard_->get_accParent(parent); });
  }

  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    return Answer(count, [&]() -> HRESULT {
      if (!ListsChildren()) return standard_->get_accChildCount(count);
      *count = static_cast<LONG>(Children().size());
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return Answer(object, [&]() -> HRESULT {
      if (!ListsChildren()) return standard_->get_accChild(child, object);
      TControl* entry = Entry(child);
      if (!entry) return E_INVALIDARG;
      auto* window = dynamic_cast<TWinControl*>(entry);
      if (!window) return S_FALSE;  // a simple element of ours: the client asks us about it
      return WindowObject(*window, object);
    });
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return Answer(name, [&]() -> HRESULT {
      if (IsSelf(child)) {
        if (const TControl* label = NamingLabel(TopOf(*control_), control_)) {
          *name = MakeString(StripAccelerator(label->Caption()));
          return S_OK;
        }
        return standard_->get_accName(child, name);
      }
      TControl* entry = Element(child);
      if (!entry) return E_INVALIDARG;
      *name = MakeString(entry->AccessibleName());
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return Answer(value, [&]() -> HRESULT {
      if (IsSelf(child)) return standard_->get_accValue(child, value);
      return Element(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    return Answer(description, [&]() -> HRESULT {
      if (IsSelf(child)) return standard_->get_accDescription(child, description);
      return Element(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return Answer(role, [&]() -> HRESULT {
      // The framework knows its controls' roles; the standard object only sees a window class.
      TControl* entry = IsSelf(child) ? control_ : Element(child);
      if (IsSelf(child) && control_->AccessibleRole() == TAccessibleRole::arNone) {
        return standard_->get_accRole(child, role);
      }
      if (!entry) return E_INVALIDARG;
      role->vt = VT_I4;
      role->lVal = RoleCode(entry->AccessibleRole());
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return Answer(state, [&]() -> HRESULT {
      if (IsSelf(child)) return standard_->get_accState(child, state);
      TControl* entry = Element(child);
      if (!entry) return E_INVALIDARG;
      LONG flags = 0;
      if (!entry->Visible()) flags |= STATE_SYSTEM_INVISIBLE;
      if (!entry->Enabled()) flags |= STATE_SYSTEM_UNAVAILABLE;
      if (entry->AccessibleRole() == TAccessibleRole::arStaticText) flags |= STATE_SYSTEM_READONLY;
      if (entry->MouseInside()) flags |= STATE_SYSTEM_HOTTRACKED;
      state->vt = VT_I4;
      state->lVal = flags;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return Answer(help, [&]() -> HRESULT {
      if (IsSelf(child)) return standard_->get_accHelp(child, help);
      return Element(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return Answer(std::tuple(file, topic), [&]() -> HRESULT {
      if (IsSelf(child)) return standard_->get_accHelpTopic(file, child, topic);
      return Element(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return Answer(shortcut, [&]() -> HRESULT {
      AnsiString caption;
      if (IsSelf(child)) {
        const TControl* label = NamingLabel(TopOf(*control_), control_);
        if (!label) return standard_->get_accKeyboardShortcut(child, shortcut);
        caption = label->Caption();
      } else if (TControl* entry = Element(child)) {
        caption = entry->Caption();
      } else {
        return E_INVALIDARG;
      }
      const char32_t key = AcceleratorOf(caption);
      if (!key) return S_FALSE;
      AnsiString text = "Alt+";
      AppendUtf8(text, SimpleUpperCase(key));
      *shortcut = MakeString(text);
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    return Answer(focus, [&]() -> HRESULT { return standard_->get_accFocus(focus); });
  }

  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    return Answer(selection, [&]() -> HRESULT { return standard_->get_accSelection(selection); });
  }

  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return Answer(action, [&]() -> HRESULT {
      if (IsSelf(child)) return standard_->get_accDefaultAction(child, action);
      TControl* entry = Element(child);
      if (!entry) return E_INVALIDARG;
      if (entry->AccessibleRole() != TAccessibleRole::arPushButton) return DISP_E_MEMBERNOTFOUND;
      *action = MakeString("Press");
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    return Connected([&]() -> HRESULT {
      if (IsSelf(child)) return standard_->accSelect(flags, child);
      return Element(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
    });
  }

  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    return Answer(std::tuple(left, top, width, height), [&]() -> HRESULT {
      if (IsSelf(child)) return standard_->accLocation(left, top, width, height, child);
      TControl* entry = Element(child);
      if (!entry) return E_INVALIDARG;
      const POINT origin = entry->ClientToScreen({0, 0});
      *left = origin.x;
      *top = origin.y;
      *width = entry->Width();
      *height = entry->Height();
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return Answer(end, [&]() -> HRESULT {
      if (!ListsChildren()) return standard_->accNavigate(direction, start, end);
      const std::vector<TControl*> children = Children();
      size_t target = 0;
      if (IsSelf(start)) {
        // Our first and last child are ours to name; the window's siblings are the standard
        // object's.
        if (direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD) {
          return standard_->accNavigate(direction, start, end);
        }
        if (children.empty()) return S_FALSE;
        target = direction == NAVDIR_FIRSTCHILD ? 0 : children.size() - 1;
      } else {
        const size_t index = IndexOf(start, children);
        if (index == children.size()) return E_INVALIDARG;
        if (direction == NAVDIR_NEXT) {
          target = index + 1;
        } else if (direction == NAVDIR_PREVIOUS) {
          target = index - 1;  // before the first: past the end, none
        } else {
          return DISP_E_MEMBERNOTFOUND;  // no spatial navigation among the children
        }
        if (target >= children.size()) return S_FALSE;
      }
      return Found(children, target, *end);
    });
  }

  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    return Answer(child, [&]() -> HRESULT {
      if (!ListsChildren()) return standard_->accHitTest(x, y, child);
      const std::vector<TControl*> children = Children();
      // Later children lie above earlier ones.
      for (size_t i = children.size(); i-- > 0;) {
        TControl* entry = children[i];
        const POINT origin = entry->ClientToScreen({0, 0});
        if (x < origin.x || y < origin.y || x >= origin.x + entry->Width() ||
            y >= origin.y + entry->Height()) {
          continue;
        }
        return Found(children, i, *child);
      }
      return standard_->accHitTest(x, y, child);
    });
  }

  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return Connected([&]() -> HRESULT {
      if (IsSelf(child)) return standard_->accDoDefaultAction(child);
      TControl* entry = Element(child);
      if (!entry) return E_INVALIDARG;
      return entry->AccessiblePress() ? S_OK : DISP_E_MEMBERNOTFOUND;
    });
  }

  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return Connected([&]() -> HRESULT {
      if (IsSelf(child)) return standard_->put_accValue(child, value);
      return E_NOTIMPL;
    });
  }

 private:
  // Runs a method's body while the control lives. A COM method must never unwind into its
  // caller: what the body throws (a handler that the default action runs, an allocation) goes
  // to the application's exception display, and the caller gets an error.
  template <class Body>
  HRESULT Connected(Body&& body) noexcept {
    if (!control_) return CO_E_OBJNOTCONNECTED;
    try {
      return body();
    } catch (const std::bad_alloc&) {
      ReportException();
      return E_OUTOFMEMORY;
    } catch (...) {
      ReportException();
      return E_FAIL;
    }
  }
  // COM's rule for [out] arguments: each is empty when the method starts and again when it
  // fails, so that a client may free what it holds whatever the answer. A null one is refused.
  template <class Body, class... Out>
  HRESULT Answer(std::tuple<Out*...> outs, Body&& body) noexcept {
    if (std::apply([](auto*... out) { return (!out || ...); }, outs)) return E_POINTER;
    const auto empty = [&outs] { std::apply([](auto*... out) { (Empty(*out), ...); }, outs); };
    empty();
    const HRESULT result = Connected(std::forward<Body>(body));
    if (FAILED(result)) empty();
    return result;
  }
  template <class Out, class Body>
  HRESULT Answer(Out* out, Body&& body) noexcept {
    return Answer(std::tuple<Out*>(out), std::forward<Body>(body));
  }
  static void Empty(VARIANT& out) { out.vt = VT_EMPTY; }
  template <class T>
  static void Empty(T& out) {
    out = T();
  }
  static bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
  }
  // A control with framework children lists them; any other leaves its children (a combo
  // box's edit and list) to the standard object.
  bool ListsChildren() const { return !control_->Controls().empty(); }
  // The visible children that assistive tools see, in creation order.
  std::vector<TControl*> Children() const {
    std::vector<TControl*> children;
    for (TControl* child : control_->Controls()) {
      if (!child->Visible()) continue;
      if (dynamic_cast<TWinControl*>(child) || child->AccessibleRole() != TAccessibleRole::arNone) {
        children.push_back(child);
      }
    }
    return children;
  }
  // The index in `children` that a child id names; children.size() for none.
  static size_t IndexOf(const VARIANT& child, const std::vector<TControl*>& children) {
    if (child.vt != VT_I4 || child.lVal <= 0) return children.size();
    return std::min(static_cast<size_t>(child.lVal - 1), children.size());
  }
  TControl* Entry(const VARIANT& child) const {
    const std::vector<TControl*> children = Children();
    const size_t index = IndexOf(child, children);
    return index < children.size() ? children[index] : nullptr;
  }
  // A windowed child, in the system's hierarchy, is the object of its whole window, whose own
  // child is its client area: handing out the client object here would make a walk down and
  // the walk back up through its parent disagree.
  static HRESULT WindowObject(TWinControl& window, IDispatch** object) {
    return Library().ObjectFromWindow(window.Handle(), static_cast<DWORD>(OBJID_WINDOW),
                                      IID_IDispatch, reinterpret_cast<void**>(object));
  }
  // children[index] as a found child: its window's object, or the element's id.
  static HRESULT Found(const std::vector<TControl*>& children, size_t index, VARIANT& found) {
    if (auto* window = dynamic_cast<TWinControl*>(children[index])) {
      IDispatch* object = nullptr;
      const HRESULT result = WindowObject(*window, &object);
      if (SUCCEEDED(result) && object) {
        found.vt = VT_DISPATCH;
        found.pdispVal = object;
      }
      return result;
    }
    found.vt = VT_I4;
    found.lVal = static_cast<LONG>(index + 1);
    return S_OK;
  }
  // A windowless child named by id; windowed ones are objects of their own.
  TControl* Element(const VARIANT& child) const {
    if (!ListsChildren()) return nullptr;
    TControl* entry = Entry(child);
    return entry && !dynamic_cast<TWinControl*>(entry) ? entry : nullptr;
  }

  TWinControl* control_;   // not owned; null once the control went
  IAccessible* standard_;  // owned (one reference)
  ULONG references_ = 1;
};

}  // namespace

LRESULT AnswerAccessibleObject(TWinControl& control, WPARAM wparam, LPARAM lparam) {
  if (static_cast<LONG>(lparam) != OBJID_CLIENT || !control.HandleAllocated()) return 0;
  const TAccessibilityLibrary& library = Library();
  if (!library.Ready) return 0;
  TAccessibleObject*& handed = Handed()[&control];
  if (!handed) {
    IAccessible* standard = nullptr;
    if (FAILED(library.CreateStandard(control.Handle(), OBJID_CLIENT, IID_IAccessible,
                                      reinterpret_cast<void**>(&standard))) ||
        !standard) {
      Handed().erase(&control);
      return 0;
    }
    handed = new TAccessibleObject(control, standard);
    const LRESULT result = library.ResultFromObject(IID_IAccessible, wparam, handed);
    // The result holds its own reference; ours goes, so the last client's release frees it.
    handed->Release();
    return result;
  }
  return library.ResultFromObject(IID_IAccessible, wparam, handed);
}

void DisconnectAccessibleObject(TWinControl& control) {
  auto& handed = Handed();
  auto it = handed.find(&control);
  if (it == handed.end()) return;
  it->second->Disconnect();
  handed.erase(it);
}
