#pragma once
// TList: an ordered list of untyped pointers. The list does not own what the
// pointers point to. Bad indexes raise EListError "List index out of bounds (%d)".
#include <functional>
#include <vector>

#include "platform/base/Object.h"

// < 0 when Item1 goes before Item2, 0 when equal, > 0 after.
using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

class TList : public TObject {
 public:
  int Count() const { return int(FItems.size()); }
  void* Items(int Index) const;
  void SetItems(int Index, void* Item);
  void* First() const { return Items(0); }
  void* Last() const { return Items(Count() - 1); }

  int Add(void* Item);
  void Insert(int Index, void* Item);  // Index may equal Count
  void Delete(int Index);
  // Removes the first occurrence; gives its former index or -1.
  int Remove(void* Item);
  // Removes the first occurrence and gives Item, or nullptr when absent.
  void* Extract(void* Item);
  int IndexOf(void* Item) const;
  void Clear() { FItems.clear(); }
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  // Removes every nullptr entry.
  void Pack();
  // Stable sort.
  void Sort(const TListSortCompare& Compare);

  int Capacity() const { return int(FItems.capacity()); }
  void SetCapacity(int NewCapacity);

 private:
  void CheckIndex(int Index) const;
  std::vector<void*> FItems;
};
