// The language catalogue: the active language's texts by number and the names of the
// installed languages, read from plain text files beside the executable.
//
// Files are named from the base path, the executable's full path without its last three
// characters (C:\Tools\alarm.exe gives C:\Tools\alarm.):
//   t00 ... t09   language files of languages 0 to 9
//   def           the active language: a copy of one language file, and the only record of
//                 the user's choice between runs
//   c00 ... c09   help files, copied to chm when their language is selected
//   d00 ... d09   documents, copied to doc when their language is selected
//
// A language file is 8-bit text (code page 1252) read as the C runtime's text mode delivers
// it: carriage returns are dropped and a byte 0x1A ends the data. Its texts are decoded to
// UTF-8 as they are read; the files themselves are only ever copied, byte for byte. Lines of "["
// plus up to three characters plus "]" are section headers; section k (counting headers from 0) is
// text k. The header "[END]" ends the file. Text 0 is the language's own name, on the file's second
// line.
//
// The catalogue owns its arrays. Texts beyond TextCount, and names of languages whose file
// is missing, read as the empty text. A file that exists but cannot be opened counts as missing.
#pragma once

#include <string_view>
#include <vector>

#include <functional>
#include "framework/core/Sysutils.h"

// The three system services the catalogue needs, behind one small seam, so that the catalogue
// stays free of <windows.h>: the executable's full path, whole-file copies that overwrite, and
// the request to end the program. LanguageServices() starts with the real calls of the system
// the program was built for (Watranskomp_win.cpp, or Watranskomp_posix.cpp for the native
// build); tests replace members to choose the executable's path or count calls, and the
// application puts in its own RequestTermination before it creates the catalogue.
struct TLanguageServices {
  // Full path of the running executable.
  std::function<AnsiString()> ExecutablePath;
  // Copies the whole file, replacing an existing destination. Answers whether it worked.
  std::function<bool(const AnsiString& source, const AnsiString& destination)> CopyFileOver;
  // Asks the application to end once its message loop runs; returns at once.
  std::function<void()> RequestTermination;
};
// The process-wide instance, starting with the real calls.
TLanguageServices& LanguageServices();

class WaTrans {
 public:
  enum class TMode {
    // Finds and reads the language files; never fails. When there is neither a "def" nor a
    // "t00" file it asks the application to end (the catalogue still loads its defaults);
    // when "def" is missing it first selects language 0, which copies its files into place.
    Active,
    // Only reads: the texts of "def", or of language 0 while there is none. It copies
    // nothing and ends nothing (a message shown before the window exists).
    ReadOnly,
  };
  explicit WaTrans(TMode mode = TMode::Active);

  // The files whose absence ends the program (neither "def" nor "t00" is there), by their full
  // paths; empty when the catalogue has what it needs.
  static std::vector<AnsiString> MissingFiles();

  // Text `number` of the active language; the empty text at or beyond TextCount.
  const AnsiString& Text(int number) const;
  // Name of language `number`; the empty text outside 0 .. LanguageCount - 1.
  const AnsiString& LanguageName(int number) const;

  // Reads the active texts and the language names again.
  void Reload();
  // Makes the language named `name` (ASCII letters compared without case, the last equal name
  // wins) the active one: copies its text, help and document files over "def", "chm" and
  // "doc" where they exist, then reloads. When the text file cannot be copied, the texts come
  // from the language's own file until the program ends. `firstTime` selects language 0
  // whatever the name. Answers 1, or -1 when no language has that name (then nothing changes).
  int SelectLanguage(AnsiString name, bool firstTime);

  std::vector<AnsiString> Texts;          // at least TextCount entries
  int LanguageCount = 0;                  // 1 to 10 once loaded
  std::vector<AnsiString> LanguageNames;  // LanguageCount entries
  int TextCount = 0;

 private:
  static AnsiString BasePath();
  void LoadActiveTexts();
  void LoadLanguageNames();

  TMode FMode;
  // The file the active texts come from: "def", or the chosen language's own file when it
  // could not be copied over "def".
  AnsiString FActiveFile = "def";
};

// The parts of the loader that work on data already read; the catalogue, its fuzz target and
// its benchmark share them.

// Reads a file as the text mode of the C runtime delivers it: carriage returns dropped, the
// data ends at the first byte 0x1A. With lineLimit above 0 it may stop reading once that many
// line feeds are in. False when the file cannot be opened.
bool ReadLanguageFile(const AnsiString& path, AnsiString& text, int lineLimit = 0);

// The texts of a language file: one entry per header but the first, sections stored up to
// "[END]". Takes the file's bytes as stored and applies the text-mode rules itself, so text
// already in text-mode form (as ReadLanguageFile gives it) reads the same. The second form
// reuses the entries of `texts` and resizes it to the count.
std::vector<AnsiString> ParseLanguageTexts(std::string_view bytes);
void ParseLanguageTexts(std::string_view bytes, std::vector<AnsiString>& texts);

// The language's name: the file's second line without its line feed.
AnsiString ParseLanguageName(std::string_view text);
