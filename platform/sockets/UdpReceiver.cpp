#include "platform/sockets/UdpReceiver.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/base/Exceptions.h"
#include "platform/base/MainThread.h"
#include "platform/sockets/HostLookup.h"
#include "platform/sockets/UdpSocket.h"

namespace {

// Largest datagram IPv4 can carry, plus one so that any longer claim shows.
constexpr int MaxDatagram = 65536;

// One datagram on its way to the user-interface thread. Shared by the
// listener (waiting) and the queued call (running), either of which may
// outlive the receiver.
struct THandOver {
  std::mutex Lock;
  std::condition_variable Changed;
  bool Finished = false;
  bool Cancelled = false;
  TDatagram Datagram;
  TUdpReceiver::TDeliver Deliver;
};

void RunHandOver(const std::shared_ptr<THandOver>& item) {
  TUdpReceiver::TDeliver deliver;
  {
    std::lock_guard<std::mutex> guard(item->Lock);
    if (item->Cancelled) return;
    deliver = item->Deliver;  // a copy: the delivery may free the receiver
  }
  try {
    deliver(item->Datagram);
  } catch (...) {
    // A datagram its handler cannot process is dropped; the port goes on.
  }
  std::lock_guard<std::mutex> guard(item->Lock);
  item->Finished = true;
  item->Changed.notify_all();
}

}  // namespace

struct TUdpReceiver::TState {
  TUdpSocket Socket;
  int Wake = -1;
  int Capacity = 0;
  TOversize Oversize = TOversize::Drop;
  TDeliver Deliver;
  std::thread Thread;

  std::mutex Lock;
  bool Stopping = false;
  std::shared_ptr<THandOver> Pending;

  ~TState() {
    if (Wake >= 0) close(Wake);
  }

  void Listen() {
    std::vector<Byte> buffer(std::size_t(std::max(Capacity, 1)));
    while (Socket.WaitReadable(Wake)) {
      std::uint32_t from = 0;
      int port = 0;
      long length = Socket.ReceiveFrom(buffer.data(), buffer.size(), from, port);
      if (length < 0) continue;
      if (length > Capacity && Oversize == TOversize::Drop) continue;
      TDatagram datagram;
      datagram.Data.assign(buffer.begin(), buffer.begin() + std::min<long>(length, Capacity));
      datagram.PeerIP = AddressToText(from);
      datagram.PeerPort = port;
      if (!HandOverAndWait(std::move(datagram))) return;
    }
  }

  bool HandOverAndWait(TDatagram&& datagram) {
    auto item = std::make_shared<THandOver>();
    item->Datagram = std::move(datagram);
    item->Deliver = Deliver;
    {
      std::lock_guard<std::mutex> guard(Lock);
      if (Stopping) return false;
      Pending = item;
    }
    Queue([item] { RunHandOver(item); });
    std::unique_lock<std::mutex> wait(item->Lock);
    item->Changed.wait(wait, [&] { return item->Finished || item->Cancelled; });
    return !item->Cancelled;
  }

  void Stop() {
    std::shared_ptr<THandOver> pending;
    {
      std::lock_guard<std::mutex> guard(Lock);
      Stopping = true;
      pending = std::move(Pending);
    }
    if (pending) {
      std::lock_guard<std::mutex> guard(pending->Lock);
      pending->Cancelled = true;
      pending->Changed.notify_all();
    }
    std::uint64_t one = 1;
    while (write(Wake, &one, sizeof one) < 0 && errno == EINTR) {
    }
    if (Thread.joinable()) Thread.join();
  }
};

TUdpReceiver::TUdpReceiver(int Port, int Capacity, TOversize Oversize, TDeliver Deliver)
    : FState(std::make_unique<TState>()) {
  TState& s = *FState;
  s.Capacity = std::clamp(Capacity, 0, MaxDatagram);
  s.Oversize = Oversize;
  s.Deliver = std::move(Deliver);
  s.Socket.Bind(Port);
  s.Socket.EnlargeReceiveBuffer(Capacity);
  FPort = s.Socket.LocalPort();
  s.Wake = eventfd(0, EFD_CLOEXEC);
  if (s.Wake < 0) throw ESocketError(std::string("Cannot start a UDP listener: ") + std::strerror(errno));
  try {
    s.Thread = std::thread([&s] { s.Listen(); });
  } catch (const std::system_error& e) {
    throw ESocketError(std::string("Cannot start a UDP listener: ") + e.what());
  }
}

TUdpReceiver::~TUdpReceiver() { FState->Stop(); }
