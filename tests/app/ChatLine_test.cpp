#include <gtest/gtest.h>

#include "app/ChatLine.h"

namespace {

std::string Item(const std::string& datagram, int slot) {
  return ChatItemFromDatagram(reinterpret_cast<const Byte*>(datagram.data()), datagram.size(), slot);
}

TEST(ChatLine, TheDatagramIsCallerIDSeparatorTextAndOneNul) {
  std::string line = MakeChatLine("Ann", "hello");
  EXPECT_EQ(line, std::string("Ann <> hello\0", 13));
  EXPECT_EQ(MakeChatLine("", "").size(), 5u);  // caller ID + text + 5
}

TEST(ChatLine, ALineLongerThanTheBufferIsCutAndStillEndsWithItsNul) {
  std::string callerID(3000, 'x');
  std::string line = MakeChatLine(callerID, "hi");
  ASSERT_EQ(line.size(), ChatLineMaxBytes);
  EXPECT_EQ(line.back(), '\0');
  EXPECT_EQ(line.find('\0'), ChatLineMaxBytes - 1);
  EXPECT_EQ(line.substr(0, 10), std::string(10, 'x'));

  // Exactly at the limit nothing is cut.
  std::string fits = MakeChatLine(std::string(ChatLineMaxBytes - 5 - 2, 'y'), "hi");
  EXPECT_EQ(fits.size(), ChatLineMaxBytes);
  EXPECT_EQ(fits.substr(fits.size() - 3), std::string("hi\0", 3));
}

TEST(ChatLine, TheSlotDigitGoesAfterTheFirstBracketAndTheNulEndsTheItem) {
  EXPECT_EQ(Item(MakeChatLine("Ann", "hello"), 2), "Ann <2> hello");
  // A caller ID with its own "<" takes the digit there.
  EXPECT_EQ(Item(MakeChatLine("A<b", "x"), 3), "A<3b <> x");
  // No "<" at all: the digit leads.
  EXPECT_EQ(Item(std::string("plain\0", 6), 4), "4plain");
  // Bytes after the first NUL are not part of the item.
  EXPECT_EQ(Item(std::string("A <> x\0junk<", 12), 1), "A <1> x");
  EXPECT_EQ(Item("", 1), "1");
  EXPECT_EQ(ChatItemFromDatagram(nullptr, 0, 2), "2");
}

TEST(ChatLine, ASenderWithoutAnEntryGetsADigitThatNamesNoSlot) {
  std::string item = Item(MakeChatLine("Ann", "hi"), ChatNoSlot);
  EXPECT_EQ(item, "Ann <0> hi");
  EXPECT_EQ(ChatItemSlot(item), 0);
}

TEST(ChatLine, TheDrawnSlotIsTheDigitAfterTheFirstBracketOrNone) {
  EXPECT_EQ(ChatItemSlot("Ann <3> hi"), 3);
  EXPECT_EQ(ChatItemSlot("A<4b <> x"), 4);
  EXPECT_EQ(ChatItemSlot("2plain"), 2);  // no bracket: the first character
  EXPECT_EQ(ChatItemSlot("Ann <> hi"), 0);  // no digit: no conversion error, no slot
  EXPECT_EQ(ChatItemSlot("Ann <"), 0);
  EXPECT_EQ(ChatItemSlot(""), 0);
  EXPECT_EQ(ChatItemSlot("Ann <9> hi"), 9);  // a digit, but no slot of the window
}

}  // namespace
