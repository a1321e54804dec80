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

AnsiString AsciiLowerCase(AnsiString text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

AnsiString ExtractFileExt(const AnsiString& path) {
  for (size_t i = path.size(); i > 0; --i) {
    const char c = path[i - 1];
    if (c == '.') return path.substr(i - 1);
    if (c == '\\' || c == '/' || c == ':') break;
  }
  return {};
}

bool FileExists(const AnsiString& path) {
  struct stat info {};
  return !path.empty() && stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}
