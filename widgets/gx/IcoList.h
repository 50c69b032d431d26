#pragma once
// TIconList: an ordered list of icons that a component can hold as a
// property. The list owns its icons (an entry may also be empty, nullptr),
// reports every change through one OnChange handler, and stores itself in a
// layout as the binary property "Icons":
//
//   int32 N, then for each entry: int32 S, followed by S bytes of icon file
//   (S = 0 for an empty entry or an empty icon, which read back as empty).
//
// Every held icon reports its own changes to the list, so editing an icon in
// place notifies the list's handler too. Suspended changes (SuspendChanges /
// ResumeChanges, nestable) end in exactly one notification.
//
// Beside it, the icon clipboard format "Pomvex Icon": registered once and
// tied to TIcon, so that a picture knows the format; no data is ever written
// in it and icons refuse the clipboard ("Clipboard does not support Icons").
#include <memory>
#include <string>
#include <vector>

#include "platform/base/Component.h"
#include "platform/base/Events.h"
#include "platform/controls/ResourcePictures.h"
#include "platform/graphics/Graphic.h"

class TIcon;
class TStream;

class TIconList : public TPersistent {
 public:
  TIconList() = default;
  ~TIconList() override;

  // Source nullptr: Clear. A TIconList: a copy of each of its entries (an
  // empty entry gives an empty icon). A TIcon: one copy of it. Anything else
  // is asked to assign itself to the list, else EConvertError "Cannot assign
  // a %s to a %s". Assigning the list to itself changes nothing.
  void Assign(TPersistent* Source) override;

  // Entry Index (nullptr for an empty entry). Indexes out of range raise
  // EListError "List index out of bounds (%d)" and leave the list as it was.
  TIcon* Icons(int Index) const;
  int Count() const { return int(FIconItems.size()); }
  // Index equal to Count appends an entry first; an empty entry gets a new
  // icon; the entry's icon then takes a copy of Source.
  void PutIcon(int Index, TGraphic* Source);

  // A new icon copying Source (nullptr: an empty icon) is appended / inserted;
  // when the copy fails the icon is dropped and the error passed on.
  int Add(TGraphic* Source);
  void Insert(int Index, TGraphic* Source);
  // A new icon made from the icon resource ResourceName of the module
  // Instance (LoadIcon) is appended / inserted; a resource that does not
  // exist gives an empty icon.
  int AddFromResource(HINSTANCE Instance, const std::string& ResourceName);
  void InsertFromResource(int Index, HINSTANCE Instance, const std::string& ResourceName);
  // Appends Icon itself (or an empty entry for nullptr) and takes ownership.
  int AddIcon(TIcon* Icon);

  void Clear();
  void Delete(int Index);
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  // Position of this very icon object, -1 when the list does not hold it.
  int IndexOf(const TIcon* Icon) const;

  void SuspendChanges();
  void ResumeChanges();

  // The "Icons" form. ReadIcons replaces the entries; icon data that cannot
  // be read raises the icon's error (or EReadError "Stream read error" for a
  // truncated stream), keeping the entries read before it.
  void ReadIcons(TStream* Stream);
  void WriteIcons(TStream* Stream) const;
  void LoadFromStream(TStream* Stream) { ReadIcons(Stream); }
  void SaveToStream(TStream* Stream) const { WriteIcons(Stream); }
  // Whether a layout writer stores "Icons", given the ancestor's list (or
  // nullptr when there is none): with an ancestor of the same, non-zero
  // count, only when some entry is a different icon object; else when this
  // list has entries.
  bool IconsDiffer(const TIconList* Ancestor) const;

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }

 protected:
  // Calls OnChange (Sender = the list) unless changes are suspended.
  virtual void Changed();

 private:
  void CheckIndex(int Index) const;
  void Hook(TIcon* Icon);
  static void Unhook(TIcon* Icon);
  TIcon* NewIconFrom(TGraphic* Source);
  void InsertIcon(int Index, std::unique_ptr<TIcon> Icon);

  std::vector<TIcon*> FIconItems;
  int FSuspendCount = 0;
  TNotifyEvent FOnChange;
};

// The icon clipboard format's identifier (0 until registered).
extern TClipboardFormat IconClipboardFormat;
// Registers "Pomvex Icon" and ties it to TIcon in the picture registry;
// called once at program start (a second call changes nothing).
void RegisterIconClipboardFormat();
// Makes "TIconList" a layout class with the binary property "Icons", for
// components that publish an icon list as a sub-object.
void RegisterIconListLayout();
