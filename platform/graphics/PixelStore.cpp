#include "platform/graphics/PixelStore.h"

#include <sys/mman.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

namespace {

// From this size on a store has pages of its own.
constexpr std::size_t kMappedFrom = std::size_t(256) * 1024;

std::atomic<std::size_t> gMappedBytes{0};

Byte* MapPages(std::size_t Size) {
  void* pages = mmap(nullptr, Size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) throw std::bad_alloc();
  gMappedBytes += Size;
  return static_cast<Byte*>(pages);
}

void UnmapPages(Byte* Pages, std::size_t Size) {
  munmap(Pages, Size);
  gMappedBytes -= Size;
}

// The one freed mapping kept for the next unfilled store of its size. Stores
// are freed on whichever thread drops the last picture that held them.
struct TSparePages {
  std::mutex Lock;
  Byte* Pages = nullptr;
  std::size_t Size = 0;
  std::size_t LastAsked = 0;  // the size of the newest unfilled store
};

TSparePages& Spare() {
  static auto* spare = new TSparePages;  // outlives every picture freed at exit
  return *spare;
}

// The spare when it has the size asked for; otherwise the spare is released
// and null returned.
Byte* TakeSpare(std::size_t Size) {
  TSparePages& spare = Spare();
  Byte* stale = nullptr;
  std::size_t staleSize = 0;
  Byte* taken = nullptr;
  {
    std::lock_guard<std::mutex> hold(spare.Lock);
    spare.LastAsked = Size;
    if (spare.Size == Size) {
      taken = spare.Pages;
    } else {
      stale = spare.Pages;
      staleSize = spare.Size;
    }
    spare.Pages = nullptr;
    spare.Size = 0;
  }
  if (stale != nullptr) UnmapPages(stale, staleSize);
  return taken;
}

// Pages given back: kept as the spare when they have the size of the newest
// unfilled store and no spare is held, otherwise returned to the system.
void GiveBack(Byte* Pages, std::size_t Size) {
  TSparePages& spare = Spare();
  {
    std::lock_guard<std::mutex> hold(spare.Lock);
    if (spare.Pages == nullptr && Size == spare.LastAsked) {
      spare.Pages = Pages;
      spare.Size = Size;
      return;
    }
  }
  UnmapPages(Pages, Size);
}

}  // namespace

TPixelStore::TPixelStore(std::size_t Size) {
  if (Size == 0) return;
  if (Size >= kMappedFrom) {
    FData = MapPages(Size);  // the system's new pages are zero
    FMapped = true;
  } else {
    FData = static_cast<Byte*>(std::calloc(Size, 1));
    if (FData == nullptr) throw std::bad_alloc();
  }
  FSize = Size;
}

TPixelStore TPixelStore::Unfilled(std::size_t Size) {
  if (Size < kMappedFrom) return TPixelStore(Size);
  TPixelStore store;
  store.FData = TakeSpare(Size);
  if (store.FData == nullptr) store.FData = MapPages(Size);
  store.FMapped = true;
  store.FSize = Size;
  return store;
}

std::size_t TPixelStore::MappedBytes() { return gMappedBytes; }

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
      GiveBack(FData, FSize);
    else
      std::free(FData);
  }
  FData = nullptr;
  FSize = 0;
  FMapped = false;
}
