#include "lang/Watranskomp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/lang/Langfolder.h"

namespace {

using Texts = std::vector<std::string>;

size_t CountLines(const std::string& text) {
  return std::count(text.begin(), text.end(), '\n');
}

// Every case is written byte for byte as the active-language file and loaded by a catalogue.
struct TLoadCase {
  const char* breaks;  // what goes wrong when this case fails
  std::string file;
  Texts expected;  // TextCount is expected.size()
};

const TLoadCase kLoadCases[] = {
    {"LF line ends", "[0]\nEnglish\n[1]\na\n\nb\n[END]\n", {"English", "a\n\nb"}},
    {"CR LF line ends leave carriage returns in the texts",
     "[0]\r\nEnglish\r\n[1]\r\na\r\n\r\nb\r\n[END]\r\n",
     {"English", "a\n\nb"}},
    {"a carriage return inside a line is not dropped", "[0]\nA\rB\n[0]\r\r\n[END]", {"AB", ""}},
    {"0x1A does not end the file",
     "[0]\nA\n[1]\nB\n\x1A[END]\n[2]\n",
     {"A"}},  // two headers before 0x1A: one text, and section 1 has no closing header
    {"0x1A after the end marker breaks a DOS-style file", "[0]\r\nA\r\n[END]\r\n\x1A\x1A", {"A"}},
    {"no final line feed after [END]", "[0]\nA\n[1]\nB\n[END]", {"A", "B"}},
    {"[end] in lower case is taken for the end marker", "[0]\nA\n[end]\nB\n[END]\n", {"A", "B"}},
    {"[1000] or [ABCD] is taken for a header", "[0]\n[1000]\n[ABCD]\n[END]\n", {"[1000]\n[ABCD]"}},
    {"[999] or [] is not taken for a header", "[0]\nA\n[999]\nB\n[]\nC\n[END]\n", {"A", "B", "C"}},
    {"[ or ] alone is taken for a header", "[0]\n[\n]\n[END]\n", {"[\n]"}},
    {"the numbers in the headers are read instead of their order",
     "[7]\nA\n[3]\nB\n[END]\n",
     {"A", "B"}},
    {"blanks around a header are trimmed",
     "[0]\nA\n [1]\n[2] \n\t[3]\n[END]\n",
     {"A\n [1]\n[2] \n\t[3]"}},
    {"lines before the first header leak into text 0", "intro\n\n[0]\nA\n[END]\n", {"A"}},
    {"text after [END] is loaded", "[0]\nA\n[END]\nB\n[1]\nC\n", {"A", ""}},
    {"the section before a missing [END] is kept", "[0]\nA\n[1]\nB\n", {"A"}},
    {"a missing [END] without final line feed", "[0]\nA\n[1]\nB", {"A"}},
    {"an empty section is not empty", "[0]\n[1]\nB\n[END]\n", {"", "B"}},
    {"blank lines and blanks inside a section are lost", "[0]\n\n  A \n\n[END]\n", {"\n  A \n"}},
    {"a section of one empty line", "[0]\n\n[END]\n", {""}},
    {"a NUL byte cuts a text", std::string("[0]\nA\0B\n[END]\n", 14), {std::string("A\0B", 3)}},
    {"code page 1252 bytes are decoded", "[0]\nMen\xFC \x80\xA0\xFF\n[END]\n", {"Menü €\u00A0ÿ"}},
    {"a single header gives a text", "[0]\nA\n", {}},
    {"an empty file gives a text", "", {}},
    {"a file of blank lines gives a text", "\r\n\r\n\n", {}},
};

TEST(Catalogue, LoadsTheActiveFileByteForByte) {
  for (const TLoadCase& test : kLoadCases) {
    SCOPED_TRACE(test.breaks);
    TLanguageFolder folder;
    folder.Write("def", test.file);
    folder.Write("t00", "[0]\nEnglish\n[END]\n");
    WaTrans catalogue;
    ASSERT_EQ(catalogue.TextCount, static_cast<int>(test.expected.size()));
    for (size_t i = 0; i < test.expected.size(); ++i) {
      EXPECT_EQ(catalogue.Text(static_cast<int>(i)), test.expected[i]) << "text " << i;
    }
    EXPECT_EQ(catalogue.Text(catalogue.TextCount), "") << "first number beyond TextCount";
    EXPECT_EQ(catalogue.Text(-1), "");
    EXPECT_TRUE(folder.Copies.empty()) << "an existing def file is copied over";
  }
}

TEST(Catalogue, ParserAgreesWithTheFileLoader) {
  // The fuzz target and the benchmark call the parser directly; it must see what the loader sees.
  EXPECT_EQ(ParseLanguageTexts("[0]\nA\n[1]\nB\n[END]\nC"), (Texts{"A", "B"}));
  EXPECT_EQ(ParseLanguageName("[0]\nDeutsch\n[1]\n"), "Deutsch");
  EXPECT_EQ(ParseLanguageName("[0]\nDeutsch"), "Deutsch");
  EXPECT_EQ(ParseLanguageName("[0]\n"), "");
  EXPECT_EQ(ParseLanguageName("[0]"), "");
}

TEST(Catalogue, ReadsTextModeInBlocksAcrossBoundaries) {
  // Carriage returns and 0x1A found in a later block of a long file are handled as in the first.
  TLanguageFolder folder;
  std::string file = "[0]\r\nLong\r\n[1]\r\n";
  std::string expected;
  for (int line = 0; line < 3000; ++line) {
    file += "line " + std::to_string(line) + "\r\n";
    expected += "line " + std::to_string(line) + "\n";
  }
  expected.pop_back();
  file += "[END]\r\n\x1A[1]\r\nlost\r\n[END]\r\n";
  folder.Write("t00", file);
  folder.Write("def", file);
  WaTrans catalogue;
  ASSERT_EQ(catalogue.TextCount, 2);
  EXPECT_EQ(catalogue.Text(1), expected);
  EXPECT_EQ(catalogue.LanguageName(0), "Long");

  AnsiString whole, inBlocks, head;
  ASSERT_TRUE(ReadLanguageFile(folder.Base + "t00", whole));
  ASSERT_TRUE(ReadLanguageFile(folder.Base + "t00", inBlocks, 1000000));
  EXPECT_EQ(inBlocks, whole);
  EXPECT_EQ(whole.find_first_of("\r\x1A"), AnsiString::npos);
  ASSERT_TRUE(ReadLanguageFile(folder.Base + "t00", head, 2));
  EXPECT_EQ(head.compare(0, 13, "[0]\nLong\n[1]\n"), 0);
  EXPECT_LT(head.size(), whole.size()) << "the names read whole files";
}

TEST(Catalogue, TextModeReadingMatchesByteByByteForDenseControlBytes) {
  // Runs of carriage returns, line feeds and 0x1A at every offset of a block, in files longer
  // than the reader's blocks; compared with a byte-by-byte reading of the same rule.
  TLanguageFolder folder;
  std::mt19937 random(1234);
  const char alphabet[] = {'a', 'b', '\r', '\r', '\r', '\n', '[', ']', '\x1A'};
  for (int round = 0; round < 60; ++round) {
    const size_t size = round < 30 ? round : 1000 + random() % 70000;
    const unsigned controlShare = 1 + random() % 8;  // how dense the special bytes are
    std::string file;
    for (size_t i = 0; i < size; ++i) {
      file += random() % 10 < controlShare ? alphabet[2 + random() % 7] : alphabet[random() % 2];
    }
    if (round % 3 != 0) {  // most rounds without 0x1A, so that the whole file counts
      file.erase(std::remove(file.begin(), file.end(), '\x1A'), file.end());
    }
    std::string expected;
    for (char c : file) {
      if (c == '\x1A') break;
      if (c != '\r') expected += c;
    }
    folder.Write("def", file);
    AnsiString whole, limited;
    ASSERT_TRUE(ReadLanguageFile(folder.Base + "def", whole));
    ASSERT_EQ(whole, expected) << "round " << round;
    ASSERT_TRUE(ReadLanguageFile(folder.Base + "def", limited, 3));
    ASSERT_EQ(expected.compare(0, limited.size(), limited), 0) << "round " << round;
    ASSERT_TRUE(limited.size() == expected.size() || CountLines(limited) >= 3);
  }
}

TEST(Catalogue, WithoutAnyFileAsksToEndAndHoldsThousandEmptyTexts) {
  TLanguageFolder folder;
  WaTrans catalogue;
  EXPECT_EQ(folder.Terminations, 1);
  EXPECT_EQ(catalogue.TextCount, 1000);
  for (int number : {0, 1, 11, 999, 1000}) EXPECT_EQ(catalogue.Text(number), "") << number;
  EXPECT_EQ(catalogue.LanguageCount, 1);
  EXPECT_EQ(catalogue.LanguageName(0), "");
  EXPECT_TRUE(folder.Copies.empty());
  EXPECT_FALSE(folder.Exists("def"));
}

TEST(Catalogue, TerminationIsAskedOnlyWhenBothDefAndT00AreMissing) {
  struct {
    bool def, t00, t01;
    int terminations;
  } cases[] = {
      {false, false, false, 1},
      {false, false, true, 1},  // other languages do not stand in for
                                // language 0
      {true, false, false, 0},
      {false, true, false, 0},
      {true, true, false, 0},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(testing::Message() << "def " << test.def << " t00 " << test.t00);
    TLanguageFolder folder;
    if (test.def) folder.Write("def", "[0]\nX\n[END]\n");
    if (test.t00) folder.Write("t00", "[0]\nY\n[END]\n");
    if (test.t01) folder.Write("t01", "[0]\nZ\n[END]\n");
    WaTrans catalogue;
    EXPECT_EQ(folder.Terminations, test.terminations);
  }
}

TEST(Catalogue, FirstStartCopiesLanguageZeroIntoPlace) {
  TLanguageFolder folder;
  const std::string german = TLanguageFolder::LanguageFile("Deutsch", {"https://a/", "Los"});
  folder.Write("t00", german);
  folder.Write("c00", "help 0");
  folder.Write("d00", "doc 0");
  folder.Write("t01", TLanguageFolder::LanguageFile("English", {"https://b/", "Go"}));
  WaTrans catalogue;
  EXPECT_EQ(folder.Terminations, 0);
  EXPECT_EQ(folder.Copies, (Texts{"t00>def", "c00>chm", "d00>doc"}));
  EXPECT_EQ(folder.Read("def"), german);
  EXPECT_EQ(folder.Read("chm"), "help 0");
  EXPECT_EQ(folder.Read("doc"), "doc 0");
  EXPECT_EQ(catalogue.TextCount, 3);
  EXPECT_EQ(catalogue.Text(2), "Los");
  EXPECT_EQ(catalogue.LanguageCount, 2);
}

TEST(Catalogue, FilesAreNamedFromTheExecutablesOwnName) {
  TLanguageFolder folder("alarm.exe");
  EXPECT_EQ(folder.Base.substr(folder.Base.size() - 6), "alarm.");
  folder.Write("def", "[0]\nFrom alarm.def\n[END]\n");
  folder.Write("t00", "[0]\nFrom alarm.t00\n[END]\n");
  std::ofstream(folder.Folder / "x.def") << "[0]\nwrong\n[END]\n";
  WaTrans catalogue;
  EXPECT_EQ(catalogue.Text(0), "From alarm.def");
  EXPECT_EQ(catalogue.LanguageName(0), "From alarm.t00");
}

TEST(Catalogue, CountsLanguagesByTheHighestFileGapsIncluded) {
  struct {
    std::vector<int> present;
    int count;
  } cases[] = {
      {{0}, 1}, {{}, 1}, {{0, 1, 5}, 6}, {{3}, 4}, {{0, 9}, 10}, {{1}, 2},
  };
  for (const auto& test : cases) {
    TLanguageFolder folder;
    std::string list;
    for (int number : test.present) {
      folder.Write("t0" + std::to_string(number),
                   "[0]\nLanguage " + std::to_string(number) + "\n[END]\n");
      list += std::to_string(number) + " ";
    }
    SCOPED_TRACE("files t0 " + list);
    WaTrans catalogue;
    ASSERT_EQ(catalogue.LanguageCount, test.count);
    ASSERT_EQ(catalogue.LanguageNames.size(), static_cast<size_t>(test.count));
    for (int number = 0; number < test.count; ++number) {
      const bool exists = folder.Exists("t0" + std::to_string(number));
      EXPECT_EQ(catalogue.LanguageName(number),
                exists ? "Language " + std::to_string(number) : std::string())
          << "language " << number;
    }
    EXPECT_EQ(catalogue.LanguageName(test.count), "");
  }
}

TEST(Catalogue, ReadsEachNameFromTheSecondLine) {
  struct {
    const char* breaks;
    std::string file;
    std::string name;
  } cases[] = {
      {"CR LF name line", "[0]\r\nEnglish\r\n[END]\r\n", "English"},
      {"a name line without final line feed loses a character", "[0]\nEnglish", "English"},
      {"a file that ends after its first line", "[0]\n", ""},
      {"a file of one line without line feed", "[0]", ""},
      {"an empty file", "", ""},
      {"blanks of the name line are kept", "[0]\n Dansk \n", " Dansk "},
      {"the first line is not checked", "whatever\nSuomi\n", "Suomi"},
      {"0x1A ends the name", "[0]\nNo\x1Arsk\n", "No"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.breaks);
    TLanguageFolder folder;
    folder.Write("def", "[0]\nX\n[END]\n");
    folder.Write("t00", test.file);
    WaTrans catalogue;
    EXPECT_EQ(catalogue.LanguageName(0), test.name);
  }
}

// Three languages with help files and documents where given, language 0 active.
class SelectLanguageTest : public testing::Test {
 protected:
  void Install(const std::vector<std::string>& names, bool withExtras = true) {
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string digits = std::to_string(i);
      folder.Write("t0" + digits, TLanguageFolder::LanguageFile(
                                      names[i], {"https://" + digits, "start " + digits}));
      if (withExtras || i == 0) {
        folder.Write("c0" + digits, "help " + digits);
        folder.Write("d0" + digits, "doc " + digits);
      }
    }
  }
  WaTrans& Catalogue() {
    if (!catalogue) catalogue = std::make_unique<WaTrans>();
    return *catalogue;
  }

  TLanguageFolder folder;
  std::unique_ptr<WaTrans> catalogue;
};

TEST_F(SelectLanguageTest, MatchesNamesWithAsciiCaseFoldingOnly) {
  struct {
    const char* name;
    int result;
    int active;  // language whose texts are loaded afterwards
  } cases[] = {
      {"English", 1, 1},   {"ENGLISH", 1, 1},   {"eNgLiSh", 1, 1}, {"Français", 1, 2},
      {"FRANçAIS", 1, 2},  {"FRANÇAIS", -1, 0},  // the accented letter differs in case: no match
      {"English ", -1, 0}, {"Engl", -1, 0},     {"", -1, 0},
  };
  Install({"Deutsch", "English",
           "Fran\xE7"
           "ais"});
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    ASSERT_EQ(Catalogue().SelectLanguage("Deutsch", false), 1);
    folder.Copies.clear();
    EXPECT_EQ(Catalogue().SelectLanguage(test.name, false), test.result);
    EXPECT_EQ(Catalogue().Text(0), Catalogue().LanguageName(test.active));
    EXPECT_EQ(folder.Read("def"), folder.Read("t0" + std::to_string(test.active)));
    EXPECT_EQ(folder.Copies.size(), test.result == 1 ? 3u : 0u) << "copies after no match";
  }
}

TEST_F(SelectLanguageTest, TwoEqualNamesSelectTheHigherNumber) {
  Install({"Deutsch", "English", "english", "Dutch"});
  Catalogue();
  folder.Copies.clear();
  ASSERT_EQ(Catalogue().SelectLanguage("ENGLISH", false), 1);
  EXPECT_EQ(folder.Copies, (Texts{"t02>def", "c02>chm", "d02>doc"}));
  EXPECT_EQ(Catalogue().Text(2), "start 2");
}

TEST_F(SelectLanguageTest, MissingHelpFileAndDocumentKeepThePreviousCopies) {
  Install({"Deutsch", "English"}, /*withExtras=*/false);
  Catalogue();
  ASSERT_EQ(folder.Read("chm"), "help 0");
  ASSERT_EQ(Catalogue().SelectLanguage("English", false), 1);
  EXPECT_EQ(folder.Copies.back(), "t01>def") << "copies of missing sources were asked for";
  EXPECT_EQ(folder.Read("def"), folder.Read("t01"));
  EXPECT_EQ(folder.Read("chm"), "help 0");
  EXPECT_EQ(folder.Read("doc"), "doc 0");
  EXPECT_EQ(Catalogue().Text(2), "start 1");
}

TEST_F(SelectLanguageTest, MissingLanguageFileReloadsThePreviousLanguage) {
  Install({"Deutsch", "English"});
  folder.Write("t03", TLanguageFolder::LanguageFile("Svenska", {"https://3", "start 3"}));
  ASSERT_EQ(Catalogue().LanguageCount, 4);
  ASSERT_EQ(Catalogue().SelectLanguage("English", false), 1);
  folder.Copies.clear();
  // Language 2 is a gap with the empty name: it can be chosen, but has no files to copy.
  EXPECT_EQ(Catalogue().SelectLanguage("", false), 1);
  EXPECT_TRUE(folder.Copies.empty());
  EXPECT_EQ(Catalogue().Text(0), "English");
  EXPECT_EQ(folder.Read("chm"), "help 1");
}

TEST_F(SelectLanguageTest, SelectingTheActiveLanguageAgainCopiesAndReloads) {
  Install({"Deutsch", "English"});
  ASSERT_EQ(Catalogue().SelectLanguage("English", false), 1);
  folder.Write("def", "[0]\nchanged on disk\n[END]\n");
  EXPECT_EQ(Catalogue().Text(0), "English") << "texts follow the file without a reload";
  folder.Copies.clear();
  EXPECT_EQ(Catalogue().SelectLanguage("English", false), 1);
  EXPECT_EQ(folder.Copies, (Texts{"t01>def", "c01>chm", "d01>doc"}));
  EXPECT_EQ(Catalogue().Text(0), "English");
}

TEST_F(SelectLanguageTest, FirstTimeFormSelectsLanguageZeroWhateverTheName) {
  Install({"Deutsch", "English"});
  ASSERT_EQ(Catalogue().SelectLanguage("English", false), 1);
  folder.Copies.clear();
  EXPECT_EQ(Catalogue().SelectLanguage("English", true), 1);
  EXPECT_EQ(folder.Copies, (Texts{"t00>def", "c00>chm", "d00>doc"}));
  EXPECT_EQ(Catalogue().Text(0), "Deutsch");
  EXPECT_EQ(Catalogue().LanguageCount, 2);
  EXPECT_EQ(Catalogue().LanguageNames.size(), 2u);
  EXPECT_EQ(Catalogue().SelectLanguage("no such language", true), 1);
}

// A folder the user may not write to: the copies fail, and the texts come from the chosen
// language's own file until the program ends.
TEST_F(SelectLanguageTest, AFailedCopyShowsTheChosenLanguageForTheRun) {
  Install({"Deutsch", "English", "Svenska"});
  bool refuse = true;
  const auto realCopy = LanguageServices().CopyFileOver;
  LanguageServices().CopyFileOver = [&](const AnsiString& source, const AnsiString& destination) {
    return !refuse && realCopy(source, destination);
  };
  EXPECT_EQ(Catalogue().Text(2), "start 0") << "first start without a def";
  EXPECT_FALSE(folder.Exists("def"));
  EXPECT_EQ(Catalogue().SelectLanguage("English", false), 1);
  EXPECT_EQ(Catalogue().Text(2), "start 1");
  Catalogue().Reload();
  EXPECT_EQ(Catalogue().Text(0), "English") << "the choice did not last";
  refuse = false;
  EXPECT_EQ(Catalogue().SelectLanguage("Svenska", false), 1);
  EXPECT_EQ(folder.Read("def"), folder.Read("t02"));
  EXPECT_EQ(Catalogue().Text(2), "start 2");
}

TEST_F(SelectLanguageTest, ReloadGrowsAndShrinksToTheNewFiles) {
  Install({"Deutsch", "English"});
  ASSERT_EQ(Catalogue().TextCount, 3);
  ASSERT_EQ(Catalogue().LanguageCount, 2);

  // A language added after start-up with many more texts, and languages up to number 9.
  std::vector<std::string> many;
  for (int i = 1; i < 12000; ++i) many.push_back("text " + std::to_string(i));
  folder.Write("t01", TLanguageFolder::LanguageFile("English", many));
  folder.Write("t09", TLanguageFolder::LanguageFile("Suomi", {"https://9"}));
  ASSERT_EQ(Catalogue().SelectLanguage("English", false), 1);
  EXPECT_EQ(Catalogue().TextCount, 12000);
  EXPECT_EQ(Catalogue().Text(11999), "text 11999");
  EXPECT_EQ(Catalogue().Text(12000), "");
  EXPECT_EQ(Catalogue().LanguageCount, 10);
  EXPECT_EQ(Catalogue().LanguageName(9), "Suomi");
  EXPECT_EQ(Catalogue().LanguageName(5), "");

  folder.Remove("t09");
  ASSERT_EQ(Catalogue().SelectLanguage("Deutsch", false), 1);
  EXPECT_EQ(Catalogue().TextCount, 3);
  EXPECT_EQ(Catalogue().Text(11999), "") << "a text of the previous language is still read";
  EXPECT_EQ(Catalogue().LanguageCount, 2);
}

TEST(SystemPlatform, NamesTheRunningExecutable) {
  const AnsiString path = LanguageServices().ExecutablePath();
  EXPECT_NE(path.find("lang_tests"), AnsiString::npos) << path;
  EXPECT_TRUE(FileExists(path)) << path;
}

TEST(SystemPlatform, CopyOverwritesAndAMissingSourceLeavesTheDestination) {
  TLanguageFolder folder;
  folder.Write("src", "new");
  folder.Write("dst", "old and longer");
  const auto& copy = LanguageServices().CopyFileOver;
  EXPECT_TRUE(copy(folder.Base + "src", folder.Base + "dst"));
  EXPECT_EQ(folder.Read("dst"), "new");
  EXPECT_FALSE(copy(folder.Base + "none", folder.Base + "dst"));
  EXPECT_EQ(folder.Read("dst"), "new");
  EXPECT_TRUE(copy(folder.Base + "src", folder.Base + "fresh"));
  EXPECT_EQ(folder.Read("fresh"), "new");
}

TEST(SystemPlatform, WithoutAnExecutablePathNoFileOfTheCurrentFolderIsRead) {
  TLanguageFolder folder;  // puts the services back
  LanguageServices().ExecutablePath = [] { return AnsiString(); };
  WaTrans catalogue;
  EXPECT_EQ(folder.Terminations, 1);
  EXPECT_EQ(catalogue.TextCount, 1000);
}

}  // namespace
