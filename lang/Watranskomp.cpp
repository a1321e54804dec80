#include "lang/Watranskomp.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// What the catalogue holds when there is no active-language file.
constexpr int kDefaultTextCount = 1000;
// Language files are "t00" to "t09".
constexpr int kMaxLanguages = 10;
// The first-time selection starts from arrays of these sizes; the load then sizes them.
constexpr int kFirstTimeNameRoom = 10;
constexpr int kFirstTimeTextRoom = 10001;

const AnsiString kEmptyText;

// Room kept after the data in both buffers of the reader, so that whole 16-byte blocks may be
// loaded and stored past the end of the data.
constexpr size_t kSlack = 48;

// Copies source[0, size) to out as text mode delivers it: carriage returns dropped, and the
// data ends at a byte 0x1A (then the answer is false). Reads and writes up to kSlack bytes
// beyond both ends; source and out must not overlap.
bool CopyTextMode(const char* source, size_t size, char*& target) {
  // A local cursor: stores through char pointers would otherwise reload the caller's one.
  char* out = target;
  const char* in = source;
  const char* const end = source + size;
#if defined(__SSE2__)
  // Lines of CR LF files are a few dozen bytes long, so a block of 16 bytes holds one or two
  // carriage returns as often as none. Those cases take no branch: each carriage return is
  // skipped by storing the rest of the block again from one byte further on. Stores past the
  // kept bytes are overwritten by the next block.
  const __m128i carriageReturn = _mm_set1_epi8('\r');
  const __m128i endOfFile = _mm_set1_epi8(0x1A);
  while (end - in >= 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const unsigned returns = _mm_movemask_epi8(_mm_cmpeq_epi8(block, carriageReturn));
    const unsigned stops = _mm_movemask_epi8(_mm_cmpeq_epi8(block, endOfFile));
    const unsigned laterReturns = returns & (returns - 1);
    if (stops != 0 || (laterReturns & (laterReturns - 1)) != 0) {
      // Rare: the end of the data, or three carriage returns in one block. Byte by byte.
      for (const char* blockEnd = in + 16; in < blockEnd; ++in) {
        if (*in == 0x1A) {
          target = out;
          return false;
        }
        *out = *in;
        out += *in != '\r';
      }
      continue;
    }
    const unsigned first = __builtin_ctz(returns | 0x10000u);        // 16: none
    const unsigned second = __builtin_ctz(laterReturns | 0x20000u);  // 17: none
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
    char* afterFirst = out + first;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(afterFirst),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + first + 1)));
    char* afterSecond = afterFirst + (second - first - 1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(afterSecond),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + second + 1)));
    out += 16 - (returns != 0) - (laterReturns != 0);
    in += 16;
  }
#endif
  for (; in < end; ++in) {
    const char c = *in;
    if (c == 0x1A) {
      target = out;
      return false;
    }
    *out = c;
    out += c != '\r';
  }
  target = out;
  return true;
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

  // The file arrives in blocks and goes through the text-mode filter into `text`, which is
  // sized for the whole file when its size is known. A few lines need only a small block.
  size_t expected = 0;
  if (lineLimit <= 0 && std::fseek(file.get(), 0, SEEK_END) == 0) {
    const long size = std::ftell(file.get());
    if (size > 0) expected = static_cast<size_t>(size);
    std::fseek(file.get(), 0, SEEK_SET);
  }
  const size_t blockSize = lineLimit > 0 ? 512 : 64 * 1024;
  std::unique_ptr<char[]> block(new char[blockSize + kSlack]);
  text.resize(expected + blockSize + kSlack);
  size_t used = 0;
  size_t lineFeeds = 0;
  for (;;) {
    const size_t got = std::fread(block.get(), 1, blockSize, file.get());
    if (text.size() < used + got + kSlack) text.resize(2 * (used + got + kSlack));
    char* out = text.data() + used;
    const bool goesOn = CopyTextMode(block.get(), got, out);
    const size_t start = used;
    used = out - text.data();
    if (!goesOn || got < blockSize) break;
    if (lineLimit > 0) {
      lineFeeds += CountLineFeeds(std::string_view(text.data() + start, used - start));
      if (lineFeeds >= static_cast<size_t>(lineLimit)) break;
    }
  }
  text.resize(used);
  return true;
}

void ParseLanguageTexts(std::string_view text, std::vector<AnsiString>& texts) {
  // One walk does both jobs of the loader: it stores the sections up to the end marker and
  // counts every header, those after the end marker included. Only a line that begins with
  // "[" can be a header, so the walk jumps from one such line to the next; the lines between
  // are the sections. Entries that exist already are overwritten in place, which keeps their
  // memory for the next load.
  size_t headers = 0;
  size_t stored = 0;        // entries 0 .. stored - 1 hold this load's sections
  bool ended = false;       // the end marker has been handled
  bool inSection = false;   // lines before the first header belong to no text
  size_t sectionStart = 0;  // where the lines of the current section begin
  for (size_t at = text.find('['); at != std::string_view::npos; at = text.find('[', at + 1)) {
    if (at > 0 && text[at - 1] != '\n') continue;
    // A header ends within six characters; a longer line need not be followed to its end.
    size_t lineEnd = at;
    const size_t lookEnd = std::min(text.size(), at + 6);
    while (lineEnd < lookEnd && text[lineEnd] != '\n') ++lineEnd;
    const bool hasLineFeed = lineEnd < text.size() && text[lineEnd] == '\n';
    const std::string_view line = text.substr(at, lineEnd - at);
    if (!IsSectionHeader(line)) continue;
    ++headers;
    if (ended) continue;
    if (inSection) {
      // The section's lines without the line feed of the last one.
      size_t length = at - sectionStart;
      if (length > 0) --length;
      if (stored < texts.size()) {
        texts[stored].assign(text.data() + sectionStart, length);
      } else {
        texts.emplace_back(text.substr(sectionStart, length));
      }
      ++stored;
    }
    inSection = true;
    sectionStart = hasLineFeed ? lineEnd + 1 : text.size();
    ended = line == "[END]";
  }
  // One text per header but the first; sections after the end marker are empty.
  const size_t count = headers > 0 ? headers - 1 : 0;
  for (size_t number = stored; number < count && number < texts.size(); ++number) {
    texts[number].clear();
  }
  texts.resize(count);
}

std::vector<AnsiString> ParseLanguageTexts(std::string_view text) {
  std::vector<AnsiString> texts;
  ParseLanguageTexts(text, texts);
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
  // Texts grows (or shrinks) to what the file holds, so a language with more texts than the
  // previous one never writes past the end.
  const AnsiString base = BasePath();
  AnsiString content;
  if (!base.empty() && FileExists(base + "def") && ReadLanguageFile(base + "def", content)) {
    ParseLanguageTexts(content, Texts);
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
