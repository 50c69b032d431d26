// "Stop" and the peer list: every stopped slot's entry leaves the list, and
// nothing reaches the list once the window closes.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "app/ChatLine.h"
#include "app/Parlink.h"
#include "platform/controls/Application.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/Edit.h"
#include "platform/controls/Label.h"
#include "widgets/sk/SkButton.h"

namespace {

using std::chrono::milliseconds;

class PeerEntries : public MainWindowTest {
 protected:
  std::vector<std::string> Addresses() const {
    std::vector<std::string> all;
    for (int i = 0; i < Form->FPeers->Count(); ++i) all.push_back(Form->FPeers->Items(i)->FIP);
    return all;
  }
};

TEST_P(PeerEntries, WithoutACameraStopTakesTheSlotsFirstEntryOutAtOnce) {
  Start();
  AddEntry("10.0.0.1", 1);
  AddEntry("10.0.0.2", 2);
  AddEntry("10.0.0.3", 1);
  Form->chk1->SetEnabled(true);
  Form->chk1->SetChecked(true);
  Form->btnStop1->SetEnabled(true);
  Form->btnStop1Click(nullptr);
  EXPECT_EQ(Addresses(), (std::vector<std::string>{"10.0.0.2", "10.0.0.3"}));
  EXPECT_EQ(Form->FStopPending, 0);
  EXPECT_EQ(Form->FStopSlot, 1);
  EXPECT_EQ(Form->lbl1->Caption(), "Offline");
  EXPECT_FALSE(Form->chk1->Checked());
  EXPECT_FALSE(Form->chk1->Enabled());
  EXPECT_FALSE(Form->btnStop1->Enabled());
  EXPECT_TRUE(Form->btnCall1->Enabled());
  EXPECT_EQ(Form->FPeers->Items(1)->FInclude, 0);  // unticking took the rest of slot 1 out of the chat
  EXPECT_TRUE(Peer.Drain().empty());                 // nothing is sent to the peer
  // Stopping a slot without entry changes nothing.
  Form->btnStop4Click(nullptr);
  EXPECT_EQ(Form->FPeers->Count(), 2);
}

TEST_P(PeerEntries, StopsDuringAFrameWaitForItsEndAndNoneIsLost) {
  Start();
  AddEntry("10.0.0.1", 1);
  AddEntry("10.0.0.2", 2);
  AddEntry("10.0.0.3", 3);
  Form->BeginFrameSend();
  Form->btnStop1Click(nullptr);
  Form->btnStop3Click(nullptr);  // a second Stop before the frame is through
  EXPECT_EQ(Form->FPeers->Count(), 3);
  EXPECT_EQ(Form->FStopPending, 1);
  EXPECT_EQ(Form->FStopSlot, 3);
  Form->CarryOutPendingStops();
  EXPECT_EQ(Addresses(), (std::vector<std::string>{"10.0.0.2"}));
  EXPECT_EQ(Form->FStopPending, 0);
}

TEST_P(PeerEntries, AFrameThatEndsEarlyLeavesItsStopsToTheNextFrame) {
  Start();
  AddEntry("10.0.0.1", 1);
  Form->BeginFrameSend();
  Form->btnStop1Click(nullptr);
  Form->EndFrameSend();
  EXPECT_EQ(Form->FPeers->Count(), 1);
  Form->BeginFrameSend();
  Form->CarryOutPendingStops();
  EXPECT_EQ(Form->FPeers->Count(), 0);
  // Frames inside frames (a pump of one frame starting the next): the stop
  // waits for the outer one.
  AddEntry("10.0.0.2", 2);
  Form->BeginFrameSend();
  Form->BeginFrameSend();
  Form->btnStop2Click(nullptr);
  Form->EndFrameSend();
  Form->btnStop2Click(nullptr);
  EXPECT_EQ(Form->FPeers->Count(), 1);
  Form->CarryOutPendingStops();
  EXPECT_EQ(Form->FPeers->Count(), 0);
}

TEST_P(PeerEntries, RemovePeerTakesOnlyTheFirstEntryOfTheSlot) {
  Start();
  AddEntry("10.0.0.1", 2);
  AddEntry("10.0.0.2", 2);
  Form->RemovePeer(2);
  EXPECT_EQ(Addresses(), (std::vector<std::string>{"10.0.0.2"}));
  Form->RemovePeer(3);
  EXPECT_EQ(Form->FPeers->Count(), 1);
}

TEST_P(PeerEntries, TheIncludeBoxSetsEveryEntryOfItsSlotAndFocusesTheChat) {
  Start();
  AddEntry("10.0.0.1", 2)->SetInclude(0);
  AddEntry("10.0.0.2", 2)->SetInclude(0);
  AddEntry("10.0.0.3", 1)->SetInclude(0);
  Form->chk2->SetEnabled(true);
  Form->chk2->SetChecked(true);
  EXPECT_EQ(Form->FPeers->Items(0)->FInclude, 1);
  EXPECT_EQ(Form->FPeers->Items(1)->FInclude, 1);
  EXPECT_EQ(Form->FPeers->Items(2)->FInclude, 0);
  EXPECT_TRUE(Form->edtMessage->Focused());
}

TEST_P(PeerEntries, AfterTheCloseDatagramsAreDroppedAndTheListIsGone) {
  Start();
  AddEntry("127.0.0.1", 1);
  TCloseAction action = caNone;
  Form->FormClose(Form, action);
  EXPECT_EQ(action, caFree);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(Form->FPeers, nullptr);
  const int lines = Form->ListBox1->Count();
  SendAndSettle(Peer, ControlPort, "Calling|Ann");
  SendAndSettle(Peer, ControlPort, "Accept");
  SendAndSettle(Peer, VideoPort, "not a picture");
  SendAndSettle(Peer, ChatPort, MakeChatLine("Ann", "late"));
  EXPECT_EQ(Form->FPeers, nullptr);
  EXPECT_EQ(Form->lbl1->Caption(), "Offline");
  EXPECT_EQ(Form->ListBox1->Count(), lines);
  Form->RemovePeer(1);
  Form->SetIncludeForSlot(1, 0);
  Form->CarryOutPendingStops();
}

TEST_P(PeerEntries, DatagramsOnTheirWayWhileTheWindowIsDestroyedNeverReachIt) {
  Start();
  AddEntry("127.0.0.1", 1);
  const size_t boxes = Boxes->Boxes().size();  // the start-up's camera box
  for (int i = 0; i < 20; ++i) {
    Peer.SendTo(ControlPort, "Calling|Ann");
    Peer.SendTo(VideoPort, "frame");
    Peer.SendTo(ChatPort, MakeChatLine("Ann", "hi"));
  }
  delete Form;
  Form = nullptr;
  PumpFor(milliseconds(200));
  EXPECT_EQ(frmMain, nullptr);
  // A call request handled after all would have flashed, and a line or a
  // frame handed to the freed window would have failed into a box.
  EXPECT_EQ(Flashes, 0);
  EXPECT_EQ(Boxes->Boxes().size(), boxes);
  // The window gave its ports back, so nothing can still be listening for it.
  for (int port : {ControlPort, VideoPort, ChatPort})
    EXPECT_NO_THROW(TTestPeer("127.0.0.1", port)) << "port " << port << " still held";
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, PeerEntries, testing::Values(kCompactLayout, kWideLayout),
                         PrintLayout);

}  // namespace
