#include <gtest/gtest.h>

#include <vector>

#include "app/ControlMessage.h"

namespace {

TEST(ControlMessage, ABarAnywhereMakesACallRequestWithTheCallerIDFromTheNinthCharacter) {
  TControlMessage m = ClassifyControlText("Calling|Ann at home");
  EXPECT_EQ(m.Kind, TControlKind::ckCallRequest);
  EXPECT_EQ(m.CallerID, "Ann at home");

  m = ClassifyControlText("Calling|");
  EXPECT_EQ(m.Kind, TControlKind::ckCallRequest);
  EXPECT_EQ(m.CallerID, "");

  // The first eight characters are skipped whatever they are.
  m = ClassifyControlText("ab|defghIJK");
  EXPECT_EQ(m.Kind, TControlKind::ckCallRequest);
  EXPECT_EQ(m.CallerID, "IJK");

  m = ClassifyControlText("a|b");  // shorter than eight: no caller ID
  EXPECT_EQ(m.Kind, TControlKind::ckCallRequest);
  EXPECT_EQ(m.CallerID, "");

  // A reply text with a bar is a request too, and so is "Accept|".
  EXPECT_EQ(ClassifyControlText("Busy | later").Kind, TControlKind::ckCallRequest);
  EXPECT_EQ(ClassifyControlText("Accept|").Kind, TControlKind::ckCallRequest);
}

TEST(ControlMessage, ExactWordsAreRequestAcceptAndIgnored) {
  TControlMessage m = ClassifyControlText("Calling");
  EXPECT_EQ(m.Kind, TControlKind::ckCallRequest);
  EXPECT_EQ(m.CallerID, "");
  EXPECT_EQ(ClassifyControlText("Accept").Kind, TControlKind::ckCallAccept);
  EXPECT_EQ(ClassifyControlText("Message").Kind, TControlKind::ckIgnored);
}

TEST(ControlMessage, EverythingElseIsAReplyCarryingItsWholeText) {
  for (const std::string& text : std::vector<std::string>{"Unanswered", "accept", "Accept ", "calling", "", std::string("A\0B", 3)}) {
    TControlMessage m = ClassifyControlText(text);
    EXPECT_EQ(m.Kind, TControlKind::ckCallReply) << text;
    EXPECT_EQ(m.Text, text);
  }
}

TEST(ControlMessage, RequestTextIsCallingBarAndCallerID) {
  EXPECT_EQ(CallRequestText("10.0.0.7"), "Calling|10.0.0.7");
  TControlMessage m = ClassifyControlText(CallRequestText("Bob"));
  EXPECT_EQ(m.CallerID, "Bob");
}

}  // namespace
