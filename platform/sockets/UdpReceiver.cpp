#include "platform/sockets/UdpReceiver.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
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

// The bound socket and the rules for taking a datagram out of it.
class TDatagramReader {
 public:
  enum class TRead { Nothing, Dropped, Received };

  TDatagramReader(int Capacity, TUdpReceiver::TOversize Oversize)
      : FCapacity(std::clamp(Capacity, 0, MaxDatagram)),
        FOversize(Oversize),
        FBuffer(std::size_t(std::max(FCapacity, 1))) {}

  TUdpSocket Socket;

  // Takes one waiting datagram without blocking.
  TRead Read(TDatagram& Datagram) {
    std::uint32_t from = 0;
    int port = 0;
    long length = Socket.ReceiveFrom(FBuffer.data(), FBuffer.size(), from, port);
    if (length < 0) return TRead::Nothing;
    if (length > FCapacity && FOversize == TUdpReceiver::TOversize::Drop) return TRead::Dropped;
    Datagram.Data.assign(FBuffer.begin(), FBuffer.begin() + std::min<long>(length, FCapacity));
    Datagram.PeerIP = AddressToText(from);
    Datagram.PeerPort = port;
    return TRead::Received;
  }

 private:
  int FCapacity;
  TUdpReceiver::TOversize FOversize;
  std::vector<Byte> FBuffer;
};

// One hand-over to the user-interface thread. Shared by the listener
// (waiting) and the queued call (running), either of which may outlive the
// receiver.
struct THandOver {
  std::mutex Lock;
  std::condition_variable Changed;
  bool Finished = false;
  bool Cancelled = false;
  TDatagram Datagram;
  TUdpReceiver::TDeliver Deliver;
  // Set when the hand-over goes on with what else is waiting. The listener
  // does not read meanwhile; each read happens under Lock and only while not
  // Cancelled, and the receiver cancels before it closes the socket.
  TDatagramReader* More = nullptr;

  TDatagramReader::TRead ReadMore(TDatagram& Next) {
    std::lock_guard<std::mutex> guard(Lock);
    if (Cancelled) return TDatagramReader::TRead::Nothing;
    return More->Read(Next);
  }
};

void DeliverGuarded(const TUdpReceiver::TDeliver& deliver, const TDatagram& datagram) {
  try {
    deliver(datagram);
  } catch (...) {
    // A datagram its handler cannot process is dropped; the port goes on.
  }
}

void DeliverWaiting(THandOver& item, const TUdpReceiver::TDeliver& deliver,
                    std::chrono::steady_clock::time_point deadline) {
  TDatagram next;
  for (int taken = 1; taken < TUdpReceiver::MaxBatchDatagrams; ++taken) {
    if (std::chrono::steady_clock::now() >= deadline) return;
    switch (item.ReadMore(next)) {
      case TDatagramReader::TRead::Nothing: return;
      case TDatagramReader::TRead::Dropped: break;
      case TDatagramReader::TRead::Received: DeliverGuarded(deliver, next); break;
    }
  }
}

void RunHandOver(const std::shared_ptr<THandOver>& item) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(TUdpReceiver::MaxBatchMilliseconds);
  TUdpReceiver::TDeliver deliver;
  {
    std::lock_guard<std::mutex> guard(item->Lock);
    if (item->Cancelled) return;
    deliver = item->Deliver;  // a copy: the delivery may free the receiver
  }
  DeliverGuarded(deliver, item->Datagram);
  if (item->More != nullptr) DeliverWaiting(*item, deliver, deadline);
  std::lock_guard<std::mutex> guard(item->Lock);
  item->Finished = true;
  item->Changed.notify_all();
}

}  // namespace

struct TUdpReceiver::TState {
  TState(int Capacity, TOversize Oversize) : Reader(Capacity, Oversize) {}

  TDatagramReader Reader;
  TBatch Batch = TBatch::OneDatagram;
  int Wake = -1;
  TDeliver Deliver;
  std::thread Thread;

  std::mutex Lock;
  bool Stopping = false;
  std::shared_ptr<THandOver> Pending;

  ~TState() {
    if (Wake >= 0) close(Wake);
  }

  void Listen() {
    TDatagram datagram;
    while (Reader.Socket.WaitReadable(Wake)) {
      if (Reader.Read(datagram) != TDatagramReader::TRead::Received) continue;
      if (!HandOverAndWait(std::move(datagram))) return;
      if (Batch == TBatch::AllWaiting && !RestBetweenBatches()) return;
    }
  }

  // During a burst every hand-over costs the user interface a repaint, and
  // a handler that processes messages repaints once per call: a short rest
  // lets the burst gather in the socket so that it is handled, and painted,
  // once. False when the receiver stops meanwhile.
  bool RestBetweenBatches() const {
    pollfd wake{Wake, POLLIN, 0};
    return poll(&wake, 1, RestBetweenBatchesMilliseconds) <= 0;
  }

  bool HandOverAndWait(TDatagram&& datagram) {
    auto item = std::make_shared<THandOver>();
    item->Datagram = std::move(datagram);
    item->Deliver = Deliver;
    if (Batch == TBatch::AllWaiting) item->More = &Reader;
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
      // Waits for a read of the running hand-over to end: none follows.
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

TUdpReceiver::TUdpReceiver(int Port, int Capacity, TOversize Oversize, TBatch Batch,
                           TDeliver Deliver)
    : FState(std::make_unique<TState>(Capacity, Oversize)) {
  TState& s = *FState;
  s.Batch = Batch;
  s.Deliver = std::move(Deliver);
  s.Reader.Socket.Bind(Port);
  s.Reader.Socket.EnlargeReceiveBuffer(Capacity);
  FPort = s.Reader.Socket.LocalPort();
  s.Wake = eventfd(0, EFD_CLOEXEC);
  if (s.Wake < 0) throw ESocketError(std::string("Cannot start a UDP listener: ") + std::strerror(errno));
  try {
    s.Thread = std::thread([&s] { s.Listen(); });
  } catch (const std::system_error& e) {
    throw ESocketError(std::string("Cannot start a UDP listener: ") + e.what());
  }
}

TUdpReceiver::~TUdpReceiver() { FState->Stop(); }
