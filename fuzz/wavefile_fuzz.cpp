// Fuzzes the wave reader: the bytes are the file. Whatever they hold, the walk ends, starts no
// read past the file's end, and a wave it calls playable has a format of a sane size whose chunk
// and a non-empty data chunk lie inside the file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/Wavefile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  int reads = 0;
  const TWaveReader read = [&](uint64_t offset, size_t count) {
    if (offset > file.size()) abort();
    ++reads;
    return file.substr(offset, count);
  };
  std::string format;
  if (ReadWaveFormat(file.size(), read, format)) {
    if (format.size() < 16 || format.size() > 1024 || file.find("data") == std::string::npos) {
      abort();
    }
  } else if (!format.empty()) {
    abort();
  }
  if (reads > 3 * 4096 + 2) abort();
  return 0;
}
