#include "framework/core/Sysutils.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

AnsiString Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  AnsiString result(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(result.data(), result.size() + 1, format, args);
  va_end(args);
  return result;
}

AnsiString IntToStr(int64_t value) {
  return std::to_string(value);
}

bool TryStrToInt(const AnsiString& text, int& value) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  size_t end = text.size();
  while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  if (i >= end) return false;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < end && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < end && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= end) return false;
  int64_t magnitude = 0;
  for (; i < end; ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    magnitude = magnitude * base + digit;
    if (magnitude > 0x100000000LL) return false;
  }
  const int64_t signed_value = negative ? -magnitude : magnitude;
  if (base == 10 && (signed_value < INT32_MIN || signed_value > INT32_MAX)) return false;
  if (base == 16 && magnitude > 0xFFFFFFFFLL) return false;
  value = static_cast<int>(static_cast<uint32_t>(signed_value));
  return true;
}

int StrToInt(const AnsiString& text) {
  int value = 0;
  if (!TryStrToInt(text, value)) {
    throw EConvertError(Format("'%s' is not a valid integer value", text.c_str()));
  }
  return value;
}

AnsiString AsciiUpperCase(AnsiString text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

char32_t SimpleUpperCase(char32_t code) {
  if (code >= U'a' && code <= U'z') return code - 32;
  if (code < 0x80) return code;
  // Latin-1: lower case lies 32 above upper case, but for the division sign and y diaeresis.
  if (code >= 0xE0 && code <= 0xFE && code != 0xF7) return code - 32;
  if (code == 0xFF) return 0x178;
  // Latin Extended-A pairs capital and small, the capital first (but for i without a dot).
  if (code >= 0x100 && code <= 0x177 && code != 0x131 && code != 0x138 && code != 0x149) {
    const bool small_second = (code >= 0x139 && code <= 0x148) ? (code % 2 == 0) : (code % 2 == 1);
    return small_second ? code - 1 : code;
  }
  if (code >= 0x179 && code <= 0x17E) return code % 2 == 0 ? code - 1 : code;
  // Greek and Cyrillic.
  if (code == 0x3C2) return 0x3A3;  // final sigma
  if (code >= 0x3B1 && code <= 0x3C9) return code - 32;
  if (code >= 0x430 && code <= 0x44F) return code - 32;
  if (code >= 0x450 && code <= 0x45F) return code - 80;
  return code;
}

AnsiString StripAccelerator(const AnsiString& caption) {
  AnsiString text;
  text.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 == caption.size()) break;
      ++i;  // "&x" keeps x, "&&" keeps one '&'
    }
    text += caption[i];
  }
  return text;
}

char32_t AcceleratorOf(const AnsiString& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') {
      size_t at = i + 1;
      return NextCharacter(caption, at);
    }
    ++i;
  }
  return 0;
}

bool IsAccelerator(char32_t key, const AnsiString& caption) {
  const char32_t accelerator = AcceleratorOf(caption);
  return accelerator && key && SimpleUpperCase(accelerator) == SimpleUpperCase(key);
}

AnsiString AsciiLowerCase(AnsiString text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool SameText(const AnsiString& a, const AnsiString& b) {
  return AsciiUpperCase(a) == AsciiUpperCase(b);
}

AnsiString Trim(const AnsiString& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == AnsiString::npos) return AnsiString();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

AnsiString ExtractFileExt(const AnsiString& path) {
  for (size_t i = path.size(); i > 0; --i) {
    const char c = path[i - 1];
    if (c == '.') return path.substr(i - 1);
    if (c == '\\' || c == '/' || c == ':') break;
  }
  return {};
}

namespace {

#ifdef _WIN32
std::wstring WideName(const AnsiString& text) {
  const std::u16string wide = Utf8ToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}
#endif

// The length of the well-formed sequence at `at` and its code point; 0 when there is none.
size_t DecodeUtf8(const unsigned char* at, size_t available, char32_t& code) {
  const unsigned char lead = at[0];
  size_t length;
  char32_t least;
  if (lead < 0x80) {
    code = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (available < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((at[i] & 0xC0) != 0x80) return 0;
    code = (code << 6) | (at[i] & 0x3F);
  }
  return code >= least && code <= 0x10FFFF ? length : 0;
}

}  // namespace

bool FileExists(const AnsiString& path) {
  if (path.empty()) return false;
#ifdef _WIN32
  struct _stat info {};
  return _wstat(WideName(path).c_str(), &info) == 0 && !(info.st_mode & _S_IFDIR);
#else
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
#endif
}

std::FILE* OpenFile(const AnsiString& path, const char* mode) {
#ifdef _WIN32
  return _wfopen(WideName(path).c_str(), WideName(mode).c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string result;
  result.reserve(text.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t at = 0; at < text.size();) {
    char32_t code = 0;
    const size_t length = DecodeUtf8(bytes + at, text.size() - at, code);
    if (length == 0) {
      result += u'\uFFFD';
      ++at;
      continue;
    }
    at += length;
    if (code >= 0x10000) {
      code -= 0x10000;
      result += static_cast<char16_t>(0xD800 + (code >> 10));
      result += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      result += static_cast<char16_t>(code);
    }
  }
  return result;
}

char32_t NextCharacter(std::string_view text, size_t& at) {
  char32_t code = 0;
  const size_t length =
      DecodeUtf8(reinterpret_cast<const unsigned char*>(text.data()) + at, text.size() - at, code);
  at += length ? length : 1;
  return length ? code : U'\uFFFD';
}

void AppendUtf8(AnsiString& text, char32_t code) {
  if (code < 0x80) {
    text += static_cast<char>(code);
  } else if (code < 0x800) {
    text += static_cast<char>(0xC0 | (code >> 6));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    text += static_cast<char>(0xE0 | (code >> 12));
    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (code >> 18));
    text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  }
}

AnsiString Utf8Prefix(std::string_view text, size_t units) {
  size_t at = 0, used = 0;
  while (at < text.size()) {
    size_t next = at;
    const size_t needed = NextCharacter(text, next) >= 0x10000 ? 2 : 1;
    if (used + needed > units) break;
    used += needed;
    at = next;
  }
  return AnsiString(text.substr(0, at));
}

namespace {

// The characters of bytes 0x80 to 0x9F; the rest of the page is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char32_t Cp1252Character(uint8_t byte) {
  return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
}

int Cp1252Byte(char32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<int>(code);
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == code) return 0x80 + i;
  }
  return -1;
}

AnsiString Cp1252ToUtf8(std::string_view bytes) {
  AnsiString text;
  text.reserve(bytes.size());
  for (const char byte : bytes) AppendUtf8(text, Cp1252Character(static_cast<uint8_t>(byte)));
  return text;
}

AnsiString Utf16ToUtf8(std::u16string_view text) {
  AnsiString result;
  result.reserve(text.size());
  for (size_t at = 0; at < text.size(); ++at) {
    char32_t code = text[at];
    if (code >= 0xD800 && code <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
        text[at + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++at] - 0xDC00);
    }
    AppendUtf8(result, code);
  }
  return result;
}
