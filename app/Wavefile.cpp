#include "app/Wavefile.h"

#include <utility>

namespace {

constexpr size_t kChunkHeader = 8;
// The smallest format record (PCM without the extra-size field), and a bound against a hostile
// one: the largest real ones (extensible formats) take a few dozen bytes.
constexpr uint32_t kMinFormat = 16;
constexpr uint32_t kMaxFormat = 1024;
// A bound on the walk: real files hold a handful of chunks.
constexpr int kMaxChunks = 4096;

uint32_t Little32(const std::string& bytes, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

uint16_t Little16(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1])
                                                                     << 8);
}

// Whether a format record describes samples at all: some tag, channels, a rate and blocks.
bool SaneFormat(const std::string& format) {
  return Little16(format, 0) != 0 && Little16(format, 2) != 0 && Little32(format, 4) != 0 &&
         Little16(format, 12) != 0;
}

}  // namespace

bool ReadWaveFormat(uint64_t file_size, const TWaveReader& read, std::string& format) {
  format.clear();
  std::string found;
  const std::string header = read(0, 12);
  if (header.size() != 12 || header.compare(0, 4, "RIFF") != 0 ||
      header.compare(8, 4, "WAVE") != 0) {
    return false;
  }
  bool has_data = false;
  uint64_t at = 12;
  for (int chunk = 0; chunk < kMaxChunks && at + kChunkHeader <= file_size; ++chunk) {
    const std::string chunk_header = read(at, kChunkHeader);
    if (chunk_header.size() != kChunkHeader) return false;
    const uint32_t size = Little32(chunk_header, 4);
    const uint64_t body = at + kChunkHeader;
    const bool inside = body + size <= file_size;
    if (chunk_header.compare(0, 4, "fmt ") == 0) {
      if (!inside || size < kMinFormat || size > kMaxFormat) return false;
      found = read(body, size);
      if (found.size() != size || !SaneFormat(found)) return false;
    } else if (chunk_header.compare(0, 4, "data") == 0) {
      if (!inside || size == 0) return false;
      has_data = true;
    } else if (!inside) {
      break;
    }
    if (has_data && !found.empty()) {
      format = std::move(found);
      return true;
    }
    at = body + size + (size & 1);
  }
  return false;
}
