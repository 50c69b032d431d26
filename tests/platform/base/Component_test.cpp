#include <gtest/gtest.h>

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
