#include <gtest/gtest.h>

#include "app/Parlink.h"
#include "app/PeerList.h"
#include "platform/graphics/Graphic.h"

namespace {

TEST(PeerList, AnEntryKeepsAddressPictureAndSlotAndStartsIncluded) {
  TPicture picture;
  TParlink entry("10.0.0.7", &picture, 3);
  EXPECT_EQ(entry.FIP, "10.0.0.7");
  EXPECT_EQ(entry.FPicture, &picture);
  EXPECT_EQ(entry.FSlot, 3);
  EXPECT_EQ(entry.FInclude, 1);
  entry.SetInclude(0);
  EXPECT_EQ(entry.FInclude, 0);
}

TEST(PeerList, AddressesMatchExactlyAndTheFirstOfTwoWins) {
  TPeerList list;
  list.Add(new TParlink("10.0.0.7", nullptr, 2));
  list.Add(new TParlink("10.0.0.70", nullptr, 3));
  list.Add(new TParlink("10.0.0.7", nullptr, 4));
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.FindByAddress("10.0.0.7")->FSlot, 2);
  EXPECT_EQ(list.FindByAddress("10.0.0.70")->FSlot, 3);
  EXPECT_EQ(list.FindByAddress("10.0.0.07"), nullptr);
  EXPECT_EQ(list.FindByAddress(""), nullptr);
  EXPECT_EQ(list.Items(3), nullptr);
  EXPECT_EQ(list.Items(-1), nullptr);
}

TEST(PeerList, RemovingTakesOnlyTheFirstEntryOfTheSlot) {
  TPeerList list;
  list.Add(new TParlink("a", nullptr, 1));
  list.Add(new TParlink("b", nullptr, 2));
  list.Add(new TParlink("c", nullptr, 1));
  EXPECT_TRUE(list.RemoveFirstOfSlot(1));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Items(0)->FIP, "b");
  EXPECT_EQ(list.Items(1)->FIP, "c");
  EXPECT_FALSE(list.RemoveFirstOfSlot(4));
  EXPECT_EQ(list.Count(), 2);
}

TEST(PeerList, IncludeChangesEveryEntryOfTheSlot) {
  TPeerList list;
  list.Add(new TParlink("a", nullptr, 1));
  list.Add(new TParlink("b", nullptr, 2));
  list.Add(new TParlink("c", nullptr, 1));
  list.SetIncludeForSlot(1, 0);
  EXPECT_EQ(list.Items(0)->FInclude, 0);
  EXPECT_EQ(list.Items(1)->FInclude, 1);
  EXPECT_EQ(list.Items(2)->FInclude, 0);
}

}  // namespace
