#pragma once
// The main window's list of connected peers. It owns its entries: an entry
// is freed in the same step in which it leaves the list, and the rest go
// with the list. Entries keep the order in which they were appended;
// duplicates (the same address or slot twice) are allowed.
//
// Code that processes window messages while it walks the list (the video
// sender) must look at the main window's FPeers, its Count and the entry at
// its index anew after every pump: any handler may have run meanwhile, and
// "Refresh All" replaces the whole list.
#include <memory>
#include <string>
#include <vector>

#include "platform/base/Types.h"

class TParlink;

class TPeerList {
 public:
  TPeerList();
  ~TPeerList();
  TPeerList(const TPeerList&) = delete;
  TPeerList& operator=(const TPeerList&) = delete;

  int Count() const { return int(FItems.size()); }
  // The entry at Index, or nullptr outside 0 to Count-1.
  TParlink* Items(int Index) const;

  // Appends Entry; the list owns it from now on.
  void Add(TParlink* Entry);

  // The first entry, in list order, whose address equals IP exactly.
  TParlink* FindByAddress(const std::string& IP) const;
  // Frees the first entry of Slot; false when the list holds none.
  bool RemoveFirstOfSlot(Byte Slot);
  // Sets the include flag of every entry of Slot.
  void SetIncludeForSlot(Byte Slot, Byte Value);

 private:
  std::vector<std::unique_ptr<TParlink>> FItems;
};
