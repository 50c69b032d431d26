#pragma once
// The memory that holds a bitmap's pixels. A store of a picture's size is
// mapped from the system on its own: freeing it gives the memory back (malloc
// keeps a freed block of the largest size it has seen for the next request,
// so one large picture would stay in the process for good). Small stores come
// from malloc.
//
// A picture that is about to be written whole (a decoder's output) asks for an
// unfilled store. Of those, one freed mapping of the size asked for last is
// kept for the next such request: a stream of video frames then reuses the
// pages of the frame before instead of having the system fault in and zero
// fresh ones for each frame, which costs as much as decoding it. A request of
// another size releases that spare, and a freed store of another size is never
// kept, so what a larger picture held does not stay.
#include <cstddef>

#include "platform/base/Types.h"

class TPixelStore {
 public:
  TPixelStore() = default;
  // Size bytes, all zero; std::bad_alloc when the system has none.
  explicit TPixelStore(std::size_t Size);
  TPixelStore(const Byte* Data, std::size_t Size);
  TPixelStore(const TPixelStore& Other);
  TPixelStore(TPixelStore&& Other) noexcept;
  TPixelStore& operator=(const TPixelStore& Other);
  TPixelStore& operator=(TPixelStore&& Other) noexcept;
  ~TPixelStore();

  // Size bytes whose contents are unspecified, for a caller that writes
  // every byte before anything reads one.
  static TPixelStore Unfilled(std::size_t Size);
  // Bytes the stores hold in pages of their own, the spare included.
  static std::size_t MappedBytes();

  Byte* data() { return FData; }
  const Byte* data() const { return FData; }
  std::size_t size() const { return FSize; }
  bool empty() const { return FSize == 0; }
  void clear();

 private:
  Byte* FData = nullptr;
  std::size_t FSize = 0;
  bool FMapped = false;
};
