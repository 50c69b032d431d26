#include "app/PeerList.h"

#include "app/Parlink.h"

TPeerList::TPeerList() = default;
TPeerList::~TPeerList() = default;

TParlink* TPeerList::Items(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return FItems[size_t(Index)].get();
}

void TPeerList::Add(TParlink* Entry) { FItems.emplace_back(Entry); }

TParlink* TPeerList::FindByAddress(const std::string& IP) const {
  for (const auto& entry : FItems)
    if (entry->FIP == IP) return entry.get();
  return nullptr;
}

bool TPeerList::RemoveFirstOfSlot(Byte Slot) {
  for (auto it = FItems.begin(); it != FItems.end(); ++it)
    if ((*it)->FSlot == Slot) {
      FItems.erase(it);
      return true;
    }
  return false;
}

void TPeerList::SetIncludeForSlot(Byte Slot, Byte Value) {
  for (const auto& entry : FItems)
    if (entry->FSlot == Slot) entry->SetInclude(Value);
}
