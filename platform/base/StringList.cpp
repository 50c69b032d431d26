#include "platform/base/StringList.h"

#include <algorithm>

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"
#include "platform/base/SysUtils.h"

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
}

int TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
  return FCaseSensitive ? CompareStr(S1, S2) : CompareText(S1, S2);
}

std::string TStringList::Strings(int Index) const {
  CheckIndex(Index);
  return FItems[size_t(Index)].Text;
}

void TStringList::SetStrings(int Index, const std::string& S) {
  if (FSorted) throw EStringListError(SSortedListError);
  CheckIndex(Index);
  Changing();
  FItems[size_t(Index)].Text = S;
  Changed();
}

TObject* TStringList::Objects(int Index) const {
  CheckIndex(Index);
  return FItems[size_t(Index)].Object;
}

void TStringList::SetObjects(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FItems[size_t(Index)].Object = AObject;
  Changed();
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
  Changing();
  FItems.insert(FItems.begin() + Index, TItem{S, AObject});
  Changed();
}

int TStringList::Add(const std::string& S) {
  int index = Count();
  if (FSorted && Find(S, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) throw EStringListError(SDuplicateString);
  }
  InsertItem(index, S, nullptr);
  return index;
}

void TStringList::Insert(int Index, const std::string& S) {
  if (FSorted) throw EStringListError(SSortedListError);
  if (Index < 0 || Index > Count()) IndexError(Index);
  InsertItem(Index, S, nullptr);
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  FItems.erase(FItems.begin() + Index);
  Changed();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  Changing();
  FItems.clear();
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FItems[size_t(Index1)], FItems[size_t(Index2)]);
  Changed();
}

int TStringList::IndexOf(const std::string& S) const {
  if (!FSorted) {
    for (int i = 0; i < Count(); ++i)
      if (CompareStrings(FItems[size_t(i)].Text, S) == 0) return i;
    return -1;
  }
  int index = -1;
  return Find(S, index) ? index : -1;
}

bool TStringList::Find(const std::string& S, int& Index) const {
  // Lower bound: with duplicates the first equal entry is found, and a new
  // equal text goes before the existing ones.
  int low = 0, high = Count();
  while (low < high) {
    int mid = low + (high - low) / 2;
    if (CompareStrings(FItems[size_t(mid)].Text, S) < 0) low = mid + 1;
    else high = mid;
  }
  Index = low;
  return low < Count() && CompareStrings(FItems[size_t(low)].Text, S) == 0;
}

void TStringList::Sort() {
  Changing();
  std::stable_sort(FItems.begin(), FItems.end(),
                   [&](const TItem& a, const TItem& b) { return CompareStrings(a.Text, b.Text) < 0; });
  Changed();
}

void TStringList::CustomSort(const std::function<int(TStringList*, int, int)>& Compare) {
  // The comparison is given indexes, so sort a permutation and apply it.
  std::vector<int> order(FItems.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(this, a, b) < 0; });
  std::vector<TItem> sorted;
  sorted.reserve(FItems.size());
  for (int i : order) sorted.push_back(FItems[size_t(i)]);
  Changing();
  FItems = std::move(sorted);
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (FSorted) Sort();
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating) {
    if (OnChanging) OnChanging(this);
  } else {
    if (OnChange) OnChange(this);
  }
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}
