#include "framework/core/Sysutils.h"

#include <gtest/gtest.h>

#include "tests/Widefolder.h"

namespace {

struct IntCase {
  const char* Text;
  bool Valid;
  int Value;
};

TEST(StrToInt, AcceptsBlanksSignsAndHexAndRejectsTheRest) {
  const IntCase cases[] = {
      {"0", true, 0},
      {"42", true, 42},
      {"  42", true, 42},
      {"42\t ", true, 42},
      {"+7", true, 7},
      {"-7", true, -7},
      {"007", true, 7},
      {"2147483647", true, INT32_MAX},
      {"-2147483648", true, INT32_MIN},
      {"$FF", true, 255},
      {"$ff", true, 255},
      {"0x1F", true, 31},
      {"0X1f", true, 31},
      {"-$10", true, -16},
      {"$FFFFFFFF", true, -1},  // hex is a 32-bit pattern
      {"$7FFFFFFF", true, INT32_MAX},
      // Overflow must not wrap round into a valid-looking number.
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"99999999999999999999", false, 0},
      {"$100000000", false, 0},
      {"0x123456789ABCDEF0", false, 0},
      // Not numbers at all.
      {"", false, 0},
      {"   ", false, 0},
      {"-", false, 0},
      {"+", false, 0},
      {"$", false, 0},
      {"0x", false, 0},
      {"1 2", false, 0},
      {"- 1", false, 0},
      {"12a", false, 0},
      {"$G1", false, 0},
      {"1.5", false, 0},
      {"1e3", false, 0},
      {"--1", false, 0},
      {"\xFC", false, 0},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE(c.Text);
    int value = 12345;
    EXPECT_EQ(TryStrToInt(c.Text, value), c.Valid);
    if (c.Valid) {
      EXPECT_EQ(value, c.Value);
      EXPECT_EQ(StrToInt(c.Text), c.Value);
    } else {
      EXPECT_EQ(value, 12345) << "a failed conversion must leave the target alone";
      EXPECT_THROW(StrToInt(c.Text), EConvertError);
    }
  }
}

TEST(StrToInt, ErrorQuotesTheText) {
  try {
    StrToInt(" 12x");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "' 12x' is not a valid integer value");
    EXPECT_STREQ(e.what(), "' 12x' is not a valid integer value");
  }
}

TEST(Format, GrowsBeyondAnyFixedBuffer) {
  const AnsiString long_text(5000, 'x');
  EXPECT_EQ(Format("<%s>", long_text.c_str()), "<" + long_text + ">");
  EXPECT_EQ(Format("%d-%s", 7, "a"), "7-a");
  EXPECT_EQ(Format("%s", ""), "");
}

// The files of the older 8-bit format hold code page 1252, which differs from Latin-1 in 0x80
// to 0x9F.
TEST(Cp1252, BytesAreTheirCharacters) {
  EXPECT_EQ(Cp1252ToUtf8("Men\xFC \x80 \x84\x93 \x81"), "Menü € „“ \u0081");
  EXPECT_EQ(Cp1252Byte(U'ü'), 0xFC);
  EXPECT_EQ(Cp1252Byte(U'€'), 0x80);
  EXPECT_EQ(Cp1252Byte(0x81), 0x81) << "an undefined byte stands for itself";
  EXPECT_EQ(Cp1252Byte(0x80), -1) << "U+0080 is not the euro's byte";
  EXPECT_EQ(Cp1252Byte(U'Ω'), -1);
}

TEST(CaseMapping, TouchesOnlyAsciiLetters) {
  EXPECT_EQ(AsciiUpperCase("abz AZ 09 _ üä"), "ABZ AZ 09 _ üä");
  EXPECT_EQ(AsciiLowerCase("ABZ az 09 ÜÄ"), "abz az 09 ÜÄ");
}

struct AcceleratorCase {
  const char* Caption;
  const char* Spoken;
  char32_t Key;
};

TEST(Accelerator, AmpersandMarksTheKeyAndDoubledOneIsLiteral) {
  const AcceleratorCase cases[] = {
      {"&Set alarm", "Set alarm", 'S'},
      {"Weck&zeit:", "Weckzeit:", 'z'},
      {"Salt && pepper", "Salt & pepper", 0},
      {"A && &B", "A & B", 'B'},
      {"&&&Cut", "&Cut", 'C'},
      {"trailing &", "trailing ", 0},
      {"", "", 0},
      {"T&wo &keys", "Two keys", 'w'},  // the first one counts
      {"Sp&råk:", "Språk:", 'r'},
      {"&Ändern", "Ändern", U'Ä'},
      {"Ώρα &για", "Ώρα για", U'γ'},
  };
  for (const AcceleratorCase& c : cases) {
    EXPECT_EQ(StripAccelerator(c.Caption), c.Spoken) << c.Caption;
    EXPECT_EQ(AcceleratorOf(c.Caption), c.Key) << c.Caption;
  }
  // Alt and a letter in either case, accented, Greek and Cyrillic letters included.
  EXPECT_TRUE(IsAccelerator('s', "&Set alarm"));
  EXPECT_TRUE(IsAccelerator('Z', "Weck&zeit:"));
  EXPECT_TRUE(IsAccelerator(U'Ä', "&ändern"));
  EXPECT_TRUE(IsAccelerator(U'Š', "&šipka"));
  EXPECT_TRUE(IsAccelerator(U'Σ', "&ς"));
  EXPECT_TRUE(IsAccelerator(U'я', "&Язык"));
  EXPECT_FALSE(IsAccelerator('e', "&Set alarm"));
  EXPECT_FALSE(IsAccelerator('&', "Salt && pepper"));
  EXPECT_FALSE(IsAccelerator(U'÷', "&×"));  // division and multiplication signs
}

TEST(ExtractFileExt, StopsAtTheFolder) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Wakora\\wakora.exe", ".exe"},
      {"wakora.t00", ".t00"},
      {"archive.tar.gz", ".gz"},
      {"C:\\dir.d\\file", ""},
      {"dir.d/file", ""},
      {"C:file", ""},
      {"name.", "."},
      {"", ""},
  };
  for (const auto& [path, ext] : cases) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ExtractFileExt(path), ext);
  }
}

TEST(FileExists, IsFalseForFoldersAndMissingFiles) {
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FileExists("no-such-file.wakora"));
  EXPECT_FALSE(FileExists("."));
  const AnsiString name = "sysutils-test-exists.tmp";
  std::FILE* file = std::fopen(name.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  EXPECT_TRUE(FileExists(name));
  std::remove(name.c_str());
  EXPECT_FALSE(FileExists(name));
}

// File names between UTF-8 and UTF-16, both ways where the pair is exact.
TEST(Utf8, ConvertsFileNamesBothWays) {
  struct {
    const char* Utf8;
    std::u16string Utf16;
    bool Exact;  // the UTF-16 form gives the same bytes back
  } cases[] = {
      {"", u"", true},
      {"C:\\Wakora.exe", u"C:\\Wakora.exe", true},
      {reinterpret_cast<const char*>(u8"\u00DCn\u00EF"), u"\u00DCn\u00EF", true},
      {reinterpret_cast<const char*>(u8"\u65E5\u672C\u8A9E"), u"\u65E5\u672C\u8A9E", true},
      {reinterpret_cast<const char*>(u8"\U0001F514"), u"\U0001F514", true},  // a surrogate pair
      {"\xED\xA0\x80", u"\xD800", true},  // a lone surrogate, as a Windows name may hold
      {"a\xFC"
       "b",
       u"a\xFFFD"
       u"b",
       false},                               // a code page 1252 byte is no UTF-8
      {"\xC0\xAF", u"\xFFFD\xFFFD", false},  // overlong
      {"\xE6\x97", u"\xFFFD\xFFFD", false},  // cut short
      {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD", false},  // beyond U+10FFFF
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Utf8);
    EXPECT_EQ(Utf8ToUtf16(c.Utf8), c.Utf16);
    EXPECT_EQ(Utf16ToUtf8(c.Utf16) == c.Utf8, c.Exact);
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(c.Utf16)), c.Utf16);
  }
}

// A text cut to a field of the system: at most so many units of UTF-16, and whole characters.
TEST(Utf8, APrefixEndsBetweenCharacters) {
  const AnsiString text = "añ\U0001F600b";
  const char* const expected[] = {"", "a", "añ", "añ", "añ\U0001F600", "añ\U0001F600b"};
  for (size_t units = 0; units < std::size(expected); ++units) {
    EXPECT_EQ(Utf8Prefix(text, units), expected[units]) << units;
  }
}

TEST(OpenFile, ReachesAFolderOutsideTheCodePage) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       widefolder::PathOf("wakora-open-" + widefolder::Name());
  std::filesystem::create_directories(folder);
  const AnsiString name = widefolder::Utf8Of(folder / "x.t00");
  std::FILE* file = OpenFile(name, "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("[0]", file);
  std::fclose(file);
  EXPECT_TRUE(FileExists(name));
  EXPECT_FALSE(FileExists(widefolder::Utf8Of(folder)));
  EXPECT_EQ(std::filesystem::file_size(folder / "x.t00"), 3u);
  std::filesystem::remove_all(folder);
  EXPECT_FALSE(FileExists(name));
}

}  // namespace
