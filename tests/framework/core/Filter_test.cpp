#include "framework/core/Filter.h"

#include <gtest/gtest.h>

namespace {

// The filter of the program's sound dialog, as it must reach the system.
const char kSoundFilter[] =
    "WAV-Audio-Dateien (.wav)|*.wav|MP3-Audio (.mp3)|*.mp3|MIDI-Dateien (.mid)|*.mid|"
    "VideoDateien (.avi)|*.AVI|MPEG-Video (.mpg)|*.MPG|AlleDateien (*.*)|*.*";

TEST(ParseFilter, SoundDialogFilterGivesSixPairsInOrder) {
  const std::vector<TFilterEntry> expected = {
      {"WAV-Audio-Dateien (.wav)", "*.wav"}, {"MP3-Audio (.mp3)", "*.mp3"},
      {"MIDI-Dateien (.mid)", "*.mid"},      {"VideoDateien (.avi)", "*.AVI"},
      {"MPEG-Video (.mpg)", "*.MPG"},        {"AlleDateien (*.*)", "*.*"},
  };
  EXPECT_EQ(ParseFilter(kSoundFilter), expected);
}

struct FilterCase {
  const char* Name;
  AnsiString Filter;
  AnsiString System;  // what the dialog gets, NULs included
};

TEST(FilterToSystem, EveryPairSurvivesSoNoFilterIsHidden) {
  using namespace std::string_literals;
  const FilterCase cases[] = {
      {"empty filter shows every file", "", ""},
      {"one pair", "Text|*.txt", "Text\0*.txt\0\0"s},
      {"two pairs", "A|*.a|B|*.b", "A\0*.a\0B\0*.b\0\0"s},
      {"pattern list kept whole", "Sounds|*.wav;*.mp3", "Sounds\0*.wav;*.mp3\0\0"s},
      {"trailing bar dropped", "A|*.a|", "A\0*.a\0\0"s},
      {"missing pattern matches all", "A|*.a|B", "A\0*.a\0B\0*.*\0\0"s},
      // An empty part would put two NULs mid-list and end it there.
      {"empty description shows the pattern", "|*.a|B|*.b", "*.a\0*.a\0B\0*.b\0\0"s},
      {"empty pattern matches all", "A||B|*.b", "A\0*.*\0B\0*.b\0\0"s},
      {"text ends at a NUL", "A|*.a\0B|*.b"s, "A\0*.a\0\0"s},
      {"descriptions kept as they are", "Klänge|*.wav", "Klänge\0*.wav\0\0"s},
  };
  for (const FilterCase& c : cases) {
    EXPECT_EQ(FilterToSystem(c.Filter), c.System) << c.Name;
  }
}

TEST(FilterToSystem, SystemFormHasOneMoreNulThanItsParts) {
  const AnsiString system = FilterToSystem(kSoundFilter);
  ASSERT_GE(system.size(), 2u);
  EXPECT_EQ(system.substr(system.size() - 2), AnsiString(2, '\0'));
  EXPECT_EQ(std::count(system.begin(), system.end(), '\0'), 13);
}

TEST(DefaultExtToSystem, LeadingWildcardAndDotGoWildcardsGiveNone) {
  const std::pair<AnsiString, AnsiString> cases[] = {
      {"*.mp3", "mp3"}, {".mp3", "mp3"}, {"mp3", "mp3"},
      {"*.MP3", "MP3"}, {"", ""},        {"*", ""},
      {"*.*", ""},      {"*.mp?", ""},   {"*.mp3;*.wav", ""},
      {".", ""},        {"*.", ""},      {"*.tar.gz", "tar.gz"},
  };
  for (const auto& [given, expected] : cases) {
    EXPECT_EQ(DefaultExtToSystem(given), expected) << "default extension '" << given << "'";
  }
}

TEST(SplitSelectedFiles, OnePathOrAFolderWithNames) {
  using namespace std::string_literals;
  struct Case {
    const char* Name;
    AnsiString Buffer;
    std::vector<AnsiString> Files;
  };
  const Case cases[] = {
      {"nothing chosen", AnsiString(8, '\0'), {}},
      {"one file", "C:\\music\\a.wav\0\0"s, {"C:\\music\\a.wav"}},
      {"several files", "C:\\music\0a.wav\0b.mp3\0\0"s, {"C:\\music\\a.wav", "C:\\music\\b.mp3"}},
      {"root folder has its backslash", "C:\\\0a.wav\0b.wav\0\0"s, {"C:\\a.wav", "C:\\b.wav"}},
      // A buffer filled to its end without a terminator must not be read past.
      {"unterminated", "C:\\x.wav"s, {"C:\\x.wav"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitSelectedFiles(c.Buffer.data(), c.Buffer.size()), c.Files) << c.Name;
  }
}

}  // namespace
