#pragma once
// The UDP server component: while Active it listens on DefaultPort on all
// local addresses. A listener thread of its own waits for each datagram and
// hands it to the user-interface thread, where OnUDPRead runs with the bytes
// (a stream at position 0) and the sender's dotted address and port; the
// thread waits until the handler has returned before it takes the next
// datagram, so datagrams are handled one at a time and in order.
//
// A datagram longer than BufferSize cannot arrive intact and is dropped. An
// exception that escapes OnUDPRead drops that datagram; the port goes on
// receiving. Deactivating or destroying the server (also from inside its
// handler, or while the owner is being destroyed) drops every datagram not
// yet handed over and never calls the handler again.
#include <functional>
#include <memory>
#include <string>

#include "platform/base/Component.h"
#include "platform/base/Streams.h"

class TUdpReceiver;

using TUDPReadEvent =
    std::function<void(TObject* Sender, TStream* AData, const std::string& PeerIP, int PeerPort)>;

class TUDPServer : public TComponent {
 public:
  explicit TUDPServer(TComponent* AOwner);
  ~TUDPServer() override;

  // Port and buffer size take effect at the next activation.
  int DefaultPort() const { return FDefaultPort; }
  void SetDefaultPort(int Value) { FDefaultPort = Value; }
  int BufferSize() const { return FBufferSize; }
  void SetBufferSize(int Value) { FBufferSize = Value; }

  // Opening raises ESocketError when the port cannot be opened (for example
  // when another program holds it); the server then stays inactive.
  bool Active() const { return FReceiver != nullptr; }
  void SetActive(bool Value);

  // The port listened on while active (DefaultPort, or the port the host
  // chose for DefaultPort 0); 0 while inactive.
  int BoundPort() const;

  const TUDPReadEvent& OnUDPRead() const { return FOnUDPRead; }
  void SetOnUDPRead(TUDPReadEvent Value) { FOnUDPRead = std::move(Value); }

 private:
  int FDefaultPort = 0;
  int FBufferSize = 8192;
  std::unique_ptr<TUdpReceiver> FReceiver;
  TUDPReadEvent FOnUDPRead;
};
