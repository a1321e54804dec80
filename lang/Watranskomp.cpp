#include "lang/Watranskomp.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// What the catalogue holds when there is no active-language file.
constexpr int kDefaultTextCount = 1000;
// Language files are "t00" to "t09".
constexpr int kMaxLanguages = 10;
// The first-time selection starts from arrays of these sizes; the load then sizes them.
constexpr int kFirstTimeNameRoom = 10;
constexpr int kFirstTimeTextRoom = 10001;

const AnsiString kEmptyText;

// Drops the carriage returns from text[from, end) in place and shortens text to match.
void DropCarriageReturns(AnsiString& text, size_t from) {
  char* const begin = text.data() + from;
  char* const end = text.data() + text.size();
  char* in = static_cast<char*>(std::memchr(begin, '\r', end - begin));
  if (!in) return;
  char* out = in;
  while (in < end) {
    ++in;  // past the carriage return
    char* next = static_cast<char*>(std::memchr(in, '\r', end - in));
    char* stop = next ? next : end;
    std::memmove(out, in, stop - in);
    out += stop - in;
    in = stop;
  }
  text.resize(out - text.data());
}

size_t CountLineFeeds(std::string_view text) {
  size_t count = 0;
  for (size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1)) {
    ++count;
  }
  return count;
}

// "[" plus at most three characters plus "]", without its line feed. Nothing is trimmed.
bool IsSectionHeader(std::string_view line) {
  return line.size() >= 2 && line.size() <= 5 && line.front() == '[' && line.back() == ']';
}

}  // namespace

bool ReadLanguageFile(const AnsiString& path, AnsiString& text, int lineLimit) {
  text.clear();
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return false;

  // A whole file arrives in one read when its size is known; a few lines need only a block.
  size_t block = 4096;
  if (lineLimit <= 0 && std::fseek(file.get(), 0, SEEK_END) == 0) {
    long size = std::ftell(file.get());
    if (size >= 0) block = static_cast<size_t>(size) + 1;
    std::fseek(file.get(), 0, SEEK_SET);
  }
  size_t lineFeeds = 0;
  for (;;) {
    const size_t start = text.size();
    text.resize(start + block);
    const size_t got = std::fread(text.data() + start, 1, block, file.get());
    text.resize(start + got);
    // Text mode ends the data at the first 0x1A, whatever follows.
    const void* endOfFile = std::memchr(text.data() + start, 0x1A, got);
    if (endOfFile) text.resize(static_cast<const char*>(endOfFile) - text.data());
    DropCarriageReturns(text, start);
    if (endOfFile || got < block) break;
    if (lineLimit > 0) {
      lineFeeds += CountLineFeeds(std::string_view(text).substr(start));
      if (lineFeeds >= static_cast<size_t>(lineLimit)) break;
    }
    block = std::min<size_t>(block * 2, 1 << 20);
  }
  return true;
}

std::vector<AnsiString> ParseLanguageTexts(std::string_view text) {
  // One walk over the lines does both jobs of the loader: it stores the sections up to the end
  // marker and counts every header, those after the end marker included. A line is the
  // characters up to its line feed; after a final line feed one more, empty line follows.
  std::vector<AnsiString> texts;
  size_t headers = 0;
  bool stored = false;      // the end marker has been handled
  int section = -1;         // lines before the first header belong to no text
  size_t sectionStart = 0;  // where the lines of the current section begin
  size_t lineStart = 0;
  for (;;) {
    const size_t lineFeed = text.find('\n', lineStart);
    const size_t lineEnd = lineFeed == std::string_view::npos ? text.size() : lineFeed;
    const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    if (IsSectionHeader(line)) {
      ++headers;
      if (!stored) {
        if (section >= 0) {
          // The section's lines without the line feed of the last one.
          size_t length = lineStart - sectionStart;
          if (length > 0) --length;
          texts.emplace_back(text.substr(sectionStart, length));
        }
        ++section;
        sectionStart = lineFeed == std::string_view::npos ? text.size() : lineFeed + 1;
        stored = line == "[END]";
      }
    }
    if (lineFeed == std::string_view::npos) break;
    lineStart = lineFeed + 1;
  }
  // One text per header but the first; sections after the end marker stay empty.
  texts.resize(headers > 0 ? headers - 1 : 0);
  return texts;
}

AnsiString ParseLanguageName(std::string_view text) {
  const size_t first = text.find('\n');
  if (first == std::string_view::npos) return AnsiString();
  const std::string_view rest = text.substr(first + 1);
  return AnsiString(rest.substr(0, rest.find('\n')));
}

WaTrans::WaTrans() : WaTrans(SystemLanguagePlatform()) {}

WaTrans::WaTrans(const TLanguagePlatform& platform) : Platform(platform) {
  const AnsiString base = BasePath();
  const bool hasActive = !base.empty() && FileExists(base + "def");
  if (!hasActive && !(!base.empty() && FileExists(base + "t00"))) {
    // Takes effect only once the message loop runs; the catalogue still loads its defaults.
    if (Platform.RequestTermination) Platform.RequestTermination();
  }
  if (!hasActive) SelectLanguage(AnsiString(), true);
  LoadActiveTexts();
  LoadLanguageNames();
}

const AnsiString& WaTrans::Text(int number) const {
  if (number < 0 || number >= TextCount || static_cast<size_t>(number) >= Texts.size()) {
    return kEmptyText;
  }
  return Texts[number];
}

const AnsiString& WaTrans::LanguageName(int number) const {
  if (number < 0 || number >= LanguageCount ||
      static_cast<size_t>(number) >= LanguageNames.size()) {
    return kEmptyText;
  }
  return LanguageNames[number];
}

AnsiString WaTrans::BasePath() const {
  // The dot of the executable's extension stays: "C:\Tools\alarm.exe" gives "C:\Tools\alarm.".
  // Without a path there is no file to read, rather than files of the current folder.
  const AnsiString path = Platform.ExecutablePath ? Platform.ExecutablePath() : AnsiString();
  return path.size() > 3 ? path.substr(0, path.size() - 3) : AnsiString();
}

void WaTrans::Reload() {
  LoadActiveTexts();
  LoadLanguageNames();
}

void WaTrans::LoadActiveTexts() {
  // The arrays are sized to what the file holds before anything is stored, so a language with
  // more texts than the previous one never writes past the end.
  const AnsiString base = BasePath();
  AnsiString content;
  if (!base.empty() && FileExists(base + "def") && ReadLanguageFile(base + "def", content)) {
    Texts = ParseLanguageTexts(content);
  } else {
    Texts.assign(kDefaultTextCount, AnsiString());
  }
  TextCount = static_cast<int>(Texts.size());
}

void WaTrans::LoadLanguageNames() {
  // The highest language file present sets the count; gaps below it are counted as languages
  // and get the empty name.
  const AnsiString base = BasePath();
  LanguageCount = 1;
  for (int number = kMaxLanguages - 1; number >= 1; --number) {
    if (!base.empty() && FileExists(base + "t0" + IntToStr(number))) {
      LanguageCount = number + 1;
      break;
    }
  }
  LanguageNames.assign(LanguageCount, AnsiString());
  for (int number = 0; number < LanguageCount; ++number) {
    AnsiString head;
    if (!base.empty() && ReadLanguageFile(base + "t0" + IntToStr(number), head, 2)) {
      LanguageNames[number] = ParseLanguageName(head);
    }
  }
}

int WaTrans::SelectLanguage(AnsiString name, bool firstTime) {
  int number = 0;
  if (!firstTime) {
    number = -1;
    const AnsiString wanted = AsciiUpperCase(std::move(name));
    for (int candidate = 0; candidate < LanguageCount; ++candidate) {
      if (AsciiUpperCase(LanguageName(candidate)) == wanted) number = candidate;  // last one wins
    }
    if (number < 0) return -1;
  }

  const AnsiString base = BasePath();
  const AnsiString digits = IntToStr(number);
  // Each copy only where its source exists: a language without a help file or document
  // leaves the previous language's copy in place.
  const struct {
    const char* source;
    const char* destination;
  } copies[] = {{"t0", "def"}, {"c0", "chm"}, {"d0", "doc"}};
  for (const auto& copy : copies) {
    const AnsiString source = base + copy.source + digits;
    if (!base.empty() && FileExists(source) && Platform.CopyFileOver) {
      Platform.CopyFileOver(source, base + copy.destination);
    }
  }

  if (firstTime) {
    LanguageNames.assign(kFirstTimeNameRoom, AnsiString());
    Texts.assign(kFirstTimeTextRoom, AnsiString());
  }
  Reload();
  return 1;
}
