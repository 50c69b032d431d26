#include "platform/controls/ItemStore.h"

#include <cstring>

namespace {
constexpr size_t kBlockSize = 64 * 1024;
// A text longer than this gets a block of its own, so that the block being
// filled is not abandoned half empty.
constexpr size_t kOwnBlockAbove = kBlockSize / 4;
}  // namespace

std::string_view TItemStore::Text(int Index) const {
  const TEntry& e = FEntries[size_t(Index)];
  return std::string_view(e.Text, e.Length);
}

const char* TItemStore::Keep(std::string_view Text) {
  if (Text.empty()) return nullptr;
  const size_t n = Text.size();
  if (n > kOwnBlockAbove) {
    TBlock own{std::make_unique<char[]>(n), n, n};
    std::memcpy(own.Bytes.get(), Text.data(), n);
    const char* p = own.Bytes.get();
    FBlocks.insert(FBlocks.empty() ? FBlocks.end() : FBlocks.end() - 1, std::move(own));
    FUsedBytes += n;
    return p;
  }
  if (FBlocks.empty() || FBlocks.back().Size - FBlocks.back().Used < n)
    FBlocks.push_back(TBlock{std::make_unique<char[]>(kBlockSize), kBlockSize, 0});
  TBlock& b = FBlocks.back();
  char* p = b.Bytes.get() + b.Used;
  std::memcpy(p, Text.data(), n);
  b.Used += n;
  FUsedBytes += n;
  return p;
}

void TItemStore::Insert(int Index, std::string_view Text, TObject* Object) {
  TEntry e{Keep(Text), Text.size(), Object};
  if (Index == 0)
    FEntries.push_front(e);
  else if (size_t(Index) == FEntries.size())
    FEntries.push_back(e);
  else
    FEntries.insert(FEntries.begin() + Index, e);
  FLiveBytes += Text.size();
}

void TItemStore::SetText(int Index, std::string_view Text) {
  TEntry& e = FEntries[size_t(Index)];
  const TEntry old = e;
  e.Text = Keep(Text);
  e.Length = Text.size();
  FLiveBytes += Text.size();
  Forget(old);
}

void TItemStore::Delete(int Index) {
  const TEntry old = FEntries[size_t(Index)];
  if (Index == 0)
    FEntries.pop_front();
  else if (size_t(Index) + 1 == FEntries.size())
    FEntries.pop_back();
  else
    FEntries.erase(FEntries.begin() + Index);
  Forget(old);
}

void TItemStore::Clear() {
  FEntries.clear();
  FEntries.shrink_to_fit();
  FBlocks.clear();
  FLiveBytes = 0;
  FUsedBytes = 0;
}

void TItemStore::Forget(const TEntry& Entry) {
  FLiveBytes -= Entry.Length;
  const size_t garbage = FUsedBytes - FLiveBytes;
  if (garbage > kBlockSize && garbage > FLiveBytes) Compact();
}

void TItemStore::Compact() {
  std::vector<TBlock> old;
  old.swap(FBlocks);
  FUsedBytes = 0;
  for (TEntry& e : FEntries) e.Text = Keep(std::string_view(e.Text, e.Length));
}

size_t TItemStore::BytesHeld() const {
  size_t bytes = sizeof(*this);
  // The deque's nodes hold whole numbers of entries; count them as full.
  bytes += FEntries.size() * sizeof(TEntry);
  for (const TBlock& b : FBlocks) bytes += b.Size;
  bytes += FBlocks.capacity() * sizeof(TBlock);
  return bytes;
}
