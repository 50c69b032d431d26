// The peer list's operations on the main window: removal after "Stop",
// freeing, the "Include" boxes.
#include "app/Main.h"
#include "app/Parlink.h"
#include "platform/controls/Application.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/Edit.h"

void TfrmMain::RemovePeer(Byte Slot) {
  if (Closed() || !FPeers) return;
  FPeers->RemoveFirstOfSlot(Slot);
  if (Slot <= SlotCount) FStopMarked[Slot] = false;
  Application->ProcessMessages();
}

void TfrmMain::FreePeers() { FPeers.reset(); }

void TfrmMain::SetIncludeForSlot(Byte Slot, Byte Value) {
  Application->ProcessMessages();
  if (FPeers) FPeers->SetIncludeForSlot(Slot, Value);
}

void TfrmMain::IncludeClick(int Slot) {
  SetIncludeForSlot(Byte(Slot), SlotControls(Slot).Include->Checked() ? 1 : 0);
  FocusChatInput();
}

void TfrmMain::FocusChatInput() {
  if (edtMessage->CanFocus()) edtMessage->SetFocus();
}

// ---- stops and the frames being sent ----

void TfrmMain::BeginFrameSend() { ++FFrameSends; }

void TfrmMain::EndFrameSend() {
  if (FFrameSends > 0) --FFrameSends;
}

void TfrmMain::CarryOutPendingStops() {
  EndFrameSend();
  // RemovePeer processes messages, during which further stops may come.
  for (;;) {
    int slot = 0;
    for (int s = 1; s <= SlotCount && slot == 0; ++s)
      if (FStopMarked[size_t(s)]) slot = s;
    if (slot == 0) break;
    FStopMarked[size_t(slot)] = false;
    RemovePeer(Byte(slot));
  }
  FStopPending = 0;
}
