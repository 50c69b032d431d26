#pragma once
// The memory that holds a bitmap's pixels. A store of a picture's size is
// mapped from the system on its own: freeing it gives the memory back at
// once (malloc keeps a freed block of the largest size it has seen for the
// next request, so one large picture would stay in the process for good),
// and a new one comes zeroed by the system, with no fill of ours before the
// rows are written. Small stores come from malloc, zeroed.
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
