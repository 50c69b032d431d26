// Call slots and the control channel, driven by a peer over real UDP.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

#include "WindowTestSupport.h"
#include "app/Parlink.h"
#include "platform/controls/Application.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/Edit.h"
#include "platform/controls/Image.h"
#include "platform/controls/Label.h"
#include "platform/controls/Timer.h"
#include "platform/graphics/Graphic.h"
#include "platform/sockets/HostLookup.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkPanel.h"

namespace {

using std::chrono::milliseconds;

class CallSlots : public MainWindowTest {
 protected:
  // Slot rings for a call from the peer's address.
  void ExpectRinging(int Slot, const std::string& CallerID) {
    const TfrmMain::TCallSlot& s = Form->SlotControls(Slot);
    EXPECT_EQ(s.Status->Caption(), CallerID + " calling...");
    EXPECT_EQ(s.Edit->Text(), "127.0.0.1");
    EXPECT_EQ(Form->FBusy[size_t(Slot)], 1);
    EXPECT_EQ(Form->FCanCall[size_t(Slot)], 0);
    EXPECT_TRUE(s.Ring->Enabled());
    EXPECT_TRUE(s.Blink->Enabled());
  }
};

TEST_P(CallSlots, ARequestRingsTheFirstFreeSlot) {
  Start();
  SendControl(Peer, "Calling|Ann");
  ExpectRinging(1, "Ann");
  EXPECT_EQ(Form->Timer1->Interval(), 10000u);
  EXPECT_EQ(Flashes, 1);
  EXPECT_EQ(Form->lbl2->Caption(), "Offline");

  // The same caller again takes the next slot; "Calling" alone has no caller ID.
  SendControl(Peer, "Calling");
  EXPECT_EQ(Form->lbl2->Caption(), " calling...");
  EXPECT_EQ(Form->FBusy[2], 1);
  EXPECT_TRUE(Form->Timer22->Enabled());
  EXPECT_TRUE(Form->Timer3->Enabled());
  EXPECT_TRUE(Peer.Drain().empty());  // ringing sends nothing
}

TEST_P(CallSlots, TheRingBlinksTheSlotPanelBetweenWhiteAndGray) {
  Start();
  SendControl(Peer, "Calling|Ann");
  Form->Timer2Timer(nullptr);
  EXPECT_EQ(Form->SkPanel4->Color(), clWhite);
  Form->Timer2Timer(nullptr);
  EXPECT_EQ(Form->SkPanel4->Color(), clGray);
  Form->BlinkSlotPanel(5);  // no such slot: nothing
  Form->BlinkSlotPanel(0);
  EXPECT_EQ(Form->SkPanel4->Color(), clGray);
}

TEST_P(CallSlots, FourEntriesAnswerARequestWithTheReplyText) {
  Start();
  Form->FReplyMessage = "Busy now";
  for (int i = 1; i <= 4; ++i) AddEntry("10.0.0." + std::to_string(i), i);
  SendControl(Peer, "Calling|Ann");
  std::string reply;
  ASSERT_TRUE(Peer.Receive(reply));
  EXPECT_EQ(reply, "Busy now");
  EXPECT_EQ(Flashes, 0);
  for (int slot = 1; slot <= SlotCount; ++slot) EXPECT_EQ(Form->FBusy[size_t(slot)], 0);

  // With three entries a free slot rings.
  Form->RemovePeer(4);
  SendControl(Peer, "Calling|Ann");
  EXPECT_EQ(Form->lbl1->Caption(), "Ann calling...");
  EXPECT_TRUE(Peer.Drain().empty());
}

TEST_P(CallSlots, WithEverySlotBusyTheRequestFlashesButNothingRingsOrAnswers) {
  Start();
  for (int slot = 1; slot <= SlotCount; ++slot) Form->FBusy[size_t(slot)] = 1;
  SendControl(Peer, "Calling|Ann");
  EXPECT_EQ(Flashes, 1);
  for (int slot = 1; slot <= SlotCount; ++slot) {
    EXPECT_EQ(Form->SlotControls(slot).Status->Caption(), "Offline");
    EXPECT_FALSE(Form->SlotControls(slot).Ring->Enabled());
  }
  EXPECT_TRUE(Peer.Drain().empty());
}

TEST_P(CallSlots, AnsweringAddsTheEntryAndSendsAccept) {
  Start();
  SendControl(Peer, "Calling|Ann");
  Form->btnCall1Click(nullptr);
  std::string accept;
  ASSERT_TRUE(Peer.Receive(accept));
  EXPECT_EQ(accept, "Accept");
  ASSERT_EQ(Form->FPeers->Count(), 1);
  TParlink* entry = Form->FPeers->Items(0);
  EXPECT_EQ(entry->FIP, "127.0.0.1");
  EXPECT_EQ(entry->FSlot, 1);
  EXPECT_EQ(entry->FPicture, Form->Image2->Picture());
  EXPECT_EQ(entry->FInclude, 1);
  EXPECT_TRUE(Form->chk1->Enabled());
  EXPECT_TRUE(Form->chk1->Checked());
  EXPECT_TRUE(Form->btnStop1->Enabled());
  EXPECT_TRUE(Form->btnSnapShot1->Enabled());
  EXPECT_FALSE(Form->btnCall1->Enabled());
  EXPECT_FALSE(Form->Timer1->Enabled());
  EXPECT_FALSE(Form->Timer2->Enabled());
  EXPECT_EQ(Form->SkPanel4->Color(), TColor(0xDFBF9F));
  EXPECT_EQ(Form->FBusy[1], 1);
  EXPECT_EQ(Form->FCanCall[1], 0);
  EXPECT_EQ(Form->lbl1->Caption(), "Ann calling...");
}

TEST_P(CallSlots, AnsweringUsesTheAddressFieldAsItIsNow) {
  Start();
  TTestPeer other("127.0.0.2", Peer.Port());
  SendControl(Peer, "Calling|Ann");
  Form->edt1->SetText("127.0.0.2");
  Form->btnCall1Click(nullptr);
  std::string accept;
  ASSERT_TRUE(other.Receive(accept));
  EXPECT_EQ(accept, "Accept");
  EXPECT_EQ(Form->FPeers->Items(0)->FIP, "127.0.0.2");
}

TEST_P(CallSlots, DialingSendsTheRequestAndAcceptCompletesTheCall) {
  Start();
  Form->FCallerID = "Bob";
  Form->edt1->SetText("127.0.0.1");
  Form->btnCall1Click(nullptr);
  std::string request;
  ASSERT_TRUE(Peer.Receive(request));
  EXPECT_EQ(request, "Calling|Bob");
  EXPECT_EQ(Form->lbl1->Caption(), "Online");
  EXPECT_EQ(Form->FBusy[1], 1);
  EXPECT_EQ(Form->FPeerAddress[1], "127.0.0.1");
  EXPECT_TRUE(Form->tmrTimeOut1->Enabled());
  EXPECT_FALSE(Form->btnCall1->Enabled());

  // An "Accept" from elsewhere is not this call's.
  TTestPeer stranger("127.0.0.3");
  SendControl(stranger, "Accept");
  EXPECT_EQ(Form->FPeers->Count(), 0);
  EXPECT_TRUE(Form->tmrTimeOut1->Enabled());

  SendControl(Peer, "Accept");
  EXPECT_FALSE(Form->tmrTimeOut1->Enabled());
  EXPECT_TRUE(Form->chk1->Checked());
  EXPECT_TRUE(Form->chk1->Enabled());
  EXPECT_TRUE(Form->btnStop1->Enabled());
  EXPECT_TRUE(Form->btnSnapShot1->Enabled());
  ASSERT_EQ(Form->FPeers->Count(), 1);
  EXPECT_EQ(Form->FPeers->Items(0)->FIP, "127.0.0.1");
  EXPECT_EQ(Form->FPeers->Items(0)->FSlot, 1);
  EXPECT_EQ(Form->FPeerAddress[1], "127.0.0.1");
}

TEST_P(CallSlots, AHostNameIsReplacedByItsAddressWhenDialing) {
  Start();
  SetHostResolver([](const std::string& name) -> std::vector<std::string> {
    if (name == "peerhost") return {"127.0.0.1", "10.0.0.2"};
    return {};
  });
  Form->edt3->SetText("peerhost");
  Form->btnCall3Click(nullptr);
  std::string request;
  ASSERT_TRUE(Peer.Receive(request));
  EXPECT_EQ(Form->edt3->Text(), "127.0.0.1");
  EXPECT_EQ(Form->FPeerAddress[3], "127.0.0.1");
}

TEST_P(CallSlots, AnAddressThatDoesNotResolveLeavesOnlineUntilTheTimeOut) {
  Start();
  SetHostResolver([](const std::string&) { return std::vector<std::string>{}; });
  Form->edt2->SetText("nobody.invalid");
  Boxes->Clear();
  Form->btnCall2Click(nullptr);
  ASSERT_EQ(Boxes->Boxes().size(), 1u);
  EXPECT_EQ(Boxes->Boxes()[0].Text, "Selected computer not online.");
  EXPECT_EQ(Boxes->Boxes()[0].Kind, mtInformation);
  EXPECT_EQ(Form->FBusy[2], 0);
  EXPECT_TRUE(Form->btnCall2->Enabled());
  EXPECT_EQ(Form->lbl2->Caption(), "Online");
  EXPECT_TRUE(Form->tmrTimeOut2->Enabled());
  EXPECT_TRUE(Peer.Drain().empty());

  // The time-out resets the slot, then stops itself.
  Form->tmrTimeOut2->SetInterval(100);
  ASSERT_TRUE(PumpUntil([this] { return Form->lbl2->Caption() == "Offline"; }));
  EXPECT_FALSE(Form->tmrTimeOut2->Enabled());
  EXPECT_TRUE(Form->btnCall2->Enabled());
}

TEST_P(CallSlots, TheTimeOutEndsADialThatIsNotAnswered) {
  Start();
  Form->btnCall4Click(nullptr);
  std::string request;
  ASSERT_TRUE(Peer.Receive(request));
  Form->tmrTimeOut4->SetInterval(100);
  ASSERT_TRUE(PumpUntil([this] { return Form->lbl4->Caption() == "Offline"; }));
  EXPECT_EQ(Form->FBusy[4], 0);
  EXPECT_EQ(Form->FPeerAddress[4], "");
  EXPECT_FALSE(Form->tmrTimeOut4->Enabled());
  EXPECT_TRUE(Form->btnCall4->Enabled());
  EXPECT_TRUE(Peer.Drain().empty());  // nothing is sent
  // An "Accept" that comes after the time-out is ignored.
  SendControl(Peer, "Accept");
  EXPECT_EQ(Form->FPeers->Count(), 0);
}

TEST_P(CallSlots, AReplyIsShownInTheSlotThatDialsItsSender) {
  Start();
  Form->btnCall1Click(nullptr);
  Form->btnCall3Click(nullptr);  // both dial 127.0.0.1
  Peer.Drain();
  SendControl(Peer, "Message");  // ignored
  EXPECT_EQ(Form->lbl1->Caption(), "Online");
  SendControl(Peer, "Busy now");
  EXPECT_EQ(Form->lbl1->Caption(), "Busy now");
  EXPECT_EQ(Form->FBusy[1], 0);
  EXPECT_EQ(Form->FPeerAddress[1], "");
  EXPECT_FALSE(Form->tmrTimeOut1->Enabled());
  EXPECT_TRUE(Form->btnCall1->Enabled());
  // Only the lower slot was matched; the next reply goes to slot 3.
  EXPECT_EQ(Form->lbl3->Caption(), "Online");
  SendControl(Peer, "Away");
  EXPECT_EQ(Form->lbl3->Caption(), "Away");
  // A reply nobody dials is ignored.
  SendControl(Peer, "Later");
  EXPECT_EQ(Form->lbl1->Caption(), "Busy now");
  EXPECT_EQ(Form->lbl3->Caption(), "Away");
}

// The slot's time-out fires while the dial still looks the name up: the
// dial then ends where the reset left the slot, and the peer's "Accept"
// finds no call.
TEST_P(CallSlots, ADialWhoseSlotTimesOutDuringTheLookUpSendsNothing) {
  Start();
  auto timedOut = std::make_shared<std::atomic<bool>>(false);
  auto waitedInVain = std::make_shared<std::atomic<bool>>(false);
  const TNotifyEvent timeOut = Form->tmrTimeOut1->OnTimer();
  Form->tmrTimeOut1->SetOnTimer([timeOut, timedOut](TObject* Sender) {
    timeOut(Sender);
    *timedOut = true;
  });
  // The look-up runs on a thread of its own; it answers once the time-out has run.
  SetHostResolver([timedOut, waitedInVain](const std::string& name) -> std::vector<std::string> {
    if (name != "slowpeer") return {};
    if (!AwaitFromLookUpThread(*timedOut)) *waitedInVain = true;
    return {"127.0.0.1"};
  });
  Form->tmrTimeOut1->SetInterval(50);
  Form->edt1->SetText("slowpeer");
  Boxes->Clear();
  Form->btnCall1Click(nullptr);
  ASSERT_FALSE(*waitedInVain);
  EXPECT_TRUE(Peer.Drain().empty());  // no request went out
  EXPECT_TRUE(Boxes->Boxes().empty());
  EXPECT_EQ(Form->edt1->Text(), "slowpeer");
  EXPECT_EQ(Form->lbl1->Caption(), "Offline");
  EXPECT_TRUE(Form->btnCall1->Enabled());
  EXPECT_EQ(Form->FBusy[1], 0);
  EXPECT_EQ(Form->FPeerAddress[1], "");

  SendControl(Peer, "Accept");
  EXPECT_EQ(Form->FPeers->Count(), 0);
  EXPECT_FALSE(Form->chk1->Checked());
  EXPECT_FALSE(Form->btnStop1->Enabled());
  EXPECT_FALSE(Form->btnSnapShot1->Enabled());
  EXPECT_EQ(Form->lbl1->Caption(), "Offline");
  EXPECT_TRUE(Form->btnCall1->Enabled());

  // The next caller rings the slot as a free one.
  SendControl(Peer, "Calling|Ann");
  ExpectRinging(1, "Ann");
  EXPECT_EQ(Form->lbl2->Caption(), "Offline");
  EXPECT_TRUE(Peer.Drain().empty());
}

TEST_P(CallSlots, ARingThatRunsOutSendsTheReplyText) {
  Start();
  Form->FRingTimeMs = 200;
  Form->FReplyMessage = "Unanswered";
  SendControl(Peer, "Calling|Ann");
  EXPECT_EQ(Form->Timer1->Interval(), 200u);
  std::string reply;
  ASSERT_TRUE(Peer.Receive(reply));
  EXPECT_EQ(reply, "Unanswered");
  EXPECT_EQ(Form->FBusy[1], 0);
  EXPECT_EQ(Form->FCanCall[1], 1);
  EXPECT_FALSE(Form->Timer1->Enabled());
  EXPECT_FALSE(Form->Timer2->Enabled());
  EXPECT_EQ(Form->SkPanel4->Color(), TColor(0xDFBF9F));
  EXPECT_EQ(Form->lbl1->Caption(), "Ann calling...");
  EXPECT_EQ(Form->edt1->Text(), "127.0.0.1");
}

// The user answers as the ring time runs out: its tick is due when the answer
// begins processing messages. The answer wins; the caller hears only Accept.
TEST_P(CallSlots, AnAnswerAsTheRingRunsOutAnswersAndTellsNoReply) {
  Start();
  Form->FRingTimeMs = 600000;  // runs out only when shortened below
  Form->FReplyMessage = "Unanswered";
  SendControl(Peer, "Calling|Ann");
  ExpectRinging(1, "Ann");
  Form->Timer1->SetInterval(1);
  std::this_thread::sleep_for(milliseconds(100));  // the ring's tick is due, not yet run
  Form->btnCall1Click(nullptr);
  std::string first;
  ASSERT_TRUE(Peer.Receive(first));
  EXPECT_EQ(first, "Accept");
  EXPECT_EQ(Form->FPeers->Count(), 1);
  EXPECT_EQ(Form->FBusy[1], 1);
  EXPECT_EQ(Form->FCanCall[1], 0);
  EXPECT_FALSE(Form->Timer1->Enabled());
  PumpFor(milliseconds(100));
  EXPECT_TRUE(Peer.Drain().empty());
}

TEST_P(CallSlots, ARingToneThatCannotPlayLeavesTheCallRinging) {
  Start();
  const std::string tone = SettingsPath() + ".tone.wav";  // not a sound
  Form->FRingTone = tone;
  WriteSettings("not a sound");
  std::rename(SettingsPath().c_str(), tone.c_str());
  SendControl(Peer, "Calling|Ann");
  EXPECT_EQ(Form->lbl1->Caption(), "Ann calling...");
  EXPECT_EQ(Form->FBusy[1], 1);
  Form->btnCall1Click(nullptr);  // answering stops what does not play
  EXPECT_EQ(Form->FPeers->Count(), 1);
  std::remove(tone.c_str());
}

TEST_P(CallSlots, RefreshAllDuringARingResetsTheSlotButTheRingRunsOut) {
  Start();
  // A ring that cannot run out before the checks after "Refresh All"; it is
  // made to run out afterwards by shortening its timer.
  Form->FRingTimeMs = 600000;
  AddEntry("10.0.0.9", 2);
  Form->chk2->SetEnabled(true);
  Form->chk2->SetChecked(true);
  SendControl(Peer, "Calling|Ann");
  const size_t boxes = Boxes->Boxes().size();
  Form->btnRefreshAllClick(nullptr);
  EXPECT_EQ(Form->lbl1->Caption(), "Offline");
  EXPECT_EQ(Form->FBusy[1], 0);
  EXPECT_EQ(Form->FCanCall[1], 1);
  EXPECT_TRUE(Form->Timer1->Enabled());  // timers are not touched
  EXPECT_TRUE(Form->Timer2->Enabled());
  EXPECT_EQ(Form->FPeers->Count(), 0);   // a new, empty list
  EXPECT_TRUE(Form->chk2->Checked());    // ticked but disabled
  EXPECT_FALSE(Form->chk2->Enabled());
  EXPECT_EQ(Boxes->Boxes().size(), boxes + 1);
  EXPECT_TRUE(WebcamBoxShown());
  for (int slot = 1; slot <= SlotCount; ++slot)
    EXPECT_TRUE(Form->SlotPicture(slot)->Graphic()->Equals(Form->Image6->Picture()->Graphic()));
  EXPECT_TRUE(Peer.Drain(milliseconds(0)).empty());  // nothing sent by "Refresh All"

  // The ring timer that "Refresh All" left running still ends the ring.
  Form->Timer1->SetInterval(50);
  std::string reply;
  ASSERT_TRUE(Peer.Receive(reply));
  EXPECT_EQ(reply, "Unanswered");
  EXPECT_FALSE(Form->Timer1->Enabled());
  EXPECT_FALSE(Form->Timer2->Enabled());
}

TEST_P(CallSlots, EnterInTheAddressFieldCallsOnlyWhenChatIsEnabled) {
  Start();
  Word key = VK_RETURN;
  Form->edt1KeyDown(Form->edt1, key, 0);  // "Chat" is disabled without a camera
  EXPECT_EQ(Form->FBusy[1], 0);
  Form->btnCall1->SetEnabled(true);
  key = 'A';
  Form->edt1KeyDown(Form->edt1, key, 0);
  EXPECT_EQ(Form->FBusy[1], 0);
  key = VK_RETURN;
  Form->edt1KeyDown(Form->edt1, key, 0);
  EXPECT_EQ(Form->FBusy[1], 1);
  std::string request;
  ASSERT_TRUE(Peer.Receive(request));
  EXPECT_EQ(request.substr(0, 8), "Calling|");
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, CallSlots, testing::Values(kCompactLayout, kWideLayout), PrintLayout);

}  // namespace
