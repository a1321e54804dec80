#include "app/Cmdline.h"

#include <gtest/gtest.h>

namespace {

// The file system as the parser sees it: only tea.wav exists.
AnsiString Resolve(const AnsiString& name) {
  return name == "tea.wav" || name == "C:\\tea.wav" ? "C:\\tea.wav" : "";
}

AnsiString Joined(const std::vector<AnsiString>& arguments) {
  AnsiString line;
  for (const AnsiString& argument : arguments) line += (line.empty() ? "" : " ") + argument;
  return line;
}

// The alarm as the arguments a start hands over, or what else the start does.
AnsiString Outcome(const TStartRequest& request) {
  static const char* const faults[] = {"", "invalid ", "missing ", "no alarm "};
  switch (request.Kind) {
    case TStartKind::Normal:
      return "normal";
    case TStartKind::Usage:
      return "usage";
    case TStartKind::Alarm:
      return Joined(AlarmArguments(request.Alarm));
    case TStartKind::Bad:
      break;
  }
  return faults[static_cast<int>(request.Fault)] + request.BadArgument;
}

TEST(StartArguments, AcceptEachFormAndNameTheFirstBadArgument) {
  const struct {
    std::vector<AnsiString> Arguments;
    AnsiString Outcome;
  } cases[] = {
      {{}, "normal"},
      {{"/in", "15"}, "/in 15"},
      {{"-IN", "0"}, "/in 0"},
      {{"/In", "0000999999"}, "/in 999999"},
      {{"-aT", "7:05"}, "/at 07:05"},
      {{"/at", "23:59"}, "/at 23:59"},
      {{"/in", "4", "/TEXT", "Tea", "-sound", "2"}, "/in 4 /text Tea /sound 2"},
      // Any order; a value stands as it is, dash or not; a file becomes its full path.
      {{"/text", "-in é", "/sound", "tea.wav", "/at", "0:00"},
       "/at 00:00 /text -in é /sound C:\\tea.wav"},
      {{"/in", "1", "/text", ""}, "/in 1 /text "},
      {{"/at", "2026-12-24T18:00"}, "/at 2026-12-24T18:00"},
      {{"/at", "2026-12-24t17:00:30z"}, "/at 2026-12-24T17:00:30Z"},
      {{"/at", "2028-02-29T17:00Z"}, "/at 2028-02-29T17:00:00Z"},
      // A record keeps its sound file when the file is gone; its playback falls back.
      {{"/id", "A1b2", "/in", "5", "/sound", "gone.wav"}, "/in 5 /sound gone.wav /id A1b2"},
      {{"/?"}, "usage"},

      {{"/in", "1000000"}, "invalid 1000000"},
      {{"/in", "99999999999999999999"}, "invalid 99999999999999999999"},
      {{"/in", "-1"}, "invalid -1"},
      {{"/in", " 5"}, "invalid  5"},
      {{"/at", "24:00"}, "invalid 24:00"},
      {{"/at", "07:60"}, "invalid 07:60"},
      {{"/at", "7:5"}, "invalid 7:5"},
      {{"/at", "07:00:00"}, "invalid 07:00:00"},
      {{"/at", "2026-02-29T10:00"}, "invalid 2026-02-29T10:00"},
      {{"/at", "2026-12-24T18:00:30"}, "invalid 2026-12-24T18:00:30"},  // seconds only in UTC
      {{"/at", "1899-12-24T18:00Z"}, "invalid 1899-12-24T18:00Z"},
      {{"/at", "2026-12-24 18:00"}, "invalid 2026-12-24 18:00"},
      {{"/in", "5", "/id", "a-b"}, "invalid a-b"},
      {{"/in", "5", "/id", std::string(33, 'a')}, "invalid " + std::string(33, 'a')},
      {{"/in"}, "invalid /in"},  // no value
      {{"/in", "5", "/at", "07:00"}, "invalid /at"},
      {{"/in", "5", "/text", "a", "/TEXT", "b"}, "invalid /TEXT"},
      {{"/in", "5", "/text", "two\nlines"}, "invalid two\nlines"},
      {{"/in", "5", "/sound", "0"}, "invalid 0"},
      {{"/in", "5", "/sound", "4"}, "invalid 4"},
      {{"/in", "5", "/sound", "gone.wav"}, "missing gone.wav"},
      {{"/text", "Tea"}, "no alarm "},
  };
  for (const auto& c : cases) {
    const TStartRequest request = ParseStartArguments(c.Arguments, Resolve);
    EXPECT_EQ(Outcome(request), c.Outcome) << Joined(c.Arguments);
    // What a start hands to the running copy asks for the same alarm there.
    if (request.Kind != TStartKind::Alarm) continue;
    EXPECT_EQ(ParseStartArguments(AlarmArguments(request.Alarm), Resolve).Alarm, request.Alarm);
  }
}

TEST(StartArguments, HandOverBlocksKeepEveryArgumentAndRefuseMalformedData) {
  const std::vector<AnsiString> arguments = {"/text", "", "/in", "5"};
  std::vector<AnsiString> unpacked;
  ASSERT_TRUE(UnpackArguments(PackArguments(arguments), unpacked));
  EXPECT_EQ(unpacked, arguments);
  const std::string refused[] = {
      "", std::string("/in\0005", 5),                // no final zero byte
      std::string(kMaxArgumentCount + 1, '\0'),      // too many arguments
      std::string(kMaxPackedArguments, 'x') + '\0',  // too large
  };
  for (const std::string& block : refused) {
    EXPECT_FALSE(UnpackArguments(block, unpacked)) << block.size();
    EXPECT_TRUE(unpacked.empty());
  }
}

TEST(StartArguments, MessagesNameTheFaultAndFallBackToEnglishTexts) {
  const auto french = [](int number) -> AnsiString {
    return number == kUsageText ? "Utilisation" : number == kMissingFileText ? "Absent :" : "";
  };
  const auto older = [](int) { return AnsiString(); };  // a file from before these texts
  const AnsiString usage = EnglishText(kUsageText);
  const auto bad = [](TArgumentFault fault, const AnsiString& argument = "") {
    TStartRequest request;
    request.Kind = TStartKind::Bad;
    request.Fault = fault;
    request.BadArgument = argument;
    return request;
  };
  TStartRequest asked;
  asked.Kind = TStartKind::Usage;

  EXPECT_EQ(StartMessage(asked, french), "Utilisation");
  EXPECT_EQ(StartMessage(asked, older), usage);
  EXPECT_EQ(StartMessage(bad(TArgumentFault::MissingFile, "C:\\thé.wav"), french),
            "Absent :\n\"C:\\thé.wav\"\n\nUtilisation");
  EXPECT_EQ(StartMessage(bad(TArgumentFault::Invalid, "12x"), french),
            "Invalid argument:\n\"12x\"\n\nUtilisation");
  EXPECT_EQ(StartMessage(bad(TArgumentFault::NoAlarm), older),
            "Missing /in MINUTES or /at HH:MM.\n\n" + usage);
  EXPECT_LT(StartMessage(bad(TArgumentFault::Invalid, AnsiString(5000, 'x')), older).size(), 1000u)
      << "the box would leave the screen";
}

}  // namespace
