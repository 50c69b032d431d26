#pragma once
// The items of a list control: texts with their objects, in order. Inserting
// or deleting at either end takes the same time however many items there
// are; in the middle, the entries of the shorter side move. The texts are
// packed back to back into large blocks, so that an item costs its text and
// one entry of three words: no allocation of its own.
#include <cstddef>
#include <deque>
#include <memory>
#include <string_view>
#include <vector>

class TObject;

class TItemStore {
 public:
  int Count() const { return int(FEntries.size()); }
  // Index must lie in 0..Count()-1 (Insert: 0..Count()); the caller checks.
  std::string_view Text(int Index) const;
  TObject* Object(int Index) const { return FEntries[size_t(Index)].Object; }
  void SetObject(int Index, TObject* Object) { FEntries[size_t(Index)].Object = Object; }
  void Insert(int Index, std::string_view Text, TObject* Object = nullptr);
  void SetText(int Index, std::string_view Text);
  void Delete(int Index);
  void Clear();

  // The bytes the store holds: its entries and its text blocks.
  size_t BytesHeld() const;

 private:
  struct TEntry {
    const char* Text;
    size_t Length;
    TObject* Object;
  };
  struct TBlock {
    std::unique_ptr<char[]> Bytes;
    size_t Size;
    size_t Used;
  };

  const char* Keep(std::string_view Text);
  // The text of a replaced or deleted entry is left behind in its block;
  // once such leftovers outweigh the live texts, the blocks are rebuilt.
  void Forget(const TEntry& Entry);
  void Compact();

  std::deque<TEntry> FEntries;
  std::vector<TBlock> FBlocks;  // the last one is filled next
  size_t FLiveBytes = 0;        // text bytes of the entries
  size_t FUsedBytes = 0;        // text bytes written into the blocks
};
