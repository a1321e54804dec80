#include "framework/core/Classes.h"

#include <gtest/gtest.h>

#include "framework/core/Typinfo.h"

namespace {

// Records its life and what it hears, and keeps a pointer to a sibling that it must drop.
class TTracked : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  TTracked(TComponent* owner, std::vector<AnsiString>* log, const char* label)
      : TComponent(owner), log_(log), label_(label) {
    ++live;
  }
  explicit TTracked(TComponent* owner) : TTracked(owner, nullptr, "") {}
  ~TTracked() override {
    --live;
    if (log_) log_->push_back(AnsiString("free ") + label_);
  }
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == Partner) Partner = nullptr;
    if (log_ && operation == TOperation::opRemove) {
      log_->push_back(AnsiString(label_) + " hears " + component->Name() + " go");
    }
  }

  static inline int live = 0;
  TComponent* Partner = nullptr;

 private:
  std::vector<AnsiString>* log_;
  const char* label_;
};

const TClassInfo& TTracked::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TTracked>("TTracked", &TComponent::StaticClassInfo()).Build();
  return info;
}

TEST(Ownership, OwnerFreesWhatItOwnsLastCreatedFirst) {
  std::vector<AnsiString> log;
  {
    TTracked owner(nullptr, &log, "owner");
    new TTracked(&owner, &log, "first");
    auto* second = new TTracked(&owner, &log, "second");
    new TTracked(second, &log, "grandchild");
    new TTracked(&owner, &log, "third");
    EXPECT_EQ(owner.ComponentCount(), 3);
    EXPECT_EQ(TTracked::live, 5);
  }
  EXPECT_EQ(TTracked::live, 0);
  const std::vector<AnsiString> frees = [&] {
    std::vector<AnsiString> only;
    for (const AnsiString& line : log) {
      if (line.rfind("free ", 0) == 0) only.push_back(line);
    }
    return only;
  }();
  // A component's own destructor runs before it frees what it owns.
  EXPECT_EQ(frees, (std::vector<AnsiString>{"free owner", "free third", "free second",
                                            "free grandchild", "free first"}));
}

TEST(Ownership, FreeingAnOwnedComponentTakesItOutOfItsOwner) {
  TTracked owner(nullptr);
  auto* a = new TTracked(&owner);
  auto* b = new TTracked(&owner);
  delete a;
  ASSERT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components()[0], b);
  // Leaving scope frees b once; ASan reports a double free if a were still listed.
}

TEST(Ownership, InsertComponentMovesAndRemoveComponentReleases) {
  TTracked first(nullptr);
  TTracked second(nullptr);
  auto* moved = new TTracked(&first);
  second.InsertComponent(moved);
  EXPECT_EQ(first.ComponentCount(), 0);
  EXPECT_EQ(second.ComponentCount(), 1);
  EXPECT_EQ(moved->Owner(), &second);

  second.RemoveComponent(moved);
  EXPECT_EQ(moved->Owner(), nullptr);
  EXPECT_EQ(second.ComponentCount(), 0);
  second.RemoveComponent(moved);  // not owned any more: nothing happens
  delete moved;
  EXPECT_EQ(TTracked::live, 2);
}

TEST(Ownership, SiblingsDropTheirPointersWhenAComponentGoes) {
  std::vector<AnsiString> log;
  TTracked owner(nullptr, &log, "owner");
  auto* a = new TTracked(&owner, &log, "a");
  auto* b = new TTracked(&owner, &log, "b");
  a->SetName("A");
  b->SetName("B");
  a->Partner = b;
  b->Partner = a;
  delete b;
  EXPECT_EQ(a->Partner, nullptr);
  EXPECT_NE(std::find(log.begin(), log.end(), "owner hears B go"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "a hears B go"), log.end());
}

// Checks in its destructor that its partner is still there.
struct TUser : TTracked {
  using TTracked::TTracked;
  ~TUser() override { seen_alive = Partner && Partner->Owner() != nullptr; }
  static inline bool seen_alive = false;
};

TEST(Ownership, EarlierComponentsStillLiveWhileLaterOnesAreFreed) {
  // `later` points at `earlier`; freeing the owner must free `later` first, so the pointer is
  // never left dangling while `later` can still use it.
  {
    TTracked owner(nullptr);
    auto* earlier = new TTracked(&owner);
    auto* later = new TUser(&owner);
    later->Partner = earlier;
  }
  EXPECT_TRUE(TUser::seen_alive);
}

struct NameCase {
  const char* Name;
  bool Valid;
};

TEST(ComponentName, MustBeAnIdentifier) {
  const NameCase cases[] = {
      {"Button1", true},  {"_x", true},        {"a", true},        {"A_9_z", true},
      {"1Button", false}, {"Button 1", false}, {"Bu-tton", false}, {"Menü", false},
      {"a.b", false},     {" a", false},       {"a\n", false},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(IsValidIdent(c.Name), c.Valid);
    TTracked component(nullptr);
    component.SetName("Before");
    if (c.Valid) {
      component.SetName(c.Name);
      EXPECT_EQ(component.Name(), c.Name);
    } else {
      try {
        component.SetName(c.Name);
        ADD_FAILURE() << "no exception";
      } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, AnsiString("'") + c.Name + "' is not a valid component name");
      }
      EXPECT_EQ(component.Name(), "Before") << "a refused name must leave the old one";
    }
  }
}

TEST(ComponentName, IsUniqueInItsOwnerIgnoringCase) {
  TTracked owner(nullptr);
  auto* a = new TTracked(&owner);
  auto* b = new TTracked(&owner);
  a->SetName("Timer1");
  try {
    b->SetName("TIMER1");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "A component named TIMER1 already exists");
  }
  EXPECT_EQ(b->Name(), "");
  a->SetName("timer1");  // its own name in another case is no clash
  EXPECT_EQ(a->Name(), "timer1");
  // Unnamed components never clash, and other owners have their own names.
  new TTracked(&owner);
  TTracked other(nullptr);
  (new TTracked(&other))->SetName("Timer1");
  EXPECT_EQ(owner.FindComponent("TIMER1"), a);
  EXPECT_EQ(owner.FindComponent(""), nullptr);
  EXPECT_EQ(owner.FindComponent("Timer2"), nullptr);
  a->SetName("");
  EXPECT_EQ(owner.FindComponent("timer1"), nullptr);
}

TEST(ComponentState, DesigningReachesEveryOwnedComponent) {
  TTracked owner(nullptr);
  auto* child = new TTracked(&owner);
  auto* grandchild = new TTracked(child);
  owner.SetDesigning(true);
  EXPECT_TRUE(grandchild->IsDesigning());
  owner.SetDesigning(false);
  EXPECT_FALSE(child->IsDesigning());
  owner.BeginLoading();
  EXPECT_TRUE(owner.IsLoading());
  EXPECT_FALSE(child->IsLoading());
  owner.Loaded();
  EXPECT_FALSE(owner.IsLoading());
  EXPECT_EQ(owner.ComponentState() & csReading, 0u);
}

TEST(ClassInfo, NamesAndInheritance) {
  TTracked component(nullptr);
  EXPECT_STREQ(component.ClassName(), "TTracked");
  EXPECT_TRUE(component.InheritsFrom(TComponent::StaticClassInfo()));
  EXPECT_TRUE(component.InheritsFrom(TObject::StaticClassInfo()));
  EXPECT_FALSE(component.InheritsFrom(TStrings::StaticClassInfo()));
  EXPECT_EQ(FindClassInfo("TTracked"), &TTracked::StaticClassInfo());
  EXPECT_EQ(FindClassInfo("TNoSuchClass"), nullptr);
}

struct TextCase {
  const char* Text;
  std::vector<AnsiString> Lines;
};

TEST(Strings, SetTextSplitsOnLineFeedWithOrWithoutReturn) {
  const TextCase cases[] = {
      {"", {}},
      {"one", {"one"}},
      {"one\r\ntwo", {"one", "two"}},
      {"one\ntwo\n", {"one", "two"}},
      {"one\r\n\r\nthree", {"one", "", "three"}},
      {"\r\n", {""}},
      {"a\rb", {"a\rb"}},  // a lone CR is no line break
      {"ü\r\nä", {"ü", "ä"}},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.Text);
    TStrings strings;
    strings.SetText(c.Text);
    EXPECT_EQ(strings.Items(), c.Lines);
  }
  TStrings strings;
  strings.SetItems({"a", "", "c"});
  EXPECT_EQ(strings.Text(), "a\r\n\r\nc");
}

TEST(Strings, IndexOutsideTheListRaisesERangeError) {
  TStrings strings;
  strings.SetItems({"a", "b"});
  EXPECT_THROW(strings[2], ERangeError);
  EXPECT_THROW(strings[-1], ERangeError);
  EXPECT_THROW(strings.Put(2, "x"), ERangeError);
  EXPECT_THROW(strings.Delete(5), ERangeError);
  EXPECT_THROW(strings.Insert(3, "x"), ERangeError);
  try {
    strings[7];
  } catch (const ERangeError& e) {
    EXPECT_EQ(e.Message, "List index out of bounds (7)");
  }
  strings.Insert(2, "end");  // at Count is allowed: it appends
  strings.Insert(0, "start");
  strings.Delete(1);
  EXPECT_EQ(strings.Items(), (std::vector<AnsiString>{"start", "b", "end"}));
  EXPECT_EQ(strings.IndexOf("end"), 2);
  EXPECT_EQ(strings.IndexOf("END"), -1);
}

TEST(Strings, EveryChangeFiresOnChangeAndNothingElseDoes) {
  TStrings strings;
  int changes = 0;
  strings.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &strings);
    ++changes;
  };
  strings.Add("a");
  strings.Insert(0, "b");
  strings.Put(1, "c");
  strings.Delete(0);
  strings.SetText("x\r\ny");
  EXPECT_EQ(changes, 5);
  (void)strings[0];
  (void)strings.IndexOf("x");
  (void)strings.Text();
  EXPECT_EQ(changes, 5);
  strings.Clear();
  strings.Clear();  // already empty: no change
  EXPECT_EQ(changes, 6);
  EXPECT_THROW(strings.Delete(0), ERangeError);
  EXPECT_EQ(changes, 6) << "a refused change must not be reported";
}

TEST(Strings, AssignCopiesListsAndRefusesOtherClasses) {
  TStrings source;
  source.SetItems({"x", "y"});
  TStrings target;
  target.Assign(&source);
  EXPECT_EQ(target.Items(), source.Items());
  TTracked component(nullptr);
  try {
    target.Assign(&component);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Cannot assign a TTracked to a TStrings");
  }
  EXPECT_THROW(target.Assign(nullptr), EConvertError);
  EXPECT_EQ(target.Items(), source.Items());
}

TEST(Events, UnsetIsANoOpAndBoundHandlersGetTheSender) {
  TNotifyEvent unset;
  EXPECT_FALSE(unset);
  unset(nullptr);  // must not throw or crash

  struct THandler {
    TObject* last = nullptr;
    void Click(TObject* sender) { last = sender; }
  } handler;
  TNotifyEvent bound(&handler, &THandler::Click);
  EXPECT_TRUE(bound);
  EXPECT_EQ(bound.Object(), &handler);
  TTracked sender(nullptr);
  bound(&sender);
  EXPECT_EQ(handler.last, &sender);

  // Key events hand the key by reference so that a handler can change or drop it.
  TKeyPressEvent press = [](TObject*, wchar_t& key) { key = key == 'a' ? 'A' : 0; };
  wchar_t key = L'a';
  press(nullptr, key);
  EXPECT_EQ(key, 'A');
  key = '1';
  press(nullptr, key);
  EXPECT_EQ(key, 0);
}

}  // namespace
