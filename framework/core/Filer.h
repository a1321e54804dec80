// Form descriptions: the human-readable text that creates a component and everything it
// owns. The format:
//
// clang-format off
//   object Form1: TForm1
//     Caption = 'Demo 1.0'            strings: quoted runs and #nnn bytes, joined, '+' between
//     Font.Style = [fsBold]           nested names and sets
//     Color = clBtnFace               identifiers: enumerations, booleans, colours, references
//     OnCreate = FormCreate           handlers by method name
//     Items.Strings = ('a' 'b')       string lists
//     Picture.Data = {0A1B...}        bytes as hex
//     object Button1: TButton         nested components, created through the class registry
//     end
//   end
// clang-format on
//
// Reading sets properties in stored order through their setters while the components are
// loading, binds handlers by name, resolves references to other components when the whole
// text is read, then calls Loaded on every component. Bad input raises EParserError (or the
// failing setter's own exception) with "Line N: " in front of the message, and every
// component created by the failed read is destroyed again.
#pragma once

#include <string_view>

#include "framework/core/Classes.h"

// Reads `text` into an existing root component: its own properties and nested components.
void ReadComponentText(TComponent& root, std::string_view text);
// Writes the root, its stored properties and the children that GetChildren reports.
AnsiString WriteComponentText(TComponent& root);
// A string as form descriptions write it: quoted, a quote doubled, other than printable ASCII
// as #code ('It''s', 'a'#9'b'): a character of code page 1252 by its byte there, any other by
// its Unicode code of four digits or more ('Men'#252, #0937). The text is UTF-8.
AnsiString QuoteString(const AnsiString& text);
