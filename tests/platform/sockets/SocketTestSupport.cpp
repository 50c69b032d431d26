#include "SocketTestSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/base/MainThread.h"

bool PumpUntil(const std::function<bool()>& Done, std::chrono::milliseconds Timeout) {
  auto end = std::chrono::steady_clock::now() + Timeout;
  for (;;) {
    CheckSynchronize();
    if (Done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void PumpFor(std::chrono::milliseconds Time) {
  PumpUntil([] { return false; }, Time);
}

namespace {

// The fields of the line of /proc/net/udp for the socket bound to Port:
// after the heading, one line a socket, "sl local rem st tx:rx ... drops",
// the local address as hex "AAAAAAAA:PPPP". Empty when there is none.
std::vector<std::string> UdpSocketFields(int Port) {
  std::ifstream table("/proc/net/udp");
  std::string line;
  std::getline(table, line);
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::vector<std::string> all;
    for (std::string field; fields >> field;) all.push_back(field);
    if (all.size() < 2) continue;
    const std::size_t colon = all[1].find(':');
    if (colon != std::string::npos && std::stol(all[1].substr(colon + 1), nullptr, 16) == Port) return all;
  }
  return {};
}

}  // namespace

long UdpSocketDrops(int Port) {
  const std::vector<std::string> fields = UdpSocketFields(Port);
  return fields.empty() ? -1 : std::stol(fields.back());
}

long UdpSocketWaitingBytes(int Port) {
  const std::vector<std::string> fields = UdpSocketFields(Port);
  if (fields.size() < 5) return -1;
  const std::size_t colon = fields[4].find(':');
  return colon == std::string::npos ? -1 : std::stol(fields[4].substr(colon + 1), nullptr, 16);
}

TTestPeer::TTestPeer(const std::string& BindAddress) {
  FHandle = socket(AF_INET, SOCK_DGRAM, 0);
  if (FHandle < 0) throw std::runtime_error("socket");
  sockaddr_in local{};
  local.sin_family = AF_INET;
  inet_pton(AF_INET, BindAddress.c_str(), &local.sin_addr);
  if (bind(FHandle, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
    throw std::runtime_error("bind");
  socklen_t size = sizeof local;
  getsockname(FHandle, reinterpret_cast<sockaddr*>(&local), &size);
  FPort = ntohs(local.sin_port);
}

TTestPeer::~TTestPeer() { close(FHandle); }

void TTestPeer::SendTo(int Port, const void* Data, std::size_t Length) {
  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  remote.sin_port = htons(static_cast<std::uint16_t>(Port));
  for (int attempt = 0;; ++attempt) {
    ssize_t sent =
        sendto(FHandle, Data, Length, 0, reinterpret_cast<sockaddr*>(&remote), sizeof remote);
    if (sent == ssize_t(Length)) return;
    // A refusal left over from an earlier datagram to a closed port.
    if (sent < 0 && errno == ECONNREFUSED && attempt == 0) continue;
    throw std::runtime_error("sendto");
  }
}

bool TTestPeer::Receive(std::vector<std::uint8_t>& Data, std::chrono::milliseconds Timeout) {
  pollfd watch{FHandle, POLLIN, 0};
  if (poll(&watch, 1, int(Timeout.count())) <= 0) return false;
  Data.resize(65536);
  ssize_t got = recv(FHandle, Data.data(), Data.size(), 0);
  if (got < 0) return false;
  Data.resize(std::size_t(got));
  return true;
}
