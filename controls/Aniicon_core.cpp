#include "controls/Aniicon_core.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

namespace {

struct ChunkHeader {
  uint8_t Identifier[4];
  int32_t Size;
};

[[noreturn]] void RaiseReadError() {
  throw EReadError("Stream read error");
}

ChunkHeader ReadChunkHeader(TStream& data) {
  uint8_t bytes[8];
  data.ReadBuffer(bytes, sizeof bytes);
  ChunkHeader chunk;
  std::memcpy(chunk.Identifier, bytes, 4);
  std::memcpy(&chunk.Size, bytes + 4, 4);
  return chunk;
}

// Moves `count` bytes on without reading them. Fewer left: the position goes to the end and
// EReadError is raised, as a read of those bytes would.
void SkipBytes(TStream& data, int64_t count) {
  if (count <= 0) return;
  const int64_t left = data.GetSize() - data.GetPosition();
  if (count > left) {
    data.Seek(0, TSeekOrigin::soEnd);
    RaiseReadError();
  }
  data.Seek(count, TSeekOrigin::soCurrent);
}

// Reads a chunk body of `count` bytes into a buffer of `capacity` bytes: what fits is read, the
// rest skipped. A negative count cannot be read and raises EReadError, as ReadBuffer does.
void ReadIntoBuffer(TStream& data, void* buffer, int64_t capacity, int64_t count) {
  if (count < 0) RaiseReadError();
  const int64_t fits = std::min(count, capacity);
  data.ReadBuffer(buffer, fits);
  SkipBytes(data, count - fits);
}

// An information sub-chunk (title or author): read and thrown away; its size is padded to even.
void ReadInfoText(TStream& data, int32_t size) {
  if (size < 0) RaiseReadError();
  uint8_t text[kAniInfoBufferSize];
  std::memset(text, 0, sizeof text);
  ReadIntoBuffer(data, text, sizeof text, (int64_t{size} + 1) & ~int64_t{1});
}

}  // namespace

AnsiString AniChunkText(const uint8_t identifier[4]) {
  AnsiString text;
  for (int i = 0; i < 4; ++i) {
    if (identifier[i] > 32) text += static_cast<char>(identifier[i]);
  }
  return text;
}

bool AniChunkIs(const uint8_t identifier[4], std::string_view name) {
  return AniChunkText(identifier).find(name) != AnsiString::npos;
}

AniWalk::AniWalk(AniFrameSink& sink) : sink_(sink) {}

AniWalk::~AniWalk() {
  ReleaseIcons();
}

void AniWalk::ReleaseIcons() {
  ForgetIcons();
  for (TBytes& image : FImages) TBytes().swap(image);
}

void AniWalk::ForgetIcons() {
  // Every slot, not only up to the first empty one: a frame the system refused leaves a hole
  // with icons after it.
  for (int slot = 0; slot < kAniMaxFrames; ++slot) {
    if (FIcons[slot]) sink_.DestroyFrameIcon(FIcons[slot]);
    FIcons[slot] = nullptr;
  }
}

AniIconHandle AniWalk::Icon(int slot) const {
  if (!FIcons[slot] && !FImages[slot].empty()) {
    TBytes& image = FImages[slot];
    FIcons[slot] = sink_.CreateFrameIcon(slot, image.data(), static_cast<int>(image.size()));
    if (!FIcons[slot]) TBytes().swap(image);  // refused for good
  }
  return FIcons[slot];
}

int AniWalk::PlayableFrames() const {
  int count = 0;
  while (count < kAniMaxFrames && Icon(count)) ++count;
  return count;
}

void AniWalk::AniDecode(TStream& data) {
  data.SetPosition(0);
  if (data.GetSize() == 0) return;

  uint8_t riff_header[12];  // "RIFF", its size and the form type; none of them is checked
  data.ReadBuffer(riff_header, sizeof riff_header);

  ChunkHeader chunk = ReadChunkHeader(data);
  if (!AniChunkIs(chunk.Identifier, "anih")) {
    // An information list comes first: its type, then exactly a title and an author.
    uint8_t list_type[4];
    data.ReadBuffer(list_type, sizeof list_type);
    chunk = ReadChunkHeader(data);
    if (!AniChunkIs(chunk.Identifier, "anih")) {
      ReadInfoText(data, chunk.Size);
      chunk = ReadChunkHeader(data);
      ReadInfoText(data, chunk.Size);
      ReadChunkHeader(data);  // taken as "anih" whatever it is called
    }
  }

  data.ReadBuffer(&FHeader, sizeof FHeader);
  std::fill(std::begin(FRates), std::end(FRates), FHeader.DisplayRate);

  chunk = ReadChunkHeader(data);
  if (AniChunkIs(chunk.Identifier, "rate")) {
    ReadIntoBuffer(data, FRates, sizeof FRates, chunk.Size);
    chunk = ReadChunkHeader(data);
  }
  if (AniChunkIs(chunk.Identifier, "seq")) {
    ReadIntoBuffer(data, FSequence, sizeof FSequence, chunk.Size);
    chunk = ReadChunkHeader(data);
  }
  if (!AniChunkIs(chunk.Identifier, "LIST")) return;

  uint8_t list_type[4];  // "fram"
  data.ReadBuffer(list_type, sizeof list_type);
  ReleaseIcons();
  // The clock starts again at frame 0. Done before the frames are read, so that a frame list
  // that breaks off does not leave it pointing at an emptied slot.
  FFrameIndex = 0;
  FTicks = 0;
  if (FHeader.FrameCount > kAniMaxFrames) FHeader.FrameCount = kAniMaxFrames;
  ReadFrames(data);
}

void AniWalk::ReadFrames(TStream& data) {
  for (int frame = 0; frame < FHeader.FrameCount; ++frame) {
    const ChunkHeader chunk = ReadChunkHeader(data);
    if (chunk.Size < kAniMinFrameSize) return;

    uint8_t directory[6];
    uint8_t entry[16];
    data.ReadBuffer(directory, sizeof directory);
    data.ReadBuffer(entry, sizeof entry);
    int32_t image_offset;
    std::memcpy(&image_offset, entry + 12, 4);

    // The image runs from the entry's offset to the end of the chunk; no pad byte follows.
    int64_t size = chunk.Size;
    if (image_offset > kAniIconPrefixSize) {
      SkipBytes(data, int64_t{image_offset} - kAniIconPrefixSize);
      size -= int64_t{image_offset} - kAniIconPrefixSize;
    }
    const int64_t image_size = size - kAniIconPrefixSize;
    if (image_size < 0) RaiseReadError();  // the offset lies beyond the chunk
    if (image_size > kAniMaxImageSize) {
      // No icon, which ends the animation at this frame.
      SkipBytes(data, image_size);
      continue;
    }
    TBytes image(static_cast<size_t>(image_size));
    data.ReadBuffer(image.data(), image_size);
    // Its icon is made when it is first wanted.
    if (image_size > 0) FImages[frame] = std::move(image);
  }
}

void AniWalk::Step() {
  // Saturates rather than overflows: a rate near the top of the range means "stay".
  FTicks = FTicks > INT32_MAX - 2 ? INT32_MAX : FTicks + 2;
  if (FRates[FFrameIndex] >= FTicks) return;
  FTicks = 0;
  FFrameIndex = FFrameIndex >= kAniMaxFrames - 1 ? 0 : FFrameIndex + 1;
  if (!Icon(FFrameIndex)) FFrameIndex = 0;
  if (OnFrameChange) OnFrameChange();
}

void AniWalk::SetFrame(int index) {
  if (index < 0 || index > kAniMaxFrames - 1) index = 0;
  FFrameIndex = Icon(index) ? index : 0;
  FTicks = 0;
}
