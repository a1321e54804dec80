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
// A file's first lines are read in blocks of this size.
constexpr size_t kHeadBlockSize = 512;

const AnsiString kEmptyText;

// The loader works on the bytes as stored and applies the text-mode rules as it goes: a
// carriage return is treated as absent wherever it stands, and the data ends at the first
// byte 0x1A. The C library's memchr finds the few interesting bytes many at a time.
const char* FindByte(const char* from, const char* end, char byte) {
  return static_cast<const char*>(std::memchr(from, byte, end - from));
}

const char* TextModeEnd(const char* begin, const char* end) {
  const char* stop = FindByte(begin, end, '\x1A');
  return stop ? stop : end;
}

// Appends [from, to) to `text` without its carriage returns, each byte of code page 1252 as
// its character in UTF-8.
void AppendDecoded(AnsiString& text, const char* from, const char* to) {
  for (; from < to; ++from) {
    const auto byte = static_cast<uint8_t>(*from);
    if (byte < 0x80) {
      if (byte != '\r') text += static_cast<char>(byte);
    } else {
      AppendUtf8(text, Cp1252Character(byte));
    }
  }
}

// Whether `at` begins a line once carriage returns are dropped: only carriage returns lie
// between it and the line feed before it, or the start of the data.
bool StartsLine(const char* begin, const char* at) {
  while (at > begin && at[-1] == '\r') --at;
  return at == begin || at[-1] == '\n';
}

// Reads the whole file as stored into `bytes`. False when it cannot be opened.
bool ReadFileBytes(const AnsiString& path, AnsiString& bytes) {
  bytes.clear();
  std::unique_ptr<FILE, int (*)(FILE*)> file(OpenFile(path, "rb"), &std::fclose);
  if (!file) return false;
  // The size is a hint: a file that grows meanwhile is read to its end all the same.
  size_t expected = 0;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    const long size = std::ftell(file.get());
    if (size > 0) expected = static_cast<size_t>(size);
    std::fseek(file.get(), 0, SEEK_SET);
  }
  bytes.resize(expected + 1);
  size_t used = 0;
  for (;;) {
    used += std::fread(bytes.data() + used, 1, bytes.size() - used, file.get());
    if (used < bytes.size()) break;
    bytes.resize(2 * bytes.size());
  }
  bytes.resize(used);
  return true;
}

}  // namespace

bool ReadLanguageFile(const AnsiString& path, AnsiString& text, int lineLimit) {
  text.clear();
  if (lineLimit <= 0) {
    if (!ReadFileBytes(path, text)) return false;
  } else {
    // Only the first lines are wanted: read blocks until enough line feeds are in.
    std::unique_ptr<FILE, int (*)(FILE*)> file(OpenFile(path, "rb"), &std::fclose);
    if (!file) return false;
    int lineFeeds = 0;
    for (;;) {
      const size_t start = text.size();
      text.resize(start + kHeadBlockSize);
      const size_t got = std::fread(text.data() + start, 1, kHeadBlockSize, file.get());
      text.resize(start + got);
      const char* const end = text.data() + text.size();
      for (const char* at = FindByte(text.data() + start, end, '\n'); at;
           at = FindByte(at + 1, end, '\n')) {
        ++lineFeeds;
      }
      if (got < kHeadBlockSize || lineFeeds >= lineLimit ||
          FindByte(text.data() + start, end, '\x1A')) {
        break;
      }
    }
  }
  // Text mode in place: the data ends at 0x1A, and the runs between carriage returns close up.
  char* const begin = text.data();
  const char* const end = TextModeEnd(begin, begin + text.size());
  char* out = begin;
  const char* from = begin;
  while (const char* carriageReturn = FindByte(from, end, '\r')) {
    std::memmove(out, from, carriageReturn - from);
    out += carriageReturn - from;
    from = carriageReturn + 1;
  }
  std::memmove(out, from, end - from);
  out += end - from;
  text.resize(out - begin);
  return true;
}

void ParseLanguageTexts(std::string_view bytes, std::vector<AnsiString>& texts) {
  // One walk does both jobs of the loader: it stores the sections up to the end marker and
  // counts every header, those after the end marker included. Only a line that begins with
  // "[" can be a header, so the walk jumps from one such line to the next; the lines between
  // are the sections. Entries that exist already are overwritten in place, which keeps their
  // memory for the next load.
  const char* const begin = bytes.data();
  const char* const end = TextModeEnd(begin, begin + bytes.size());
  size_t headers = 0;
  size_t stored = 0;                 // entries 0 .. stored - 1 hold this load's sections
  bool ended = false;                // the end marker has been handled
  bool inSection = false;            // lines before the first header belong to no text
  const char* sectionStart = begin;  // where the lines of the current section begin
  for (const char* at = FindByte(begin, end, '['); at; at = FindByte(at + 1, end, '[')) {
    if (!StartsLine(begin, at)) continue;
    // A header is "[" plus at most three characters plus "]"; a line of six characters or
    // more need not be followed to its end.
    char line[6];
    size_t length = 0;
    const char* lineEnd = at;
    for (; lineEnd < end && *lineEnd != '\n' && length < sizeof line; ++lineEnd) {
      if (*lineEnd != '\r') line[length++] = *lineEnd;
    }
    if (length < 2 || length > 5 || line[length - 1] != ']') continue;
    ++headers;
    if (ended) continue;
    if (inSection) {
      // The section's lines without the line feed of the last one: `at` starts a line, so the
      // last byte before it that is not a carriage return is that line feed.
      const char* sectionEnd = at;
      while (sectionEnd > sectionStart && sectionEnd[-1] == '\r') --sectionEnd;
      if (sectionEnd > sectionStart) --sectionEnd;
      if (stored == texts.size()) texts.emplace_back();
      AnsiString& text = texts[stored++];
      text.clear();
      AppendDecoded(text, sectionStart, sectionEnd);
    }
    inSection = true;
    sectionStart = lineEnd < end ? lineEnd + 1 : end;
    ended = length == 5 && std::memcmp(line, "[END]", 5) == 0;
  }
  // One text per header but the first; sections after the end marker are empty.
  const size_t count = headers > 0 ? headers - 1 : 0;
  for (size_t number = stored; number < count && number < texts.size(); ++number) {
    texts[number].clear();
  }
  texts.resize(count);
}

std::vector<AnsiString> ParseLanguageTexts(std::string_view bytes) {
  std::vector<AnsiString> texts;
  ParseLanguageTexts(bytes, texts);
  return texts;
}

AnsiString ParseLanguageName(std::string_view text) {
  const size_t first = text.find('\n');
  if (first == std::string_view::npos) return AnsiString();
  const std::string_view rest = text.substr(first + 1);
  return Cp1252ToUtf8(rest.substr(0, rest.find('\n')));
}

std::vector<AnsiString> WaTrans::MissingFiles() {
  const AnsiString base = BasePath();
  if (!base.empty() && (FileExists(base + "def") || FileExists(base + "t00"))) return {};
  return {base + "def", base + "t00"};
}

WaTrans::WaTrans(TMode mode) : FMode(mode) {
  const AnsiString base = BasePath();
  const bool hasActive = !base.empty() && FileExists(base + "def");
  if (!hasActive && FMode == TMode::Active && !MissingFiles().empty()) {
    // Takes effect only once the message loop runs; the catalogue still loads its defaults.
    const auto& terminate = LanguageServices().RequestTermination;
    if (terminate) terminate();
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

AnsiString WaTrans::BasePath() {
  // The dot of the executable's extension stays: "C:\Tools\alarm.exe" gives "C:\Tools\alarm.".
  // Without a path there is no file to read, rather than files of the current folder.
  const auto& executable = LanguageServices().ExecutablePath;
  const AnsiString path = executable ? executable() : AnsiString();
  return path.size() > 3 ? path.substr(0, path.size() - 3) : AnsiString();
}

void WaTrans::Reload() {
  LoadActiveTexts();
  LoadLanguageNames();
}

void WaTrans::LoadActiveTexts() {
  // Texts grows (or shrinks) to what the file holds, so a language with more texts than the
  // previous one never writes past the end.
  const AnsiString base = BasePath();
  AnsiString bytes;
  if (!base.empty() && FileExists(base + FActiveFile) && ReadFileBytes(base + FActiveFile, bytes)) {
    ParseLanguageTexts(bytes, Texts);
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
    if (base.empty() || !FileExists(source)) continue;
    const auto& copy_over = LanguageServices().CopyFileOver;
    const bool copied =
        FMode == TMode::Active && copy_over && copy_over(source, base + copy.destination);
    // A folder the user may not write to keeps the old "def" or none: the texts then come
    // from the language's own file, and the choice lasts until the program ends.
    if (copy.destination == AnsiString("def")) FActiveFile = copied ? "def" : copy.source + digits;
  }

  if (firstTime) {
    LanguageNames.assign(kFirstTimeNameRoom, AnsiString());
    Texts.assign(kFirstTimeTextRoom, AnsiString());
  }
  Reload();
  return 1;
}
