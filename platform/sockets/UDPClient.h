#pragma once
// The UDP client component: sends a text or a buffer as one datagram to Host
// (a dotted address, or a host name looked up at each send) on Port. It holds
// no connection: every send goes on its own, and a peer that has gone away
// makes no later send fail.
#include <memory>
#include <string>

#include "platform/base/Component.h"

class TUdpSocket;

class TUDPClient : public TComponent {
 public:
  explicit TUDPClient(TComponent* AOwner);
  ~TUDPClient() override;

  const std::string& Host() const { return FHost; }
  void SetHost(const std::string& Value) { FHost = Value; }
  int Port() const { return FPort; }
  void SetPort(int Value) { FPort = Value; }
  // The socket's send queue is made at least this large, so that datagrams
  // up to this size (and up to the 65507 bytes UDP allows) can go out.
  int BufferSize() const { return FBufferSize; }
  void SetBufferSize(int Value);
  // Kept for layouts; the program never receives on a client.
  int ReceiveTimeout() const { return FReceiveTimeout; }
  void SetReceiveTimeout(int Value) { FReceiveTimeout = Value; }

  // Sends one datagram. Raises ESocketError when Host does not resolve or
  // the host refuses the datagram (for example one longer than UDP allows).
  void Send(const std::string& AData);
  void SendBuffer(const void* ABuffer, int AByteCount);

 private:
  std::string FHost;
  int FPort = 0;
  int FBufferSize = 8192;
  int FReceiveTimeout = 0;
  std::unique_ptr<TUdpSocket> FSocket;
};

