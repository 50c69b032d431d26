#include "platform/sockets/UDPClient.h"

#include "platform/base/Exceptions.h"
#include "platform/sockets/HostLookup.h"
#include "platform/sockets/UdpSocket.h"

TUDPClient::TUDPClient(TComponent* AOwner) : TComponent(AOwner) {}

TUDPClient::~TUDPClient() = default;

void TUDPClient::SetBufferSize(int Value) {
  FBufferSize = Value;
  if (FSocket) FSocket->EnlargeSendBuffer(FBufferSize);
}

void TUDPClient::Send(const std::string& AData) { SendBuffer(AData.data(), int(AData.size())); }

void TUDPClient::SendBuffer(const void* ABuffer, int AByteCount) {
  if (AByteCount < 0) AByteCount = 0;
  std::uint32_t address = SendAddressOf(FHost, "Cannot send to '" + FHost + "': host not found");
  if (!FSocket) {
    auto socket = std::make_unique<TUdpSocket>();
    socket->EnlargeSendBuffer(FBufferSize);
    FSocket = std::move(socket);
  }
  FSocket->SendTo(address, FPort, ABuffer, std::size_t(AByteCount));
}
