// Published properties as a person reads and types them: an object's properties listed with
// their values as text, what each one accepts, and a value set from typed text through the
// property's own setter, as a form description would set it.
//
// The texts are those of form descriptions (gkPie, clNavy, True, [akLeft, akTop]), except that
// a string is its plain text, without quotes. A typed value that does not fit its property is
// refused with a message that names the property and what it accepts, and the object keeps
// the value it had.
#pragma once

#include <vector>

#include "framework/core/Typinfo.h"

struct TPropertyRow {
  AnsiString Path;        // from the listed object: "Progress", "Font.Name"
  TPersistent* Instance;  // the object that has the property: the listed one or a sub-object
  const TPropInfo* Prop;
};

// The published properties of `object` in their stored order; a sub-object's properties stand
// in its place, under its name. Events are left out: a form binds them by name, nobody types
// them.
std::vector<TPropertyRow> ListProperties(TPersistent& object);

// A value as a person reads it. A list shows its lines one after the other, bytes their count.
AnsiString ValueText(const TPropInfo& prop, const TValue& value);

// What the property takes, to finish "Kind takes ...": "one of gkText, gkPie", "True or False".
// Empty for what cannot be typed (sub-objects, events, lists, bytes).
AnsiString AcceptedText(const TPropInfo& prop);

// Sets the row's property from typed text through its setter. When the text does not fit, or the
// setter refuses the value, the exception goes on with the property's path in front of its
// message, and the property has the value it had before.
void SetPropertyText(const TPropertyRow& row, const AnsiString& text, TComponent* root);
