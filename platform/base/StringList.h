#pragma once
// TStringList: the string list kept in memory, optionally sorted
// (ignoring ASCII case unless CaseSensitive), with change events.
#include <functional>
#include <string>
#include <vector>

#include "platform/base/Events.h"
#include "platform/base/Strings.h"

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
 public:
  int Count() const override { return int(FItems.size()); }
  std::string Strings(int Index) const override;
  // Raises EStringListError "Operation not allowed on sorted string list"
  // on a sorted list.
  void SetStrings(int Index, const std::string& S) override;
  TObject* Objects(int Index) const override;
  void SetObjects(int Index, TObject* AObject) override;

  // On a sorted list the text goes to its sorted place; a duplicate is then
  // ignored (gives the existing index), accepted, or refused with
  // EStringListError "String list does not allow duplicates".
  int Add(const std::string& S) override;
  // Raises EStringListError "Operation not allowed on sorted string list"
  // on a sorted list.
  void Insert(int Index, const std::string& S) override;
  void Delete(int Index) override;
  void Clear() override;
  void Exchange(int Index1, int Index2) override;
  int IndexOf(const std::string& S) const override;

  // Binary search of a sorted list: true when found; Index is the match or
  // the place where S would go.
  bool Find(const std::string& S, int& Index) const;
  // Stable sort by the list's comparison.
  void Sort();
  void CustomSort(const std::function<int(TStringList* List, int Index1, int Index2)>& Compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);

  // Fired before and after every change (once for a whole update).
  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  void SetUpdateState(bool Updating) override;
  virtual void Changing();
  virtual void Changed();
  int CompareStrings(const std::string& S1, const std::string& S2) const;

 private:
  struct TItem {
    std::string Text;
    TObject* Object = nullptr;
  };
  void CheckIndex(int Index) const;
  void InsertItem(int Index, const std::string& S, TObject* AObject);

  std::vector<TItem> FItems;
  bool FSorted = false;
  bool FCaseSensitive = false;
  TDuplicates FDuplicates = dupIgnore;
};
