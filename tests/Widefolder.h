// The name of a folder outside the ANSI code page, as a user's download may sit in one:
// "日本語 Ünï" (Japanese, and Latin letters that code page 1252 holds). Tests run the program's
// file access from such a folder. File names are UTF-8 inside the program.
#pragma once

#include <filesystem>
#include <string>

namespace widefolder {

inline std::string Name() {
  const char8_t name[] = u8"\u65E5\u672C\u8A9E \u00DCn\u00EF";
  return std::string(name, name + sizeof name - 1);
}

// A UTF-8 path as the standard library's path, whatever the narrow code page.
inline std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace widefolder
