#pragma once
// Persistent objects and components: ownership (an owner frees what it owns),
// names, tags, component state and removal notifications.
#include <atomic>
#include <string>
#include <vector>

#include "platform/base/Object.h"

class TPersistent : public TObject {
 public:
  // Copies Source into this object. The base asks Source->AssignTo(this),
  // whose base raises EConvertError "Cannot assign a %s to a %s" (source
  // class, this class); a nil Source gives "Cannot assign a nil to a %s".
  // Overrides copy what they know and call the inherited Assign otherwise.
  virtual void Assign(TPersistent* Source);

 protected:
  // Copies this object into Dest when Dest's Assign does not know the class;
  // the base raises Dest's conversion error.
  virtual void AssignTo(TPersistent* Dest);
  // Raises EConvertError "Cannot assign a <Source class or nil> to a <this class>".
  [[noreturn]] void AssignError(TPersistent* Source);
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
  // EListError "List index out of bounds (%d)" outside 0 to count-1.
  TComponent* Components(int index) const;
  // Owned component with this name (case-insensitive), or nullptr.
  TComponent* FindComponent(const std::string& name) const;

  const std::string& Name() const { return FName; }
  // Empty, or an identifier unique among the owner's components (ignoring
  // case): else EComponentError "'%s' is not a valid component name" or
  // "A component named %s already exists".
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
  // C++ destroys a derived object's members before ~TComponent frees the
  // owned components; a derived class whose owned components still use it
  // while they go away calls DestroyComponents() first in its destructor.

  // Layout reading: set csLoading before properties are read, then Loaded().
  void BeginLoading();
  virtual void Loaded();

 protected:
  // Told when a component is inserted into or removed from this owner, and
  // when a component this one asked FreeNotification of goes away. The base
  // forwards it to every owned component.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  void DestroyComponents();

 private:
  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  std::string FName;
  long FTag = 0;
  std::atomic<TComponentState> FComponentState{0};  // timer workers ask IsDestroying()
};
