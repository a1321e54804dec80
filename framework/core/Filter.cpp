#include "framework/core/Filter.h"

std::vector<TFilterEntry> ParseFilter(const AnsiString& filter) {
  const AnsiString text = filter.substr(0, filter.find('\0'));
  std::vector<AnsiString> parts;
  size_t start = 0;
  while (start <= text.size() && !text.empty()) {
    const size_t bar = text.find('|', start);
    if (bar == AnsiString::npos) {
      parts.push_back(text.substr(start));
      break;
    }
    parts.push_back(text.substr(start, bar - start));
    start = bar + 1;
  }
  std::vector<TFilterEntry> entries;
  for (size_t i = 0; i < parts.size(); i += 2) {
    TFilterEntry entry{parts[i], i + 1 < parts.size() ? parts[i + 1] : AnsiString()};
    // "A|*.a|" ends in an empty description with no pattern: nothing was meant there.
    if (entry.Description.empty() && entry.Pattern.empty() && i + 1 >= parts.size()) break;
    if (entry.Pattern.empty()) entry.Pattern = "*.*";
    if (entry.Description.empty()) entry.Description = entry.Pattern;
    entries.push_back(std::move(entry));
  }
  return entries;
}

AnsiString FilterToSystem(const AnsiString& filter) {
  AnsiString result;
  for (const TFilterEntry& entry : ParseFilter(filter)) {
    result += entry.Description;
    result += '\0';
    result += entry.Pattern;
    result += '\0';
  }
  if (!result.empty()) result += '\0';
  return result;
}

AnsiString DefaultExtToSystem(const AnsiString& default_ext) {
  AnsiString ext = default_ext.substr(0, default_ext.find('\0'));
  if (ext.compare(0, 2, "*.") == 0) {
    ext.erase(0, 2);
  } else if (ext.compare(0, 1, ".") == 0) {
    ext.erase(0, 1);
  }
  if (ext.find_first_of("*?;|\\/:\"<> ") != AnsiString::npos) return AnsiString();
  return ext;
}

std::vector<AnsiString> SplitSelectedFiles(const char* buffer, size_t size) {
  std::vector<AnsiString> parts;
  size_t start = 0;
  while (start < size && buffer[start] != '\0') {
    size_t end = start;
    while (end < size && buffer[end] != '\0') ++end;
    parts.emplace_back(buffer + start, end - start);
    start = end + 1;
  }
  if (parts.size() <= 1) return parts;
  AnsiString folder = parts.front();
  if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
  std::vector<AnsiString> files;
  for (size_t i = 1; i < parts.size(); ++i) files.push_back(folder + parts[i]);
  return files;
}
