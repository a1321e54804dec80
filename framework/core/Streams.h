// Byte streams: the abstract TStream, an in-memory stream and a file stream.
//
// Positions and sizes are 64-bit. ReadBuffer raises EReadError when the data ends early;
// Read answers how many bytes it got.
#pragma once

#include <cstdint>
#include <cstdio>

#include "framework/core/Sysutils.h"

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual void SetSize(int64_t size) = 0;

  int64_t GetPosition() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  int64_t GetSize();

  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
  // Copies count bytes from source's current position; count 0 copies the whole source from 0.
  int64_t CopyFrom(TStream& source, int64_t count);
  TBytes ReadAll();  // everything from the current position to the end
};

class TMemoryStream : public TStream {
 public:
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  void Clear();

  void LoadFromStream(TStream& source);
  void LoadFromFile(const AnsiString& file_name);
  void SaveToStream(TStream& target) const;
  void SaveToFile(const AnsiString& file_name) const;

  const uint8_t* Memory() const { return data_.data(); }
  const TBytes& Bytes() const { return data_; }
  int64_t Size() const { return static_cast<int64_t>(data_.size()); }

 private:
  TBytes data_;
  int64_t position_ = 0;
};

enum class TFileMode { fmOpenRead, fmCreate, fmOpenReadWrite };

class TFileStream : public TStream {
 public:
  // Raises EFOpenError naming the file when it cannot be opened or created.
  TFileStream(const AnsiString& file_name, TFileMode mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;

 private:
  // Switching between reading and writing needs a seek in between (the C library's rule).
  void SwitchTo(bool writing);

  std::FILE* file_;  // owned
  enum class TAccess { aNone, aRead, aWrite } last_access_ = TAccess::aNone;
};
