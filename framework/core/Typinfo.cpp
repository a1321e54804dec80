#include "framework/core/Typinfo.h"

int TEnumInfo::Find(const AnsiString& name) const {
  for (size_t i = 0; i < Names.size(); ++i) {
    if (Names[i] == name) return static_cast<int>(i);
  }
  return -1;
}

int TEnumInfo::FindText(const AnsiString& name) const {
  for (size_t i = 0; i < Names.size(); ++i) {
    if (SameText(Names[i], name)) return static_cast<int>(i);
  }
  return -1;
}

const AnsiString* TIdentMap::NameOf(int64_t value) const {
  for (const auto& [name, v] : Entries) {
    if (v == value) return &name;
  }
  return nullptr;
}

std::optional<int64_t> TIdentMap::ValueOf(const AnsiString& name) const {
  for (const auto& [n, value] : Entries) {
    if (n == name) return value;
  }
  return std::nullopt;
}

std::optional<int64_t> TIdentMap::ValueOfText(const AnsiString& name) const {
  for (const auto& [n, value] : Entries) {
    if (SameText(n, name)) return value;
  }
  return std::nullopt;
}

AnsiString OrdinalText(const TPropInfo& prop, const TValue& value) {
  switch (prop.Kind) {
    case TPropKind::Bool:
      return value.Int ? "True" : "False";
    case TPropKind::Enum:
      if (value.Int >= 0 && value.Int < static_cast<int64_t>(prop.Enum->Names.size())) {
        return prop.Enum->Names[static_cast<size_t>(value.Int)];
      }
      break;
    case TPropKind::Set: {
      AnsiString text = "[";
      for (size_t bit = 0; bit < prop.Enum->Names.size(); ++bit) {
        if (value.Int & (int64_t{1} << bit)) {
          if (text.size() > 1) text += ", ";
          text += prop.Enum->Names[bit];
        }
      }
      return text + "]";
    }
    default:
      if (const AnsiString* ident = prop.Idents ? prop.Idents->NameOf(value.Int) : nullptr) {
        return *ident;
      }
      break;
  }
  return IntToStr(value.Int);
}

bool TValue::operator==(const TValue& other) const {
  return Int == other.Int && Float == other.Float && Str == other.Str && List == other.List &&
         Bytes == other.Bytes && Component == other.Component;
}

AnsiString typinfo_detail::HandlerSignature(const AnsiString& event, const char* parameters,
                                            size_t arity) {
  AnsiString named = parameters ? parameters : "";
  if (named.empty() && arity == 1) named = "TObject* Sender";
  // The parameters' types hold no commas of their own: one comma fewer than parameters.
  if (named.empty() ||
      static_cast<size_t>(std::count(named.begin(), named.end(), ',')) + 1 != arity) {
    throw Exception(Format("The handler of %s takes %d parameters; name them where it is published",
                           event.c_str(), static_cast<int>(arity)));
  }
  return "void(" + named + ")";
}

bool TPropInfo::IsStored(const TPersistent& instance) const {
  if (Stored && !Stored(instance)) return false;
  if (Kind == TPropKind::Object) return true;
  if (Default && Get(instance) == *Default) return false;
  if (Kind == TPropKind::Event && Get(instance).Str.empty()) return false;
  // A reference is stored by name; one to an unnamed component could not be read back.
  if (Kind == TPropKind::Component && Get(instance).Str.empty()) return false;
  return true;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
  for (const TClassInfo* info = this; info; info = info->Parent) {
    if (info == &other) return true;
  }
  return false;
}

const TPropInfo* TClassInfo::FindPublished(const AnsiString& name) const {
  for (const auto& prop : Published) {
    if (prop->Name == name) return prop.get();
  }
  return nullptr;
}

const TPropInfo* TClassInfo::FindAvailable(const AnsiString& name) const {
  for (const auto& prop : Available) {
    if (prop->Name == name) return prop.get();
  }
  return nullptr;
}

bool TClassInfo::SetField(TComponent& root, const AnsiString& name, TComponent* child) const {
  for (const TClassInfo* info = this; info; info = info->Parent) {
    auto it = info->Fields.find(name);
    if (it != info->Fields.end()) return it->second(root, child);
  }
  return true;  // a component without a field is fine
}

const std::function<std::any(TComponent& root)>* TClassInfo::FindMethod(
    const AnsiString& name) const {
  for (const TClassInfo* info = this; info; info = info->Parent) {
    auto it = info->Methods.find(name);
    if (it != info->Methods.end()) return &it->second;
  }
  return nullptr;
}

namespace {

std::map<AnsiString, const TClassInfo*>& Registry() {
  static std::map<AnsiString, const TClassInfo*> registry;
  return registry;
}

}  // namespace

void RegisterComponentClass(const TClassInfo& info) {
  Registry()[info.Name] = &info;
}

const TClassInfo* FindClassInfo(const AnsiString& name) {
  auto it = Registry().find(name);
  return it == Registry().end() ? nullptr : it->second;
}
