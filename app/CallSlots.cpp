// The four call slots: dial, answer, ring, blink, time-out, Stop. A slot's
// state is read from FBusy, FCanCall, FPeerAddress and the peer list:
//
//   idle      FBusy 0, FCanCall 1
//   dialing   FBusy 1, FCanCall 1, FPeerAddress the callee, time-out running
//   ringing   FBusy 1, FCanCall 0, ring and blink timers running
//   in a call FBusy 1, an entry of the slot in FPeers
#include <algorithm>

#include "app/ControlMessage.h"
#include "app/Main.h"
#include "app/Parlink.h"
#include "platform/base/Exceptions.h"
#include "platform/base/SysUtils.h"
#include "platform/controls/Application.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Edit.h"
#include "platform/controls/Label.h"
#include "platform/controls/Timer.h"
#include "platform/sound/MediaPlayer.h"
#include "widgets/sk/SkButton.h"
#include "widgets/sk/SkPanel.h"

namespace {
constexpr const char* kNotOnline = "Selected computer not online.";
}

void TfrmMain::ResetCallSlots() {
  for (int slot = 1; slot <= SlotCount; ++slot) {
    FBusy[size_t(slot)] = 0;
    FCanCall[size_t(slot)] = 1;
    FBlinkPhase[size_t(slot)] = 0;
    FPeerAddress[size_t(slot)].clear();
    FStopMarked[size_t(slot)] = false;
    ++FSlotRound[size_t(slot)];
  }
  FStopPending = 0;
}

void TfrmMain::ResetSlot(int Slot) {
  const TCallSlot& s = SlotControls(Slot);
  FBusy[size_t(Slot)] = 0;
  FCanCall[size_t(Slot)] = 1;
  FPeerAddress[size_t(Slot)].clear();
  ++FSlotRound[size_t(Slot)];
  s.Status->SetCaption("Offline");
  s.Include->SetChecked(false);  // runs its click handler when it was ticked
  s.Include->SetEnabled(false);
  s.Stop->SetEnabled(false);
  s.SnapShot->SetEnabled(false);
  s.Call->SetEnabled(true);
}

void TfrmMain::CallClick(int Slot) {
  SlotControls(Slot);  // slot 1 to 4 only
  if (FCanCall[size_t(Slot)] != 0)
    Dial(Slot);
  else
    Answer(Slot);
}

void TfrmMain::Dial(int Slot) {
  const TCallSlot& s = SlotControls(Slot);
  s.Call->SetEnabled(false);
  const unsigned round = ++FSlotRound[size_t(Slot)];
  try {
    // The time-out counts from this dial even when an earlier one still runs.
    s.TimeOut->SetEnabled(false);
    s.TimeOut->SetEnabled(true);
    FBusy[size_t(Slot)] = 1;
    s.Status->SetCaption("Online");
    // The look-up processes messages: the time-out, "Stop" or "Refresh All"
    // may reset the slot meanwhile, and the slot then stays as that reset
    // left it, whatever the look-up found.
    std::string address;
    try {
      address = ResolveAddress(s.Edit->Text());
    } catch (const Exception&) {
      if (FSlotRound[size_t(Slot)] != round) return;
      // The label keeps "Online" until the running time-out resets the slot.
      FBusy[size_t(Slot)] = 0;
      s.Call->SetEnabled(true);
      MessageDlg(kNotOnline, mtInformation, mbOK);
      return;
    }
    if (FSlotRound[size_t(Slot)] != round) return;
    FPeerAddress[size_t(Slot)] = address;
    s.Edit->SetText(address);
    SendControlText(s.Edit->Text(), CallRequestText(FCallerID));
  } catch (const Exception& e) {
    FBusy[size_t(Slot)] = 0;
    s.Call->SetEnabled(true);
    MessageDlg(e.Message(), mtError, mbOK);
  }
}

void TfrmMain::Answer(int Slot) {
  const TCallSlot& s = SlotControls(Slot);
  s.Call->SetEnabled(false);
  // The ring ends before anything here processes messages: a ring time that
  // runs out meanwhile would tell the caller "unanswered" and free the slot
  // while this answer goes on to add the call to it.
  s.Blink->SetEnabled(false);
  s.Ring->SetEnabled(false);
  s.Include->SetEnabled(true);
  s.Include->SetChecked(true);  // runs its click handler when it was not ticked
  s.Panel->SetColor(s.PanelColor);
  if (!FRingTone.empty()) StopRingTone();
  Application->ProcessMessages();
  if (FPeers) FPeers->Add(new TParlink(s.Edit->Text(), SlotPicture(Slot), Byte(Slot)));
  Application->ProcessMessages();
  SendControlText(s.Edit->Text(), CallAcceptText);
  Application->ProcessMessages();
  s.Stop->SetEnabled(true);
  s.SnapShot->SetEnabled(true);
}

void TfrmMain::SlotKeyDown(int Slot, Word& Key) {
  if (Key == VK_RETURN && SlotControls(Slot).Call->Enabled()) CallClick(Slot);
}

void TfrmMain::RingTimeElapsed(int Slot) {
  const TCallSlot& s = SlotControls(Slot);
  if (!FRingTone.empty()) StopRingTone();
  s.Blink->SetEnabled(false);
  s.Ring->SetEnabled(false);
  FCanCall[size_t(Slot)] = 1;
  FBusy[size_t(Slot)] = 0;
  // The label keeps the caller ID and the field the caller's address.
  SendControlText(s.Edit->Text(), FReplyMessage);
  s.Panel->SetColor(s.PanelColor);
}

void TfrmMain::BlinkSlotPanel(int Slot) {
  if (Slot < 1 || Slot > SlotCount) return;
  Byte& phase = FBlinkPhase[size_t(Slot)];
  SlotControls(Slot).Panel->SetColor(phase == 1 ? clGray : clWhite);
  phase = phase == 1 ? 0 : 1;
}

void TfrmMain::TimeOutElapsed(int Slot) {
  ResetSlot(Slot);
  SlotControls(Slot).TimeOut->SetEnabled(false);
}

void TfrmMain::StopClick(int Slot) {
  ResetSlot(Slot);
  FStopSlot = Byte(Slot);
  FStopPending = 1;
  FStopMarked[size_t(Slot)] = true;
  // Outside a frame's sending nothing walks the list: the entry can go now.
  if (FFrameSends == 0) CarryOutPendingStops();
  Application->ProcessMessages();
}

// ---- ring tone ----

// A tone that cannot be played is left out; the call rings all the same.
void TfrmMain::StartRingTone() {
  try {
    MediaPlayer1->Close();
    MediaPlayer1->SetFileName(FRingTone);
    MediaPlayer1->Open();
    MediaPlayer1->Play();
  } catch (const EMediaError&) {
  }
}

void TfrmMain::StopRingTone() {
  if (MediaPlayer1->Mode() == mpPlaying) MediaPlayer1->Stop();
}
