#pragma once
// Byte streams: a position over a sequence of bytes that can be read, written
// and moved. TMemoryStream keeps the bytes in memory, TFileStream in a file.
#include <cstdint>
#include <string>

#include "platform/base/Object.h"

// Seek origins.
enum TSeekOrigin : int { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

// TFileStream modes: one access mode, or'ed with one share mode (share modes
// are accepted and not enforced), or fmCreate.
enum : unsigned {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFF00,
};

class TStream : public TObject {
 public:
  // Reads up to Count bytes; returns how many were read (0 at the end).
  virtual int Read(void* Buffer, int Count) = 0;
  // Writes up to Count bytes; returns how many were written.
  virtual int Write(const void* Buffer, int Count) = 0;
  // Moves the position; returns the new position.
  virtual std::int64_t Seek(std::int64_t Offset, int Origin) = 0;

  std::int64_t Position();
  void SetPosition(std::int64_t Pos);
  virtual std::int64_t Size();
  virtual void SetSize(std::int64_t NewSize);

  // Exact reads and writes: EReadError "Stream read error" when fewer bytes
  // than Count are there; EWriteError "Stream write error" when fewer fit.
  void ReadBuffer(void* Buffer, int Count);
  void WriteBuffer(const void* Buffer, int Count);

  // Copies Count bytes from Source's position; Count 0 copies all of Source
  // from its start. Returns the number of bytes copied.
  std::int64_t CopyFrom(TStream* Source, std::int64_t Count);
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  ~TMemoryStream() override;

  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  std::int64_t Seek(std::int64_t Offset, int Origin) override;
  std::int64_t Size() override { return FSize; }
  // Grows or shrinks the data; new bytes are zero. The position stays unless
  // it lies beyond the new end.
  void SetSize(std::int64_t NewSize) override;

  // The bytes themselves (nullptr while empty); valid until the size changes.
  void* Memory() const { return FMemory; }
  void Clear();

  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const std::string& FileName);
  void SaveToStream(TStream* Stream);
  void SaveToFile(const std::string& FileName);

 private:
  void SetCapacity(std::int64_t NewCapacity);

  unsigned char* FMemory = nullptr;
  std::int64_t FSize = 0;
  std::int64_t FCapacity = 0;
  std::int64_t FPosition = 0;
};

class TFileStream : public TStream {
 public:
  // Raises EFCreateError "Cannot create file %s" or EFOpenError
  // "Cannot open file %s" with the file name.
  TFileStream(const std::string& FileName, unsigned Mode);
  ~TFileStream() override;

  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  std::int64_t Seek(std::int64_t Offset, int Origin) override;
  void SetSize(std::int64_t NewSize) override;

  const std::string& FileName() const { return FFileName; }

 private:
  std::string FFileName;
  int FHandle = -1;
};
