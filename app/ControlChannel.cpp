// The control channel (port 6770): call requests ring a free slot, "Accept"
// completes an outgoing call, any other text is a reply to one. Replies and
// answers go to port 6770 of the peer, whatever port the datagram came from.
#include <algorithm>

#include "app/ControlMessage.h"
#include "app/Main.h"
#include "app/Parlink.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/controls/Application.h"
#include "platform/controls/CheckBox.h"
#include "platform/controls/Edit.h"
#include "platform/controls/Label.h"
#include "platform/controls/Shell.h"
#include "platform/controls/Timer.h"
#include "platform/sockets/UDPClient.h"
#include "widgets/sk/SkButton.h"

namespace {

// Every byte of the datagram, from the stream's position to its end.
std::string StreamText(TStream* Data) {
  std::string text;
  if (Data == nullptr) return text;
  char buffer[4096];
  for (;;) {
    int n = Data->Read(buffer, int(sizeof buffer));
    if (n <= 0) break;
    text.append(buffer, size_t(n));
  }
  return text;
}

}  // namespace

void TfrmMain::udpServerMessUDPRead(TObject*, TStream* AData, const std::string& PeerIP, int) {
  if (Closed() || !FPeers) return;
  const TControlMessage message = ClassifyControlText(StreamText(AData));
  switch (message.Kind) {
    case TControlKind::ckCallRequest: CallRequestReceived(message.CallerID, PeerIP); break;
    case TControlKind::ckCallAccept: CallAcceptReceived(PeerIP); break;
    case TControlKind::ckIgnored: break;
    case TControlKind::ckCallReply: CallReplyReceived(message.Text, PeerIP); break;
  }
}

void TfrmMain::CallRequestReceived(const std::string& CallerID, const std::string& PeerIP) {
  if (FPeers->Count() >= SlotCount) {
    SendControlText(PeerIP, FReplyMessage);
    return;
  }
  FlashWindow(nullptr, true);
  if (!FRingTone.empty() && FileExists(FRingTone)) StartRingTone();
  Application->ProcessMessages();
  // Addresses are not compared: a caller that already holds a slot takes the next.
  for (int slot = 1; slot <= SlotCount; ++slot) {
    if (FBusy[size_t(slot)] != 0) continue;
    const TCallSlot& s = SlotControls(slot);
    s.Ring->SetInterval(Cardinal(std::max<Integer>(FRingTimeMs, 0)));
    s.Ring->SetEnabled(true);
    s.Edit->SetText(PeerIP);
    s.Status->SetCaption(CallerID + " calling...");
    FCanCall[size_t(slot)] = 0;
    FBusy[size_t(slot)] = 1;
    s.Blink->SetEnabled(true);
    return;
  }
  // Every slot busy: no reply; the caller's time-out ends its attempt.
}

int TfrmMain::SlotDialing(const std::string& PeerIP) const {
  for (int slot = 1; slot <= SlotCount; ++slot)
    if (FPeerAddress[size_t(slot)] == PeerIP) return slot;
  return 0;
}

void TfrmMain::CallAcceptReceived(const std::string& PeerIP) {
  const int slot = SlotDialing(PeerIP);
  if (slot == 0) return;
  const TCallSlot& s = SlotControls(slot);
  s.TimeOut->SetEnabled(false);
  s.Include->SetEnabled(true);
  s.Include->SetChecked(true);  // its click handler processes messages
  s.Stop->SetEnabled(true);
  s.SnapShot->SetEnabled(true);
  if (FPeers) FPeers->Add(new TParlink(PeerIP, SlotPicture(slot), Byte(slot)));
}

void TfrmMain::CallReplyReceived(const std::string& Text, const std::string& PeerIP) {
  const int slot = SlotDialing(PeerIP);
  if (slot == 0) return;
  const TCallSlot& s = SlotControls(slot);
  s.TimeOut->SetEnabled(false);
  FBusy[size_t(slot)] = 0;
  FPeerAddress[size_t(slot)].clear();
  s.Status->SetCaption(Text);
  s.Call->SetEnabled(true);
}

void TfrmMain::SendControlText(const std::string& Host, const std::string& Text) {
  udpClientMess->SetHost(Host);
  udpClientMess->Send(Text);
}
