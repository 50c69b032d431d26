#include "platform/graphics/PixelStore.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {

// From this size on a store has pages of its own.
constexpr std::size_t kMappedFrom = std::size_t(256) * 1024;

}  // namespace

TPixelStore::TPixelStore(std::size_t Size) {
  if (Size == 0) return;
  if (Size >= kMappedFrom) {
    void* pages = mmap(nullptr, Size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) throw std::bad_alloc();
    FData = static_cast<Byte*>(pages);
    FMapped = true;
  } else {
    FData = static_cast<Byte*>(std::calloc(Size, 1));
    if (FData == nullptr) throw std::bad_alloc();
  }
  FSize = Size;
}

TPixelStore::TPixelStore(const Byte* Data, std::size_t Size) : TPixelStore(Size) {
  if (Size > 0) std::memcpy(FData, Data, Size);
}

TPixelStore::TPixelStore(const TPixelStore& Other) : TPixelStore(Other.FData, Other.FSize) {}

TPixelStore::TPixelStore(TPixelStore&& Other) noexcept
    : FData(std::exchange(Other.FData, nullptr)),
      FSize(std::exchange(Other.FSize, 0)),
      FMapped(std::exchange(Other.FMapped, false)) {}

TPixelStore& TPixelStore::operator=(const TPixelStore& Other) {
  if (this != &Other) *this = TPixelStore(Other);
  return *this;
}

TPixelStore& TPixelStore::operator=(TPixelStore&& Other) noexcept {
  if (this != &Other) {
    clear();
    FData = std::exchange(Other.FData, nullptr);
    FSize = std::exchange(Other.FSize, 0);
    FMapped = std::exchange(Other.FMapped, false);
  }
  return *this;
}

TPixelStore::~TPixelStore() { clear(); }

void TPixelStore::clear() {
  if (FData != nullptr) {
    if (FMapped)
      munmap(FData, FSize);
    else
      std::free(FData);
  }
  FData = nullptr;
  FSize = 0;
  FMapped = false;
}
