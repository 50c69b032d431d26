#pragma once
// TStrings: the abstract list of 8-bit texts, each with an optional object,
// that string lists and list controls share. Text is read and written with
// CR LF line ends; CR or LF alone also end a line when reading.
#include <string>

#include "platform/base/Component.h"

class TStream;

class TStrings : public TPersistent {
 public:
  virtual int Count() const = 0;
  virtual std::string Strings(int Index) const = 0;
  // Replaces the text at Index and keeps its object.
  virtual void SetStrings(int Index, const std::string& S);
  virtual TObject* Objects(int Index) const;
  virtual void SetObjects(int Index, TObject* AObject);

  virtual int Add(const std::string& S);
  int AddObject(const std::string& S, TObject* AObject);
  void AddStrings(const TStrings* Strings);
  virtual void Insert(int Index, const std::string& S) = 0;
  void InsertObject(int Index, const std::string& S, TObject* AObject);
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;
  virtual void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  // First index whose text equals S ignoring ASCII case, or -1.
  virtual int IndexOf(const std::string& S) const;
  int IndexOfObject(TObject* AObject) const;

  // All lines, each followed by CR LF.
  std::string Text() const;
  void SetText(const std::string& Value);

  // Reads the rest of the stream (from its position) as text.
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToStream(TStream* Stream) const;
  // EFOpenError "Cannot open file %s" / EFCreateError "Cannot create file %s".
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;

  // Change notifications are held back between the outermost BeginUpdate
  // and its EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // Copies the texts and objects of another TStrings.
  void Assign(TPersistent* Source) override;

 protected:
  // Told when the outermost update starts (true) and ends (false).
  virtual void SetUpdateState(bool Updating);
  [[noreturn]] void IndexError(int Index) const;

 private:
  int FUpdateCount = 0;
};
