#include "framework/core/Filer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

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
  static const TClassInfo& info = TClassBuilder<TTestForm>("TTestForm", &TWidget::StaticClassInfo())
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
      00fF10}
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
  EXPECT_EQ(form.Child1->Items.Items(), (std::vector<AnsiString>{"a", "ü"}));
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
      {"8-bit hex", "object Form: TTestForm\n  Data = {0\xB2}\nend\n",
       "Line 2: Invalid hex digit '\xB2' in binary data"},
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

// ---------------------------------------------------------------------------------------------
// A second set of classes with every kind of property, nesting through parents, and a count
// of live components so that a failed read can be checked for leftovers.

enum class TCorner { ctTopLeft, ctTopRight, ctBottomLeft, ctBottomRight };
const TEnumInfo& EnumInfoOf(TCorner) {
  static const TEnumInfo info{{"ctTopLeft", "ctTopRight", "ctBottomLeft", "ctBottomRight"}};
  return info;
}

const TEnumInfo kPenStyles{{"psDash", "psDot", "psInside"}};
const TEnumInfo kOptions{{"goOne", "goTwo", "goThree", "goFour"}};
const TIdentMap kColourNames{{{"clBlack", 0}, {"clRed", 0xFF}, {"clBtnFace", -2147483633LL}}};

class TPenish : public TPersistent {
  DECLARE_CLASS_INFO()
 public:
  int Width = 1;
  int Style = 0;
};

const TClassInfo& TPenish::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TPenish>("TPenish", &TPersistent::StaticClassInfo())
          .Property("Width", &TPenish::Width, &TPenish::Width, Default(1))
          .Property("Style", &TPenish::Style, &TPenish::Style, SetOf(kPenStyles))
          .Build();
  return info;
}

class TFrameish : public TPersistent {
  DECLARE_CLASS_INFO()
 public:
  TPenish Pen;
  TComponent* Target = nullptr;  // a reference held by a sub-object
  TPenish* GetPen() const { return const_cast<TPenish*>(&Pen); }
};

const TClassInfo& TFrameish::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TFrameish>("TFrameish", &TPersistent::StaticClassInfo())
          .ObjectProperty("Pen", &TFrameish::GetPen)
          .Property("Target", &TFrameish::Target, &TFrameish::Target)
          .Build();
  return info;
}

std::vector<AnsiString> g_events;  // setter calls and Loaded, in order

TPropOptions ColourOptions() {
  TPropOptions options = Default(0);
  options.Idents = &kColourNames;
  return options;
}

class TGadget : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  explicit TGadget(TComponent* owner) : TComponent(owner) { ++live; }
  ~TGadget() override { --live; }

  int Tag = 0;
  int Color = 0;
  double Ratio = 0;
  bool Checked = false;
  TCorner Corner = TCorner::ctTopLeft;
  int Options = 0;
  AnsiString Caption;
  TStrings Lines;
  TBytes Data;
  TFontish Font;
  TFrameish Frame;
  TGadget* Link = nullptr;
  TNotifyEvent OnClick;
  TKeyPressEvent OnKey;

  static inline int live = 0;

  void SetTag(int tag) {
    if (tag < -1000) throw ERangeError(Format("%d is below the smallest tag", tag));
    Tag = tag;
    g_events.push_back(Format("%s.Tag loading=%d", Name().c_str(), IsLoading()));
  }
  void SetCaption(const AnsiString& caption) {
    if (caption == "boom") throw EConvertError("A caption of boom is refused");
    if (caption == "line") throw EConvertError("Line 7 of the caption is missing");
    Caption = caption;
  }
  void SetLink(TGadget* link) {
    Link = link;
    g_events.push_back(Format("%s.Link loading=%d", Name().c_str(), IsLoading()));
  }
  void Loaded() override {
    TComponent::Loaded();
    g_events.push_back(Name() + ".Loaded");
  }
  TStrings* GetLines() const { return const_cast<TStrings*>(&Lines); }
  TFontish* GetFont() const { return const_cast<TFontish*>(&Font); }
  TFrameish* GetFrame() const { return const_cast<TFrameish*>(&Frame); }

  void SetParentComponent(TComponent* parent) override { parent_ = parent; }
  TComponent* GetParentComponent() const override { return parent_; }
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override {
    for (TComponent* component : root->Components()) {
      if (component->GetParentComponent() == this) proc(component);
    }
  }
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (component == Link) Link = nullptr;
    if (component == Frame.Target) Frame.Target = nullptr;
    if (component == parent_) parent_ = nullptr;
  }

 private:
  TComponent* parent_ = nullptr;  // not owned
};

const TClassInfo& TGadget::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TGadget>("TGadget", &TComponent::StaticClassInfo())
          .Property("Tag", &TGadget::Tag, &TGadget::SetTag, Default(0))
          .Property("Color", &TGadget::Color, &TGadget::Color, ColourOptions())
          .Property("Ratio", &TGadget::Ratio, &TGadget::Ratio, Default(0.0))
          .Property("Checked", &TGadget::Checked, &TGadget::Checked, Default(false))
          .Property("Corner", &TGadget::Corner, &TGadget::Corner, Default(TCorner::ctTopLeft))
          .Property("Options", &TGadget::Options, &TGadget::Options, SetOf(kOptions))
          .Property("Caption", &TGadget::Caption, &TGadget::SetCaption, Default(AnsiString()))
          .ObjectProperty("Lines", &TGadget::GetLines)
          .Property("Data", &TGadget::Data, &TGadget::Data, Default(TBytes{}))
          .ObjectProperty("Font", &TGadget::GetFont)
          .ObjectProperty("Frame", &TGadget::GetFrame)
          .Property("Link", &TGadget::Link, &TGadget::SetLink)
          .Property("OnClick", &TGadget::OnClick, &TGadget::OnClick)
          .Property("OnKey", &TGadget::OnKey, &TGadget::OnKey,
                    Handler("TObject* Sender, wchar_t& Key"))
          .Build();
  return info;
}

// A component of another class, for references of the wrong class.
class TPlain : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  explicit TPlain(TComponent* owner) : TComponent(owner) { ++TGadget::live; }
  ~TPlain() override { --TGadget::live; }
  void SetParentComponent(TComponent* parent) override { parent_ = parent; }
  TComponent* GetParentComponent() const override { return parent_; }

 private:
  TComponent* parent_ = nullptr;  // not owned; TPlain is only ever placed in the root
};

const TClassInfo& TPlain::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TPlain>("TPlain", &TComponent::StaticClassInfo()).Build();
  return info;
}

// A component whose construction fails, like a window that cannot be created.
class TExploding : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  explicit TExploding(TComponent* owner) : TComponent(owner) {
    throw EOutOfResources("Cannot create window");
  }
};

const TClassInfo& TExploding::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TExploding>("TExploding", &TComponent::StaticClassInfo()).Build();
  return info;
}

class TGadgetForm : public TGadget {
  DECLARE_CLASS_INFO()
 public:
  using TGadget::TGadget;
  TGadget* G1 = nullptr;
  TGadget* G2 = nullptr;
  int clicks = 0;
  AnsiString keys;
  void GadgetClick(TObject*) { ++clicks; }
  void GadgetKey(TObject*, wchar_t& key) { keys += static_cast<char>(key); }
};

const TClassInfo& TGadgetForm::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TGadgetForm>("TGadgetForm", &TGadget::StaticClassInfo())
          .PublishInherited()
          .Field("G1", &TGadgetForm::G1)
          .Field("G2", &TGadgetForm::G2)
          .Method("GadgetClick", &TGadgetForm::GadgetClick)
          .Method("GadgetKey", &TGadgetForm::GadgetKey)
          .Build();
  return info;
}

void RegisterGadgets() {
  TPlain::StaticClassInfo();
  TExploding::StaticClassInfo();
  TGadgetForm::StaticClassInfo();
}

AnsiString Lines(std::initializer_list<const char*> lines) {
  AnsiString text;
  for (const char* line : lines) text += AnsiString(line) + "\n";
  return text;
}

// Reads, writes, reads the written text into a fresh root and writes again: both texts must
// be the same.
AnsiString RoundTrip(TGadgetForm& form, const AnsiString& text) {
  RegisterGadgets();
  ReadComponentText(form, text);
  const AnsiString written = WriteComponentText(form);
  TGadgetForm again(nullptr);
  ReadComponentText(again, written);
  EXPECT_EQ(WriteComponentText(again), written);
  return written;
}

TEST(FormTextRoundTrip, NestedSubObjectsAndTheirSets) {
  TGadgetForm form(nullptr);
  const AnsiString written = RoundTrip(form, Lines({
                                                 "object Root: TGadgetForm",
                                                 "  Font.Style = [fsItalic, fsBold]",
                                                 "  Frame.Pen.Style = [psInside,psDash]",
                                                 "  Frame.Pen.Width = 3",
                                                 "  Options = [goFour]",
                                                 "  object G1: TGadget",
                                                 "    Font.Style = []",
                                                 "    Frame.Pen.Style = [psDot]",
                                                 "  end",
                                                 "end",
                                             }));
  EXPECT_EQ(form.Font.Style, 3);
  EXPECT_EQ(form.Frame.Pen.Style, 5);
  EXPECT_EQ(form.Frame.Pen.Width, 3);
  EXPECT_EQ(form.Options, 8);
  ASSERT_NE(form.G1, nullptr);
  EXPECT_EQ(form.G1->Frame.Pen.Style, 2);
  // Sets are written in member order; empty sets equal the default and are left out.
  EXPECT_EQ(written, Lines({
                         "object Root: TGadgetForm",
                         "  Options = [goFour]",
                         "  Font.Style = [fsBold, fsItalic]",
                         "  Frame.Pen.Width = 3",
                         "  Frame.Pen.Style = [psDash, psInside]",
                         "  object G1: TGadget",
                         "    Frame.Pen.Style = [psDot]",
                         "  end",
                         "end",
                     }));
}

TEST(FormTextRoundTrip, EveryCharacterSurvivesInAString) {
  // The code page's 256, the C1 controls it puts elsewhere, Greek, Chinese and an emoji.
  std::vector<char32_t> characters;
  for (char32_t code = 0; code < 0x400; ++code) characters.push_back(code);
  for (char32_t code : {0x20AC, 0x4E2D, 0x1F600, 0xFFFD}) characters.push_back(code);
  AnsiString all;
  for (char32_t code : characters) AppendUtf8(all, code);
  TGadgetForm form(nullptr);
  form.SetName("Root");
  form.SetCaption(all);
  const AnsiString written = WriteComponentText(form);
  TGadgetForm again(nullptr);
  ReadComponentText(again, written);
  EXPECT_EQ(again.Caption, all);
  // Only printable ASCII goes between quotes: the text stays 7-bit, one line per property.
  for (const char c : written) {
    const auto byte = static_cast<unsigned char>(c);
    EXPECT_TRUE(c == '\n' || (byte >= 32 && byte < 127)) << "raw byte " << int(byte);
  }
  // Some alone, too: a quote, a control character, a C1 control, the euro, an emoji.
  for (char32_t code :
       {char32_t{'\''}, char32_t{0}, char32_t{0x80}, char32_t{0x20AC}, char32_t{0x1F600}}) {
    TGadgetForm single(nullptr);
    single.SetName("Root");
    AnsiString text;
    AppendUtf8(text, code);
    single.SetCaption(text);
    TGadgetForm back(nullptr);
    ReadComponentText(back, WriteComponentText(single));
    EXPECT_EQ(back.Caption, single.Caption) << "character " << static_cast<unsigned>(code);
  }
}

struct StringCase {
  const char* Literal;
  AnsiString Value;
};

TEST(FormTextRoundTrip, StringLiteralForms) {
  const StringCase cases[] = {
      {"''", ""},
      {"''''", "'"},
      {"'It''s'", "It's"},
      {"#0", AnsiString(1, '\0')},
      {"#65#066'c'#067", "ABcC"},
      {"'a'#13#10'b'", "a\r\nb"},
      {"'Men'#252' anzeigen'", "Menü anzeigen"},
      {"'Men\xFC'", "Menü"},           // bytes between quotes are code page 1252
      {"#128#255", "€ÿ"},              // so are codes up to 255
      {"#0937#937#0128", "ΩΩ\u0080"},  // others are Unicode
      {"'one' +\n    'two'", "onetwo"},
      {"'one'+'two'", "onetwo"},
      {"'a' +\n\n  #66 +\n  'c'", "aBc"},
  };
  for (const StringCase& c : cases) {
    SCOPED_TRACE(c.Literal);
    TGadgetForm form(nullptr);
    ReadComponentText(form, AnsiString("object Root: TGadgetForm\n  Caption = ") + c.Literal +
                                "\n  Tag = 1\nend\n");
    EXPECT_EQ(form.Caption, c.Value);
    EXPECT_EQ(form.Tag, 1);
  }
}

TEST(FormTextRoundTrip, StringListsWithEmptyAndContinuedItems) {
  TGadgetForm form(nullptr);
  const AnsiString written = RoundTrip(form, Lines({
                                                 "object Root: TGadgetForm",
                                                 "  Lines.Strings = (",
                                                 "    ''",
                                                 "    'it''s'",
                                                 "    'long ' +",
                                                 "      'line'",
                                                 "    #9'tab' '2nd')",
                                                 "  object G1: TGadget",
                                                 "    Lines.Strings = ()",
                                                 "  end",
                                                 "end",
                                             }));
  EXPECT_EQ(form.Lines.Items(), (std::vector<AnsiString>{"", "it's", "long line", "\ttab", "2nd"}));
  ASSERT_NE(form.G1, nullptr);
  EXPECT_EQ(form.G1->Lines.Count(), 0);
  EXPECT_NE(written.find("    #9'tab'\n"), AnsiString::npos);
}

TEST(FormTextRoundTrip, BinaryDataOverManyLines) {
  TBytes data(300);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);
  TGadgetForm form(nullptr);
  form.SetName("Root");
  form.Data = data;
  const AnsiString written = WriteComponentText(form);
  TGadgetForm again(nullptr);
  ReadComponentText(again, written);
  EXPECT_EQ(again.Data, data);
  EXPECT_EQ(WriteComponentText(again), written);

  // Lower case, blank lines, CR LF and splits between the two digits of a byte are all fine.
  TGadgetForm loose(nullptr);
  ReadComponentText(loose,
                    "object Root: TGadgetForm\r\n  Data = {\r\n    0a F\r\n\r\n"
                    "    f 10}\r\n  Tag = 4\r\nend\r\n");
  EXPECT_EQ(loose.Data, (TBytes{0x0A, 0xFF, 0x10}));
  EXPECT_EQ(loose.Tag, 4);
}

struct NumberCase {
  const char* Literal;
  int Value;
};

TEST(FormTextRoundTrip, IntegersNegativeAndHex) {
  const NumberCase cases[] = {
      {"0", 0},
      {"-5", -5},
      {"$FF", 255},
      {"$ff", 255},
      {"-$10", -16},
      {"$7FFFFFFF", INT32_MAX},
      {"$FFFFFFFF", -1},
      {"-2147483648", INT32_MIN},
      {"4294967295", -1},
      {"clRed", 0xFF},
      {"clBtnFace", -2147483633},
  };
  for (const NumberCase& c : cases) {
    SCOPED_TRACE(c.Literal);
    TGadgetForm form(nullptr);
    RoundTrip(form, AnsiString("object Root: TGadgetForm\n  Color = ") + c.Literal + "\nend\n");
    EXPECT_EQ(form.Color, c.Value);
  }
  // Colour values with a name are written by name.
  TGadgetForm form(nullptr);
  form.SetName("Root");
  form.Color = -2147483633;
  EXPECT_NE(WriteComponentText(form).find("Color = clBtnFace\n"), AnsiString::npos);
  form.Color = 0x123456;
  EXPECT_NE(WriteComponentText(form).find("Color = 1193046\n"), AnsiString::npos);
}

TEST(FormTextRoundTrip, FloatsKeepEveryBit) {
  const double values[] = {
      0.1,  1.0 / 3, -0.25, 1e-300, 5e-324, std::numeric_limits<double>::max(), -123456789.125,
      1e21, 42};
  for (const double value : values) {
    SCOPED_TRACE(value);
    TGadgetForm form(nullptr);
    form.SetName("Root");
    form.Ratio = value;
    const AnsiString written = WriteComponentText(form);
    TGadgetForm again(nullptr);
    ReadComponentText(again, written);
    EXPECT_EQ(again.Ratio, value);
  }
  const std::pair<const char*, double> literals[] = {
      {"1.5", 1.5}, {"-0.25", -0.25}, {"1e3", 1000}, {"2.5E-3", 0.0025}, {"7", 7}, {"-7", -7},
  };
  for (const auto& [literal, value] : literals) {
    SCOPED_TRACE(literal);
    TGadgetForm form(nullptr);
    ReadComponentText(form,
                      AnsiString("object Root: TGadgetForm\n  Ratio = ") + literal + "\nend\n");
    EXPECT_EQ(form.Ratio, value);
  }
}

TEST(FormTextRoundTrip, ReferencesDeclaredAfterUseAndFromSubObjects) {
  TGadgetForm form(nullptr);
  const AnsiString written = RoundTrip(form, Lines({
                                                 "object Root: TGadgetForm",
                                                 "  Link = G2",
                                                 "  Frame.Target = Plain1",
                                                 "  object G1: TGadget",
                                                 "    Link = ROOT",
                                                 "    object G2: TGadget",
                                                 "      Link = g1",
                                                 "      OnClick = GadgetClick",
                                                 "      OnKey = GadgetKey",
                                                 "    end",
                                                 "  end",
                                                 "  object Plain1: TPlain",
                                                 "  end",
                                                 "end",
                                             }));
  ASSERT_NE(form.G1, nullptr);
  ASSERT_NE(form.G2, nullptr);
  EXPECT_EQ(form.Link, form.G2);
  EXPECT_EQ(form.G1->Link, &form) << "the root's name ignores case like any other";
  EXPECT_EQ(form.G2->Link, form.G1) << "names are found regardless of case";
  EXPECT_EQ(form.Frame.Target, form.FindComponent("Plain1"));
  EXPECT_EQ(form.G2->GetParentComponent(), form.G1);
  // Handlers are bound to the root.
  form.G2->OnClick(form.G2);
  wchar_t key = L'k';
  form.G2->OnKey(form.G2, key);
  EXPECT_EQ(form.clicks, 1);
  EXPECT_EQ(form.keys, "k");
  EXPECT_NE(written.find("      Link = G1\n"), AnsiString::npos);
}

TEST(FormTextRoundTrip, ReferenceToAnUnnamedComponentIsNotWritten) {
  RegisterGadgets();
  TGadgetForm form(nullptr);
  form.SetName("Root");
  auto* unnamed = new TGadget(&form);
  form.Link = unnamed;
  const AnsiString written = WriteComponentText(form);
  EXPECT_EQ(written.find("Link"), AnsiString::npos) << "\"Link = \" with no name is unreadable";
  TGadgetForm again(nullptr);
  EXPECT_NO_THROW(ReadComponentText(again, written));
}

TEST(FormTextLoading, SettersRunWhileLoadingAndLoadedComesLastInTextOrder) {
  RegisterGadgets();
  g_events.clear();
  TGadgetForm form(nullptr);
  ReadComponentText(form, Lines({
                              "object Root: TGadgetForm",
                              "  Tag = 1",
                              "  object G1: TGadget",
                              "    Link = G2",
                              "    Tag = 2",
                              "  end",
                              "  object G2: TGadget",
                              "    Tag = 3",
                              "  end",
                              "end",
                          }));
  // References are set after every plain property; Loaded follows the whole text, the root
  // first, then the components in the order the text creates them.
  EXPECT_EQ(g_events, (std::vector<AnsiString>{"Root.Tag loading=1", "G1.Tag loading=1",
                                               "G2.Tag loading=1", "G1.Link loading=1",
                                               "Root.Loaded", "G1.Loaded", "G2.Loaded"}));
  EXPECT_FALSE(form.IsLoading());
  ASSERT_NE(form.G1, nullptr);
  EXPECT_FALSE(form.G1->IsLoading());
  EXPECT_EQ(form.G1->ComponentState() & csReading, 0u);
}

struct FailingInput {
  const char* Name;
  AnsiString Text;
  AnsiString Message;
};

// Each text creates components before it fails. Afterwards the root owns nothing, its fields
// are cleared, no component is left alive and the root is not stuck loading.
TEST(FormTextErrors, EachNamesTheLineAndLeavesNothingHalfBuilt) {
  const AnsiString head = Lines({"object Root: TGadgetForm", "  object G1: TGadget",
                                 "    object Inner: TGadget", "    end", "  end"});
  // After the five lines of head, the failing line is line 6 or 7.
  const FailingInput cases[] = {
      {"unknown class", head + "  object X: TNope\n  end\nend\n", "Line 6: Class TNope not found"},
      {"class a form cannot create", head + "  object X: TPersistent\n  end\nend\n",
       "Line 6: Class TPersistent not found"},
      {"duplicate name", head + "  object g1: TGadget\n  end\nend\n",
       "Line 6: A component named g1 already exists"},
      {"bad component name", head + "  object G1.x: TGadget\n  end\nend\n",
       "Line 6: 'G1.x' is not a valid component name"},
      {"field of another class", head + "  object G2: TPlain\n  end\nend\n",
       "Line 6: G2 is not of the class that the form declares for it"},
      {"nested set member", head + "  Font.Style = [fsBold, fsStrike]\nend\n",
       "Line 6: Invalid set member fsStrike for property Font.Style"},
      {"set not closed", head + "  Font.Style = [fsBold\nend\n",
       "Line 7: Invalid set member end for property Font.Style"},
      {"sub-object of a plain value", head + "  Tag.Size = 1\nend\n",
       "Line 6: Property Tag has no properties of its own"},
      {"value for a sub-object", head + "  Font = 1\nend\n",
       "Line 6: Property Font takes nested properties, not a value"},
      {"unknown nested property", head + "  Frame.Pen.Colour = 1\nend\n",
       "Line 6: Property TPenish.Colour does not exist"},
      {"integer too large", head + "  Tag = 4294967296\nend\n",
       "Line 6: Number 4294967296 is out of range"},
      {"integer too small", head + "  Tag = -2147483649\nend\n",
       "Line 6: Number -2147483649 is out of range"},
      {"hex too large", head + "  Tag = $100000000\nend\n", "Line 6: Invalid number $100000000"},
      {"float too large", head + "  Ratio = 1e999\nend\n", "Line 6: Number 1e999 is out of range"},
      {"float malformed", head + "  Ratio = 1.2.3\nend\n", "Line 6: Invalid number 1.2.3"},
      {"float for an integer", head + "  Tag = 1.5\nend\n",
       "Line 6: Invalid value '1.5' for property Tag"},
      {"bool spelled wrong", head + "  Checked = true\nend\n",
       "Line 6: Invalid value 'true' for property Checked"},
      {"string for a list", head + "  Lines.Strings = 'a'\nend\n",
       "Line 6: Invalid value a string for property Lines.Strings"},
      {"list item not a string", head + "  Lines.Strings = ('a' 1)\nend\n",
       "Line 6: String expected but '1' found"},
      {"character code too large", head + "  Caption = #1114112\nend\n",
       "Line 6: Invalid character code after #"},
      {"character code of a surrogate", head + "  Caption = #55296\nend\n",
       "Line 6: Invalid character code after #"},
      {"plus without string", head + "  Caption = 'a' +\n  Tag = 1\nend\n",
       "Line 7: String expected after +"},
      {"continued string unterminated", head + "  Caption = 'a' +\n 'b\nend\n",
       "Line 7: Unterminated string"},
      {"hex unterminated", head + "  Data = {00\n  11\n",
       "Line 6: Unterminated binary data: '}' expected"},
      {"hex odd over lines", head + "  Data = {00\n  1}\nend\n",
       "Line 7: Binary data has an odd number of hex digits"},
      {"reference to nothing", head + "  Link = Nobody\nend\n",
       "Line 6: Component Nobody not found"},
      {"reference of the wrong class", head + "  Link = P\n  object P: TPlain\n  end\nend\n",
       "Line 6: 'P' is of the wrong class for Link"},
      {"handler of the wrong shape", head + "  OnKey = GadgetClick\nend\n",
       "Line 6: Method GadgetClick does not fit the event OnKey"},
      {"missing end", head + "  object G3: TGadget\n",
       "Line 7: 'end' of G3 expected but the text ended"},
      {"wrong root class", "object Root: TGadget\nend\n",
       "Line 1: The text describes a TGadget, not a TGadgetForm"},
      {"no object keyword", "\n\n\n\n\nobjekt Root: TGadgetForm\nend\n",
       "Line 6: 'object' expected but 'objekt' found"},
  };
  RegisterGadgets();
  for (const FailingInput& c : cases) {
    SCOPED_TRACE(c.Name);
    TGadgetForm form(nullptr);
    const int live_before = TGadget::live;
    g_events.clear();
    try {
      ReadComponentText(form, c.Text);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message, c.Message);
    }
    EXPECT_EQ(std::count(g_events.begin(), g_events.end(), "Root.Loaded"), 0)
        << "the root finished loading on a half-read text";
    EXPECT_EQ(TGadget::live, live_before);
    EXPECT_EQ(form.ComponentCount(), 0);
    EXPECT_EQ(form.G1, nullptr);
    EXPECT_EQ(form.G2, nullptr);
    EXPECT_EQ(form.Link, nullptr) << "a reference to a freed component would dangle";
    EXPECT_FALSE(form.IsLoading());
  }
}

TEST(FormTextErrors, SetterExceptionsGetTheLineAndKeepTheirClass) {
  RegisterGadgets();
  const AnsiString head = Lines({"object Root: TGadgetForm", "  object G1: TGadget", "  end"});
  const int live_before = TGadget::live;
  {
    TGadgetForm form(nullptr);
    try {
      ReadComponentText(form, head + "  Link = G1\n  Tag = -5000\nend\n");
      FAIL() << "no exception";
    } catch (const ERangeError& e) {
      EXPECT_EQ(e.Message, "Line 5: -5000 is below the smallest tag");
    }
    EXPECT_EQ(form.ComponentCount(), 0);
    EXPECT_EQ(form.Link, nullptr);
  }
  {
    TGadgetForm form(nullptr);
    try {
      ReadComponentText(form, head + "\n\n  Caption = 'boom'\nend\n");
      FAIL() << "no exception";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, "Line 6: A caption of boom is refused");
    }
  }
  {
    // A setter's own text that happens to begin with "Line" still gets the line in front.
    TGadgetForm form(nullptr);
    try {
      ReadComponentText(form, head + "  Caption = 'line'\nend\n");
      FAIL() << "no exception";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, "Line 4: Line 7 of the caption is missing");
    }
  }
  {
    TGadgetForm form(nullptr);
    try {
      ReadComponentText(form, head + "  object Bang: TExploding\n  end\nend\n");
      FAIL() << "no exception";
    } catch (const EOutOfResources& e) {
      EXPECT_EQ(e.Message, "Line 4: Cannot create window");
    }
    EXPECT_EQ(form.ComponentCount(), 0);
  }
  EXPECT_EQ(TGadget::live, live_before);
}

TEST(FormTextErrors, DeepNestingIsRefusedInsteadOfOverflowingTheStack) {
  RegisterGadgets();
  auto nested = [](int depth) {
    AnsiString text = "object Root: TGadgetForm\n";
    for (int i = 0; i < depth; ++i) text += "object N" + std::to_string(i) + ": TGadget\n";
    for (int i = 0; i <= depth; ++i) text += "end\n";
    return text;
  };
  {
    TGadgetForm form(nullptr);
    EXPECT_NO_THROW(ReadComponentText(form, nested(100)));
    EXPECT_EQ(form.ComponentCount(), 100);
    // What was read can be written and read again.
    TGadgetForm again(nullptr);
    EXPECT_NO_THROW(ReadComponentText(again, WriteComponentText(form)));
  }
  TGadgetForm form(nullptr);
  const int live_before = TGadget::live;
  try {
    ReadComponentText(form, nested(5000));
    FAIL() << "no exception";
  } catch (const EParserError& e) {
    EXPECT_EQ(e.Message, "Line 102: Components are nested more than 100 deep");
  }
  EXPECT_EQ(TGadget::live, live_before);
}

}  // namespace
