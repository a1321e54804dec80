#include "framework/core/Streams.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

int TruncateFile(int descriptor, int64_t size) {
#ifdef _WIN32
  return _chsize(descriptor, static_cast<long>(size));
#else
  return ftruncate(descriptor, static_cast<off_t>(size));
#endif
}

}  // namespace

int64_t TStream::GetSize() {
  const int64_t position = GetPosition();
  const int64_t size = Seek(0, TSeekOrigin::soEnd);
  Seek(position, TSeekOrigin::soBeginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count < 0 || Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count < 0 || Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.GetSize();
  }
  uint8_t chunk[8192];
  int64_t left = count;
  while (left > 0) {
    const int64_t n = std::min<int64_t>(left, sizeof chunk);
    source.ReadBuffer(chunk, n);
    WriteBuffer(chunk, n);
    left -= n;
  }
  return count;
}

TBytes TStream::ReadAll() {
  const int64_t left = GetSize() - GetPosition();
  TBytes bytes(static_cast<size_t>(std::max<int64_t>(left, 0)));
  if (!bytes.empty()) ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return bytes;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  const int64_t available = std::max<int64_t>(0, Size() - position_);
  const int64_t n = std::clamp<int64_t>(count, 0, available);
  if (n > 0) std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  const int64_t end = position_ + count;
  if (end > Size()) data_.resize(static_cast<size_t>(end));
  std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  if (origin == TSeekOrigin::soCurrent) base = position_;
  if (origin == TSeekOrigin::soEnd) base = Size();
  position_ = std::max<int64_t>(0, base + offset);
  return position_;
}

void TMemoryStream::SetSize(int64_t size) {
  data_.resize(static_cast<size_t>(std::max<int64_t>(0, size)));
  position_ = std::min(position_, Size());
}

void TMemoryStream::Clear() {
  data_.clear();
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  TBytes bytes = source.ReadAll();
  data_ = std::move(bytes);
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const AnsiString& file_name) {
  TFileStream file(file_name, TFileMode::fmOpenRead);
  LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& target) const {
  if (!data_.empty()) target.WriteBuffer(data_.data(), Size());
}

void TMemoryStream::SaveToFile(const AnsiString& file_name) const {
  TFileStream file(file_name, TFileMode::fmCreate);
  SaveToStream(file);
}

TFileStream::TFileStream(const AnsiString& file_name, TFileMode mode) {
  const char* fopen_mode = mode == TFileMode::fmOpenRead ? "rb"
                           : mode == TFileMode::fmCreate ? "w+b"
                                                         : "r+b";
  file_ = OpenFile(file_name, fopen_mode);
  // Windows refuses to open a folder, but the C library elsewhere opens it and fails later.
  struct stat info {};
  if (file_ && fstat(fileno(file_), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!file_) {
    throw EFOpenError(Format(
        mode == TFileMode::fmCreate ? "Cannot create file \"%s\"" : "Cannot open file \"%s\"",
        file_name.c_str()));
  }
}

TFileStream::~TFileStream() {
  std::fclose(file_);
}

void TFileStream::SwitchTo(bool writing) {
  const TAccess access = writing ? TAccess::aWrite : TAccess::aRead;
  // Without the seek, msvcrt drops a write that follows a read.
  if (last_access_ != TAccess::aNone && last_access_ != access) std::fseek(file_, 0, SEEK_CUR);
  last_access_ = access;
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  if (count <= 0) return 0;
  SwitchTo(false);
  return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  SwitchTo(true);
  return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                     : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                        : SEEK_END;
  std::fseek(file_, static_cast<long>(offset), whence);
  last_access_ = TAccess::aNone;
  return std::ftell(file_);
}

void TFileStream::SetSize(int64_t size) {
  size = std::max<int64_t>(size, 0);
  const int64_t position = GetPosition();
  if (size > GetSize()) {
    Seek(size - 1, TSeekOrigin::soBeginning);
    const char zero = 0;
    if (Write(&zero, 1) != 1) throw EWriteError("Stream write error");
  } else if (size < GetSize()) {
    std::fflush(file_);
    if (TruncateFile(fileno(file_), size) != 0) throw EWriteError("Stream write error");
  }
  SetPosition(std::min(position, size));
}
