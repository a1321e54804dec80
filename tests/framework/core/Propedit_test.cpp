// Properties typed by a person: what each kind takes, the messages for what it does not, and a
// refused value that leaves the object as it was. Also what the class information tells a
// reader of each property's type.
#include "framework/core/Propedit.h"

#include <gtest/gtest.h>

namespace {

enum class TShade { shLight, shDark };
const TEnumInfo& EnumInfoOf(TShade) {
  static const TEnumInfo info{{"shLight", "shDark"}};
  return info;
}

const TEnumInfo kEdges{{"edLeft", "edTop", "edRight"}};
const TIdentMap kTints{{{"tnRed", 0xFF}, {"tnBlue", 0xFF0000}}, "TTint"};

class TNib : public TPersistent {
  DECLARE_CLASS_INFO()
 public:
  int Width = 1;
};

const TClassInfo& TNib::StaticClassInfo() {
  static const TClassInfo& info = TClassBuilder<TNib>("TNib", &TPersistent::StaticClassInfo())
                                      .Property("Width", &TNib::Width, &TNib::Width, Default(1))
                                      .Build();
  return info;
}

class TGizmo : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  using TComponent::TComponent;
  int Count = 0;
  int16_t Small = 0;
  int Percent = 0;
  int Tint = 0;
  TShade Shade = TShade::shLight;
  bool Visible = true;
  int Edges = 0;
  double Ratio = 0;
  AnsiString Caption;
  TNib Nib;
  TGizmo* Buddy = nullptr;
  TNotifyEvent OnClick;
  TKeyPressEvent OnKey;

  int Limit() const { return limit_; }
  // Takes the value before it checks it, as a setter with a side effect might.
  void SetLimit(int value) {
    limit_ = value;
    if (value > 100) throw ERangeError("at most 100");
  }
  TNib* GetNib() const { return const_cast<TNib*>(&Nib); }

 private:
  int limit_ = 10;
};

const TClassInfo& TGizmo::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TGizmo>("TGizmo", &TComponent::StaticClassInfo())
          .Property("Count", &TGizmo::Count, &TGizmo::Count, Default(0))
          .Property("Small", &TGizmo::Small, &TGizmo::Small)
          .Property("Percent", &TGizmo::Percent, &TGizmo::Percent, RangeOf(0, 0, 100, "TPercent"))
          .Property("Tint", &TGizmo::Tint, &TGizmo::Tint,
                    [] {
                      TPropOptions options;
                      options.Idents = &kTints;
                      return options;
                    }())
          .Property("Shade", &TGizmo::Shade, &TGizmo::Shade)
          .Property("Visible", &TGizmo::Visible, &TGizmo::Visible)
          .Property("Edges", &TGizmo::Edges, &TGizmo::Edges, SetOf(kEdges, 0, "TEdges"))
          .Property("Ratio", &TGizmo::Ratio, &TGizmo::Ratio)
          .Property("Caption", &TGizmo::Caption, &TGizmo::Caption)
          .ObjectProperty("Nib", &TGizmo::GetNib)
          .Property("Buddy", &TGizmo::Buddy, &TGizmo::Buddy)
          .Property("Limit", &TGizmo::Limit, &TGizmo::SetLimit)
          .Property("OnClick", &TGizmo::OnClick, &TGizmo::OnClick)
          .Property("OnKey", &TGizmo::OnKey, &TGizmo::OnKey,
                    Handler("TObject* Sender, wchar_t& Key"))
          .Build();
  return info;
}

const TPropertyRow& RowOf(const std::vector<TPropertyRow>& rows, const AnsiString& path) {
  for (const TPropertyRow& row : rows) {
    if (row.Path == path) return row;
  }
  throw std::runtime_error("no row " + path);
}

TEST(ClassInfo, TellsAReaderEachPropertysTypeAndHandler) {
  struct Case {
    const char* property;
    const char* type;
  };
  const Case cases[] = {
      {"Count", "int"},
      {"Small", "int16_t"},
      {"Percent", "TPercent"},
      {"Tint", "TTint"},  // named by its idents
      {"Shade", "TShade"},
      {"Visible", "bool"},
      {"Edges", "TEdges"},
      {"Ratio", "double"},
      {"Caption", "AnsiString"},
      {"Nib", "TNib*"},
      {"Buddy", "TGizmo*"},
      {"OnClick", "void(TObject* Sender)"},
      {"OnKey", "void(TObject* Sender, wchar_t& Key)"},
  };
  const TClassInfo& info = TGizmo::StaticClassInfo();
  for (const Case& c : cases) {
    ASSERT_NE(info.FindPublished(c.property), nullptr) << c.property;
    EXPECT_EQ(info.FindPublished(c.property)->TypeName, c.type) << c.property;
  }
  EXPECT_EQ(&info.FindPublished("Nib")->ObjectClass(), &TNib::StaticClassInfo());
  EXPECT_EQ(info.FindPublished("Small")->MaxValue, 32767);

  struct TMute : TComponent {
    using TComponent::TComponent;
    TKeyPressEvent OnKey;
  };
  EXPECT_THROW(TClassBuilder<TMute>("TMute", &TComponent::StaticClassInfo())
                   .Property("OnKey", &TMute::OnKey, &TMute::OnKey),
               Exception)
      << "a handler of more than the sender needs its parameters named";
  EXPECT_THROW(TClassBuilder<TMute>("TMute", &TComponent::StaticClassInfo())
                   .Property("OnKey", &TMute::OnKey, &TMute::OnKey, Handler("TObject* Sender")),
               Exception)
      << "as many names as parameters";
}

TEST(PropertyRows, SubObjectsStandInPlaceAndEventsAreLeftOut) {
  TGizmo gizmo(nullptr);
  std::vector<AnsiString> paths;
  for (const TPropertyRow& row : ListProperties(gizmo)) paths.push_back(row.Path);
  const std::vector<AnsiString> expected = {"Count",   "Small",     "Percent", "Tint",
                                            "Shade",   "Visible",   "Edges",   "Ratio",
                                            "Caption", "Nib.Width", "Buddy",   "Limit"};
  EXPECT_EQ(paths, expected);
}

TEST(PropertyText, TypedValuesAreTakenOrRefusedWithWhatTheyAccept) {
  struct Case {
    const char* path;
    const char* typed;
    const char* shown;    // the value afterwards
    const char* refusal;  // the message, or null when taken
  };
  // clang-format off
  const Case cases[] = {
      {"Count", " -7 ", "-7", nullptr},
      {"Count", "$1F", "31", nullptr},
      {"Count", "abc", "0",
       "Count takes a whole number from -2147483648 to 2147483647, not 'abc'"},
      {"Count", "2147483648", "0",
       "Count takes a whole number from -2147483648 to 2147483647, not '2147483648'"},
      {"Count", "99999999999999999999", "0", "Count takes a whole number"},
      {"Count", "4 2", "0", "Count takes"},
      {"Count", "", "0", "Count takes"},
      {"Small", "-32768", "-32768", nullptr},
      {"Small", "32768", "0", "Small takes a whole number from -32768 to 32767"},
      {"Percent", "101", "0", "Percent takes a whole number from 0 to 100, not '101'"},
      {"Tint", "TNBLUE", "tnBlue", nullptr},
      {"Tint", "255", "tnRed", nullptr},
      {"Tint", "pink", "0", "Tint takes a whole number from -2147483648 to 2147483647 or a "
                            "name such as tnRed or tnBlue, not 'pink'"},
      {"Shade", "shdark", "shDark", nullptr},
      {"Shade", "shDim", "shLight", "Shade takes one of shLight, shDark, not 'shDim'"},
      {"Visible", "false", "False", nullptr},
      {"Visible", "no", "True", "Visible takes True or False, not 'no'"},
      {"Edges", "[edRight, edleft]", "[edLeft, edRight]", nullptr},
      {"Edges", "[]", "[]", nullptr},
      {"Edges", "edLeft", "[]", "Edges takes a set in brackets of edLeft, edTop, edRight"},
      {"Edges", "[edLeft, edBottom]", "[]", "Edges takes a set in brackets"},
      {"Ratio", "2.5", "2.5", nullptr},
      {"Ratio", "1e999", "0", "Ratio takes a number, not '1e999'"},
      {"Ratio", "nan", "0", "Ratio takes a number"},
      {"Caption", "  as typed ", "  as typed ", nullptr},
      {"Nib.Width", "3", "3", nullptr},
      {"Nib.Width", "x", "1", "Nib.Width takes"},
      {"Buddy", "Other", "Other", nullptr},
      {"Buddy", "Nobody", "", "Buddy takes the name of a TGizmo of the form, or nothing"},
      {"Limit", "50", "50", nullptr},
      // The setter took the value before it refused it: the old one is put back.
      {"Limit", "500", "10", "Limit: at most 100"},
  };
  // clang-format on
  for (const Case& c : cases) {
    TComponent root(nullptr);
    auto* gizmo = new TGizmo(&root);
    gizmo->SetName("Gizmo");
    (new TGizmo(&root))->SetName("Other");
    const std::vector<TPropertyRow> rows = ListProperties(*gizmo);
    const TPropertyRow& row = RowOf(rows, c.path);
    AnsiString message;
    try {
      SetPropertyText(row, c.typed, &root);
    } catch (const Exception& e) {
      message = e.Message;
    }
    if (c.refusal) {
      EXPECT_EQ(message.rfind(c.refusal, 0), 0u) << c.path << " = " << c.typed << ": " << message;
    } else {
      EXPECT_EQ(message, "") << c.path << " = " << c.typed;
    }
    EXPECT_EQ(ValueText(*row.Prop, row.Prop->Get(*row.Instance)), c.shown)
        << c.path << " = " << c.typed;
  }
}

TEST(PropertyText, ListsAndBytesAreShownButNotTyped) {
  TStrings lines;
  lines.SetItems({"one", "two"});
  const TPropertyRow row = ListProperties(lines).at(0);
  EXPECT_EQ(ValueText(*row.Prop, row.Prop->Get(lines)), "one, two");
  EXPECT_THROW(
      {
        try {
          SetPropertyText(row, "three", nullptr);
        } catch (const EConvertError& e) {
          EXPECT_STREQ(e.what(), "Strings cannot be typed in");
          throw;
        }
      },
      EConvertError);
  EXPECT_EQ(lines.Count(), 2);
}

}  // namespace
