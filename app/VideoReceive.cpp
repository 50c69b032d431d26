// Video receive (port 6772): each datagram is one JPEG file, shown in the
// picture of the first peer entry with the datagram's source address. What
// is no JPEG, or comes from an address without an entry, is dropped.
// Snapshots put a slot's picture on the clipboard.
#include "app/Main.h"
#include "app/Parlink.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/graphics/Clipboard.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/JpegImage.h"

void TfrmMain::udpServerVideoUDPRead(TObject*, TStream* AData, const std::string& PeerIP, int) {
  if (Closed() || !FPeers || AData == nullptr) return;
  TMemoryStream stream;
  stream.CopyFrom(AData, 0);
  stream.SetPosition(0);
  TJPEGImage jpeg;
  try {
    jpeg.LoadFromStream(&stream);
  } catch (const Exception&) {
    return;  // not a picture: the slot keeps the one it shows
  }
  if (TParlink* entry = FPeers->FindByAddress(PeerIP)) entry->FPicture->Assign(&jpeg);
}

void TfrmMain::SnapShotClick(int Slot) { Clipboard()->Assign(SlotPicture(Slot)); }
