#include "platform/sockets/UDPServer.h"

#include "platform/sockets/UdpReceiver.h"

TUDPServer::TUDPServer(TComponent* AOwner) : TComponent(AOwner) {}

TUDPServer::~TUDPServer() { SetActive(false); }

void TUDPServer::SetActive(bool Value) {
  if (Value == Active()) return;
  if (!Value) {
    FReceiver.reset();
    return;
  }
  FReceiver = std::make_unique<TUdpReceiver>(
      FDefaultPort, FBufferSize, TUdpReceiver::TOversize::Drop,
      TUdpReceiver::TBatch::OneDatagram, [this](const TDatagram& datagram) {
        // The owner may be half destroyed (its own fields already gone).
        if (IsDestroying()) return;
        TUDPReadEvent handler = FOnUDPRead;  // the handler may free this server
        if (!handler) return;
        TMemoryStream data;
        if (!datagram.Data.empty()) data.WriteBuffer(datagram.Data.data(), int(datagram.Data.size()));
        data.SetPosition(0);
        handler(this, &data, datagram.PeerIP, datagram.PeerPort);
      });
}

int TUDPServer::BoundPort() const { return FReceiver ? FReceiver->Port() : 0; }
