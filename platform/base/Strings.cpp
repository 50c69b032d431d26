#include "platform/base/Strings.h"

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"

void TStrings::IndexError(int Index) const { throw EStringListError(Format(SListIndexError, Index)); }

void TStrings::SetStrings(int Index, const std::string& S) {
  TObject* object = Objects(Index);
  Delete(Index);
  InsertObject(Index, S, object);
}

TObject* TStrings::Objects(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return nullptr;
}

void TStrings::SetObjects(int, TObject*) {}

int TStrings::Add(const std::string& S) {
  int index = Count();
  Insert(index, S);
  return index;
}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
  int index = Add(S);
  SetObjects(index, AObject);
  return index;
}

void TStrings::AddStrings(const TStrings* Strings) {
  BeginUpdate();
  try {
    for (int i = 0; i < Strings->Count(); ++i) AddObject(Strings->Strings(i), Strings->Objects(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
  Insert(Index, S);
  SetObjects(Index, AObject);
}

void TStrings::Exchange(int Index1, int Index2) {
  BeginUpdate();
  try {
    std::string s1 = Strings(Index1), s2 = Strings(Index2);
    TObject* o1 = Objects(Index1);
    TObject* o2 = Objects(Index2);
    SetStrings(Index1, s2);
    SetObjects(Index1, o2);
    SetStrings(Index2, s1);
    SetObjects(Index2, o1);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  BeginUpdate();
  try {
    std::string s = Strings(CurIndex);
    TObject* object = Objects(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, s, object);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::IndexOf(const std::string& S) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareText(Strings(i), S) == 0) return i;
  return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
  for (int i = 0; i < Count(); ++i)
    if (Objects(i) == AObject) return i;
  return -1;
}

std::string TStrings::Text() const {
  std::string out;
  for (int i = 0; i < Count(); ++i) {
    out += Strings(i);
    out += "\r\n";
  }
  return out;
}

void TStrings::SetText(const std::string& Value) {
  BeginUpdate();
  try {
    Clear();
    size_t start = 0;
    while (start < Value.size()) {
      size_t end = Value.find_first_of("\r\n", start);
      if (end == std::string::npos) {
        Add(Value.substr(start));
        break;
      }
      Add(Value.substr(start, end - start));
      start = end + 1;
      if (Value[end] == '\r' && start < Value.size() && Value[start] == '\n') ++start;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::LoadFromStream(TStream* Stream) {
  std::int64_t left = Stream->Size() - Stream->Position();
  std::string text;
  if (left > 0) {
    if (left > 0x7FFFFFFF) throw EReadError(SReadError);
    text.resize(size_t(left));
    text.resize(size_t(Stream->Read(text.data(), int(left))));
  }
  SetText(text);
}

void TStrings::SaveToStream(TStream* Stream) const {
  std::string text = Text();
  Stream->WriteBuffer(text.data(), int(text.size()));
}

void TStrings::LoadFromFile(const std::string& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&file);
}

void TStrings::SaveToFile(const std::string& FileName) const {
  TFileStream file(FileName, fmCreate);
  SaveToStream(&file);
}

void TStrings::BeginUpdate() {
  if (FUpdateCount++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TStrings*>(Source);
  if (source == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this) return;
  BeginUpdate();
  try {
    Clear();
    AddStrings(source);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}
