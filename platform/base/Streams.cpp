#include "platform/base/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"
#include "platform/base/SysUtils.h"

// ---- TStream --------------------------------------------------------------

std::int64_t TStream::Position() { return Seek(0, soFromCurrent); }

void TStream::SetPosition(std::int64_t Pos) { Seek(Pos, soFromBeginning); }

std::int64_t TStream::Size() {
  std::int64_t pos = Seek(0, soFromCurrent);
  std::int64_t size = Seek(0, soFromEnd);
  Seek(pos, soFromBeginning);
  return size;
}

void TStream::SetSize(std::int64_t) {}

void TStream::ReadBuffer(void* Buffer, int Count) {
  if (Count > 0 && Read(Buffer, Count) != Count) throw EReadError(SReadError);
}

void TStream::WriteBuffer(const void* Buffer, int Count) {
  if (Count > 0 && Write(Buffer, Count) != Count) throw EWriteError(SWriteError);
}

std::int64_t TStream::CopyFrom(TStream* Source, std::int64_t Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  const std::int64_t total = Count;
  std::vector<unsigned char> chunk(size_t(std::min<std::int64_t>(std::max<std::int64_t>(Count, 1), 61440)));
  while (Count > 0) {
    int n = int(std::min<std::int64_t>(Count, std::int64_t(chunk.size())));
    Source->ReadBuffer(chunk.data(), n);
    WriteBuffer(chunk.data(), n);
    Count -= n;
  }
  return total;
}

// ---- TMemoryStream --------------------------------------------------------

TMemoryStream::~TMemoryStream() { std::free(FMemory); }

void TMemoryStream::SetCapacity(std::int64_t NewCapacity) {
  if (NewCapacity == FCapacity) return;
  if (NewCapacity == 0) {
    std::free(FMemory);
    FMemory = nullptr;
    FCapacity = 0;
    return;
  }
  void* grown = std::realloc(FMemory, size_t(NewCapacity));
  if (grown == nullptr) throw EOutOfMemory(SMemoryStreamError);
  FMemory = static_cast<unsigned char*>(grown);
  FCapacity = NewCapacity;
}

void TMemoryStream::SetSize(std::int64_t NewSize) {
  if (NewSize < 0) NewSize = 0;
  if (NewSize > FCapacity) {
    // Grow in steps so that writing byte by byte stays linear.
    std::int64_t capacity = std::max<std::int64_t>(NewSize, FCapacity + FCapacity / 4);
    capacity = (capacity + 8191) & ~std::int64_t(8191);
    SetCapacity(capacity);
  }
  if (NewSize > FSize) std::memset(FMemory + FSize, 0, size_t(NewSize - FSize));
  FSize = NewSize;
  if (FPosition > FSize) FPosition = FSize;
}

void TMemoryStream::Clear() {
  SetCapacity(0);
  FSize = 0;
  FPosition = 0;
}

int TMemoryStream::Read(void* Buffer, int Count) {
  if (Count <= 0 || FPosition >= FSize) return 0;
  std::int64_t n = std::min<std::int64_t>(Count, FSize - FPosition);
  std::memcpy(Buffer, FMemory + FPosition, size_t(n));
  FPosition += n;
  return int(n);
}

int TMemoryStream::Write(const void* Buffer, int Count) {
  if (Count <= 0) return 0;
  std::int64_t end = FPosition + Count;
  // A position beyond the end (after a Seek) leaves a zero-filled gap.
  if (end > FSize) SetSize(end);
  std::memmove(FMemory + FPosition, Buffer, size_t(Count));
  FPosition = end;
  return Count;
}

std::int64_t TMemoryStream::Seek(std::int64_t Offset, int Origin) {
  switch (Origin) {
    case soFromBeginning: FPosition = Offset; break;
    case soFromCurrent: FPosition += Offset; break;
    case soFromEnd: FPosition = FSize + Offset; break;
    default: break;
  }
  if (FPosition < 0) FPosition = 0;
  return FPosition;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  std::int64_t count = Stream->Size();
  SetSize(count);
  FPosition = 0;
  std::int64_t done = 0;
  while (done < count) {
    int n = int(std::min<std::int64_t>(count - done, 1 << 30));
    Stream->ReadBuffer(FMemory + done, n);
    done += n;
  }
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&file);
}

void TMemoryStream::SaveToStream(TStream* Stream) {
  std::int64_t done = 0;
  while (done < FSize) {
    int n = int(std::min<std::int64_t>(FSize - done, 1 << 30));
    Stream->WriteBuffer(FMemory + done, n);
    done += n;
  }
}

void TMemoryStream::SaveToFile(const std::string& FileName) {
  TFileStream file(FileName, fmCreate);
  SaveToStream(&file);
}

// ---- TFileStream ----------------------------------------------------------

TFileStream::TFileStream(const std::string& FileName, unsigned Mode) : FFileName(FileName) {
  if (Mode == fmCreate) {
    FHandle = ::open(FileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FHandle < 0) throw EFCreateError(Format(SFCreateError, FileName));
  } else {
    int flags = O_RDONLY;
    if ((Mode & 3) == fmOpenWrite) flags = O_WRONLY;
    if ((Mode & 3) == fmOpenReadWrite) flags = O_RDWR;
    FHandle = ::open(FileName.c_str(), flags | O_CLOEXEC);
    struct stat info {};
    if (FHandle >= 0 && (::fstat(FHandle, &info) != 0 || S_ISDIR(info.st_mode))) {
      ::close(FHandle);
      FHandle = -1;
    }
    if (FHandle < 0) throw EFOpenError(Format(SFOpenError, FileName));
  }
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

int TFileStream::Read(void* Buffer, int Count) {
  int done = 0;
  while (done < Count) {
    ssize_t n = ::read(FHandle, static_cast<char*>(Buffer) + done, size_t(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += int(n);
  }
  return done;
}

int TFileStream::Write(const void* Buffer, int Count) {
  int done = 0;
  while (done < Count) {
    ssize_t n = ::write(FHandle, static_cast<const char*>(Buffer) + done, size_t(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += int(n);
  }
  return done;
}

std::int64_t TFileStream::Seek(std::int64_t Offset, int Origin) {
  int whence = Origin == soFromCurrent ? SEEK_CUR : Origin == soFromEnd ? SEEK_END : SEEK_SET;
  off_t pos = ::lseek(FHandle, off_t(Offset), whence);
  return pos < 0 ? -1 : std::int64_t(pos);
}

void TFileStream::SetSize(std::int64_t NewSize) {
  std::int64_t pos = Position();
  if (::ftruncate(FHandle, off_t(NewSize)) != 0) throw EWriteError(SWriteError);
  if (pos > NewSize) Seek(NewSize, soFromBeginning);
}
