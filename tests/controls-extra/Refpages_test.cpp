// The reference's pages: what they say of a property's default and storing, which header
// declares a class and what its opening comment is.
#include "controls-extra/reference/Refpages.h"

#include <gtest/gtest.h>

namespace {

class TInk : public TPersistent {
  DECLARE_CLASS_INFO()
 public:
  int Size = 8;
};

const TClassInfo& TInk::StaticClassInfo() {
  static const TClassInfo& info = TClassBuilder<TInk>("TInk", &TPersistent::StaticClassInfo())
                                      .Property("Size", &TInk::Size, &TInk::Size, Default(8))
                                      .Build();
  return info;
}

class TStamp : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  using TComponent::TComponent;
  int Left = 0;
  int Count = 0;
  int Day = 1;
  bool Plain = true;
  AnsiString Caption;
  AnsiString Hint;
  TInk Ink;
  TStamp* Buddy = nullptr;
  TNotifyEvent OnChange;
  TInk* GetInk() const { return const_cast<TInk*>(&Ink); }
};

const TClassInfo& TStamp::StaticClassInfo() {
  auto never = [](const TStamp&) { return false; };
  auto unplain = [](const TStamp& stamp) { return !stamp.Plain; };
  static const TClassInfo& info =
      TClassBuilder<TStamp>("TStamp", &TComponent::StaticClassInfo())
          .Property("Left", &TStamp::Left, &TStamp::Left)
          .Property("Count", &TStamp::Count, &TStamp::Count, Default(0))
          .Property("Day", &TStamp::Day, &TStamp::Day)
          .StoredIf(never, "never")
          .Property("Caption", &TStamp::Caption, &TStamp::Caption, Default(AnsiString("It's")))
          .StoredIf(unplain, "while Plain is False")
          .Property("Hint", &TStamp::Hint, &TStamp::Hint)
          .StoredIf(unplain, "while Plain is False")
          .ObjectProperty("Ink", &TStamp::GetInk, true, unplain, "while Plain is False")
          .Property("Buddy", &TStamp::Buddy, &TStamp::Buddy)
          .Property("OnChange", &TStamp::OnChange, &TStamp::OnChange)
          .Build();
  return info;
}

TEST(ReferencePages, SayForEachPropertyItsDefaultAndWhenItIsStored) {
  struct Case {
    const char* property;
    const char* default_text;
    const char* stored;
  };
  const Case cases[] = {
      {"Left", "none", "always"},
      {"Count", "`0`", "when not the default"},
      {"Day", "none", "never"},
      {"Caption", "`'It''s'`", "when not the default, while Plain is False"},
      {"Hint", "none", "while Plain is False"},
      {"Ink", "none", "its properties, while Plain is False"},
      {"Buddy", "none", "when set"},
      {"OnChange", "none", "when a handler is set"},
  };
  const TClassInfo& info = TStamp::StaticClassInfo();
  for (const Case& c : cases) {
    const TPropInfo* prop = info.FindPublished(c.property);
    ASSERT_NE(prop, nullptr) << c.property;
    EXPECT_EQ(DefaultText(*prop), c.default_text) << c.property;
    EXPECT_EQ(StoredText(*prop), c.stored) << c.property;
  }
}

TEST(ReferencePages, AClassPageListsSubObjectsInPlaceAndLinksItsDocumentedAncestors) {
  const TReferenceClass page{&TStamp::StaticClassInfo(), "x/Stamp.h", "A stamp."};
  const AnsiString text =
      ClassPage(page, [](const AnsiString& name) { return name == "TComponent"; });
  EXPECT_NE(text.find("derives from [TComponent](TComponent.md) > TPersistent > TObject."),
            AnsiString::npos)
      << text;
  const size_t ink = text.find("| `Ink` | `TInk*` |");
  const size_t ink_size = text.find("| `Ink.Size` | `int` | `8` | when not the default |");
  const size_t buddy = text.find("| `Buddy` | `TStamp*` |");
  EXPECT_TRUE(ink < ink_size && ink_size < buddy) << text;
  EXPECT_NE(text.find("| `OnChange` | `void(TObject* Sender)` |"), AnsiString::npos) << text;
  EXPECT_EQ(text.find("OnChange"), text.rfind("OnChange")) << "an event, and no property";
}

TEST(ReferencePages, FindTheDeclaringHeaderAndItsOpeningComment) {
  const char* const header =
      "// Stamps: the first line.\n"
      "//\n"
      "// clang-format off\n"
      "//   a | b\n"
      "// clang-format on\n"
      "#pragma once\n"
      "// Not the opening any more.\n"
      "class TStampList;\n"
      "class TStampy : public TComponent {\n"
      "};\n"
      "  class TStamp {\n"
      "class TStamp : public TComponent {\n";
  EXPECT_EQ(OpeningComment(header), "Stamps: the first line.\n\n  a | b");
  EXPECT_TRUE(DeclaresClass(header, "TStamp"));
  EXPECT_FALSE(DeclaresClass(header, "TStampList")) << "only named there";
  EXPECT_FALSE(DeclaresClass("class TStampy : public TComponent {\n", "TStamp"));
  EXPECT_FALSE(DeclaresClass("  class TStamp {\n", "TStamp")) << "a class nested in another";
}

}  // namespace
