// The reference of the controls: Markdown pages made from the classes' type information, one
// per class, and an index page. What a page says of a property (its type, default and when it
// is stored) and of an event (its handler) is what the class publishes, so the pages cannot
// drift from the code; only the opening comment of the class's header is read from the source.
//
// A page lists the published properties in the order a form description stores them; the
// properties of a sub-object (Font.Name) follow the sub-object. Pages link to each other by
// file name (TCGauge.md).
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "framework/core/Typinfo.h"

struct TReferenceClass {
  const TClassInfo* Info = nullptr;
  AnsiString Header = AnsiString();   // its path in the source tree: "controls-extra/Cgauges.h"
  AnsiString Opening = AnsiString();  // the header's opening comment, as OpeningComment gives it
};

struct TReferenceGroup {
  AnsiString Title;
  std::vector<TReferenceClass> Classes;
};

// The comment that opens a header, without its comment marks: its paragraphs separated by an
// empty line. Formatter switches ("clang-format off") are no part of it.
AnsiString OpeningComment(std::string_view header);

// Whether the header declares (defines, not only names) the class.
bool DeclaresClass(std::string_view header, const AnsiString& class_name);

// The page of one class; `documented` says which classes have pages, to link to them.
AnsiString ClassPage(const TReferenceClass& page,
                     const std::function<bool(const AnsiString&)>& documented);

AnsiString IndexPage(const std::vector<TReferenceGroup>& groups);

// How a property's default and its storing read on a page.
AnsiString DefaultText(const TPropInfo& prop);
AnsiString StoredText(const TPropInfo& prop);
