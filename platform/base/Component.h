#pragma once
// Persistent objects and components: ownership (an owner frees what it owns),
// names, tags, component state and removal notifications.
#include <string>
#include <vector>

#include "platform/base/Object.h"

class TPersistent : public TObject {
 public:
  // Copies Source into this object; falls back to Source->AssignTo(this) and
  // finally raises EConvertError "Cannot assign a %s to a %s".
  virtual void Assign(TPersistent* Source);

 protected:
  virtual void AssignTo(TPersistent* Dest);
};

enum class TOperation { opInsert, opRemove };

// Component state flags (a set).
enum TComponentStateFlag : unsigned {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDestroying = 1u << 3,
  csDesigning = 1u << 4,
};
using TComponentState = unsigned;

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return int(FComponents.size()); }
  TComponent* Components(int index) const { return FComponents.at(size_t(index)); }
  // Owned component with this name (case-insensitive), or nullptr.
  TComponent* FindComponent(const std::string& name) const;

  const std::string& Name() const { return FName; }
  virtual void SetName(const std::string& name);
  long Tag() const { return FTag; }
  void SetTag(long tag) { FTag = tag; }

  TComponentState ComponentState() const { return FComponentState; }
  bool IsLoading() const { return (FComponentState & csLoading) != 0; }
  bool IsDestroying() const { return (FComponentState & csDestroying) != 0; }

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Asks to be told (Notification with opRemove) when AComponent goes away,
  // even when it is not owned by this component.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Marks this component and everything it owns as being destroyed. Derived
  // destructors that must know call it first; delete calls it too.
  void Destroying();

  // Layout reading: set csLoading before properties are read, then Loaded().
  void BeginLoading();
  virtual void Loaded();

 protected:
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  void DestroyComponents();

 private:
  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  std::string FName;
  long FTag = 0;
  TComponentState FComponentState = 0;
};
