#include "framework/core/Propedit.h"

#include <cerrno>
#include <cstdlib>

namespace {

// Deeper than any real object nests its sub-objects; a sub-object that holds its owner again
// must not take the listing round in circles.
constexpr int kMaxDepth = 4;

void ListInto(std::vector<TPropertyRow>& rows, TPersistent& object, const AnsiString& prefix,
              int depth) {
  for (const auto& prop : object.ClassInfo().Published) {
    if (prop->Kind == TPropKind::Event) continue;
    if (prop->Kind == TPropKind::Object) {
      TPersistent* sub = prop->GetObject(object);
      if (sub && depth < kMaxDepth) ListInto(rows, *sub, prefix + prop->Name + ".", depth + 1);
      continue;
    }
    rows.push_back({prefix + prop->Name, &object, prop.get()});
  }
}

AnsiString JoinNames(const std::vector<AnsiString>& names) {
  AnsiString text;
  for (const AnsiString& name : names) {
    if (!text.empty()) text += ", ";
    text += name;
  }
  return text;
}

// A whole number in decimal or in hex after '$', as form descriptions write them; nothing when
// the text is none or lies outside 64 bits.
std::optional<int64_t> ParseWholeNumber(const AnsiString& text) {
  if (text.empty()) return std::nullopt;
  const bool negative = text[0] == '-';
  AnsiString digits = text.substr(negative ? 1 : 0);
  int base = 10;
  if (!digits.empty() && digits[0] == '$') {
    base = 16;
    digits.erase(0, 1);
  }
  if (digits.empty() || digits.find_first_of("+- ") != AnsiString::npos) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const unsigned long long magnitude = std::strtoull(digits.c_str(), &end, base);
  if (*end || errno == ERANGE) return std::nullopt;
  if (negative) {
    if (magnitude > uint64_t{INT64_MAX} + 1) return std::nullopt;
    return static_cast<int64_t>(0 - magnitude);
  }
  if (magnitude > uint64_t{INT64_MAX}) return std::nullopt;
  return static_cast<int64_t>(magnitude);
}

[[noreturn]] void Refuse(const TPropertyRow& row, const AnsiString& text) {
  const AnsiString accepted = AcceptedText(*row.Prop);
  if (accepted.empty()) {
    throw EConvertError(Format("%s cannot be typed in", row.Path.c_str()));
  }
  throw EConvertError(
      Format("%s takes %s, not '%s'", row.Path.c_str(), accepted.c_str(), text.c_str()));
}

// Reads typed text as a value of the property. Names of enumerations, sets, colours and the
// truth values are taken in any case. A component is named among `root`'s components; an empty
// name sets none. Raises EConvertError "Progress takes a whole number from -2147483648 to
// 2147483647, not 'abc'".
TValue ParseValueText(const TPropertyRow& row, const AnsiString& typed, TComponent* root) {
  const TPropInfo& prop = *row.Prop;
  const AnsiString text = prop.Kind == TPropKind::String ? typed : Trim(typed);
  TValue value;
  switch (prop.Kind) {
    case TPropKind::Integer: {
      if (const std::optional<int64_t> named =
              prop.Idents ? prop.Idents->ValueOfText(text) : std::nullopt) {
        value.Int = *named;
        return value;
      }
      const std::optional<int64_t> number = ParseWholeNumber(text);
      if (!number || *number < prop.MinValue || *number > prop.MaxValue) Refuse(row, text);
      value.Int = *number;
      return value;
    }
    case TPropKind::Float: {
      char* end = nullptr;
      errno = 0;
      value.Float = std::strtod(text.c_str(), &end);
      // An infinity or a not-a-number could not be written back into a form.
      if (text.empty() || *end || errno == ERANGE || value.Float != value.Float) {
        Refuse(row, text);
      }
      return value;
    }
    case TPropKind::Bool:
      if (!SameText(text, "True") && !SameText(text, "False")) Refuse(row, text);
      value.Int = SameText(text, "True");
      return value;
    case TPropKind::Enum:
      value.Int = prop.Enum->FindText(text);
      if (value.Int < 0) Refuse(row, text);
      return value;
    case TPropKind::Set: {
      if (text.size() < 2 || text.front() != '[' || text.back() != ']') Refuse(row, text);
      AnsiString rest = text.substr(1, text.size() - 2);
      while (!Trim(rest).empty()) {
        const size_t comma = rest.find(',');
        const AnsiString member = Trim(rest.substr(0, comma));
        rest = comma == AnsiString::npos ? AnsiString() : rest.substr(comma + 1);
        const int bit = prop.Enum->FindText(member);
        if (bit < 0) Refuse(row, text);
        value.Int |= int64_t{1} << bit;
      }
      return value;
    }
    case TPropKind::String:
      value.Str = text;
      return value;
    case TPropKind::Component: {
      if (text.empty()) return value;
      TComponent* target = root ? root->FindComponent(text) : nullptr;
      if (!target) Refuse(row, text);
      value.Component = target;
      value.Str = target->Name();
      return value;
    }
    case TPropKind::Object:
    case TPropKind::Binary:
    case TPropKind::List:
    case TPropKind::Event:
      break;
  }
  Refuse(row, text);
}

}  // namespace

std::vector<TPropertyRow> ListProperties(TPersistent& object) {
  std::vector<TPropertyRow> rows;
  ListInto(rows, object, AnsiString(), 0);
  return rows;
}

AnsiString ValueText(const TPropInfo& prop, const TValue& value) {
  switch (prop.Kind) {
    case TPropKind::Integer:
    case TPropKind::Bool:
    case TPropKind::Enum:
    case TPropKind::Set:
      return OrdinalText(prop, value);
    case TPropKind::Float:
      return Format("%.15g", value.Float);
    case TPropKind::String:
    case TPropKind::Component:
    case TPropKind::Event:
      return value.Str;
    case TPropKind::List:
      return JoinNames(value.List);
    case TPropKind::Binary:
      return Format("(%u bytes)", static_cast<unsigned>(value.Bytes.size()));
    case TPropKind::Object:
      break;
  }
  return AnsiString();
}

AnsiString AcceptedText(const TPropInfo& prop) {
  switch (prop.Kind) {
    case TPropKind::Integer: {
      AnsiString text =
          Format("a whole number from %lld to %lld", static_cast<long long>(prop.MinValue),
                 static_cast<long long>(prop.MaxValue));
      if (prop.Idents && !prop.Idents->Entries.empty()) {
        const auto& entries = prop.Idents->Entries;
        text += " or a name such as " + entries.front().first;
        if (entries.size() > 1) text += " or " + entries[1].first;
      }
      return text;
    }
    case TPropKind::Float:
      return "a number";
    case TPropKind::Bool:
      return "True or False";
    case TPropKind::Enum:
      return "one of " + JoinNames(prop.Enum->Names);
    case TPropKind::Set:
      return "a set in brackets of " + JoinNames(prop.Enum->Names);
    case TPropKind::String:
      return "any text";
    case TPropKind::Component: {
      AnsiString type = prop.TypeName;
      if (!type.empty() && type.back() == '*') type.pop_back();
      return "the name of a " + type + " of the form, or nothing";
    }
    case TPropKind::Object:
    case TPropKind::Binary:
    case TPropKind::List:
    case TPropKind::Event:
      break;
  }
  return AnsiString();
}

void SetPropertyText(const TPropertyRow& row, const AnsiString& text, TComponent* root) {
  const TValue value = ParseValueText(row, text, root);
  const TValue old = row.Prop->Get(*row.Instance);
  try {
    row.Prop->Set(*row.Instance, value);
  } catch (Exception& e) {
    // A setter that refused half way must not leave half a value behind.
    try {
      if (!(row.Prop->Get(*row.Instance) == old)) row.Prop->Set(*row.Instance, old);
    } catch (...) {
    }
    e.Message = row.Path + ": " + e.Message;
    throw;
  }
}
