// The animated icon's data: the walk through an ANI file (RIFF form "ACON"), the decoded
// frame slots and the animation clock. No <windows.h>: turning a frame's image bytes into a
// system icon, and destroying one, is left to an AniFrameSink, so the same walk runs under
// Windows (CreateIconFromResource/DestroyIcon), in the tests and in the fuzzer.
//
// Ownership: AniWalk owns the icons in its slots and gives each back to its sink exactly once
// (when a new frame list replaces them, on ReleaseIcons and in its destructor). The sink is not
// owned and must outlive the walk.
//
// A decoded frame's icon is made when it is first asked for (drawn, stepped onto, selected): a
// system icon is costly to make, and a window that starts animating shows only its first frame
// at once. The frame keeps its image bytes, so that its icon can be made again for a screen of
// another resolution (ForgetIcons). A frame the sink refuses is a null icon from then on,
// exactly as if it had been refused while decoding.
//
// The walk reads the file in one forward pass. An information text or a rate or sequence chunk
// larger than its buffer is read as far as the buffer goes and the rest is skipped. A frame's
// image is kept whole, whatever its size (a 32 x 32 frame of 32 bits, 4264 bytes, is the common
// one), up to kAniMaxImageSize; a larger one gets no icon. Reading past the end of the data
// raises EReadError.
#pragma once

#include <bit>
#include <cstdint>
#include <functional>
#include <string_view>

#include "framework/core/Streams.h"
#include "framework/core/Sysutils.h"

// An icon as the system gives it out (an HICON under Windows); null is "no icon".
using AniIconHandle = void*;

inline constexpr int kAniMaxFrames = 64;
inline constexpr int kAniRateSlots = 128;
// One 32 x 32 icon in 16 colours: directory 6 + entry 16 + bitmap header 40 + colour table 64
// + colour bits 512 + mask bits 128. Smaller frame chunks end the frame list.
inline constexpr int kAniMinFrameSize = 766;
// Icon directory header (6) and its first entry (16) in front of a frame's image.
inline constexpr int kAniIconPrefixSize = 22;
inline constexpr int kAniInfoBufferSize = 256;
// The largest icon image there is, 256 x 256 in 32 bits with its mask, takes 270,376 bytes; a
// frame that claims more than this is not an icon, and no memory is taken for it.
inline constexpr int kAniMaxImageSize = 1 << 20;

// The "anih" chunk body as the file stores it: nine little-endian 32-bit integers.
struct AniHeader {
  int32_t HeaderSize;
  int32_t FrameCount;
  int32_t StepCount;
  int32_t Width;
  int32_t Height;
  int32_t BitCount;
  int32_t Planes;
  int32_t DisplayRate;  // default display time of a frame, in 1/60 s
  int32_t Flags;
};
static_assert(sizeof(AniHeader) == 36, "the anih body is nine 32-bit integers");
// The header, rates and sequence are read straight into memory.
static_assert(std::endian::native == std::endian::little, "ANI data is little-endian");

// Makes and destroys the system icons of the decoded frames.
class AniFrameSink {
 public:
  virtual ~AniFrameSink() = default;
  // `image` is frame `frame`'s icon image: bitmap header, colour table, colour and mask bits,
  // `size` bytes. Answers the new icon, or null when none could be made.
  virtual AniIconHandle CreateFrameIcon(int frame, const uint8_t* image, int size) = 0;
  virtual void DestroyFrameIcon(AniIconHandle icon) = 0;
};

// A chunk identifier as text: its four bytes in order, without those of value 32 or less.
AnsiString AniChunkText(const uint8_t identifier[4]);
// Whether the identifier's text contains `name` ("anih", "rate", "seq", "LIST").
bool AniChunkIs(const uint8_t identifier[4], std::string_view name);

class AniWalk {
 public:
  explicit AniWalk(AniFrameSink& sink);
  ~AniWalk();
  AniWalk(const AniWalk&) = delete;
  AniWalk& operator=(const AniWalk&) = delete;

  // Decodes `data` from its start into the header, rates, sequence and icon slots. An empty
  // stream changes nothing. A file without a frame list keeps the frames decoded before.
  // Raises EReadError when the data ends early; frames decoded up to then stay.
  void AniDecode(TStream& data);

  // One tick of the animation clock (the owner's 20 ms timer). Every tick counts two units;
  // when the current frame's rate is exceeded the next decoded frame (or frame 0 after the
  // last) becomes current and OnFrameChange is called, also when that is the same frame.
  void Step();
  // Selects a frame without notifying; an index outside 0..63, or an empty slot, selects 0.
  void SetFrame(int index);

  // Destroys every icon in the slots and empties them.
  void ReleaseIcons();
  // Destroys the icons made so far but keeps the frames: each icon is made again from its image
  // when it is next wanted (the sink now makes them at another size).
  void ForgetIcons();

  const AniHeader& Header() const { return FHeader; }
  const int32_t* Rates() const { return FRates; }
  const int32_t* Sequence() const { return FSequence; }
  // The frame's icon, made now if it is still an image; null for no frame or a refused one.
  AniIconHandle Icon(int slot) const;
  AniIconHandle CurrentIcon() const { return Icon(FFrameIndex); }
  // Decoded frames before the first empty slot, where the animation wraps to frame 0. Makes
  // the icons of all of them.
  int PlayableFrames() const;
  int FrameIndex() const { return FFrameIndex; }
  int Ticks() const { return FTicks; }

  // Called when Step moves on to a frame; the owner repaints.
  std::function<void()> OnFrameChange;

 private:
  void ReadFrames(TStream& data);

  AniFrameSink& sink_;  // not owned
  // A slot holds the image of a frame and, once it was wanted, the icon made from it (owned,
  // given back through sink_); a refused frame holds neither. The icons are made on demand,
  // hence mutable.
  mutable AniIconHandle FIcons[kAniMaxFrames] = {};
  mutable TBytes FImages[kAniMaxFrames];
  int32_t FRates[kAniRateSlots] = {};     // by frame number; only 0..63 are played
  int32_t FSequence[kAniRateSlots] = {};  // kept as read; playback is in stored order
  AniHeader FHeader = {};
  int32_t FFrameIndex = 0;
  int32_t FTicks = 0;
};
