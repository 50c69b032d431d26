#include "platform/sockets/MessageUDP.h"

#include <algorithm>
#include <cstring>

#include "platform/base/Exceptions.h"
#include "platform/sockets/UdpReceiver.h"
#include "platform/sockets/UdpSocket.h"

TMessageUDP::TMessageUDP(TComponent* AOwner)
    : TComponent(AOwner), FAlive(std::make_shared<bool>(true)) {}

TMessageUDP::~TMessageUDP() {
  *FAlive = false;
  FReceiver.reset();
}

void TMessageUDP::SetLocalPort(int Value) {
  FReceiver.reset();
  FLocalPort = Value;
  // Driven by socket notifications: one notification reads everything the
  // socket holds, so a burst of lines is handled before the next repaint.
  FReceiver = std::make_unique<TUdpReceiver>(Value, MessageBufferSize, TUdpReceiver::TOversize::Cut,
                                             TUdpReceiver::TBatch::AllWaiting,
                                             [this](const TDatagram& d) { Deliver(d); },
                                             KernelQueueBytes);
}

int TMessageUDP::BoundPort() const { return FReceiver ? FReceiver->Port() : 0; }

void TMessageUDP::Deliver(const TDatagram& Datagram) {
  if (IsDestroying()) return;
  TDataReceivedEvent handler = FOnDataReceived;  // the handler may free this component
  if (!handler) return;
  std::shared_ptr<bool> alive = FAlive;
  const TDatagram* outer = FPending;  // a handler that pumps messages may nest
  FPending = &Datagram;
  struct TRestore {
    std::shared_ptr<bool>& Alive;
    TMessageUDP* Self;
    const TDatagram* Outer;
    ~TRestore() {
      if (*Alive) Self->FPending = Outer;
    }
  } restore{alive, this, outer};
  handler(this, int(Datagram.Data.size()), Datagram.PeerIP, Datagram.PeerPort);
}

int TMessageUDP::ReadBuffer(void* Buffer, int Length) {
  if (FPending == nullptr || Buffer == nullptr || Length <= 0) return 0;
  int count = std::min(Length, int(FPending->Data.size()));
  if (count > 0) std::memcpy(Buffer, FPending->Data.data(), std::size_t(count));
  return count;
}

void TMessageUDP::SendBuffer(const void* Buffer, int Length) {
  if (FRemoteHost.empty()) throw ESocketError("Null Remote Address");
  std::uint32_t address = SendAddressOf(FRemoteHost, "Null Remote Address");
  Length = std::clamp(Length, 0, MessageBufferSize);
  if (!FSender) FSender = std::make_unique<TUdpSocket>();
  FSender->SendTo(address, FRemotePort, Buffer, std::size_t(Length));
}
