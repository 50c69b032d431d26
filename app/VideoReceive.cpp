// Video receive (port 6772): each datagram is one JPEG file, shown in the
// picture of the first peer entry with the datagram's source address. What
// is no JPEG, or comes from an address without an entry, is dropped.
// Snapshots put a slot's picture on the clipboard.
// The reader refuses what costs more than a frame can (beyond 2^23 pixels,
// or scans without end), so no datagram holds this thread longer than a
// large legitimate frame does; a refused picture is dropped as any other.
//
// A frame is decoded once, straight into the rows of its picture; the slot's
// copy of the JPEG shares that picture with the one decoded here, which goes
// away at the end of the handler, so no frame is copied on its way in.
#include "app/Main.h"
#include "app/Parlink.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/graphics/Clipboard.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/JpegImage.h"

void TfrmMain::udpServerVideoUDPRead(TObject*, TStream* AData, const std::string& PeerIP, int) {
  if (Closed() || !FPeers || AData == nullptr) return;
  // Nothing in here lets other handlers run, so the entry found first is
  // still the one to show the frame once it is decoded; frames nobody shows
  // (a stopped peer goes on sending for a while) are not decoded at all.
  TParlink* entry = FPeers->FindByAddress(PeerIP);
  if (entry == nullptr) return;
  TJPEGImage jpeg;
  try {
    AData->SetPosition(0);  // the whole datagram, whoever read it before
    jpeg.LoadFromStream(AData);
  } catch (const Exception&) {
    return;  // not a picture: the slot keeps the one it shows
  }
  entry->FPicture->Assign(&jpeg);
}

void TfrmMain::SnapShotClick(int Slot) { Clipboard()->Assign(SlotPicture(Slot)); }
