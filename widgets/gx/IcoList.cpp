#include "widgets/gx/IcoList.h"

#include <cstdint>
#include <memory>

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Clipboard.h"
#include "platform/graphics/Icon.h"
#include "platform/layout/Registry.h"

namespace {

// Releases a suspension when the guarded operation ends, also by an error.
class TSuspendedChanges {
 public:
  explicit TSuspendedChanges(TIconList& List) : FList(List) { FList.SuspendChanges(); }
  ~TSuspendedChanges() { FList.ResumeChanges(); }
  TSuspendedChanges(const TSuspendedChanges&) = delete;
  TSuspendedChanges& operator=(const TSuspendedChanges&) = delete;

 private:
  TIconList& FList;
};

std::int32_t ReadInt32(TStream* Stream) {
  Byte b[4];
  Stream->ReadBuffer(b, 4);
  return std::int32_t(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
                      std::uint32_t(b[3]) << 24);
}

void WriteInt32(TStream* Stream, std::int32_t Value) {
  auto v = std::uint32_t(Value);
  Byte b[4] = {Byte(v), Byte(v >> 8), Byte(v >> 16), Byte(v >> 24)};
  Stream->WriteBuffer(b, 4);
}

}  // namespace

TIconList::~TIconList() {
  FOnChange = nullptr;
  for (TIcon* icon : FIconItems) {
    Unhook(icon);
    delete icon;
  }
}

void TIconList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format(SListIndexError, Index));
}

void TIconList::Hook(TIcon* Icon) {
  if (Icon != nullptr) Icon->SetOnChange([this](TObject*) { Changed(); });
}

void TIconList::Unhook(TIcon* Icon) {
  if (Icon != nullptr) Icon->SetOnChange(nullptr);
}

void TIconList::Changed() {
  if (FSuspendCount == 0 && FOnChange) FOnChange(this);
}

void TIconList::SuspendChanges() { ++FSuspendCount; }

void TIconList::ResumeChanges() {
  if (FSuspendCount > 0 && --FSuspendCount == 0) Changed();
}

TIcon* TIconList::Icons(int Index) const {
  CheckIndex(Index);
  return FIconItems[std::size_t(Index)];
}

TIcon* TIconList::NewIconFrom(TGraphic* Source) {
  auto icon = std::make_unique<TIcon>();
  icon->Assign(Source);
  return icon.release();
}

int TIconList::AddIcon(TIcon* Icon) {
  FIconItems.push_back(Icon);
  Hook(Icon);
  Changed();
  return Count() - 1;
}

int TIconList::Add(TGraphic* Source) {
  std::unique_ptr<TIcon> icon(NewIconFrom(Source));
  FIconItems.reserve(FIconItems.size() + 1);
  return AddIcon(icon.release());
}

void TIconList::Insert(int Index, TGraphic* Source) {
  if (Index < 0 || Index > Count()) throw EListError(Format(SListIndexError, Index));
  InsertIcon(Index, std::unique_ptr<TIcon>(NewIconFrom(Source)));
}

void TIconList::InsertIcon(int Index, std::unique_ptr<TIcon> Icon) {
  FIconItems.insert(FIconItems.begin() + Index, Icon.get());
  Hook(Icon.release());
  Changed();
}

int TIconList::AddFromResource(HINSTANCE Instance, const std::string& ResourceName) {
  auto icon = std::make_unique<TIcon>();
  icon->SetHandle(LoadIcon(Instance, ResourceName));
  FIconItems.reserve(FIconItems.size() + 1);
  return AddIcon(icon.release());
}

void TIconList::InsertFromResource(int Index, HINSTANCE Instance, const std::string& ResourceName) {
  if (Index < 0 || Index > Count()) throw EListError(Format(SListIndexError, Index));
  auto icon = std::make_unique<TIcon>();
  icon->SetHandle(LoadIcon(Instance, ResourceName));
  InsertIcon(Index, std::move(icon));
}

void TIconList::PutIcon(int Index, TGraphic* Source) {
  if (Index < 0 || Index > Count()) throw EListError(Format(SListIndexError, Index));
  TSuspendedChanges suspended(*this);
  if (Index == Count()) Add(nullptr);
  TIcon*& entry = FIconItems[std::size_t(Index)];
  if (entry == nullptr) entry = new TIcon;
  Hook(entry);
  entry->Assign(Source);
}

void TIconList::Clear() {
  TSuspendedChanges suspended(*this);
  for (int i = Count() - 1; i >= 0; --i) Delete(i);
}

void TIconList::Delete(int Index) {
  CheckIndex(Index);
  TIcon* icon = FIconItems[std::size_t(Index)];
  Unhook(icon);
  delete icon;
  FIconItems.erase(FIconItems.begin() + Index);
  Changed();
}

void TIconList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FIconItems[std::size_t(Index1)], FIconItems[std::size_t(Index2)]);
  Changed();
}

void TIconList::Move(int CurIndex, int NewIndex) {
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  TIcon* icon = FIconItems[std::size_t(CurIndex)];
  FIconItems.erase(FIconItems.begin() + CurIndex);
  FIconItems.insert(FIconItems.begin() + NewIndex, icon);
  Changed();
}

int TIconList::IndexOf(const TIcon* Icon) const {
  for (int i = 0; i < Count(); ++i)
    if (FIconItems[std::size_t(i)] == Icon) return i;
  return -1;
}

void TIconList::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    Clear();
  } else if (auto* list = dynamic_cast<TIconList*>(Source)) {
    TSuspendedChanges suspended(*this);
    Clear();
    for (TIcon* icon : list->FIconItems) Add(icon);
  } else if (auto* icon = dynamic_cast<TIcon*>(Source)) {
    TSuspendedChanges suspended(*this);
    Clear();
    Add(icon);
  } else {
    TPersistent::Assign(Source);
  }
}

void TIconList::ReadIcons(TStream* Stream) {
  TSuspendedChanges suspended(*this);
  Clear();
  std::int32_t count = ReadInt32(Stream);
  for (std::int32_t i = 0; i < count; ++i) {
    std::int32_t size = ReadInt32(Stream);
    if (size <= 0) {
      AddIcon(nullptr);
      continue;
    }
    // The size comes from the data: nothing is allocated before the stream
    // shows that many bytes are really there.
    if (Stream->Size() - Stream->Position() < size) throw EReadError(SReadError);
    TMemoryStream data;
    data.CopyFrom(Stream, size);
    data.SetPosition(0);
    auto icon = std::make_unique<TIcon>();
    icon->LoadFromStream(&data);
    AddIcon(icon.release());
  }
}

void TIconList::WriteIcons(TStream* Stream) const {
  WriteInt32(Stream, Count());
  TMemoryStream data;
  for (TIcon* icon : FIconItems) {
    data.Clear();
    if (icon != nullptr && !icon->Empty()) icon->SaveToStream(&data);
    WriteInt32(Stream, std::int32_t(data.Size()));
    if (data.Size() > 0) Stream->WriteBuffer(data.Memory(), int(data.Size()));
  }
}

bool TIconList::IconsDiffer(const TIconList* Ancestor) const {
  if (Ancestor != nullptr && Ancestor->Count() == Count() && Count() > 0) {
    for (int i = 0; i < Count(); ++i)
      if (Ancestor->FIconItems[std::size_t(i)] != FIconItems[std::size_t(i)]) return true;
    return false;
  }
  return Count() > 0;
}

TClipboardFormat IconClipboardFormat = 0;

void RegisterIconClipboardFormat() {
  IconClipboardFormat = RegisterClipboardFormat("Pomvex Icon");
  TPicture::RegisterClipboardFormat(IconClipboardFormat, GraphicClassOf<TIcon>());
}

void RegisterIconListLayout() {
  RegisterLayoutClass("TIconList", "");
  RegisterLayoutProperty("TIconList", "Icons",
                         TLayoutSetter([](TPersistent* Target, const TLayoutValue& Value,
                                          TLayoutContext&) {
                           const std::vector<Byte>& bytes = Value.AsBytes();
                           TMemoryStream stream;
                           if (!bytes.empty()) stream.WriteBuffer(bytes.data(), int(bytes.size()));
                           stream.SetPosition(0);
                           LayoutTarget<TIconList>(Target, "Icons").ReadIcons(&stream);
                         }));
}
