#include "controls/Aniicon_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <vector>

namespace {

// Hands out numbered fake icons and checks that each is destroyed exactly once.
class RecordingSink : public AniFrameSink {
 public:
  struct Made {
    int frame;
    TBytes image;
  };
  AniIconHandle CreateFrameIcon(int frame, const uint8_t* image, int size) override {
    made.push_back({frame, TBytes(image, image + size)});
    if (refuse.count(frame)) return nullptr;
    auto icon = reinterpret_cast<AniIconHandle>(++last_icon);
    live.insert(icon);
    return icon;
  }
  void DestroyFrameIcon(AniIconHandle icon) override {
    EXPECT_EQ(live.erase(icon), 1u) << "icon destroyed twice or never made";
  }

  std::vector<Made> made;
  std::set<AniIconHandle> live;
  std::set<int> refuse;  // frames the "system" cannot turn into an icon
  uintptr_t last_icon = 0;
};

TMemoryStream Bytes(const TBytes& bytes) {
  TMemoryStream stream;
  stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
  return stream;
}

// "wakora.ani" is the animation the window shows; the others are the generated test files.
TMemoryStream DataFile(const AnsiString& name) {
  const char* folder = name == "wakora.ani" ? "/controls/res/" : "/tests/controls/data/";
  TMemoryStream stream;
  stream.LoadFromFile(WAKORA_SOURCE_DIR + (folder + name));
  return stream;
}

// The icons the walk holds are exactly those the sink has not had back.
void ExpectNoLeak(const AniWalk& walk, const RecordingSink& sink) {
  std::set<AniIconHandle> held;
  for (int slot = 0; slot < kAniMaxFrames; ++slot) {
    if (walk.Icon(slot)) {
      EXPECT_TRUE(held.insert(walk.Icon(slot)).second);
    }
  }
  EXPECT_EQ(held, sink.live);
}

// --- Building ANI files for the cases the generator does not write -------------------------------

void Put32(TBytes& out, int64_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

TBytes Chunk(const char* id, const TBytes& body, int64_t size = -1) {
  TBytes out(id, id + 4);
  Put32(out, size < 0 ? static_cast<int64_t>(body.size()) : size);
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2) out.push_back(0);
  return out;
}

// An icon chunk body: directory, one entry with `offset` (followed by the gap up to that
// offset unless `fill_gap` is false), then an image of `image_size` bytes that starts with a
// bitmap header size of 40.
TBytes IconBody(int image_size, int64_t offset = 22, bool fill_gap = true) {
  TBytes out = {0, 0, 1, 0, 1, 0, 32, 32, 16, 0, 1, 0, 4, 0};
  Put32(out, image_size);
  Put32(out, offset);
  for (int64_t i = 22; fill_gap && i < offset; ++i) out.push_back(0xEE);
  Put32(out, 40);
  for (int i = 4; i < image_size; ++i) out.push_back(static_cast<uint8_t>(i));
  return out;
}

struct AniRecipe {
  int32_t frame_count = 3;
  int32_t default_rate = 10;
  TBytes before_header;  // e.g. an information list
  TBytes after_header;   // rate and seq chunks
  std::vector<TBytes> frames = {Chunk("icon", IconBody(744)), Chunk("icon", IconBody(744)),
                                Chunk("icon", IconBody(744))};
};

TBytes Ani(const AniRecipe& recipe) {
  TBytes body = {'A', 'C', 'O', 'N'};
  body.insert(body.end(), recipe.before_header.begin(), recipe.before_header.end());
  TBytes header;
  for (int32_t v :
       {36, recipe.frame_count, recipe.frame_count, 0, 0, 0, 0, recipe.default_rate, 1}) {
    Put32(header, v);
  }
  const TBytes anih = Chunk("anih", header);
  body.insert(body.end(), anih.begin(), anih.end());
  body.insert(body.end(), recipe.after_header.begin(), recipe.after_header.end());
  TBytes list = {'f', 'r', 'a', 'm'};
  for (const TBytes& f : recipe.frames) list.insert(list.end(), f.begin(), f.end());
  const TBytes frames = Chunk("LIST", list);
  body.insert(body.end(), frames.begin(), frames.end());
  TBytes out = Chunk("RIFF", body);
  return out;
}

TBytes Int32s(std::initializer_list<int32_t> values) {
  TBytes out;
  for (int32_t v : values) Put32(out, v);
  return out;
}

// --- The generated files -------------------------------------------------------------------------

TEST(AniWalkTest, ChunkNamesMatchAsTextWithoutBlanksAndControlBytes) {
  struct Case {
    const char id[5];
    const char* name;
    bool matches;
  } cases[] = {
      {"anih", "anih", true},     {"seq ", "seq", true},   {"seq\0", "seq", true},
      {" seq", "seq", true},      {"LIST", "LIST", true},  {"list", "LIST", false},
      {"ANIH", "anih", false},    {"an h", "anih", false}, {"rate", "rate", true},
      {"rat\x01", "rate", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AniChunkIs(reinterpret_cast<const uint8_t*>(c.id), c.name), c.matches)
        << "'" << c.id << "' against " << c.name;
  }
  EXPECT_EQ(AniChunkText(reinterpret_cast<const uint8_t*>("s\x7fq ")), "s\x7fq");
}

TEST(AniWalkTest, GeneratedFilesDecodeToTheirFramesAndRates) {
  struct Case {
    const char* file;
    int frames;        // playable frames after decoding
    int header_count;  // FHeader's frame count afterwards
    int32_t rate;      // rate of every played frame
  } cases[] = {
      {"wakora.ani", 15, 15, 9},     // the window's animation
      {"frames100.ani", 64, 64, 9},  // header says 100, file holds 66: at most 64 slots
      {"mono3.ani", 3, 5, 9},        // frame 3 is a 326-byte monochrome icon
      {"norate.ani", 4, 4, 6},       // no "rate": the default rate
      {"info.ani", 15, 15, 9},       // title and author of odd sizes before the header
      {"single.ani", 1, 1, 4},
      {"offset30.ani", 2, 2, 9},  // 8 bytes between the directory entry and the image
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    RecordingSink sink;
    AniWalk walk(sink);
    TMemoryStream data = DataFile(c.file);
    walk.AniDecode(data);
    EXPECT_TRUE(sink.made.empty()) << "a frame's icon is made when it is first wanted";
    EXPECT_EQ(walk.PlayableFrames(), c.frames);
    EXPECT_EQ(walk.Header().FrameCount, c.header_count);
    ASSERT_EQ(sink.made.size(), static_cast<size_t>(c.frames));
    for (int i = 0; i < c.frames; ++i) {
      EXPECT_EQ(walk.Rates()[i], c.rate) << "frame " << i;
      EXPECT_EQ(sink.made[i].frame, i);
      // Exactly one 32 x 32 16-colour image, starting at its bitmap header.
      ASSERT_EQ(sink.made[i].image.size(), 744u) << "frame " << i;
      EXPECT_EQ(sink.made[i].image[0], 40) << "frame " << i;
    }
    EXPECT_EQ(walk.FrameIndex(), 0);
    ExpectNoLeak(walk, sink);
  }
}

TEST(AniWalkTest, InformationListDecodesLikeTheFileWithoutIt) {
  RecordingSink plain_sink, info_sink;
  AniWalk plain(plain_sink), info(info_sink);
  TMemoryStream plain_data = DataFile("wakora.ani"), info_data = DataFile("info.ani");
  plain.AniDecode(plain_data);
  info.AniDecode(info_data);
  EXPECT_EQ(std::memcmp(&plain.Header(), &info.Header(), sizeof(AniHeader)), 0);
  ASSERT_EQ(plain_sink.made.size(), info_sink.made.size());
  for (size_t i = 0; i < plain_sink.made.size(); ++i) {
    EXPECT_EQ(plain_sink.made[i].image, info_sink.made[i].image) << "frame " << i;
  }
}

TEST(AniWalkTest, SequenceIsKeptButFramesPlayInStoredOrderWithTheirOwnRates) {
  RecordingSink sink;
  AniWalk walk(sink);
  int changes = 0;
  walk.OnFrameChange = [&] { ++changes; };
  TMemoryStream data = DataFile("seq.ani");
  walk.AniDecode(data);
  ASSERT_EQ(walk.PlayableFrames(), 3);
  EXPECT_EQ(std::vector<int32_t>(walk.Sequence(), walk.Sequence() + 6),
            (std::vector<int32_t>{2, 1, 0, 0, 1, 2}));
  // Rates 2, 4, 6 by frame number: 2, 3 and 4 ticks, then back to frame 0.
  std::vector<int> shown;
  for (int tick = 0; tick < 2 + 3 + 4 + 1; ++tick) {
    shown.push_back(walk.FrameIndex());
    walk.Step();
  }
  EXPECT_EQ(shown, (std::vector<int>{0, 0, 1, 1, 1, 2, 2, 2, 2, 0}));
  EXPECT_EQ(changes, 3);
}

TEST(AniWalkTest, FileWithoutFrameListKeepsTheFramesDecodedBefore) {
  RecordingSink sink;
  AniWalk walk(sink);
  TMemoryStream first = DataFile("wakora.ani"), second = DataFile("nolist.ani");
  walk.AniDecode(first);
  walk.SetFrame(4);
  walk.Step();
  walk.AniDecode(second);
  EXPECT_EQ(walk.PlayableFrames(), 15);
  EXPECT_EQ(sink.made.size(), 15u);
  EXPECT_EQ(walk.FrameIndex(), 4) << "clock left as it was";
  EXPECT_EQ(walk.Ticks(), 2);
  // The header and the rates are the new file's.
  EXPECT_EQ(walk.Header().FrameCount, 3);
  EXPECT_EQ(walk.Rates()[14], 10);
  ExpectNoLeak(walk, sink);
}

TEST(AniWalkTest, NewFramesReplaceTheOldOnesAndEveryIconIsDestroyedOnce) {
  RecordingSink sink;
  {
    AniWalk walk(sink);
    TMemoryStream first = DataFile("wakora.ani"), second = DataFile("single.ani");
    walk.AniDecode(first);
    walk.SetFrame(4);
    walk.Step();
    ASSERT_EQ(sink.live.size(), 1u) << "the frame stepped onto";
    walk.AniDecode(second);
    EXPECT_TRUE(sink.live.empty()) << "the old icons go at once; the new frame waits";
    EXPECT_EQ(walk.FrameIndex(), 0) << "the clock starts again";
    EXPECT_EQ(walk.Ticks(), 0);
    ExpectNoLeak(walk, sink);
    TMemoryStream empty;
    walk.AniDecode(empty);
    EXPECT_EQ(walk.PlayableFrames(), 1) << "an empty stream changes nothing";
  }
  EXPECT_TRUE(sink.live.empty()) << "the destructor gives back the last icons";
}

TEST(AniWalkTest, RefusedFrameEndsTheAnimationButIconsAfterItAreStillReleased) {
  RecordingSink sink;
  sink.refuse = {2};
  {
    AniWalk walk(sink);
    TMemoryStream data = DataFile("wakora.ani");
    walk.AniDecode(data);
    EXPECT_EQ(walk.PlayableFrames(), 2);
    for (int slot = 3; slot < 15; ++slot) EXPECT_NE(walk.Icon(slot), nullptr);
    EXPECT_EQ(sink.live.size(), 14u);
    walk.SetFrame(1);
    for (int i = 0; i < 5; ++i) walk.Step();
    EXPECT_EQ(walk.FrameIndex(), 0) << "wraps at the refused frame";
  }
  EXPECT_TRUE(sink.live.empty()) << "icons behind the hole leak";
}

// --- Truncated and malformed data ----------------------------------------------------------------

// Cutting a file anywhere gives either the read error or a clean stop; the old frames survive
// until the frame list begins, and no icon leaks either way.
TEST(AniWalkTest, EveryPrefixRaisesReadErrorOrStopsCleanly) {
  for (const char* file : {"wakora.ani", "info.ani", "seq.ani", "mono3.ani", "nolist.ani"}) {
    SCOPED_TRACE(file);
    const TBytes whole = DataFile(file).Bytes();
    RecordingSink sink;
    AniWalk walk(sink);
    TMemoryStream full = Bytes(whole);
    walk.AniDecode(full);
    const int full_frames = walk.PlayableFrames();
    TMemoryStream old_file = DataFile("norate.ani");  // four frames
    for (size_t length = 0; length <= whole.size(); ++length) {
      walk.AniDecode(old_file);
      walk.SetFrame(3);
      const AniIconHandle old_icon = walk.Icon(0);
      TMemoryStream prefix = Bytes(TBytes(whole.begin(), whole.begin() + length));
      bool raised = false;
      try {
        walk.AniDecode(prefix);
      } catch (const EReadError&) {
        raised = true;
      }
      ExpectNoLeak(walk, sink);
      ASSERT_GE(walk.FrameIndex(), 0);
      ASSERT_TRUE(walk.FrameIndex() == 0 || walk.CurrentIcon()) << "length " << length;
      if (!raised) {
        const bool kept_old = walk.PlayableFrames() == 4 && walk.Icon(0) == old_icon;
        ASSERT_TRUE(kept_old || walk.PlayableFrames() == full_frames)
            << "length " << length << ": " << walk.PlayableFrames() << " frames";
      }
    }
  }
}

TEST(AniWalkTest, OversizedAndNegativeSizesNeverOverrunABuffer) {
  const TBytes info300 = Chunk("LIST", [] {
    TBytes list = {'I', 'N', 'F', 'O'};
    for (const TBytes& sub : {Chunk("INAM", TBytes(301, 'T')), Chunk("IART", TBytes(3, 'A'))})
      list.insert(list.end(), sub.begin(), sub.end());
    return list;
  }());
  TBytes rates150;
  for (int i = 0; i < 150; ++i) Put32(rates150, 100 + i);

  struct Case {
    const char* what;
    AniRecipe recipe;
    bool read_error;
    int frames;
  } cases[] = {
      {"title of 301 bytes", {.before_header = info300}, false, 3},
      {"rate chunk of 150 entries", {.after_header = Chunk("rate", rates150)}, false, 3},
      {"seq chunk of 150 entries", {.after_header = Chunk("seq ", rates150)}, false, 3},
      {"rate size 0xFFFFFFFF", {.after_header = Chunk("rate", Int32s({9}), 0xFFFFFFFF)}, true, 0},
      {"frame count -5", {.frame_count = -5}, false, 0},
      {"a 32 x 32 frame of 32 bits: 40 + 4096 + 128 bytes",
       {.frame_count = 1, .frames = {Chunk("icon", IconBody(4264))}},
       false,
       1},
      {"frame image larger than any icon",
       {.frames = {Chunk("icon", IconBody(744)), Chunk("icon", IconBody(kAniMaxImageSize + 2)),
                   Chunk("icon", IconBody(744))}},
       false,
       1},
      {"image offset 0x7FFFFFFF",
       {.frames = {Chunk("icon", IconBody(744)), Chunk("icon", IconBody(744, 0x7FFFFFFF, false))}},
       true,
       1},
      {"image offset past the chunk's end",
       {.frame_count = 2,
        .frames = {Chunk("icon", IconBody(744, 800, false)), Chunk("icon", IconBody(744))}},
       true,
       0},
      {"image offset at the chunk's end: no image",
       {.frame_count = 2,
        .frames = {Chunk("icon", IconBody(744, 766, false)), Chunk("icon", IconBody(744))}},
       false,
       0},
      {"frame size 0x7FFFFFFF",
       {.frames = {Chunk("icon", IconBody(744)), Chunk("icon", IconBody(744), 0x7FFFFFFF)}},
       true,
       1},
      {"frame size negative",
       {.frames = {Chunk("icon", IconBody(744)), Chunk("icon", IconBody(744), 0x80000000)}},
       false,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingSink sink;
    AniWalk walk(sink);
    TMemoryStream data = Bytes(Ani(c.recipe));
    bool raised = false;
    try {
      walk.AniDecode(data);
    } catch (const EReadError&) {
      raised = true;
    }
    EXPECT_EQ(raised, c.read_error);
    EXPECT_EQ(walk.PlayableFrames(), c.frames);
    EXPECT_EQ(walk.Header().DisplayRate, 10) << "the header was overwritten";
    for (const RecordingSink::Made& made : sink.made) {
      EXPECT_FALSE(made.image.empty()) << "asked for an icon from nothing";
    }
    ExpectNoLeak(walk, sink);
  }
}

TEST(AniWalkTest, LongRateChunkFillsTheRatesAndLeavesTheSequenceAlone) {
  TBytes rates150;
  for (int i = 0; i < 150; ++i) Put32(rates150, 100 + i);
  RecordingSink sink;
  AniWalk walk(sink);
  TMemoryStream data = Bytes(Ani({.after_header = [&] {
    TBytes both = Chunk("rate", rates150);
    const TBytes seq = Chunk("seq ", Int32s({7, 8}));
    both.insert(both.end(), seq.begin(), seq.end());
    return both;
  }()}));
  walk.AniDecode(data);
  EXPECT_EQ(walk.Rates()[0], 100);
  EXPECT_EQ(walk.Rates()[127], 227);
  EXPECT_EQ(walk.Sequence()[0], 7) << "the rest of the rates must be skipped, not read on";
  EXPECT_EQ(walk.Sequence()[2], 0) << "rates spilled into the sequence";
  EXPECT_EQ(walk.PlayableFrames(), 3);
}

// --- The animation clock -------------------------------------------------------------------------

TEST(AniWalkTest, EachFrameShowsForHalfItsRatePlusOneTicks) {
  struct Case {
    int32_t rate;
    int ticks_per_frame;
  } cases[] = {{9, 5}, {10, 6}, {2, 2}, {1, 1}, {0, 1}, {-7, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    RecordingSink sink;
    AniWalk walk(sink);
    int changes = 0;
    walk.OnFrameChange = [&] { ++changes; };
    TMemoryStream data = Bytes(Ani({.default_rate = c.rate}));
    walk.AniDecode(data);
    std::vector<int> shown;
    for (int tick = 0; tick < 3 * c.ticks_per_frame; ++tick) {
      shown.push_back(walk.FrameIndex());
      walk.Step();
    }
    std::vector<int> expected;
    for (int frame = 0; frame < 3; ++frame)
      expected.insert(expected.end(), c.ticks_per_frame, frame);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(walk.FrameIndex(), 0) << "wraps after the last frame";
    EXPECT_EQ(changes, 3);
  }
}

TEST(AniWalkTest, WindowAnimationLoopsInSeventyFiveTicks) {
  RecordingSink sink;
  AniWalk walk(sink);
  std::vector<int> changes_at;
  int tick = 0;
  walk.OnFrameChange = [&] { changes_at.push_back(tick); };
  TMemoryStream data = DataFile("wakora.ani");
  walk.AniDecode(data);
  for (tick = 1; tick <= 75; ++tick) walk.Step();
  ASSERT_EQ(changes_at.size(), 15u);
  for (size_t i = 0; i < changes_at.size(); ++i) EXPECT_EQ(changes_at[i], 5 * (int(i) + 1));
  EXPECT_EQ(walk.FrameIndex(), 0);
}

TEST(AniWalkTest, SingleFrameStillNotifiesWhenItsRateRunsOut) {
  RecordingSink sink;
  AniWalk walk(sink);
  int changes = 0;
  walk.OnFrameChange = [&] { ++changes; };
  TMemoryStream data = DataFile("single.ani");  // rate 4: three ticks
  walk.AniDecode(data);
  for (int i = 0; i < 9; ++i) walk.Step();
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(walk.FrameIndex(), 0);
}

TEST(AniWalkTest, HugeRateKeepsTheFrame) {
  RecordingSink sink;
  AniWalk walk(sink);
  TMemoryStream data = Bytes(Ani({.default_rate = INT32_MAX}));
  walk.AniDecode(data);
  for (int i = 0; i < 1000; ++i) walk.Step();
  EXPECT_EQ(walk.FrameIndex(), 0);
  EXPECT_EQ(walk.Ticks(), 2000);
}

TEST(AniWalkTest, SetFrameFallsBackToZeroForBadOrEmptySlotsAndDoesNotNotify) {
  RecordingSink sink;
  AniWalk walk(sink);
  int changes = 0;
  walk.OnFrameChange = [&] { ++changes; };
  TMemoryStream data = DataFile("seq.ani");  // three frames
  walk.AniDecode(data);
  struct Case {
    int index;
    int selected;
  } cases[] = {{70, 0}, {-1, 0}, {5, 0}, {64, 0}, {63, 0}, {2, 2}, {1, 1}};
  for (const Case& c : cases) {
    walk.Step();
    walk.SetFrame(c.index);
    EXPECT_EQ(walk.FrameIndex(), c.selected) << "SetFrame(" << c.index << ")";
    EXPECT_EQ(walk.Ticks(), 0);
  }
  EXPECT_EQ(changes, 0);
}

}  // namespace
