#pragma once
// Loopback helpers for the socket tests: a plain POSIX UDP socket to play
// the far side, and a pump that runs the calls handed to this (the UI)
// thread until a condition holds.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Runs handed-over calls until Done() or Timeout; true when Done() held.
bool PumpUntil(const std::function<bool()>& Done,
               std::chrono::milliseconds Timeout = std::chrono::milliseconds(30000));
// Runs handed-over calls for the given time.
void PumpFor(std::chrono::milliseconds Time);

// The kernel's count of datagrams dropped by the UDP socket bound to Port,
// for want of room in its receive buffer (the drops column of
// /proc/net/udp); -1 when there is no such socket. The namespace's
// RcvbufErrors would also count other programs' drops.
long UdpSocketDrops(int Port);
// The bytes waiting in that socket's receive queue, not yet read (the
// rx_queue column); -1 when there is no such socket.
long UdpSocketWaitingBytes(int Port);

class TTestPeer {
 public:
  // Bound to a free port on BindAddress ("127.0.0.1" by default).
  explicit TTestPeer(const std::string& BindAddress = "127.0.0.1");
  ~TTestPeer();
  TTestPeer(const TTestPeer&) = delete;
  TTestPeer& operator=(const TTestPeer&) = delete;

  int Port() const { return FPort; }
  void SendTo(int Port, const void* Data, std::size_t Length);
  void SendTo(int Port, const std::string& Text) { SendTo(Port, Text.data(), Text.size()); }
  // One datagram, or nullopt-like empty result with Got false after Timeout.
  bool Receive(std::vector<std::uint8_t>& Data, std::chrono::milliseconds Timeout);

 private:
  int FHandle = -1;
  int FPort = 0;
};
