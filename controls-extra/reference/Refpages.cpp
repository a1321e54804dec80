#include "controls-extra/reference/Refpages.h"

#include <algorithm>

#include "framework/core/Filer.h"
#include "framework/core/Propedit.h"

namespace {

// Sub-objects of sub-objects are listed too, as deep as any real one nests.
constexpr int kMaxDepth = 3;

struct Row {
  AnsiString Path;
  const TPropInfo* Prop;
};

void CollectRows(const TClassInfo& info, const AnsiString& prefix, int depth,
                 std::vector<Row>& properties, std::vector<Row>& events) {
  for (const auto& prop : info.Published) {
    if (prop->Kind == TPropKind::Event) {
      events.push_back({prefix + prop->Name, prop.get()});
      continue;
    }
    properties.push_back({prefix + prop->Name, prop.get()});
    if (prop->Kind == TPropKind::Object && prop->ObjectClass && depth < kMaxDepth) {
      // The sub-object's own events are no events of the control.
      std::vector<Row> ignored;
      CollectRows(prop->ObjectClass(), prefix + prop->Name + ".", depth + 1, properties, ignored);
    }
  }
}

AnsiString Code(const AnsiString& text) {
  // A backtick inside would end the span; none of the names has one, the texts may.
  if (text.find('`') != AnsiString::npos) return "``" + text + "``";
  return "`" + text + "`";
}

// A table cell: a '|' would end it.
AnsiString Cell(AnsiString text) {
  for (size_t at = text.find('|'); at != AnsiString::npos; at = text.find('|', at + 2)) {
    text.replace(at, 1, "\\|");
  }
  return text;
}

AnsiString Ancestry(const TClassInfo& info,
                    const std::function<bool(const AnsiString&)>& documented) {
  AnsiString text;
  for (const TClassInfo* parent = info.Parent; parent; parent = parent->Parent) {
    if (!text.empty()) text += " > ";
    text +=
        documented(parent->Name) ? "[" + parent->Name + "](" + parent->Name + ".md)" : parent->Name;
  }
  return text;
}

}  // namespace

AnsiString OpeningComment(std::string_view header) {
  AnsiString text;
  size_t pos = 0;
  while (pos < header.size()) {
    size_t end = header.find('\n', pos);
    if (end == std::string_view::npos) end = header.size();
    std::string_view line = header.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.substr(0, 2) != "//") break;
    line.remove_prefix(2);
    if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    if (line.substr(0, 12) == "clang-format") continue;
    text += AnsiString(line);
    text += '\n';
  }
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

bool DeclaresClass(std::string_view header, const AnsiString& class_name) {
  const AnsiString start = "class " + class_name;
  size_t pos = 0;
  while ((pos = header.find(start, pos)) != std::string_view::npos) {
    const bool line_start = pos == 0 || header[pos - 1] == '\n';
    const size_t after = pos + start.size();
    pos = after;
    if (!line_start || after >= header.size()) continue;
    // "class TName : public TBase {" or "class TName {"; not "class TName;" nor TNameLonger.
    if (header[after] == ' ' || header[after] == ':' || header[after] == '{') {
      const size_t end_of_line = header.find('\n', after);
      const std::string_view rest = header.substr(after, end_of_line - after);
      if (rest.find(';') == std::string_view::npos) return true;
    }
  }
  return false;
}

AnsiString DefaultText(const TPropInfo& prop) {
  if (prop.Kind == TPropKind::Object || prop.Kind == TPropKind::Event || !prop.Default) {
    return "none";
  }
  switch (prop.Kind) {
    case TPropKind::String:
      return Code(QuoteString(prop.Default->Str));
    case TPropKind::List:
      return prop.Default->List.empty() ? "empty" : Code(ValueText(prop, *prop.Default));
    case TPropKind::Binary:
      return prop.Default->Bytes.empty() ? "empty" : ValueText(prop, *prop.Default);
    default:
      return Code(ValueText(prop, *prop.Default));
  }
}

AnsiString StoredText(const TPropInfo& prop) {
  switch (prop.Kind) {
    case TPropKind::Object:
      return prop.StoredWhen.empty() ? "its properties" : "its properties, " + prop.StoredWhen;
    case TPropKind::Event:
      return "when a handler is set";
    case TPropKind::Component:
      return prop.StoredWhen.empty() ? "when set" : "when set, " + prop.StoredWhen;
    default:
      break;
  }
  if (prop.Stored && prop.StoredWhen == "never") return "never";
  const AnsiString base = prop.Default ? "when not the default" : "always";
  if (!prop.Stored) return base;
  return prop.Default ? base + ", " + prop.StoredWhen : prop.StoredWhen;
}

AnsiString ClassPage(const TReferenceClass& page,
                     const std::function<bool(const AnsiString&)>& documented) {
  const TClassInfo& info = *page.Info;
  AnsiString out = "# " + info.Name + "\n\n";
  out += "Declared in " + Code(page.Header);
  const AnsiString ancestry = Ancestry(info, documented);
  if (!ancestry.empty()) out += "; derives from " + ancestry;
  out += ".\n\n";
  if (!page.Opening.empty()) out += page.Opening + "\n\n";

  std::vector<Row> properties;
  std::vector<Row> events;
  CollectRows(info, AnsiString(), 0, properties, events);

  out += "## Published properties\n\n";
  if (properties.empty()) {
    out += "None.\n\n";
  } else {
    out += "In the order a form description stores them.\n\n";
    out += "| Property | Type | Default | Stored |\n| --- | --- | --- | --- |\n";
    for (const Row& row : properties) {
      out += "| " + Code(row.Path) + " | " + Code(row.Prop->TypeName) + " | " +
             Cell(DefaultText(*row.Prop)) + " | " + Cell(StoredText(*row.Prop)) + " |\n";
    }
    out += "\n";
  }

  // The names of the enumerations and sets met above, each once, in the order met.
  std::vector<const TPropInfo*> named;
  for (const Row& row : properties) {
    const TPropInfo* prop = row.Prop;
    if (!prop->Enum) continue;
    const bool seen = std::any_of(named.begin(), named.end(), [&](const TPropInfo* other) {
      return other->TypeName == prop->TypeName;
    });
    if (!seen) named.push_back(prop);
  }
  if (!named.empty()) {
    out += "## Values\n\n";
    for (const TPropInfo* prop : named) {
      out += "- " + Code(prop->TypeName) + (prop->Kind == TPropKind::Set ? ", a set of: " : ": ");
      for (size_t i = 0; i < prop->Enum->Names.size(); ++i) {
        out += (i ? ", " : "") + Code(prop->Enum->Names[i]);
      }
      out += "\n";
    }
    out += "\n";
  }

  out += "## Events\n\n";
  if (events.empty()) {
    out += "None.\n";
  } else {
    out += "| Event | Handler |\n| --- | --- |\n";
    for (const Row& row : events) {
      out += "| " + Code(row.Path) + " | " + Code(row.Prop->TypeName) + " |\n";
    }
  }
  return out;
}

AnsiString IndexPage(const std::vector<TReferenceGroup>& groups) {
  AnsiString out = "# Reference of the controls\n\n";
  out +=
      "Every published property of each class with its type, default and when a form "
      "description stores it, and every event with its handler. Made from the classes' type "
      "information by the build target `reference`; edit the code, not these pages.\n";
  for (const TReferenceGroup& group : groups) {
    out += "\n## " + group.Title + "\n\n";
    out += "| Class | Derives from | Header |\n| --- | --- | --- |\n";
    for (const TReferenceClass& page : group.Classes) {
      const TClassInfo& info = *page.Info;
      out += "| [" + info.Name + "](" + info.Name + ".md) | " +
             (info.Parent ? info.Parent->Name : AnsiString()) + " | " + Code(page.Header) + " |\n";
    }
  }
  return out;
}
