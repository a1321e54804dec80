#include "framework/core/Streams.h"

#include <algorithm>
#include <cstring>

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
  const char* fopen_mode = mode == TFileMode::fmOpenRead   ? "rb"
                           : mode == TFileMode::fmCreate ? "w+b"
                                                         : "r+b";
  file_ = std::fopen(file_name.c_str(), fopen_mode);
  if (!file_) {
    throw EFOpenError(Format(mode == TFileMode::fmCreate ? "Cannot create file \"%s\""
                                                         : "Cannot open file \"%s\"",
                             file_name.c_str()));
  }
}

TFileStream::~TFileStream() { std::fclose(file_); }

int64_t TFileStream::Read(void* buffer, int64_t count) {
  if (count <= 0) return 0;
  return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                     : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                        : SEEK_END;
  std::fseek(file_, static_cast<long>(offset), whence);
  return std::ftell(file_);
}

void TFileStream::SetSize(int64_t size) {
  // Only growing is needed by our callers; shrinking a FILE portably is not possible.
  if (size > GetSize()) {
    const int64_t position = GetPosition();
    Seek(size - 1, TSeekOrigin::soBeginning);
    const char zero = 0;
    Write(&zero, 1);
    SetPosition(position);
  }
}
