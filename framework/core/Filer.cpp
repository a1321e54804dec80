#include "framework/core/Filer.h"

#include <cmath>
#include <cstdlib>

#include "framework/core/Typinfo.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Tokens

enum class TokenKind { Ident, Integer, Float, String, Symbol, HexBlock, End };

struct Token {
  TokenKind Kind = TokenKind::End;
  AnsiString Text;  // identifier, symbol, decoded string or hex digits
  int64_t Int = 0;
  double Float = 0;
  int Line = 1;
};

// Form texts are 8-bit and their syntax is ASCII; these stay inline in the hot loops, where the
// C library's classifiers cost a call each (a form's artwork is tens of thousands of digits).
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

[[noreturn]] void Fail(int line, const AnsiString& message) {
  throw EParserError(Format("Line %d: %s", line, message.c_str()));
}

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) { Advance(); }

  const Token& Peek() const { return current_; }
  Token Take() {
    Token token = current_;
    Advance();
    return token;
  }
  int Line() const { return current_.Line; }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++pos_;
      } else {
        break;
      }
    }
  }

  static bool IdentStart(char c) { return IsLetter(c) || c == '_'; }
  static bool IdentPart(char c) { return IdentStart(c) || IsDigit(c) || c == '.'; }

  void Advance() {
    SkipBlanks();
    current_ = Token{};
    current_.Line = line_;
    if (pos_ >= text_.size()) return;
    const char c = text_[pos_];
    if (IdentStart(c)) {
      const size_t start = pos_;
      while (pos_ < text_.size() && IdentPart(text_[pos_])) ++pos_;
      current_.Kind = TokenKind::Ident;
      current_.Text = AnsiString(text_.substr(start, pos_ - start));
    } else if (IsDigit(c) || c == '-' || c == '$') {
      ReadNumber();
    } else if (c == '\'' || c == '#') {
      ReadString();
    } else if (c == '{') {
      ReadHex();
    } else {
      current_.Kind = TokenKind::Symbol;
      current_.Text = AnsiString(1, c);
      ++pos_;
    }
  }

  void ReadNumber() {
    const size_t start = pos_;
    if (text_[pos_] == '-') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '$') {
      ++pos_;
      while (pos_ < text_.size() && IsHexDigit(text_[pos_])) ++pos_;
    } else {
      while (pos_ < text_.size() && (IsDigit(text_[pos_]) || text_[pos_] == '.' ||
                                     text_[pos_] == 'e' || text_[pos_] == 'E' ||
                                     ((text_[pos_] == '-' || text_[pos_] == '+') &&
                                      (text_[pos_ - 1] == 'e' || text_[pos_ - 1] == 'E')))) {
        ++pos_;
      }
    }
    const AnsiString number(text_.substr(start, pos_ - start));
    current_.Text = number;
    if (number.find('.') != AnsiString::npos || number.find('e') != AnsiString::npos ||
        number.find('E') != AnsiString::npos) {
      char* end = nullptr;
      current_.Float = std::strtod(number.c_str(), &end);
      if (!end || *end) Fail(line_, Format("Invalid number %s", number.c_str()));
      // An infinity could not be written back.
      if (!std::isfinite(current_.Float)) {
        Fail(line_, Format("Number %s is out of range", number.c_str()));
      }
      current_.Kind = TokenKind::Float;
      return;
    }
    int value = 0;
    const bool negative = !number.empty() && number[0] == '-';
    int64_t parsed = 0;
    if (number.find('$') != AnsiString::npos) {
      if (!TryStrToInt(number, value)) Fail(line_, Format("Invalid number %s", number.c_str()));
      parsed = value;
    } else {
      char* end = nullptr;
      parsed = std::strtoll(number.c_str(), &end, 10);
      if (!end || *end || number == "-") {
        Fail(line_, Format("Invalid number %s", number.c_str()));
      }
      if (negative ? parsed < INT32_MIN : parsed > 0xFFFFFFFFLL) {
        Fail(line_, Format("Number %s is out of range", number.c_str()));
      }
    }
    current_.Kind = TokenKind::Integer;
    current_.Int = parsed;
    current_.Float = static_cast<double>(parsed);
  }

  // 'text' runs with '' for a quote, and #nnn for a character, joined without blanks; a '+' at
  // the end of a line continues the string on the next one. The text is 8-bit, code page 1252:
  // the bytes in quotes and the codes of up to three digits up to 255 are the page's; a code
  // above 255, or written with more digits, is a character of Unicode. The string comes out as
  // UTF-8.
  void ReadString() {
    AnsiString value;
    for (;;) {
      if (pos_ < text_.size() && text_[pos_] == '\'') {
        ++pos_;
        for (;;) {
          if (pos_ >= text_.size() || text_[pos_] == '\n') Fail(line_, "Unterminated string");
          if (text_[pos_] == '\'') {
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
              value += '\'';
              pos_ += 2;
              continue;
            }
            ++pos_;
            break;
          }
          AppendUtf8(value, Cp1252Character(static_cast<uint8_t>(text_[pos_++])));
        }
      } else if (pos_ < text_.size() && text_[pos_] == '#') {
        ++pos_;
        const size_t start = pos_;
        while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
        if (start == pos_ || pos_ - start > 7) Fail(line_, "Invalid character code after #");
        const long code = std::atol(AnsiString(text_.substr(start, pos_ - start)).c_str());
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
          Fail(line_, "Invalid character code after #");
        }
        AppendUtf8(value, code <= 255 && pos_ - start <= 3
                              ? Cp1252Character(static_cast<uint8_t>(code))
                              : static_cast<char32_t>(code));
      } else {
        // A '+' joins the next line's string.
        size_t look = pos_;
        while (look < text_.size() && (text_[look] == ' ' || text_[look] == '\t')) ++look;
        if (look < text_.size() && text_[look] == '+') {
          pos_ = look + 1;
          SkipBlanks();
          if (pos_ < text_.size() && (text_[pos_] == '\'' || text_[pos_] == '#')) continue;
          Fail(line_, "String expected after +");
        }
        break;
      }
    }
    current_.Kind = TokenKind::String;
    current_.Text = std::move(value);
  }

  void ReadHex() {
    ++pos_;  // '{'
    const int start_line = line_;
    AnsiString digits;
    for (;;) {
      if (pos_ >= text_.size()) Fail(start_line, "Unterminated binary data: '}' expected");
      const char c = text_[pos_++];
      if (c == '}') break;
      if (c == '\n') {
        ++line_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
      } else if (IsHexDigit(c)) {
        digits += c;
      } else {
        Fail(line_, Format("Invalid hex digit '%c' in binary data", c));
      }
    }
    if (digits.size() % 2) Fail(line_, "Binary data has an odd number of hex digits");
    current_.Kind = TokenKind::HexBlock;
    current_.Text = std::move(digits);
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
  Token current_;
};

// The digits are checked while reading, so each is 0-9, A-F or a-f. The artwork of a form is
// tens of thousands of digits, read on every start.
uint8_t HexValue(char c) {
  return static_cast<uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
}

TBytes DecodeHex(const AnsiString& digits) {
  TBytes bytes(digits.size() / 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<uint8_t>(HexValue(digits[i * 2]) << 4 | HexValue(digits[i * 2 + 1]));
  }
  return bytes;
}

// ---------------------------------------------------------------------------------------------
// Reader

constexpr int kMaxNesting = 100;

// "Line 12: ..." from a nested read; a setter's own text may well begin with the word "Line".
bool HasLinePrefix(const AnsiString& message) {
  if (message.rfind("Line ", 0) != 0) return false;
  size_t i = 5;
  while (i < message.size() && IsDigit(message[i])) ++i;
  return i > 5 && message.compare(i, 2, ": ") == 0;
}

struct Fixup {
  TPersistent* Instance;
  const TPropInfo* Prop;
  AnsiString Name;
  int Line;
};

class Reader {
 public:
  Reader(TComponent& root, std::string_view text) : root_(root), lexer_(text) {}

  void Read() {
    root_.BeginLoading();
    loaded_.push_back(&root_);
    try {
      ReadObject(nullptr);
      if (lexer_.Peek().Kind != TokenKind::End) {
        Fail(lexer_.Line(),
             Format("Unexpected text after the last end: %s", lexer_.Peek().Text.c_str()));
      }
      ResolveFixups();
    } catch (...) {
      Rollback();
      throw;
    }
    for (TComponent* component : loaded_) component->EndReading();
    for (TComponent* component : loaded_) component->Loaded();
  }

 private:
  Token Expect(TokenKind kind, const char* what) {
    if (lexer_.Peek().Kind != kind) {
      Fail(lexer_.Line(),
           Format("%s expected but %s found", what, Describe(lexer_.Peek()).c_str()));
    }
    return lexer_.Take();
  }
  void ExpectSymbol(const char* symbol) {
    if (lexer_.Peek().Kind != TokenKind::Symbol || lexer_.Peek().Text != symbol) {
      Fail(lexer_.Line(),
           Format("'%s' expected but %s found", symbol, Describe(lexer_.Peek()).c_str()));
    }
    lexer_.Take();
  }
  static AnsiString Describe(const Token& token) {
    switch (token.Kind) {
      case TokenKind::End:
        return "end of text";
      case TokenKind::String:
        return "a string";
      case TokenKind::HexBlock:
        return "binary data";
      default:
        return "'" + token.Text + "'";
    }
  }

  // `object Name: TClass` ... `end`. parent is null for the root.
  void ReadObject(TComponent* parent, int depth = 0) {
    const Token keyword = Expect(TokenKind::Ident, "'object'");
    if (keyword.Text != "object") {
      Fail(keyword.Line, Format("'object' expected but '%s' found", keyword.Text.c_str()));
    }
    const Token name = Expect(TokenKind::Ident, "Component name");
    ExpectSymbol(":");
    const Token class_name = Expect(TokenKind::Ident, "Class name");

    TComponent* component = nullptr;
    if (!parent) {
      if (class_name.Text != root_.ClassName()) {
        Fail(class_name.Line, Format("The text describes a %s, not a %s", class_name.Text.c_str(),
                                     root_.ClassName()));
      }
      component = &root_;
      Guard(name.Line, [&] { root_.SetName(name.Text); });
    } else {
      const TClassInfo* info = FindClassInfo(class_name.Text);
      if (!info || !info->Factory) {
        Fail(class_name.Line, Format("Class %s not found", class_name.Text.c_str()));
      }
      Guard(class_name.Line, [&] {
        component = info->Factory(&root_);
        created_.push_back(component);
        component->BeginLoading();
        component->SetName(name.Text);
      });
      loaded_.push_back(component);
      if (!root_.ClassInfo().SetField(root_, name.Text, component)) {
        Fail(name.Line,
             Format("%s is not of the class that the form declares for it", name.Text.c_str()));
      }
      Guard(name.Line, [&] { component->SetParentComponent(parent); });
    }

    for (;;) {
      const Token& next = lexer_.Peek();
      if (next.Kind == TokenKind::End) {
        Fail(next.Line, Format("'end' of %s expected but the text ended", name.Text.c_str()));
      }
      if (next.Kind != TokenKind::Ident) {
        Fail(next.Line, Format("Property name expected but %s found", Describe(next).c_str()));
      }
      if (next.Text == "end") {
        lexer_.Take();
        return;
      }
      if (next.Text == "object") {
        // Each level costs stack; no real form comes near this.
        if (depth >= kMaxNesting) {
          Fail(next.Line, Format("Components are nested more than %d deep", kMaxNesting));
        }
        ReadObject(component, depth + 1);
        continue;
      }
      ReadProperty(*component);
    }
  }

  void ReadProperty(TComponent& component) {
    const Token path = lexer_.Take();
    ExpectSymbol("=");
    // Walk "A.B.C": every part but the last is a sub-object.
    TPersistent* instance = &component;
    AnsiString rest = path.Text;
    const TPropInfo* prop = nullptr;
    for (;;) {
      const size_t dot = rest.find('.');
      const AnsiString part = rest.substr(0, dot);
      prop = instance->ClassInfo().FindPublished(part);
      if (!prop) {
        Fail(path.Line,
             Format("Property %s.%s does not exist", instance->ClassName(), part.c_str()));
      }
      if (dot == AnsiString::npos) break;
      if (prop->Kind != TPropKind::Object) {
        Fail(path.Line, Format("Property %s has no properties of its own", part.c_str()));
      }
      instance = prop->GetObject(*instance);
      if (!instance) Fail(path.Line, Format("Property %s is not set", part.c_str()));
      rest = rest.substr(dot + 1);
    }
    const int line = lexer_.Line();
    TValue value = ReadValue(*prop, path.Text);
    if (prop->Kind == TPropKind::Component) {
      fixups_.push_back({instance, prop, value.Str, line});
      return;
    }
    Guard(line, [&] { prop->Set(*instance, value); });
  }

  TValue ReadValue(const TPropInfo& prop, const AnsiString& name) {
    const Token token = lexer_.Take();
    const int line = token.Line;
    auto wrong = [&]() {
      Fail(line, Format("Invalid value %s for property %s", Describe(token).c_str(), name.c_str()));
    };
    TValue value;
    switch (prop.Kind) {
      case TPropKind::Integer:
        if (token.Kind == TokenKind::Integer) {
          value.Int = token.Int;
        } else if (token.Kind == TokenKind::Ident && prop.Idents &&
                   prop.Idents->ValueOf(token.Text)) {
          value.Int = *prop.Idents->ValueOf(token.Text);
        } else {
          wrong();
        }
        break;
      case TPropKind::Float:
        if (token.Kind != TokenKind::Integer && token.Kind != TokenKind::Float) wrong();
        value.Float = token.Float;
        break;
      case TPropKind::Bool:
        if (token.Kind != TokenKind::Ident || (token.Text != "True" && token.Text != "False")) {
          wrong();
        }
        value.Int = token.Text == "True";
        break;
      case TPropKind::Enum: {
        const int ordinal = token.Kind == TokenKind::Ident ? prop.Enum->Find(token.Text) : -1;
        if (ordinal < 0) wrong();
        value.Int = ordinal;
        break;
      }
      case TPropKind::Set:
        if (token.Kind != TokenKind::Symbol || token.Text != "[") wrong();
        while (!(lexer_.Peek().Kind == TokenKind::Symbol && lexer_.Peek().Text == "]")) {
          const Token member = Expect(TokenKind::Ident, "Set member");
          const int bit = prop.Enum->Find(member.Text);
          if (bit < 0) {
            Fail(member.Line, Format("Invalid set member %s for property %s", member.Text.c_str(),
                                     name.c_str()));
          }
          value.Int |= int64_t{1} << bit;
          if (lexer_.Peek().Kind == TokenKind::Symbol && lexer_.Peek().Text == ",") lexer_.Take();
        }
        lexer_.Take();
        break;
      case TPropKind::String:
        if (token.Kind != TokenKind::String) wrong();
        value.Str = token.Text;
        break;
      case TPropKind::List:
        if (token.Kind != TokenKind::Symbol || token.Text != "(") wrong();
        while (!(lexer_.Peek().Kind == TokenKind::Symbol && lexer_.Peek().Text == ")")) {
          value.List.push_back(Expect(TokenKind::String, "String").Text);
        }
        lexer_.Take();
        break;
      case TPropKind::Binary:
        if (token.Kind != TokenKind::HexBlock) wrong();
        value.Bytes = DecodeHex(token.Text);
        break;
      case TPropKind::Component:
        if (token.Kind != TokenKind::Ident) wrong();
        value.Str = token.Text;
        break;
      case TPropKind::Event: {
        if (token.Kind != TokenKind::Ident) wrong();
        const auto* method = root_.ClassInfo().FindMethod(token.Text);
        if (!method) {
          Fail(line, Format("Handler %s not found in %s", token.Text.c_str(), root_.ClassName()));
        }
        value.Str = token.Text;
        value.Method = (*method)(root_);
        break;
      }
      case TPropKind::Object:
        Fail(line, Format("Property %s takes nested properties, not a value", name.c_str()));
    }
    return value;
  }

  void ResolveFixups() {
    for (const Fixup& fixup : fixups_) {
      // Names ignore case, the root's as well as those of the components it owns.
      TComponent* target = AsciiUpperCase(fixup.Name) == AsciiUpperCase(root_.Name())
                               ? &root_
                               : root_.FindComponent(fixup.Name);
      if (!target) Fail(fixup.Line, Format("Component %s not found", fixup.Name.c_str()));
      TValue value;
      value.Component = target;
      value.Str = fixup.Name;
      Guard(fixup.Line, [&] { fixup.Prop->Set(*fixup.Instance, value); });
    }
  }

  // Runs a setter; its failure gets the line in front of its message and keeps its class.
  template <class F>
  void Guard(int line, F&& action) {
    try {
      action();
    } catch (Exception& e) {
      if (!HasLinePrefix(e.Message)) e.Message = Format("Line %d: %s", line, e.Message.c_str());
      throw;
    }
  }

  void Rollback() {
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
      root_.ClassInfo().SetField(root_, (*it)->Name(), nullptr);
      delete *it;
    }
    created_.clear();
    // Loaded would run the root's own finishing on a half-read root.
    root_.EndLoading();
  }

  TComponent& root_;
  Lexer lexer_;
  std::vector<TComponent*> created_;
  std::vector<TComponent*> loaded_;
  std::vector<Fixup> fixups_;
};

// ---------------------------------------------------------------------------------------------
// Writer

}  // namespace

AnsiString QuoteString(const AnsiString& text) {
  if (text.empty()) return "''";
  AnsiString out;
  bool quoted = false;
  for (size_t at = 0; at < text.size();) {
    const char32_t code = NextCharacter(text, at);
    if (code >= 32 && code < 127) {
      if (!quoted) {
        out += '\'';
        quoted = true;
      }
      out += static_cast<char>(code);
      if (code == '\'') out += '\'';
      continue;
    }
    if (quoted) {
      out += '\'';
      quoted = false;
    }
    // The page's characters by their byte; the others by their code, of four digits at least,
    // so that U+0080 to U+00FF, which the page puts elsewhere, read back as themselves.
    const int byte = Cp1252Byte(code);
    out += byte >= 0 ? '#' + std::to_string(byte) : Format("#%04u", static_cast<unsigned>(code));
  }
  if (quoted) out += '\'';
  return out;
}

namespace {

class Writer {
 public:
  explicit Writer(TComponent& root) : root_(root) {}

  AnsiString Write() {
    WriteObject(root_, 0);
    return out_;
  }

 private:
  void Line(int depth, const AnsiString& text) {
    out_.append(static_cast<size_t>(depth) * 2, ' ');
    out_ += text;
    out_ += '\n';
  }

  void WriteObject(TComponent& component, int depth) {
    Line(depth, "object " + component.Name() + ": " + component.ClassName());
    WriteProperties(component, "", depth + 1);
    component.GetChildren([&](TComponent* child) { WriteObject(*child, depth + 1); }, &root_);
    Line(depth, "end");
  }

  void WriteProperties(TPersistent& instance, const AnsiString& prefix, int depth) {
    for (const auto& prop : instance.ClassInfo().Published) {
      if (!prop->IsStored(instance)) continue;
      if (prop->Kind == TPropKind::Object) {
        if (TPersistent* sub = prop->GetObject(instance)) {
          WriteProperties(*sub, prefix + prop->Name + ".", depth);
        }
        continue;
      }
      WriteValue(*prop, prop->Get(instance), prefix + prop->Name, depth);
    }
  }

  void WriteValue(const TPropInfo& prop, const TValue& value, const AnsiString& name, int depth) {
    AnsiString text;
    switch (prop.Kind) {
      case TPropKind::Integer:
      case TPropKind::Bool:
      case TPropKind::Enum:
      case TPropKind::Set:
        text = OrdinalText(prop, value);
        break;
      case TPropKind::Float: {
        text = Format("%.17g", value.Float);
        if (text.find_first_of(".eEn") == AnsiString::npos) text += ".0";
        break;
      }
      case TPropKind::String:
        text = QuoteString(value.Str);
        break;
      case TPropKind::List:
        Line(depth, name + " = (");
        for (const AnsiString& item : value.List) Line(depth + 1, QuoteString(item));
        Line(depth + 1, ")");
        return;
      case TPropKind::Binary: {
        static const char kHex[] = "0123456789ABCDEF";
        Line(depth, name + " = {");
        AnsiString row;
        for (size_t i = 0; i < value.Bytes.size(); ++i) {
          row += kHex[value.Bytes[i] >> 4];
          row += kHex[value.Bytes[i] & 15];
          if (row.size() == 64) {
            Line(depth + 1, row);
            row.clear();
          }
        }
        if (!row.empty()) Line(depth + 1, row);
        Line(depth + 1, "}");
        return;
      }
      case TPropKind::Component:
      case TPropKind::Event:
        text = value.Str;
        break;
      case TPropKind::Object:
        return;
    }
    Line(depth, name + " = " + text);
  }

  TComponent& root_;
  AnsiString out_;
};

}  // namespace

void ReadComponentText(TComponent& root, std::string_view text) {
  Reader(root, text).Read();
}

AnsiString WriteComponentText(TComponent& root) {
  return Writer(root).Write();
}
