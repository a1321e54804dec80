// The window without a mouse and through a screen reader: Alt and a caption's letter, and what
// the accessibility library reads of the window.
#include <oleacc.h>

#include <string>
#include <vector>

#include "tests/app/AppTest.h"

namespace {

class AccessTest : public apptest::WindowTest {
 protected:
  // Alt and `key` as the keyboard delivers them to the window with the focus.
  void AltKey(char key) {
    HWND target = GetFocus() ? GetFocus() : Form1->Handle();
    PostMessageA(target, WM_SYSCHAR, static_cast<unsigned char>(key), 1 | (1 << 29));
    Application->ProcessMessages();
  }
  bool FocusIn(TWinControl* control) {
    HWND focus = GetFocus();
    return focus && (focus == control->Handle() || IsChild(control->Handle(), focus));
  }
};

TEST_F(AccessTest, AltAndTheStartButtonsLetterArmsTheAlarm) {
  StartWindow();
  ASSERT_EQ(Form1->SpeedButton1->Caption(), "&Wecker stellen");
  AltKey('w');
  EXPECT_TRUE(Form1->Timer1->Enabled()) << "the start button was not pressed";
  EXPECT_FALSE(Form1->Visible());
}

TEST_F(AccessTest, AltAndALabelsLetterFocusesTheFieldItNames) {
  StartWindow();
  const struct {
    char key;
    TWinControl* field;
  } cases[] = {
      {'t', Form1->ComboBox2},        // "Weck&ton:"
      {'Z', Form1->DateTimePicker1},  // "Weck&zeit:", the other case
      {'e', Form1->Edit1},            // "&Erinnerung:"
      {'m', Form1->CSpinEdit1},       // "&Minuten ab jetzt"
      {'s', Form1->ComboBox1},        // "&Sprache:"
  };
  for (const auto& c : cases) {
    AltKey(c.key);
    EXPECT_TRUE(FocusIn(c.field)) << "Alt+" << c.key << " focused " << GetFocus();
  }
  // A letter that is nobody's accelerator changes nothing and arms nothing.
  AltKey('q');
  EXPECT_TRUE(FocusIn(Form1->ComboBox1));
  EXPECT_FALSE(Form1->Timer1->Enabled());
}

// What a screen reader reads: the window's client object and its children.
struct Element {
  LONG Id = 0;  // the child id in its parent
  std::wstring Name;
  LONG Role = 0;
};

VARIANT ChildId(LONG id) {
  VARIANT child;
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

// The client object below a windowed child's window object, where a reader finds its name and
// role (Wine's window objects do not list their children).
IAccessible* ClientBelow(IDispatch* window_object) {
  IAccessible* object = nullptr;
  HWND window = nullptr;
  window_object->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&object));
  WindowFromAccessibleObject(object, &window);
  object->Release();
  AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                             reinterpret_cast<void**>(&object));
  return object;
}

std::vector<Element> ReadChildren(IAccessible* parent) {
  std::vector<Element> elements;
  LONG count = 0;
  parent->get_accChildCount(&count);
  for (LONG id = 1; id <= count; ++id) {
    const VARIANT child = ChildId(id);
    IDispatch* dispatch = nullptr;
    IAccessible* object = parent;
    VARIANT self = child;
    if (parent->get_accChild(child, &dispatch) == S_OK && dispatch) {
      object = ClientBelow(dispatch);
      dispatch->Release();
      self.lVal = CHILDID_SELF;
    }
    Element element;
    element.Id = id;
    BSTR name = nullptr;
    if (object->get_accName(self, &name) == S_OK && name) {
      element.Name = name;
      SysFreeString(name);
    }
    VARIANT role;
    VariantInit(&role);
    if (object->get_accRole(self, &role) == S_OK && role.vt == VT_I4) element.Role = role.lVal;
    if (object != parent) object->Release();
    elements.push_back(element);
  }
  return elements;
}

// The first element of that name and role (0: any); a label and the fields it names share
// the name.
const Element* Find(const std::vector<Element>& elements, const std::wstring& name, LONG role = 0) {
  for (const Element& element : elements) {
    if (element.Name == name && (role == 0 || element.Role == role)) return &element;
  }
  return nullptr;
}

TEST_F(AccessTest, AScreenReaderFindsTheStartButtonAndTheFieldsByTheirLabels) {
  StartWindow();
  CoInitialize(nullptr);
  IAccessible* window = nullptr;
  ASSERT_EQ(AccessibleObjectFromWindow(Form1->Handle(), static_cast<DWORD>(OBJID_CLIENT),
                                       IID_IAccessible, reinterpret_cast<void**>(&window)),
            S_OK);
  ASSERT_NE(window, nullptr);
  const std::vector<Element> children = ReadChildren(window);

  const Element* start = Find(children, L"Wecker stellen");
  ASSERT_NE(start, nullptr) << "the windowless start button is not listed";
  EXPECT_EQ(start->Role, ROLE_SYSTEM_PUSHBUTTON);
  const struct {
    const wchar_t* name;
    LONG role;
  } fields[] = {
      {L"Weckton:", ROLE_SYSTEM_COMBOBOX},
      {L"Sprache:", ROLE_SYSTEM_COMBOBOX},
      {L"Erinnerung:", ROLE_SYSTEM_TEXT},
      {L"Minuten ab jetzt", ROLE_SYSTEM_STATICTEXT},
      // The two modes, by the label of the field each chooses.
      {L"Weckzeit:", ROLE_SYSTEM_RADIOBUTTON},
      {L"Minuten ab jetzt", ROLE_SYSTEM_RADIOBUTTON},
  };
  for (const auto& field : fields) {
    EXPECT_NE(Find(children, field.name, field.role), nullptr)
        << "nothing of role " << field.role << " named by its label";
  }

  // The modes' names follow the language.
  Form1->ComboBox1->SetItemIndex(1);
  Form1->ComboBox1Change(Form1->ComboBox1);
  const std::vector<Element> english = ReadChildren(window);
  EXPECT_NE(Find(english, L"Alarm time:", ROLE_SYSTEM_RADIOBUTTON), nullptr);
  EXPECT_NE(Find(english, L"minutes from now", ROLE_SYSTEM_RADIOBUTTON), nullptr);

  // The start button's default action presses it.
  EXPECT_EQ(window->accDoDefaultAction(ChildId(start->Id)), S_OK);
  EXPECT_TRUE(Form1->Timer1->Enabled());
  window->Release();
  CoUninitialize();
}

}  // namespace
