// Wavefile: whether a RIFF wave file holds something to play, read from its chunks. A file that
// only begins like a wave (a download cut short, a header and nothing else) plays nothing, and
// the system's asynchronous sound call would not say so.
//
// A playable wave has a "fmt " chunk that describes its samples and a non-empty "data" chunk,
// both wholly inside the file. The RIFF header's own size is not trusted: many writers leave it
// wrong, so the walk is bounded by the file's real size. Chunks start on even offsets.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Reads up to `size` bytes of the file at `offset`; fewer at its end.
using TWaveReader = std::function<std::string(uint64_t offset, size_t size)>;

// The "fmt " chunk's bytes (a wave format record: tag, channels, rate, bytes per second, block
// alignment, bits per sample, and for other tags than PCM its extra bytes) of a playable wave
// of `file_size` bytes; false for a file that cannot play.
bool ReadWaveFormat(uint64_t file_size, const TWaveReader& read, std::string& format);
