#pragma once
// The message-driven UDP component: it listens on LocalPort from the moment
// the port is set, and sends to RemoteHost on RemotePort. Each datagram
// received is announced on the user-interface thread by OnDataReceived with
// its byte count and the sender's dotted address and port; inside that
// handler ReadBuffer takes the datagram's bytes. Datagrams that arrive
// together are announced one after the other, in order, before the user
// interface paints again; freeing the component from its handler drops the
// ones not yet announced.
//
// A burst of lines must not be lost while a handler is busy. The socket asks
// the kernel for a queue of KernelQueueBytes, which holds thousands of short
// lines by itself; the host caps that at net.core.rmem_max unless the
// process has the privilege to pass over the cap. Besides, datagrams go on
// being taken out of the socket while a handler runs: up to a few MB of them
// wait to be announced (UdpReceiver.h), and beyond that further ones are
// dropped.
//
// Datagrams move through a buffer of MessageBufferSize bytes both ways: a
// longer one is cut to that size, never written past it.
#include <functional>
#include <memory>
#include <string>

#include "platform/base/Component.h"

class TUdpReceiver;
class TUdpSocket;
struct TDatagram;

using TDataReceivedEvent = std::function<void(TComponent* Sender, int NumberBytes,
                                              const std::string& FromIP, int Port)>;

class TMessageUDP : public TComponent {
 public:
  static constexpr int MessageBufferSize = 2048;
  static constexpr int KernelQueueBytes = 4 << 20;

  explicit TMessageUDP(TComponent* AOwner);
  ~TMessageUDP() override;

  // Setting the port (re)opens it (0: a free port chosen by the host);
  // raises ESocketError when it cannot be opened.
  int LocalPort() const { return FLocalPort; }
  void SetLocalPort(int Value);
  // The port listened on; 0 before LocalPort was set.
  int BoundPort() const;

  const std::string& RemoteHost() const { return FRemoteHost; }
  void SetRemoteHost(const std::string& Value) { FRemoteHost = Value; }
  int RemotePort() const { return FRemotePort; }
  void SetRemotePort(int Value) { FRemotePort = Value; }

  // Sends the first Length bytes of Buffer (at most MessageBufferSize) as
  // one datagram. Raises ESocketError "Null Remote Address" when RemoteHost
  // is empty or does not resolve, and the host's reason when the send fails.
  void SendBuffer(const void* Buffer, int Length);

  // Copies up to Length bytes of the datagram being announced into Buffer;
  // returns how many were copied (0 outside OnDataReceived).
  int ReadBuffer(void* Buffer, int Length);

  const TDataReceivedEvent& OnDataReceived() const { return FOnDataReceived; }
  void SetOnDataReceived(TDataReceivedEvent Value) { FOnDataReceived = std::move(Value); }

 private:
  void Deliver(const TDatagram& Datagram);

  int FLocalPort = 0;
  std::string FRemoteHost;
  int FRemotePort = 0;
  std::unique_ptr<TUdpReceiver> FReceiver;
  std::unique_ptr<TUdpSocket> FSender;
  const TDatagram* FPending = nullptr;
  std::shared_ptr<bool> FAlive;
  TDataReceivedEvent FOnDataReceived;
};
