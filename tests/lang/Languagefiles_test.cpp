// The language files that ship beside the program: each loads through the catalogue with the
// texts the window needs, in code page 1252 with CR LF line ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <vector>

#include "app/Cmdline.h"
#include "lang/Watranskomp.h"
#include "tests/lang/Langfolder.h"

namespace {

const std::filesystem::path kShipped = WAKORA_LANGUAGE_FILES;

std::filesystem::path ShippedPath(int number) {
  std::string name = "Wakora.t0";
  name += std::to_string(number);
  return kShipped / name;
}

std::string ShippedFile(int number) {
  std::ifstream in(ShippedPath(number), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int ShippedCount() {
  int count = 0;
  while (count < 10 && std::filesystem::exists(ShippedPath(count))) {
    ++count;
  }
  return count;
}

TEST(ShippedLanguages, AtLeastSixWithoutGapsGermanFirst) {
  const int count = ShippedCount();
  EXPECT_GE(count, 6);
  for (int number = count; number < 10; ++number) {
    EXPECT_FALSE(std::filesystem::exists(ShippedPath(number)))
        << "a gap before language " << number;
  }
  AnsiString head;
  ASSERT_TRUE(ReadLanguageFile(ShippedPath(0).string(), head, 2));
  EXPECT_EQ(ParseLanguageName(head), "Deutsch");
}

TEST(ShippedLanguages, AreCp1252WithCrLfLineEndsAndEndMarker) {
  for (int number = 0; number < ShippedCount(); ++number) {
    SCOPED_TRACE("language " + std::to_string(number));
    const std::string file = ShippedFile(number);
    ASSERT_GE(file.size(), 7u);
    EXPECT_EQ(file.compare(0, 5, "[0]\r\n"), 0) << "the name list reads line 2";
    EXPECT_EQ(file.substr(file.size() - 7), "[END]\r\n");
    for (size_t i = 0; i < file.size(); ++i) {
      const auto byte = static_cast<unsigned char>(file[i]);
      if (byte == '\n') {
        EXPECT_TRUE(i > 0 && file[i - 1] == '\r') << "bare line feed at byte " << i;
      } else if (byte == '\r') {
        EXPECT_TRUE(i + 1 < file.size() && file[i + 1] == '\n') << "bare CR at byte " << i;
      } else {
        EXPECT_GE(byte, 0x20) << "control byte at " << i;
        // Bytes that code page 1252 leaves undefined; UTF-8 would bring them in.
        EXPECT_TRUE(byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 && byte != 0x9D)
            << "byte " << i;
        EXPECT_NE(byte, 0xC3) << "looks like UTF-8 at byte " << i;
      }
    }
  }
}

TEST(ShippedLanguages, EachLoadsItsTextsThroughTheCatalogueWithUniqueAccelerators) {
  // Alt and a letter reaches one control of the window, and one item of the open tray menu.
  const std::vector<int> groups[] = {{2, 3, 4, 5, 6, 8}, {9, 10, 11}};
  // The shipped files go into a folder of their own, as beside an installed program.
  TLanguageFolder folder("Wakora.exe");
  const int count = ShippedCount();
  for (int number = 0; number < count; ++number) {
    folder.Write("t0" + std::to_string(number), ShippedFile(number));
  }
  WaTrans catalogue;
  ASSERT_EQ(catalogue.LanguageCount, count);
  std::set<std::string> names;
  for (int number = 0; number < count; ++number) {
    const AnsiString name = catalogue.LanguageName(number);
    SCOPED_TRACE("language " + std::to_string(number) + " " + name);
    EXPECT_TRUE(names.insert(AsciiUpperCase(name)).second) << "two languages of one name";
    ASSERT_EQ(catalogue.SelectLanguage(name, false), 1);
    EXPECT_GE(catalogue.TextCount, 12);
    EXPECT_EQ(catalogue.Text(0), name);
    EXPECT_EQ(catalogue.Text(1).rfind("https://", 0), 0u) << catalogue.Text(1);
    // The heading beside the check box names the sound list below it, as the other headings
    // name their fields: it promises no sound that clearing the box would stop.
    EXPECT_EQ(catalogue.Text(4).back(), ':') << catalogue.Text(4);
    for (int text = 0; text <= kLastProgramText; ++text) {
      EXPECT_FALSE(catalogue.Text(text).empty()) << "text " << text;
      if (text == kUsageText) continue;  // the only text of several lines
      EXPECT_EQ(catalogue.Text(text).find('\n'), AnsiString::npos) << "text " << text;
    }
    for (const std::vector<int>& group : groups) {
      for (size_t i = 0; i < group.size(); ++i) {
        for (size_t j = i + 1; j < group.size(); ++j) {
          const AnsiString &one = catalogue.Text(group[i]), &other = catalogue.Text(group[j]);
          EXPECT_FALSE(IsAccelerator(AcceleratorOf(one), other)) << one << " and " << other;
        }
      }
    }
    // The options and forms are the program's, whatever the language.
    for (const char* form : {"/in ", "/at HH:MM", "/text", "/sound", "999999"}) {
      EXPECT_NE(catalogue.Text(kUsageText).find(form), AnsiString::npos) << form;
    }
    // An older language file falls back to these built-in texts.
    if (name == "English") {
      for (int text = kUsageText; text <= kLastProgramText; ++text) {
        EXPECT_EQ(catalogue.Text(text), EnglishText(text)) << "text " << text;
      }
    }
  }
}

TEST(ShippedLanguages, GermanMenuItemsAreByteExact) {
  TLanguageFolder folder("Wakora.exe");
  folder.Write("t00", ShippedFile(0));
  WaTrans catalogue;
  EXPECT_EQ(catalogue.Text(9), "&Homepage");
  EXPECT_EQ(catalogue.Text(10), "Menü &anzeigen");
  EXPECT_EQ(catalogue.Text(11), "Wakora &beenden");
}

}  // namespace
