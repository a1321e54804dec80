#include "framework/core/Filer.h"

#include <gtest/gtest.h>

#include "framework/core/Typinfo.h"

namespace {

enum class TShape { stSquare, stCircle };
const TEnumInfo& EnumInfoOf(TShape) {
  static const TEnumInfo info{{"stSquare", "stCircle"}};
  return info;
}

class TFontish : public TPersistent {
  DECLARE_CLASS_INFO()
 public:
  AnsiString Name = "MS Sans Serif";
  int Height = -11;
  int Style = 0;
};

const TEnumInfo kStyles{{"fsBold", "fsItalic", "fsUnderline"}};

const TClassInfo& TFontish::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TFontish>("TFontish", &TPersistent::StaticClassInfo())
          .Property("Height", &TFontish::Height, &TFontish::Height, Default(-11))
          .Property("Name", &TFontish::Name, &TFontish::Name, Default(AnsiString("MS Sans Serif")))
          .Property("Style", &TFontish::Style, &TFontish::Style, SetOf(kStyles))
          .Build();
  return info;
}

class TWidget : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  using TComponent::TComponent;
  int Left = 0;
  AnsiString Caption;
  bool Visible = true;
  TShape Shape = TShape::stSquare;
  TBytes Data;
  TStrings Items;
  TFontish Font;
  TWidget* Buddy = nullptr;
  TNotifyEvent OnClick;
  std::vector<AnsiString> log;

  void SetCaption(const AnsiString& caption) {
    if (IsLoading()) log.push_back("loading:" + caption);
    Caption = caption;
  }
  void Loaded() override {
    TComponent::Loaded();
    log.push_back("Loaded");
  }
  TFontish* GetFont() const { return const_cast<TFontish*>(&Font); }
  TStrings* GetItems() const { return const_cast<TStrings*>(&Items); }
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override {
    if (root == this) {
      for (TComponent* c : Components()) proc(c);
    }
  }
};

const TClassInfo& TWidget::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TWidget>("TWidget", &TComponent::StaticClassInfo())
          .Property("Left", &TWidget::Left, &TWidget::Left, Default(0))
          .Property("Caption", &TWidget::Caption, &TWidget::SetCaption)
          .Property("Visible", &TWidget::Visible, &TWidget::Visible, Default(true))
          .Property("Shape", &TWidget::Shape, &TWidget::Shape, Default(TShape::stSquare))
          .Property("Data", &TWidget::Data, &TWidget::Data, Default(TBytes{}))
          .ObjectProperty("Items", &TWidget::GetItems)
          .ObjectProperty("Font", &TWidget::GetFont)
          .Property("Buddy", &TWidget::Buddy, &TWidget::Buddy)
          .Property("OnClick", &TWidget::OnClick, &TWidget::OnClick)
          .Build();
  return info;
}

class TTestForm : public TWidget {
  DECLARE_CLASS_INFO()
 public:
  using TWidget::TWidget;
  TWidget* Child1 = nullptr;
  TWidget* Child2 = nullptr;
  int clicks = 0;
  void Child1Click(TObject*) { ++clicks; }
};

const TClassInfo& TTestForm::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TTestForm>("TTestForm", &TWidget::StaticClassInfo())
          .PublishInherited()
          .Field("Child1", &TTestForm::Child1)
          .Field("Child2", &TTestForm::Child2)
          .Method("Child1Click", &TTestForm::Child1Click)
          .Build();
  return info;
}

const char* const kForm = R"(object Form: TTestForm
  Caption = 'It''s'#13#10'ok'
  Font.Style = [fsBold, fsUnderline]
  object Child1: TWidget
    Left = -5
    Caption = 'one'
    Visible = False
    Shape = stCircle
    Data = {
      00FF10}
    Items.Strings = (
      'a'
      #252)
    Buddy = Child2
    OnClick = Child1Click
  end
  object Child2: TWidget
    Caption = 'two'
  end
end
)";

TEST(FormText, ReadsPropertiesFieldsHandlersAndReferences) {
  TTestForm form(nullptr);
  ReadComponentText(form, kForm);
  EXPECT_EQ(form.Name(), "Form");
  EXPECT_EQ(form.Caption, "It's\r\nok");
  EXPECT_EQ(form.Font.Style, 5);
  ASSERT_NE(form.Child1, nullptr);
  ASSERT_NE(form.Child2, nullptr);
  EXPECT_EQ(form.Child1->Left, -5);
  EXPECT_FALSE(form.Child1->Visible);
  EXPECT_EQ(form.Child1->Shape, TShape::stCircle);
  EXPECT_EQ(form.Child1->Data, (TBytes{0x00, 0xFF, 0x10}));
  EXPECT_EQ(form.Child1->Items.Items(), (std::vector<AnsiString>{"a", "\xFC"}));
  EXPECT_EQ(form.Child1->Buddy, form.Child2);
  form.Child1->OnClick(form.Child1);
  EXPECT_EQ(form.clicks, 1);
  // Setters run while loading; Loaded comes after the whole text.
  EXPECT_EQ(form.Child1->log, (std::vector<AnsiString>{"loading:one", "Loaded"}));
  EXPECT_FALSE(form.Child1->IsLoading());
}

TEST(FormText, WritesWhatItReadsBack) {
  TTestForm form(nullptr);
  ReadComponentText(form, kForm);
  const AnsiString written = WriteComponentText(form);
  TTestForm again(nullptr);
  ReadComponentText(again, written);
  EXPECT_EQ(WriteComponentText(again), written);
  EXPECT_EQ(again.Child1->Data, form.Child1->Data);
  EXPECT_EQ(again.Caption, form.Caption);
  // Defaults are not written.
  EXPECT_EQ(written.find("Child2: TWidget\n    Left"), AnsiString::npos);
}

struct BadInput {
  const char* Name;
  const char* Text;
  const char* Message;
};

TEST(FormText, BadInputNamesTheLineAndLeaksNothing) {
  const BadInput cases[] = {
      {"unknown class", "object Form: TTestForm\n  object X: TNope\n  end\nend\n",
       "Line 2: Class TNope not found"},
      {"unknown property", "object Form: TTestForm\n  Colour = 1\nend\n",
       "Line 2: Property TTestForm.Colour does not exist"},
      {"wrong kind", "object Form: TTestForm\n  Left = 'x'\nend\n",
       "Line 2: Invalid value a string for property Left"},
      {"unterminated block", "object Form: TTestForm\n  object Child1: TWidget\n  end\n",
       "Line 4: 'end' of Form expected but the text ended"},
      {"bad hex", "object Form: TTestForm\n  Data = {\n 0G }\nend\n",
       "Line 3: Invalid hex digit 'G' in binary data"},
      {"odd hex", "object Form: TTestForm\n  Data = {ABC}\nend\n",
       "Line 2: Binary data has an odd number of hex digits"},
      {"unknown handler", "object Form: TTestForm\n  OnClick = Nothing\nend\n",
       "Line 2: Handler Nothing not found in TTestForm"},
      {"trailing garbage", "object Form: TTestForm\nend\nextra\n",
       "Line 3: Unexpected text after the last end: extra"},
      {"unknown reference", "object Form: TTestForm\n  Buddy = Ghost\nend\n",
       "Line 2: Component Ghost not found"},
      {"bad enum", "object Form: TTestForm\n  Shape = stTriangle\nend\n",
       "Line 2: Invalid value 'stTriangle' for property Shape"},
      {"unterminated string", "object Form: TTestForm\n  Caption = 'abc\nend\n",
       "Line 2: Unterminated string"},
  };
  for (const BadInput& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestForm form(nullptr);
    try {
      ReadComponentText(form, c.Text);
      ADD_FAILURE() << "no exception";
    } catch (const EParserError& e) {
      EXPECT_EQ(e.Message, c.Message);
    }
    EXPECT_EQ(form.ComponentCount(), 0);
    EXPECT_EQ(form.Child1, nullptr);
  }
}

}  // namespace
