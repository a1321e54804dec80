#include "framework/core/Streams.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

namespace {

AnsiString Text(const TBytes& bytes) {
  return AnsiString(bytes.begin(), bytes.end());
}

TMemoryStream StreamOf(const AnsiString& text) {
  TMemoryStream stream;
  stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
  stream.SetPosition(0);
  return stream;
}

// A scratch file in the test's working folder, removed again at the end.
struct ScratchFile {
  explicit ScratchFile(const char* name) : Name(name) { std::remove(Name.c_str()); }
  ~ScratchFile() { std::remove(Name.c_str()); }
  AnsiString Name;
};

TEST(MemoryStream, WritePastTheEndGrowsAndZeroFillsTheGap) {
  TMemoryStream stream;
  stream.WriteBuffer("abc", 3);
  EXPECT_EQ(stream.GetPosition(), 3);
  EXPECT_EQ(stream.Seek(2, TSeekOrigin::soCurrent), 5);
  EXPECT_EQ(stream.GetSize(), 3) << "seeking alone must not grow the stream";
  stream.WriteBuffer("Z", 1);
  EXPECT_EQ(stream.Bytes(), (TBytes{'a', 'b', 'c', 0, 0, 'Z'}));
  // Overwrite in the middle keeps the size.
  stream.SetPosition(1);
  stream.WriteBuffer("XY", 2);
  EXPECT_EQ(Text(stream.Bytes()), AnsiString("aXY\0\0Z", 6));
}

TEST(MemoryStream, SeekOriginsAndClampingAtZero) {
  TMemoryStream stream = StreamOf("0123456789");
  struct {
    int64_t Offset;
    TSeekOrigin Origin;
    int64_t Expected;
  } const cases[] = {
      {4, TSeekOrigin::soBeginning, 4}, {2, TSeekOrigin::soCurrent, 6},
      {-1, TSeekOrigin::soCurrent, 5},  {-3, TSeekOrigin::soEnd, 7},
      {0, TSeekOrigin::soEnd, 10},      {-100, TSeekOrigin::soCurrent, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(stream.Seek(c.Offset, c.Origin), c.Expected);
    EXPECT_EQ(stream.GetPosition(), c.Expected);
  }
}

TEST(MemoryStream, ReadAnswersWhatItGotAndReadBufferRaisesWhenShort) {
  TMemoryStream stream = StreamOf("abcde");
  char buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, 3), 3);
  EXPECT_EQ(stream.Read(buffer, 8), 2);
  EXPECT_EQ(stream.Read(buffer, 8), 0);
  EXPECT_EQ(stream.Read(buffer, -1), 0);
  stream.SetPosition(100);
  EXPECT_EQ(stream.Read(buffer, 1), 0) << "reading beyond the end must not touch memory";

  stream.SetPosition(2);
  EXPECT_THROW(stream.ReadBuffer(buffer, 4), EReadError);
  stream.SetPosition(2);
  EXPECT_NO_THROW(stream.ReadBuffer(buffer, 3));
  EXPECT_EQ(AnsiString(buffer, 3), "cde");
  EXPECT_THROW(stream.ReadBuffer(buffer, 1), EReadError);
  EXPECT_NO_THROW(stream.ReadBuffer(buffer, 0));
  EXPECT_THROW(stream.ReadBuffer(buffer, -1), EReadError);
}

TEST(MemoryStream, SetSizeTruncatesAndPullsThePositionBack) {
  TMemoryStream stream = StreamOf("abcdef");
  stream.SetPosition(5);
  stream.SetSize(3);
  EXPECT_EQ(Text(stream.Bytes()), "abc");
  EXPECT_EQ(stream.GetPosition(), 3);
  stream.SetSize(5);
  EXPECT_EQ(Text(stream.Bytes()), AnsiString("abc\0\0", 5));
  stream.SetSize(-4);
  EXPECT_EQ(stream.Size(), 0);
  stream.WriteBuffer("q", 1);
  stream.Clear();
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.GetPosition(), 0);
}

TEST(MemoryStream, ReadAllTakesTheRestFromThePosition) {
  TMemoryStream stream = StreamOf("header:body");
  stream.SetPosition(7);
  EXPECT_EQ(Text(stream.ReadAll()), "body");
  EXPECT_TRUE(stream.ReadAll().empty());
  stream.SetPosition(50);
  EXPECT_TRUE(stream.ReadAll().empty());
}

TEST(MemoryStream, CopyFromCountsFromThePositionOrCopiesTheWhole) {
  TMemoryStream source = StreamOf("0123456789");
  TMemoryStream target;
  source.SetPosition(3);
  EXPECT_EQ(target.CopyFrom(source, 4), 4);
  EXPECT_EQ(Text(target.Bytes()), "3456");
  EXPECT_EQ(source.GetPosition(), 7);

  // Count 0 means everything, from the start, wherever the source stands.
  TMemoryStream whole;
  EXPECT_EQ(whole.CopyFrom(source, 0), 10);
  EXPECT_EQ(Text(whole.Bytes()), "0123456789");

  // More than the source has is a read error, not a silent short copy.
  source.SetPosition(8);
  TMemoryStream short_target;
  EXPECT_THROW(short_target.CopyFrom(source, 5), EReadError);
}

TEST(MemoryStream, CopyFromCrossesItsChunkSize) {
  TBytes data(20000);
  std::iota(data.begin(), data.end(), uint8_t{0});
  TMemoryStream source;
  source.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  TMemoryStream target;
  EXPECT_EQ(target.CopyFrom(source, 0), 20000);
  EXPECT_EQ(target.Bytes(), data);
}

TEST(MemoryStream, LoadFromStreamReadsTheWholeSourceAndRewinds) {
  TMemoryStream source = StreamOf("all of it");
  source.SetPosition(4);
  TMemoryStream copy = StreamOf("old contents that are longer");
  copy.LoadFromStream(source);
  EXPECT_EQ(Text(copy.Bytes()), "all of it");
  EXPECT_EQ(copy.GetPosition(), 0);
}

TEST(FileStream, MissingFileRaisesEFOpenErrorNamingIt) {
  const AnsiString name = "no-such-folder/wakora-missing.bin";
  try {
    TFileStream file(name, TFileMode::fmOpenRead);
    FAIL() << "no exception";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message, "Cannot open file \"" + name + "\"");
  }
  try {
    TFileStream file(name, TFileMode::fmCreate);
    FAIL() << "no exception";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message, "Cannot create file \"" + name + "\"");
  }
  TMemoryStream stream;
  EXPECT_THROW(stream.LoadFromFile(name), EFOpenError);
  EXPECT_THROW(stream.SaveToFile(name), EFOpenError);
}

TEST(FileStream, FolderIsNotAFile) {
  // Windows refuses to open a folder; elsewhere the C library opens it and reading fails later.
  EXPECT_THROW(TFileStream(".", TFileMode::fmOpenRead), EFOpenError);
  TMemoryStream stream;
  EXPECT_THROW(stream.LoadFromFile("."), EFOpenError);
}

TEST(FileStream, SaveToFileAndLoadFromFileRoundTripEveryByte) {
  ScratchFile scratch("streams-test-roundtrip.bin");
  TBytes data(256 * 3);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  TMemoryStream out;
  out.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  out.SaveToFile(scratch.Name);

  TMemoryStream in;
  in.LoadFromFile(scratch.Name);
  EXPECT_EQ(in.Bytes(), data) << "text-mode translation of 0x0A or 0x1A would show here";

  // Saving again replaces the file instead of writing over its start.
  TMemoryStream shorter = StreamOf("xy");
  shorter.SaveToFile(scratch.Name);
  in.LoadFromFile(scratch.Name);
  EXPECT_EQ(Text(in.Bytes()), "xy");

  // An empty stream makes an empty file.
  TMemoryStream empty;
  empty.SaveToFile(scratch.Name);
  in.LoadFromFile(scratch.Name);
  EXPECT_EQ(in.Size(), 0);
}

TEST(FileStream, ReadOnlyStreamRefusesWrites) {
  ScratchFile scratch("streams-test-readonly.bin");
  StreamOf("data").SaveToFile(scratch.Name);
  TFileStream file(scratch.Name, TFileMode::fmOpenRead);
  EXPECT_THROW(file.WriteBuffer("x", 1), EWriteError);
  EXPECT_EQ(file.GetSize(), 4);
}

TEST(FileStream, WriteAfterReadAndReadAfterWriteWithoutSeekKeepTheData) {
  // The C library needs a seek between reading and writing a file; without it msvcrt
  // silently drops the write.
  ScratchFile scratch("streams-test-switch.bin");
  {
    TFileStream file(scratch.Name, TFileMode::fmCreate);
    file.WriteBuffer("abcdef", 6);
    file.SetPosition(0);
    char c = 0;
    file.ReadBuffer(&c, 1);
    EXPECT_EQ(c, 'a');
    file.WriteBuffer("X", 1);
    file.ReadBuffer(&c, 1);
    EXPECT_EQ(c, 'c');
    EXPECT_EQ(file.GetPosition(), 3);
    file.WriteBuffer("YZ", 2);
  }
  TMemoryStream in;
  in.LoadFromFile(scratch.Name);
  EXPECT_EQ(Text(in.Bytes()), "aXcYZf");

  TFileStream file(scratch.Name, TFileMode::fmOpenReadWrite);
  file.SetPosition(6);
  file.WriteBuffer("g", 1);
  file.SetPosition(0);
  EXPECT_EQ(Text(file.ReadAll()), "aXcYZfg");
}

TEST(FileStream, SetSizeGrowsWithZerosAndShrinks) {
  ScratchFile scratch("streams-test-size.bin");
  TFileStream file(scratch.Name, TFileMode::fmCreate);
  file.WriteBuffer("abc", 3);
  file.SetSize(6);
  EXPECT_EQ(file.GetSize(), 6);
  EXPECT_EQ(file.GetPosition(), 3) << "growing keeps the position";
  file.SetSize(2);
  EXPECT_EQ(file.GetSize(), 2) << "shrinking must not be a silent no-op";
  EXPECT_EQ(file.GetPosition(), 2);
  file.SetPosition(0);
  EXPECT_EQ(Text(file.ReadAll()), "ab");
}

TEST(FileStream, CopyFromAFileIntoMemory) {
  ScratchFile scratch("streams-test-copy.bin");
  StreamOf("0123456789").SaveToFile(scratch.Name);
  TFileStream file(scratch.Name, TFileMode::fmOpenRead);
  file.SetPosition(2);
  TMemoryStream target;
  EXPECT_EQ(target.CopyFrom(file, 3), 3);
  EXPECT_EQ(Text(target.Bytes()), "234");
  EXPECT_THROW(target.CopyFrom(file, 6), EReadError);
}

}  // namespace
