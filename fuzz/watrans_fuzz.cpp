// Fuzzes the language-file loader: the bytes are the file as stored on disk. The fast loader
// (read in blocks, two passes over the lines in place) must agree with a plain character-at-a-
// time reading of the same rules, and the catalogue must load the bytes from disk without fault.
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "lang/Watranskomp.h"

namespace {

// The file format read the slow, literal way: characters one at a time, text mode (CR dropped,
// 0x1A ends), end of file noticed only when a read runs into it.
struct TLiteralReader {
  const std::string& bytes;
  size_t at = 0;
  bool endOfFile = false;

  std::string ReadLine() {
    std::string line;
    for (;;) {
      if (at >= bytes.size() || bytes[at] == '\x1A') {
        endOfFile = true;
        return line;
      }
      const char c = bytes[at++];
      if (c == '\r') continue;
      line += c;
      if (c == '\n') return line;
    }
  }
};

bool IsHeader(std::string line) {
  if (!line.empty() && line.back() == '\n') line.pop_back();
  return line.size() >= 2 && line.size() <= 5 && line.front() == '[' && line.back() == ']';
}

std::vector<std::string> LiteralTexts(const std::string& bytes) {
  TLiteralReader counter{bytes};
  size_t headers = 0;
  while (!counter.endOfFile) headers += IsHeader(counter.ReadLine());
  std::vector<std::string> texts(headers > 0 ? headers - 1 : 0);

  TLiteralReader reader{bytes};
  int section = -1;
  std::string accumulator;
  bool stop = false;
  while (!reader.endOfFile && !stop) {
    std::string line = reader.ReadLine();
    if (IsHeader(line)) {
      if (line.back() == '\n') line.pop_back();
      stop = line == "[END]";
      if (!accumulator.empty()) accumulator.pop_back();
      if (section >= 0) texts.at(section) = Cp1252ToUtf8(accumulator);
      accumulator.clear();
      ++section;
    } else {
      accumulator += line;
    }
  }
  return texts;
}

std::string LiteralName(const std::string& bytes) {
  TLiteralReader reader{bytes};
  reader.ReadLine();
  std::string name = reader.ReadLine();
  if (!name.empty() && name.back() == '\n') name.pop_back();
  return Cp1252ToUtf8(name);
}

// A folder of its own for the files of one fuzzing run, removed when the run ends.
struct TFuzzFolder {
  TFuzzFolder() {
    Path = std::filesystem::temp_directory_path() /
           ("wakora-watrans-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(Path);
  }
  ~TFuzzFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  std::filesystem::path Path;
};

const std::filesystem::path& Folder() {
  static const TFuzzFolder folder;
  return folder.Path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  // The same bytes as the active file and as language 0 of a catalogue on disk.
  const std::string base = (Folder() / "w.").string();
  for (const char* suffix : {"def", "t00"}) {
    FILE* file = std::fopen((base + suffix).c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  LanguageServices().ExecutablePath = [&] { return base + "exe"; };
  WaTrans catalogue;

  const std::vector<std::string> expected = LiteralTexts(bytes);
  if (catalogue.Texts != expected || catalogue.TextCount != static_cast<int>(expected.size())) {
    std::abort();
  }
  if (catalogue.LanguageCount != 1 || catalogue.LanguageName(0) != LiteralName(bytes)) std::abort();
  if (!catalogue.Text(catalogue.TextCount).empty()) std::abort();
  return 0;
}
