// The file dialog's texts, kept apart from the dialog so that they can be tested natively:
// the "description|pattern|description|pattern" filter, the default extension, and the file
// names that a multi-selection hands back.
#pragma once

#include <vector>

#include "framework/core/Sysutils.h"

struct TFilterEntry {
  AnsiString Description;
  AnsiString Pattern;
  bool operator==(const TFilterEntry& other) const = default;
};

// Splits "description|pattern|..." into its pairs. An empty description shows its pattern
// instead; a pair without a pattern (a trailing description, or "||") matches every file, "*.*".
// Either would otherwise end the system's list early, hiding the filters after it. The text
// ends at a NUL byte, as the system's text would.
std::vector<TFilterEntry> ParseFilter(const AnsiString& filter);

// The system's form of a filter: every description and pattern followed by a NUL, and one NUL
// more at the end. Empty for an empty filter (the dialog then shows every file).
AnsiString FilterToSystem(const AnsiString& filter);

// The extension that the dialog appends to a name typed without one: "*.mp3" and ".mp3" give
// "mp3". A wildcard ("*", "*.*", "*.mp?") and a list ("*.mp3;*.wav") give none.
AnsiString DefaultExtToSystem(const AnsiString& default_ext);

// The file names in the dialog's answer buffer of `size` bytes. One file: its full path. Several
// (a multi-selection): the folder, then the names, each followed by a NUL, then one more NUL;
// each name is joined to the folder. The buffer need not be terminated within `size`.
std::vector<AnsiString> SplitSelectedFiles(const char* buffer, size_t size);
