// Fuzzes the form-description reader. The bytes are read into a root whose classes carry every
// kind of property: integers with names, floats, booleans, enumerations, sets, strings, string
// lists, bytes, nested sub-objects, component references and handlers. A read may fail only
// with the framework's own exceptions, and a failed read must leave nothing behind. A read that
// succeeds is written back; that text must read again and write back to the very same text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "framework/core/Filer.h"
#include "framework/core/Typinfo.h"

namespace {

int g_live = 0;  // components alive; only the root may outlive a failed read

enum class TFuzzAlign { alNone, alTop, alBottom, alClient };
const TEnumInfo& EnumInfoOf(TFuzzAlign) {
  static const TEnumInfo info{{"alNone", "alTop", "alBottom", "alClient"}};
  return info;
}

const TEnumInfo kStyles{{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
const TEnumInfo kEdges{{"beLeft", "beTop", "beRight", "beBottom"}};
const TEnumInfo kOptions{{"opOne", "opTwo", "opThree"}};
const TIdentMap kColours{{{"clBlack", 0}, {"clWhite", 0xFFFFFF}, {"clBtnFace", -2147483633LL}}};

// A sub-object nested two deep ("Font.Frame.Edges"), with a reference of its own.
class TFuzzFrame : public TPersistent {
  DECLARE_CLASS_INFO()
 public:
  int Width = 1;
  int Edges = 0;
  TComponent* Partner = nullptr;  // not owned
};

const TClassInfo& TFuzzFrame::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TFuzzFrame>("TFuzzFrame", &TPersistent::StaticClassInfo())
          .Property("Width", &TFuzzFrame::Width, &TFuzzFrame::Width, Default(1))
          .Property("Edges", &TFuzzFrame::Edges, &TFuzzFrame::Edges, SetOf(kEdges))
          .Property("Partner", &TFuzzFrame::Partner, &TFuzzFrame::Partner)
          .Build();
  return info;
}

class TFuzzFont : public TPersistent {
  DECLARE_CLASS_INFO()
 public:
  AnsiString Name = "Arial";
  int Size = 8;
  int Style = 0;
  TFuzzFrame Frame;
  TFuzzFrame* GetFrame() const { return const_cast<TFuzzFrame*>(&Frame); }
};

const TClassInfo& TFuzzFont::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TFuzzFont>("TFuzzFont", &TPersistent::StaticClassInfo())
          .Property("Name", &TFuzzFont::Name, &TFuzzFont::Name, Default(AnsiString("Arial")))
          .Property("Size", &TFuzzFont::Size, &TFuzzFont::Size, Default(8))
          .Property("Style", &TFuzzFont::Style, &TFuzzFont::Style, SetOf(kStyles))
          .ObjectProperty("Frame", &TFuzzFont::GetFrame)
          .Build();
  return info;
}

// Counts itself, remembers its parent and writes the components placed in it.
class TFuzzBase : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  explicit TFuzzBase(TComponent* owner) : TComponent(owner) { ++g_live; }
  ~TFuzzBase() override { --g_live; }

  void SetParentComponent(TComponent* parent) override { parent_ = parent; }
  TComponent* GetParentComponent() const override { return parent_; }
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override {
    for (TComponent* component : root->Components()) {
      if (component->GetParentComponent() == this) proc(component);
    }
  }
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove) Forget(component);
  }

 protected:
  virtual void Forget(TComponent* component) {
    if (component == parent_) parent_ = nullptr;
  }

 private:
  TComponent* parent_ = nullptr;  // not owned
};

const TClassInfo& TFuzzBase::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TFuzzBase>("TFuzzBase", &TComponent::StaticClassInfo()).Build();
  return info;
}

class TFuzzLeaf : public TFuzzBase {
  DECLARE_CLASS_INFO()
 public:
  using TFuzzBase::TFuzzBase;
  int Value = 0;
};

const TClassInfo& TFuzzLeaf::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TFuzzLeaf>("TFuzzLeaf", &TFuzzBase::StaticClassInfo())
          .Property("Value", &TFuzzLeaf::Value, &TFuzzLeaf::Value, Default(0))
          .Build();
  return info;
}

class TFuzzThing : public TFuzzBase {
  DECLARE_CLASS_INFO()
 public:
  using TFuzzBase::TFuzzBase;

  int Color = 0;
  int64_t Count = 0;
  int Tag = 0;
  double Ratio = 0;
  bool Enabled = true;
  TFuzzAlign Align = TFuzzAlign::alNone;
  int Options = 0;
  AnsiString Caption;
  TStrings Items;
  std::vector<AnsiString> Hints;
  TBytes Data;
  TFuzzFont Font;
  TFuzzThing* Buddy = nullptr;  // not owned
  TComponent* Other = nullptr;  // not owned
  TNotifyEvent OnClick;
  TKeyPressEvent OnKeyPress;

  // A setter that refuses some values, as real ones do.
  void SetTag(int tag) {
    if (tag < -1000000) throw ERangeError(Format("Tag %d is too small", tag));
    Tag = tag;
  }
  TStrings* GetItems() const { return const_cast<TStrings*>(&Items); }
  TFuzzFont* GetFont() const { return const_cast<TFuzzFont*>(&Font); }

 protected:
  void Forget(TComponent* component) override {
    TFuzzBase::Forget(component);
    if (component == Buddy) Buddy = nullptr;
    if (component == Other) Other = nullptr;
    if (component == Font.Frame.Partner) Font.Frame.Partner = nullptr;
  }
};

TPropOptions ColourOptions() {
  TPropOptions options = Default(0);
  options.Idents = &kColours;
  return options;
}

const TClassInfo& TFuzzThing::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TFuzzThing>("TFuzzThing", &TFuzzBase::StaticClassInfo())
          .Property("Color", &TFuzzThing::Color, &TFuzzThing::Color, ColourOptions())
          .Property("Count", &TFuzzThing::Count, &TFuzzThing::Count, Default(int64_t{0}))
          .Property("Tag", &TFuzzThing::Tag, &TFuzzThing::SetTag, Default(0))
          .Property("Ratio", &TFuzzThing::Ratio, &TFuzzThing::Ratio, Default(0.0))
          .Property("Enabled", &TFuzzThing::Enabled, &TFuzzThing::Enabled, Default(true))
          .Property("Align", &TFuzzThing::Align, &TFuzzThing::Align, Default(TFuzzAlign::alNone))
          .Property("Options", &TFuzzThing::Options, &TFuzzThing::Options, SetOf(kOptions))
          .Property("Caption", &TFuzzThing::Caption, &TFuzzThing::Caption, Default(AnsiString()))
          .ObjectProperty("Items", &TFuzzThing::GetItems)
          .Property("Hints", &TFuzzThing::Hints, &TFuzzThing::Hints,
                    Default(std::vector<AnsiString>{}))
          .Property("Data", &TFuzzThing::Data, &TFuzzThing::Data, Default(TBytes{}))
          .ObjectProperty("Font", &TFuzzThing::GetFont)
          .Property("Buddy", &TFuzzThing::Buddy, &TFuzzThing::Buddy)
          .Property("Other", &TFuzzThing::Other, &TFuzzThing::Other)
          .Property("OnClick", &TFuzzThing::OnClick, &TFuzzThing::OnClick)
          .Property("OnKeyPress", &TFuzzThing::OnKeyPress, &TFuzzThing::OnKeyPress,
                    Handler("TObject* Sender, wchar_t& Key"))
          .Build();
  return info;
}

class TFuzzForm : public TFuzzThing {
  DECLARE_CLASS_INFO()
 public:
  using TFuzzThing::TFuzzThing;
  TFuzzThing* Thing1 = nullptr;  // not owned: fields of the form
  TFuzzThing* Thing2 = nullptr;
  TFuzzLeaf* Leaf1 = nullptr;
  void ThingClick(TObject*) {}
  void OtherClick(TObject*) {}
  void ThingKeyPress(TObject*, char&) {}
};

const TClassInfo& TFuzzForm::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TFuzzForm>("TFuzzForm", &TFuzzThing::StaticClassInfo())
          .PublishInherited()
          .Field("Thing1", &TFuzzForm::Thing1)
          .Field("Thing2", &TFuzzForm::Thing2)
          .Field("Leaf1", &TFuzzForm::Leaf1)
          .Method("ThingClick", &TFuzzForm::ThingClick)
          .Method("OtherClick", &TFuzzForm::OtherClick)
          .Method("ThingKeyPress", &TFuzzForm::ThingKeyPress)
          .Build();
  return info;
}

[[noreturn]] void Finding(const char* what, const AnsiString& detail) {
  std::fprintf(stderr, "formtext_fuzz: %s\n%s\n", what, detail.c_str());
  std::abort();
}

// Every component of a successful read has finished loading.
void CheckLoaded(const TFuzzForm& root) {
  if (root.IsLoading()) Finding("the root is still loading", root.Name());
  for (const TComponent* component : root.Components()) {
    if (component->IsLoading()) Finding("a component is still loading", component->Name());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TFuzzForm::StaticClassInfo();
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  AnsiString written;
  {
    TFuzzForm root(nullptr);
    try {
      ReadComponentText(root, text);
    } catch (const Exception& e) {
      if (root.ComponentCount() != 0 || g_live != 1)
        Finding("a failed read left components", e.Message);
      if (root.Thing1 || root.Thing2 || root.Leaf1)
        Finding("a failed read left a field set", e.Message);
      // The root's own properties stay as far as they were read; they may name only the root.
      for (const TComponent* reference :
           {static_cast<TComponent*>(root.Buddy), root.Other, root.Font.Frame.Partner}) {
        if (reference && reference != &root) {
          Finding("a failed read left a reference to a freed component", e.Message);
        }
      }
      if (root.IsLoading()) Finding("a failed read left the root loading", e.Message);
      if (e.Message.rfind("Line ", 0) != 0) Finding("an error does not name its line", e.Message);
      return 0;
    }
    CheckLoaded(root);
    written = WriteComponentText(root);
  }
  if (g_live != 0) Finding("components outlived their root", written);

  {
    TFuzzForm again(nullptr);
    try {
      ReadComponentText(again, written);
    } catch (const Exception& e) {
      Finding("the written text does not read back", e.Message + "\n" + written);
    }
    CheckLoaded(again);
    const AnsiString rewritten = WriteComponentText(again);
    if (rewritten != written)
      Finding("the round trip changed the text", written + "\n" + rewritten);
  }
  if (g_live != 0) Finding("components outlived their root", written);
  return 0;
}
