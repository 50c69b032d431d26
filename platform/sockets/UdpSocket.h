#pragma once
// One IPv4 UDP socket, closed with its object. Either bound to a port on all
// local addresses (for receiving) or left unbound (for sending from a port
// the host picks). Failures raise ESocketError naming the port or address
// and the host's reason.
#include <cstddef>
#include <cstdint>
#include <string>

class TUdpSocket {
 public:
  TUdpSocket();
  ~TUdpSocket();
  TUdpSocket(const TUdpSocket&) = delete;
  TUdpSocket& operator=(const TUdpSocket&) = delete;

  // Binds to Port (0: a free port chosen by the host) on all local
  // addresses. Only one socket of the machine can hold a port, so a second
  // program on the same port fails here instead of sharing its datagrams.
  void Bind(int Port);
  // The port the socket is bound to, 0 before Bind.
  int LocalPort() const;

  // Raise the kernel's queue sizes to at least Bytes (never shrink them;
  // the host caps them at net.core.rmem_max and wmem_max).
  void EnlargeReceiveBuffer(int Bytes);
  void EnlargeSendBuffer(int Bytes);
  // As EnlargeReceiveBuffer, but beyond the host's cap where the process
  // has the privilege for it (CAP_NET_ADMIN); without it, up to the cap.
  void ForceReceiveBuffer(int Bytes);

  // Sends one datagram of Length bytes to Address (network order) and Port.
  void SendTo(std::uint32_t Address, int Port, const void* Data, std::size_t Length);

  // Waits until WakeHandle becomes readable, a datagram is waiting (only
  // when ForDatagram) or TimeoutMilliseconds pass (negative: no limit). A
  // signal ends the wait early with Timeout. WakeHandle is reported first.
  enum class TWaitResult { Wake, Datagram, Timeout, Failed };
  TWaitResult Wait(int WakeHandle, bool ForDatagram, int TimeoutMilliseconds) const;
  // Receives one waiting datagram into Buffer without blocking. Returns its
  // full length (which may exceed Capacity: only Capacity bytes are stored),
  // or -1 when nothing could be received.
  long ReceiveFrom(void* Buffer, std::size_t Capacity, std::uint32_t& FromAddress,
                   int& FromPort);

 private:
  int FHandle = -1;
};

// The IPv4 address (network order) a send to Host goes to: Host itself when
// it is a dotted address, else the first address it resolves to. Raises
// ESocketError with Failure when there is none.
std::uint32_t SendAddressOf(const std::string& Host, const std::string& Failure);
