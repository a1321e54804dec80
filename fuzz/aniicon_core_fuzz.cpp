// Fuzzes the animated icon's walk: the bytes are an ANI file as the form stores it. Whatever
// they hold, the walk may only end with EReadError or cleanly; it must never hand the sink more
// than the largest image it takes, leak or double-free an icon, or leave the clock on an empty
// slot.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "controls/Aniicon_core.h"

namespace {

// Stops the run with the failed condition's line, so that the finding says what broke.
#define Check(condition) \
  ((condition)           \
       ? void()          \
       : (std::fprintf(stderr, "failed: %s (line %d)\n", #condition, __LINE__), std::abort()))

class CheckingSink : public AniFrameSink {
 public:
  AniIconHandle CreateFrameIcon(int frame, const uint8_t* image, int size) override {
    Check(frame >= 0 && frame < kAniMaxFrames);
    Check(size > 0 && size <= kAniMaxImageSize);
    // Touch every byte, so that the sanitizer sees a read outside the buffer.
    unsigned sum = 0;
    for (int i = 0; i < size; ++i) sum += image[i];
    if (sum % 7 == 3) return nullptr;  // now and then the "system" refuses an image
    auto icon = reinterpret_cast<AniIconHandle>(++last_icon);
    live.insert(icon);
    return icon;
  }
  void DestroyFrameIcon(AniIconHandle icon) override { Check(live.erase(icon) == 1); }

  std::set<AniIconHandle> live;
  uintptr_t last_icon = 0;
};

void CheckState(const AniWalk& walk, const CheckingSink& sink) {
  std::set<AniIconHandle> held;
  for (int slot = 0; slot < kAniMaxFrames; ++slot) {
    if (walk.Icon(slot)) Check(held.insert(walk.Icon(slot)).second);
  }
  Check(held == sink.live);
  Check(walk.FrameIndex() >= 0 && walk.FrameIndex() < kAniMaxFrames);
  Check(walk.FrameIndex() == 0 || walk.CurrentIcon() != nullptr);
}

void Decode(AniWalk& walk, TMemoryStream& data) {
  try {
    walk.AniDecode(data);
  } catch (const EReadError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  TMemoryStream data;
  data.Write(bytes, static_cast<int64_t>(size));
  CheckingSink sink;
  {
    AniWalk walk(sink);
    int changes = 0;
    walk.OnFrameChange = [&] { ++changes; };
    // Twice: the second walk replaces the icons of the first.
    Decode(walk, data);
    CheckState(walk, sink);
    Decode(walk, data);
    CheckState(walk, sink);

    for (int tick = 0; tick < 200; ++tick) {
      walk.Step();
      Check(walk.FrameIndex() == 0 || walk.CurrentIcon() != nullptr);
    }
    for (int index : {-1, 0, 1, 5, 63, 64, 1000}) {
      walk.SetFrame(index);
      Check(walk.Ticks() == 0);
      CheckState(walk, sink);
    }
    Check(changes <= 200);
  }
  Check(sink.live.empty());
  return 0;
}
