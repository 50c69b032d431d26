#include <gtest/gtest.h>

#include <cstdint>

#include "platform/base/Component.h"
#include "platform/base/Exceptions.h"

namespace {

class TProbe : public TComponent {
 public:
  using TComponent::TComponent;
  std::vector<std::pair<TComponent*, TOperation>> seen;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    seen.emplace_back(c, op);
  }
};

class TCounted : public TComponent {
 public:
  TCounted(TComponent* owner, int* freed) : TComponent(owner), FFreed(freed) {}
  ~TCounted() override { ++*FFreed; }

 private:
  int* FFreed;
};

}  // namespace

TEST(Component, OwnerFreesOwnedComponentsAndNamesThem) {
  int freed = 0;
  auto* owner = new TProbe(nullptr);
  auto* a = new TCounted(owner, &freed);
  a->SetName("Alpha");
  new TCounted(owner, &freed);
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->FindComponent("alpha"), a);
  EXPECT_EQ(owner->ClassName(), "TProbe");
  delete owner;
  EXPECT_EQ(freed, 2);
}

TEST(Component, FreeNotificationTellsTheOtherSideOnce) {
  TProbe watcher(nullptr);
  auto* watched = new TProbe(nullptr);
  watcher.FreeNotification(watched);
  delete watched;
  ASSERT_EQ(watcher.seen.size(), 1u);
  EXPECT_EQ(watcher.seen[0].second, TOperation::opRemove);
}

TEST(Component, AssignBetweenUnrelatedClassesRaisesConversionError) {
  TProbe a(nullptr), b(nullptr);
  try {
    a.Assign(&b);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TProbe to a TProbe");
  }
}

TEST(Component, AssigningNilNamesNilAndTheTarget) {
  TProbe a(nullptr);
  try {
    a.Assign(nullptr);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a nil to a TProbe");
  }
}

namespace {

class TValue : public TPersistent {
 public:
  int Value = 0;
  void Assign(TPersistent* Source) override {
    if (auto* other = dynamic_cast<TValue*>(Source)) {
      Value = other->Value;
      return;
    }
    TPersistent::Assign(Source);
  }
};

// Knows how to copy itself into a TValue, which does not know it.
class TExporter : public TPersistent {
 protected:
  void AssignTo(TPersistent* Dest) override {
    if (auto* v = dynamic_cast<TValue*>(Dest)) {
      v->Value = 99;
      return;
    }
    TPersistent::AssignTo(Dest);
  }
};

}  // namespace

TEST(Component, AssignFallsBackToTheSourcesAssignTo) {
  TValue v, w;
  w.Value = 5;
  v.Assign(&w);
  EXPECT_EQ(v.Value, 5);
  TExporter e;
  v.Assign(&e);
  EXPECT_EQ(v.Value, 99);
  TExporter other;
  try {
    other.Assign(&v);
    FAIL() << "no exception";
  } catch (const EConvertError& ex) {
    EXPECT_EQ(ex.Message(), "Cannot assign a TValue to a TExporter");
  }
}

TEST(Component, NamesAreIdentifiersUniqueWithinTheOwner) {
  TProbe owner(nullptr);
  auto* a = new TProbe(&owner);
  auto* b = new TProbe(&owner);
  a->SetName("btnCall1");
  try {
    b->SetName("BTNCALL1");
    FAIL() << "no exception";
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "A component named BTNCALL1 already exists");
  }
  try {
    b->SetName("1st");
    FAIL() << "no exception";
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "'1st' is not a valid component name");
  }
  b->SetName("btnCall2");
  a->SetName("btnCall1");  // the same name again is fine
  EXPECT_EQ(owner.FindComponent("BTNCALL2"), b);
  EXPECT_THROW(owner.Components(2), EListError);
}

TEST(Component, OwnerHearsOfInsertAndRemoveAndOwnedComponentsHearToo) {
  TProbe owner(nullptr);
  auto* sibling = new TProbe(&owner);
  auto* child = new TProbe(&owner);
  ASSERT_FALSE(owner.seen.empty());
  EXPECT_EQ(owner.seen.back(), std::make_pair(static_cast<TComponent*>(child), TOperation::opInsert));
  sibling->seen.clear();
  const auto childAddress = reinterpret_cast<std::uintptr_t>(static_cast<TComponent*>(child));
  delete child;
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(owner.seen.back().first), childAddress);
  EXPECT_EQ(owner.seen.back().second, TOperation::opRemove);
  ASSERT_EQ(sibling->seen.size(), 1u);
  EXPECT_EQ(sibling->seen[0].second, TOperation::opRemove);
  EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(Component, OwnedComponentsAreMarkedDestroyingBeforeTheyGo) {
  struct TWatch : TComponent {
    bool* sawDestroying;
    TWatch(TComponent* o, bool* s) : TComponent(o), sawDestroying(s) {}
    ~TWatch() override { *sawDestroying = IsDestroying(); }
  };
  bool saw = false;
  auto* owner = new TComponent(nullptr);
  new TWatch(owner, &saw);
  delete owner;
  EXPECT_TRUE(saw);
}

TEST(Component, LoadingStateEndsWithLoaded) {
  TProbe c(nullptr);
  c.BeginLoading();
  EXPECT_TRUE(c.IsLoading());
  c.Loaded();
  EXPECT_FALSE(c.IsLoading());
}
