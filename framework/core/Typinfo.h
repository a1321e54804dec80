// Published properties: what a class declares so that form descriptions can set and store it.
//
// Each class builds one TClassInfo with TClassBuilder. Its published list is ordered: the
// order in which a form description stores and reads the properties. Inherited properties are
// published either all at once (PublishInherited) or one by one, by name, in the place a
// class wants them. Property accessors go through the same setters as code does.
#pragma once

#include <algorithm>
#include <any>
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

#include "framework/core/Classes.h"

enum class TPropKind {
  Integer,  // also TColor; written as a number or, for colours, a name
  Float,
  Bool,
  Enum,
  Set,
  String,
  Object,     // a sub-object whose own properties are stored as "Prop.Sub"
  Binary,     // bytes, written as hex
  List,       // a list of strings
  Component,  // a reference to another component of the form, by name
  Event,      // a handler, by method name
};

// Names of an enumeration's values, in ordinal order. Also used for the members of a set.
struct TEnumInfo {
  std::vector<AnsiString> Names;
  int Find(const AnsiString& name) const;      // -1 when unknown
  int FindText(const AnsiString& name) const;  // the same, without regard to case
};

// Optional names for integer values (colour names such as clBtnFace).
struct TIdentMap {
  std::vector<std::pair<AnsiString, int64_t>> Entries;
  // The integer type whose values these name ("TColor"): what a property with these names
  // is said to be of. Initialised so that a map without one needs no mention of it.
  AnsiString TypeName = AnsiString();
  const AnsiString* NameOf(int64_t value) const;
  std::optional<int64_t> ValueOf(const AnsiString& name) const;
  std::optional<int64_t> ValueOfText(const AnsiString& name) const;  // without regard to case
};

struct TValue {
  int64_t Int = 0;  // Integer, Bool, Enum ordinal, Set bits
  double Float = 0;
  AnsiString Str;  // String; Component and Event names
  std::vector<AnsiString> List;
  TBytes Bytes;
  TComponent* Component = nullptr;
  std::any Method;  // Event: a std::function of the event's shape, bound to the root
  bool operator==(const TValue& other) const;
};

class TPropInfo {
 public:
  AnsiString Name;
  TPropKind Kind = TPropKind::Integer;
  const TEnumInfo* Enum = nullptr;    // Enum and Set
  const TIdentMap* Idents = nullptr;  // optional names of Integer values
  std::function<TValue(const TPersistent&)> Get;
  std::function<void(TPersistent&, const TValue&)> Set;       // null for Object
  std::function<TPersistent*(const TPersistent&)> GetObject;  // Object only
  std::optional<TValue> Default;                              // not stored when equal
  std::function<bool(const TPersistent&)> Stored;             // not stored when false
  // When Stored holds, in words, for a reader of the class ("while ParentColor is False").
  AnsiString StoredWhen;

  // What a reader is told of the type: the C++ type that the accessors take ("int", "TColor",
  // "TCGaugeKind", "TPopupMenu*", "TFont*"); for an event, its handler's signature
  // ("void(TObject* Sender)").
  AnsiString TypeName;
  // Integer: the values that the type holds.
  int64_t MinValue = INT32_MIN;
  int64_t MaxValue = INT32_MAX;
  // Object: the class of the sub-object as the getter declares it.
  const TClassInfo& (*ObjectClass)() = nullptr;

  bool IsStored(const TPersistent& instance) const;
};

// An integer, truth, enumeration or set value as form descriptions write it: its name where it
// has one (clNavy, True, gkPie, [akLeft, akTop]), its number otherwise.
AnsiString OrdinalText(const TPropInfo& prop, const TValue& value);

using TComponentFactory = TComponent* (*)(TComponent* owner);

class TClassInfo {
 public:
  TClassInfo(AnsiString name, const TClassInfo* parent, TComponentFactory factory)
      : Name(std::move(name)), Parent(parent), Factory(factory) {}
  TClassInfo(const TClassInfo&) = delete;

  AnsiString Name;
  const TClassInfo* Parent;
  TComponentFactory Factory;  // null for a class that a form cannot create
  // Everything the class offers, published or not; a subclass may publish any of them.
  std::vector<std::shared_ptr<const TPropInfo>> Available;
  std::vector<std::shared_ptr<const TPropInfo>> Published;
  // Component fields of a form, set as the components are read, and its handler methods.
  std::map<AnsiString, std::function<bool(TComponent& root, TComponent* child)>> Fields;
  std::map<AnsiString, std::function<std::any(TComponent& root)>> Methods;

  bool InheritsFrom(const TClassInfo& other) const;
  const TPropInfo* FindPublished(const AnsiString& name) const;
  const TPropInfo* FindAvailable(const AnsiString& name) const;
  // Searches this class and its ancestors.
  bool SetField(TComponent& root, const AnsiString& name, TComponent* child) const;
  const std::function<std::any(TComponent& root)>* FindMethod(const AnsiString& name) const;
};

// The registry that a form description's class names are looked up in.
void RegisterComponentClass(const TClassInfo& info);
const TClassInfo* FindClassInfo(const AnsiString& name);

// ---------------------------------------------------------------------------------------------
// Building class information.

namespace typinfo_detail {

template <class T>
struct IsEvent : std::false_type {};
template <class... Args>
struct IsEvent<TEvent<Args...>> : std::true_type {
  using Function = std::function<void(Args...)>;
  static constexpr size_t Arity = sizeof...(Args);
};

// Reads a value through a const method or a data member.
template <class C, class G>
auto Read(const C& object, G getter) {
  if constexpr (std::is_member_function_pointer_v<G>) {
    return (object.*getter)();
  } else {
    return object.*getter;
  }
}

template <class C, class S, class V>
void Write(C& object, S setter, V value) {
  if constexpr (std::is_member_function_pointer_v<S>) {
    (object.*setter)(value);
  } else {
    object.*setter = value;
  }
}

template <class V>
TValue ToValue(const V& value) {
  TValue result;
  using D = std::decay_t<V>;
  if constexpr (std::is_same_v<D, bool>) {
    result.Int = value;
  } else if constexpr (std::is_enum_v<D> || std::is_integral_v<D>) {
    result.Int = static_cast<int64_t>(value);
  } else if constexpr (std::is_floating_point_v<D>) {
    result.Float = value;
  } else if constexpr (std::is_same_v<D, AnsiString>) {
    result.Str = value;
  } else if constexpr (std::is_same_v<D, TBytes>) {
    result.Bytes = value;
  } else if constexpr (std::is_same_v<D, std::vector<AnsiString>>) {
    result.List = value;
  } else if constexpr (std::is_pointer_v<D>) {
    result.Component = value;
    if (value) result.Str = value->Name();
  } else if constexpr (IsEvent<D>::value) {
    result.Str = value.MethodName();
  } else {
    static_assert(sizeof(D) == 0, "unsupported property type");
  }
  return result;
}

template <class V>
V FromValue(const TValue& value, const AnsiString& name) {
  using D = std::decay_t<V>;
  if constexpr (std::is_same_v<D, bool>) {
    return value.Int != 0;
  } else if constexpr (std::is_enum_v<D> || std::is_integral_v<D>) {
    return static_cast<D>(value.Int);
  } else if constexpr (std::is_floating_point_v<D>) {
    return static_cast<D>(value.Float);
  } else if constexpr (std::is_same_v<D, AnsiString>) {
    return value.Str;
  } else if constexpr (std::is_same_v<D, TBytes>) {
    return value.Bytes;
  } else if constexpr (std::is_same_v<D, std::vector<AnsiString>>) {
    return value.List;
  } else if constexpr (std::is_pointer_v<D>) {
    if (value.Component == nullptr) return nullptr;
    auto* typed = dynamic_cast<D>(value.Component);
    if (!typed)
      throw EConvertError(Format("'%s' is of the wrong class for %s",
                                 value.Component->Name().c_str(), name.c_str()));
    return typed;
  } else if constexpr (IsEvent<D>::value) {
    if (!value.Method.has_value()) return D();
    auto* function = std::any_cast<typename IsEvent<D>::Function>(&value.Method);
    if (!function) {
      throw EConvertError(
          Format("Method %s does not fit the event %s", value.Str.c_str(), name.c_str()));
    }
    D event(*function);
    event.Named(value.Str);
    return event;
  } else {
    static_assert(sizeof(D) == 0, "unsupported property type");
  }
}

template <class V>
constexpr TPropKind KindOf() {
  using D = std::decay_t<V>;
  if constexpr (std::is_same_v<D, bool>)
    return TPropKind::Bool;
  else if constexpr (std::is_enum_v<D>)
    return TPropKind::Enum;
  else if constexpr (std::is_integral_v<D>)
    return TPropKind::Integer;
  else if constexpr (std::is_floating_point_v<D>)
    return TPropKind::Float;
  else if constexpr (std::is_same_v<D, AnsiString>)
    return TPropKind::String;
  else if constexpr (std::is_same_v<D, TBytes>)
    return TPropKind::Binary;
  else if constexpr (std::is_same_v<D, std::vector<AnsiString>>)
    return TPropKind::List;
  else if constexpr (std::is_pointer_v<D>)
    return TPropKind::Component;
  else if constexpr (IsEvent<D>::value)
    return TPropKind::Event;
  else
    return TPropKind::Integer;
}

template <class G, class C>
using ReadType = std::decay_t<decltype(Read(std::declval<const C&>(), std::declval<G>()))>;

// The name of a class or an enumeration as the compiler spells it in a template's signature:
// "[with T = TCGaugeKind; ...]" (GCC) or "[T = TCGaugeKind]" (Clang).
template <class T>
AnsiString NameOfType() {
  const std::string_view signature = __PRETTY_FUNCTION__;
  const size_t start = signature.find("T = ") + 4;
  std::string_view name = signature.substr(start, signature.find_first_of(";]", start) - start);
  // A reader knows the type by its own name, not by the namespace it was declared in.
  if (const size_t scope = name.rfind("::"); scope != std::string_view::npos) {
    name.remove_prefix(scope + 2);
  }
  return AnsiString(name);
}

template <class V>
AnsiString TypeNameOf() {
  using D = std::decay_t<V>;
  if constexpr (std::is_same_v<D, bool>) {
    return "bool";
  } else if constexpr (std::is_same_v<D, char>) {
    return "char";
  } else if constexpr (std::is_integral_v<D>) {
    // The fixed-width names: short and long say less on a 32-bit target than int16_t does.
    if constexpr (std::is_same_v<D, int>) return "int";
    AnsiString name = std::is_signed_v<D> ? "int" : "uint";
    return name + std::to_string(sizeof(D) * 8) + "_t";
  } else if constexpr (std::is_floating_point_v<D>) {
    return std::is_same_v<D, float> ? "float" : "double";
  } else if constexpr (std::is_same_v<D, AnsiString>) {
    return "AnsiString";
  } else if constexpr (std::is_same_v<D, TBytes>) {
    return "TBytes";
  } else if constexpr (std::is_same_v<D, std::vector<AnsiString>>) {
    return "std::vector<AnsiString>";
  } else if constexpr (std::is_pointer_v<D>) {
    return NameOfType<std::remove_pointer_t<D>>() + "*";
  } else {
    return NameOfType<D>();
  }
}

// "void(TObject* Sender, int X)" from the parameters named where the event is published. Raises
// Exception when they are not named, or are not as many as the handler takes.
AnsiString HandlerSignature(const AnsiString& event, const char* parameters, size_t arity);

}  // namespace typinfo_detail

// Options of one property: its stored default and names for its values. An enumeration
// type E names its values through a function `const TEnumInfo& EnumInfoOf(E)` found by ADL.
struct TPropOptions {
  std::optional<TValue> Default;
  const TEnumInfo* Enum = nullptr;
  const TIdentMap* Idents = nullptr;
  bool IsSet = false;  // an integer bit set over Enum's names
  // The name of a type that the compiler knows only by what it stands for (a set's alias).
  const char* TypeName = nullptr;
  // Integer: narrower bounds than the type's, for a type that stands for a range.
  std::optional<std::pair<int64_t, int64_t>> Range;
  // Event: the handler's parameters with their types and names, "TObject* Sender, int X".
  // A notification (only the sender) needs none.
  const char* Handler = nullptr;
};

template <class V>
TPropOptions Default(V value) {
  TPropOptions options;
  options.Default = typinfo_detail::ToValue(value);
  return options;
}

// An integer bit set over the names of `members`, with its stored default; `type_name` is the
// set's alias ("TAnchors"), which the compiler knows only as the integer it stands for.
inline TPropOptions SetOf(const TEnumInfo& members, int64_t default_bits = 0,
                          const char* type_name = nullptr) {
  TPropOptions options;
  options.Enum = &members;
  options.IsSet = true;
  options.Default = TValue{};
  options.Default->Int = default_bits;
  options.TypeName = type_name;
  return options;
}

// The parameters of an event's handler: `.Declare("OnMouseUp", ..., Handler("TObject* Sender,
// TMouseButton Button, TShiftState Shift, int X, int Y"))`.
inline TPropOptions Handler(const char* parameters) {
  TPropOptions options;
  options.Handler = parameters;
  return options;
}

// A whole number of its own range, with its stored default: `TAdvColors` runs from 0 to 100.
template <class V>
TPropOptions RangeOf(V default_value, int64_t min, int64_t max, const char* type_name) {
  TPropOptions options = Default(default_value);
  options.Range = std::pair{min, max};
  options.TypeName = type_name;
  return options;
}

template <class C>
class TClassBuilder {
 public:
  TClassBuilder(const char* name, const TClassInfo* parent) {
    TComponentFactory factory = nullptr;
    if constexpr (std::is_base_of_v<TComponent, C> && std::is_constructible_v<C, TComponent*> &&
                  !std::is_abstract_v<C>) {
      factory = [](TComponent* owner) -> TComponent* { return new C(owner); };
    }
    info_ = std::make_unique<TClassInfo>(name, parent, factory);
    if (parent) info_->Available = parent->Available;
  }

  // Declares a property and publishes it here. `getter` is a const method or a data member,
  // `setter` a method or a data member.
  template <class G, class S>
  TClassBuilder& Property(const char* name, G getter, S setter, TPropOptions options = {}) {
    Publish(MakeProperty(name, getter, setter, std::move(options)));
    return *this;
  }
  // Declares a property that subclasses may publish; it is not published here.
  template <class G, class S>
  TClassBuilder& Declare(const char* name, G getter, S setter, TPropOptions options = {}) {
    MakeProperty(name, getter, setter, std::move(options));
    return *this;
  }
  // A sub-object property ("Font", "Items", "Picture"): its own properties are stored nested.
  // `stored_when` says in words when `stored` holds.
  template <class G>
  TClassBuilder& ObjectProperty(const char* name, G getter, bool publish = true,
                                std::function<bool(const C&)> stored = nullptr,
                                const char* stored_when = nullptr) {
    using V = typinfo_detail::ReadType<G, C>;
    auto prop = std::make_shared<TPropInfo>();
    prop->Name = name;
    prop->Kind = TPropKind::Object;
    prop->TypeName = typinfo_detail::TypeNameOf<V>();
    prop->ObjectClass = &std::remove_pointer_t<V>::StaticClassInfo;
    prop->GetObject = [getter](const TPersistent& object) -> TPersistent* {
      return typinfo_detail::Read(static_cast<const C&>(object), getter);
    };
    if (stored) {
      prop->Stored = [stored](const TPersistent& o) { return stored(static_cast<const C&>(o)); };
      prop->StoredWhen = stored_when ? stored_when : "";
    }
    AddAvailable(prop);
    if (publish) Publish(prop);
    return *this;
  }
  // Adds a stored-test to the last declared property; `when` says in words when it holds
  // ("while ParentColor is False", "never").
  TClassBuilder& StoredIf(std::function<bool(const C&)> stored, const char* when) {
    // Not Available.back(): a property declared again keeps its place in that list.
    auto& last = const_cast<TPropInfo&>(*last_declared_);
    last.Stored = [stored](const TPersistent& o) { return stored(static_cast<const C&>(o)); };
    last.StoredWhen = when;
    return *this;
  }
  // Publishes inherited properties by name, in this order: a list, or a named group of them.
  TClassBuilder& Publish(std::initializer_list<const char*> names) {
    return PublishNames(names.begin(), names.end());
  }
  template <size_t N>
  TClassBuilder& Publish(const std::array<const char*, N>& names) {
    return PublishNames(names.data(), names.data() + N);
  }
  TClassBuilder& PublishNames(const char* const* first, const char* const* last) {
    for (; first != last; ++first) {
      const char* name = *first;
      const TPropInfo* found = info_->FindAvailable(name);
      if (!found) throw Exception(Format("%s has no property %s", info_->Name.c_str(), name));
      for (const auto& prop : info_->Available) {
        if (prop.get() == found) Publish(prop);
      }
    }
    return *this;
  }
  TClassBuilder& PublishInherited() {
    for (const auto& prop : info_->Parent->Published) Publish(prop);
    return *this;
  }
  // A component field of a form, set when the component of this name is read.
  template <class F>
  TClassBuilder& Field(const char* name, F* C::*field) {
    if constexpr (std::is_base_of_v<TComponent, F> && !std::is_abstract_v<F>) {
      RegisterComponentClass(F::StaticClassInfo());
    }
    info_->Fields[name] = [field](TComponent& root, TComponent* child) {
      auto* typed = dynamic_cast<F*>(child);
      if (!typed && child) return false;
      static_cast<C&>(root).*field = typed;
      return true;
    };
    return *this;
  }
  // A handler method of a form, bound by name to events of its components.
  template <class... Args>
  TClassBuilder& Method(const char* name, void (C::*method)(Args...)) {
    info_->Methods[name] = [method](TComponent& root) -> std::any {
      C* self = &static_cast<C&>(root);
      return std::function<void(Args...)>(
          [self, method](Args... args) { (self->*method)(args...); });
    };
    return *this;
  }

  const TClassInfo& Build() {
    const TClassInfo* built = info_.release();
    RegisterComponentClass(*built);
    return *built;
  }

 private:
  void Publish(std::shared_ptr<const TPropInfo> prop) {
    for (auto& existing : info_->Published) {
      if (existing->Name == prop->Name) {
        existing = prop;
        return;
      }
    }
    info_->Published.push_back(std::move(prop));
  }
  void AddAvailable(std::shared_ptr<const TPropInfo> prop) {
    last_declared_ = prop;
    for (auto& existing : info_->Available) {
      if (existing->Name == prop->Name) {
        existing = prop;
        return;
      }
    }
    info_->Available.push_back(std::move(prop));
  }

  template <class G, class S>
  std::shared_ptr<const TPropInfo> MakeProperty(const char* name, G getter, S setter,
                                                TPropOptions options) {
    using V = typinfo_detail::ReadType<G, C>;
    auto prop = std::make_shared<TPropInfo>();
    prop->Name = name;
    prop->Kind = options.IsSet ? TPropKind::Set : typinfo_detail::KindOf<V>();
    prop->Enum = options.Enum;
    if constexpr (std::is_enum_v<V>) {
      if (!prop->Enum) prop->Enum = &EnumInfoOf(V{});
    }
    prop->Idents = options.Idents;
    if constexpr (typinfo_detail::IsEvent<V>::value) {
      prop->TypeName = typinfo_detail::HandlerSignature(name, options.Handler,
                                                        typinfo_detail::IsEvent<V>::Arity);
    } else if (options.TypeName) {
      prop->TypeName = options.TypeName;
    } else if (options.Idents && !options.Idents->TypeName.empty()) {
      prop->TypeName = options.Idents->TypeName;
    } else {
      prop->TypeName = typinfo_detail::TypeNameOf<V>();
    }
    if constexpr (std::is_integral_v<V> && !std::is_same_v<V, bool>) {
      using Limits = std::numeric_limits<V>;
      prop->MinValue = static_cast<int64_t>(Limits::min());
      // A 64-bit unsigned type is held in TValue's signed 64 bits.
      prop->MaxValue = static_cast<int64_t>(std::min<uint64_t>(Limits::max(), INT64_MAX));
    }
    if (options.Range) std::tie(prop->MinValue, prop->MaxValue) = *options.Range;
    prop->Default = std::move(options.Default);
    prop->Get = [getter](const TPersistent& object) {
      return typinfo_detail::ToValue(typinfo_detail::Read(static_cast<const C&>(object), getter));
    };
    AnsiString prop_name = name;
    prop->Set = [setter, prop_name](TPersistent& object, const TValue& value) {
      typinfo_detail::Write(static_cast<C&>(object), setter,
                            typinfo_detail::FromValue<V>(value, prop_name));
    };
    AddAvailable(prop);
    return prop;
  }

  std::unique_ptr<TClassInfo> info_;
  std::shared_ptr<const TPropInfo> last_declared_;
};
