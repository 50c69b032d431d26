#include "platform/sockets/UdpSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/base/Exceptions.h"
#include "platform/sockets/HostLookup.h"

namespace {

std::string Reason(int error) { return std::strerror(error); }

// Option is SO_RCVBUF or SO_SNDBUF; Forced, when not 0, the option that
// passes over the host's cap, tried first. A queue the host refuses to
// enlarge stays as it was: the socket works, only with less room.
void Enlarge(int handle, int option, int forced, int bytes) {
  int current = 0;
  socklen_t size = sizeof current;
  if (getsockopt(handle, SOL_SOCKET, option, &current, &size) == 0 && current >= bytes) return;
  if (forced != 0 && setsockopt(handle, SOL_SOCKET, forced, &bytes, sizeof bytes) == 0) return;
  setsockopt(handle, SOL_SOCKET, option, &bytes, sizeof bytes);
}

}  // namespace

TUdpSocket::TUdpSocket() {
  FHandle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (FHandle < 0) throw ESocketError("Cannot create a UDP socket: " + Reason(errno));
}

TUdpSocket::~TUdpSocket() {
  if (FHandle >= 0) close(FHandle);
}

void TUdpSocket::Bind(int Port) {
  if (Port < 0 || Port > 65535)
    throw ESocketError("Cannot open UDP port " + std::to_string(Port) + ": no such port");
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = htons(static_cast<std::uint16_t>(Port));
  if (bind(FHandle, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
    throw ESocketError("Cannot open UDP port " + std::to_string(Port) + ": " + Reason(errno));
}

int TUdpSocket::LocalPort() const {
  sockaddr_in local{};
  socklen_t size = sizeof local;
  if (getsockname(FHandle, reinterpret_cast<sockaddr*>(&local), &size) != 0) return 0;
  return ntohs(local.sin_port);
}

void TUdpSocket::EnlargeReceiveBuffer(int Bytes) { Enlarge(FHandle, SO_RCVBUF, 0, Bytes); }

void TUdpSocket::ForceReceiveBuffer(int Bytes) { Enlarge(FHandle, SO_RCVBUF, SO_RCVBUFFORCE, Bytes); }

void TUdpSocket::EnlargeSendBuffer(int Bytes) { Enlarge(FHandle, SO_SNDBUF, 0, Bytes); }

void TUdpSocket::SendTo(std::uint32_t Address, int Port, const void* Data, std::size_t Length) {
  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_addr.s_addr = Address;
  remote.sin_port = htons(static_cast<std::uint16_t>(Port));
  auto fail = [&](const std::string& why) {
    throw ESocketError("Cannot send to " + AddressToText(Address) + " port " +
                       std::to_string(Port) + ": " + why);
  };
  if (Port <= 0 || Port > 65535) fail("no such port");
  // An unconnected socket may still hold the refusal of an earlier datagram
  // to a closed port; it says nothing about this one, so it is sent again.
  bool retried = false;
  for (;;) {
    ssize_t sent = sendto(FHandle, Data, Length, MSG_NOSIGNAL,
                          reinterpret_cast<sockaddr*>(&remote), sizeof remote);
    if (sent >= 0) {
      if (std::size_t(sent) != Length) fail("datagram cut short");
      return;
    }
    if (errno == EINTR) continue;
    if (errno == ECONNREFUSED && !retried) {
      retried = true;
      continue;
    }
    fail(Reason(errno));
  }
}

TUdpSocket::TWaitResult TUdpSocket::Wait(int WakeHandle, bool ForDatagram,
                                          int TimeoutMilliseconds) const {
  // poll passes over an entry whose handle is negative.
  pollfd watch[2] = {{WakeHandle, POLLIN, 0}, {ForDatagram ? FHandle : -1, POLLIN, 0}};
  int ready = poll(watch, 2, TimeoutMilliseconds < 0 ? -1 : TimeoutMilliseconds);
  if (ready < 0) return errno == EINTR ? TWaitResult::Timeout : TWaitResult::Failed;
  if (watch[0].revents != 0) return TWaitResult::Wake;
  if (watch[1].revents != 0) return TWaitResult::Datagram;
  return TWaitResult::Timeout;
}

long TUdpSocket::ReceiveFrom(void* Buffer, std::size_t Capacity, std::uint32_t& FromAddress,
                             int& FromPort) {
  sockaddr_in remote{};
  socklen_t size = sizeof remote;
  // MSG_TRUNC: the result is the datagram's real length, so a cut is seen.
  ssize_t length = recvfrom(FHandle, Buffer, Capacity, MSG_DONTWAIT | MSG_TRUNC,
                            reinterpret_cast<sockaddr*>(&remote), &size);
  if (length < 0) return -1;
  FromAddress = remote.sin_addr.s_addr;
  FromPort = ntohs(remote.sin_port);
  return long(length);
}

std::uint32_t SendAddressOf(const std::string& Host, const std::string& Failure) {
  std::uint32_t address = 0;
  if (ParseDottedAddress(Host, address)) return address;
  std::vector<std::string> found = LookupHostAddresses(Host);
  if (found.empty() || !ParseDottedAddress(found.front(), address)) throw ESocketError(Failure);
  return address;
}
