#include "platform/sockets/UdpReceiver.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
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

// Datagrams read and not yet delivered, and the state of the hand-over to
// the user-interface thread. Shared by the receiver, its listener and the
// queued hand-over, which may outlive the receiver.
struct TInbox {
  TInbox(int WakeHandle, int PerHandOver, TUdpReceiver::TDeliver DeliverCall)
      : Wake(WakeHandle), MaxPerHandOver(PerHandOver), Deliver(std::move(DeliverCall)) {}
  ~TInbox() { close(Wake); }
  TInbox(const TInbox&) = delete;
  TInbox& operator=(const TInbox&) = delete;

  // Written when a hand-over finishes and when the receiver stops.
  const int Wake;
  const int MaxPerHandOver;
  const TUdpReceiver::TDeliver Deliver;

  std::mutex Lock;
  std::deque<TDatagram> Waiting;
  std::size_t WaitingBytes = 0;
  bool Cancelled = false;
  bool HandingOver = false;  // a hand-over is queued or running
  std::chrono::steady_clock::time_point LastHandOver{};  // when the last one finished

  static std::size_t Cost(const TDatagram& Datagram) { return sizeof Datagram + Datagram.Data.size(); }

  void Signal() const {
    std::uint64_t one = 1;
    while (write(Wake, &one, sizeof one) < 0 && errno == EINTR) {
    }
  }

  void ClearSignal() const {
    std::uint64_t count = 0;
    while (read(Wake, &count, sizeof count) < 0 && errno == EINTR) {
    }
  }
};

void DeliverGuarded(const TUdpReceiver::TDeliver& deliver, const TDatagram& datagram) {
  try {
    deliver(datagram);
  } catch (...) {
    // A datagram its handler cannot process is dropped; the port goes on.
  }
}

// On the user-interface thread: delivers the waiting datagrams in order, at
// most MaxPerHandOver of them and, after the first, while time is left.
void RunHandOver(TInbox& inbox) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(TUdpReceiver::MaxBatchMilliseconds);
  TDatagram datagram;
  for (int taken = 0; taken < inbox.MaxPerHandOver; ++taken) {
    if (taken > 0 && std::chrono::steady_clock::now() >= deadline) break;
    {
      std::lock_guard<std::mutex> guard(inbox.Lock);
      // Checked before every datagram: a delivery may free the receiver.
      if (inbox.Cancelled) return;
      if (inbox.Waiting.empty()) break;
      inbox.WaitingBytes -= TInbox::Cost(inbox.Waiting.front());
      datagram = std::move(inbox.Waiting.front());
      inbox.Waiting.pop_front();
    }
    DeliverGuarded(inbox.Deliver, datagram);
  }
  {
    std::lock_guard<std::mutex> guard(inbox.Lock);
    inbox.HandingOver = false;
    inbox.LastHandOver = std::chrono::steady_clock::now();
  }
  inbox.Signal();
}

int MakeWakeHandle() {
  int handle = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (handle < 0) throw ESocketError(std::string("Cannot start a UDP listener: ") + std::strerror(errno));
  return handle;
}

}  // namespace

struct TUdpReceiver::TState {
  TState(int Capacity, TOversize Oversize, TBatch Batch, TDeliver Deliver)
      : Reader(Capacity, Oversize),
        ReadsAhead(Batch == TBatch::AllWaiting),
        Rest(ReadsAhead ? RestBetweenBatchesMilliseconds : 0),
        Inbox(std::make_shared<TInbox>(MakeWakeHandle(), ReadsAhead ? MaxBatchDatagrams : 1,
                                       std::move(Deliver))) {}

  // The most the listener reads in a row before it looks at the hand-over.
  static constexpr int MaxReadsInARow = 64;

  TDatagramReader Reader;
  // Whether the listener goes on reading while a hand-over is under way.
  const bool ReadsAhead;
  const std::chrono::milliseconds Rest;
  const std::shared_ptr<TInbox> Inbox;
  std::thread Thread;

  void Listen() {
    std::vector<TDatagram> taken;
    for (;;) {
      bool handOver = false;
      bool readSocket = false;
      int timeout = -1;
      {
        std::lock_guard<std::mutex> guard(Inbox->Lock);
        if (Inbox->Cancelled) return;
        if (!Inbox->HandingOver && !Inbox->Waiting.empty()) {
          const auto wait = Inbox->LastHandOver + Rest - std::chrono::steady_clock::now();
          if (wait <= wait.zero()) {
            handOver = Inbox->HandingOver = true;
          } else {
            // Rounded up: waking a little early would only spin.
            timeout = int(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
          }
        }
        readSocket = ReadsAhead || (!Inbox->HandingOver && Inbox->Waiting.empty());
      }
      if (handOver) {
        std::shared_ptr<TInbox> inbox = Inbox;
        Queue([inbox] { RunHandOver(*inbox); });
      }
      switch (Reader.Socket.Wait(Inbox->Wake, readSocket, handOver ? 0 : timeout)) {
        case TUdpSocket::TWaitResult::Failed: return;
        case TUdpSocket::TWaitResult::Timeout: break;
        case TUdpSocket::TWaitResult::Wake: Inbox->ClearSignal(); break;
        case TUdpSocket::TWaitResult::Datagram: Take(taken); break;
      }
    }
  }

  // Reads what the socket holds (one datagram unless reading ahead) into the
  // inbox; beyond its bound a datagram is dropped.
  void Take(std::vector<TDatagram>& taken) {
    taken.clear();
    TDatagram datagram;
    for (int i = 0; i < (ReadsAhead ? MaxReadsInARow : 1); ++i) {
      const TDatagramReader::TRead read = Reader.Read(datagram);
      if (read == TDatagramReader::TRead::Nothing) break;
      if (read == TDatagramReader::TRead::Received) taken.push_back(std::move(datagram));
    }
    std::lock_guard<std::mutex> guard(Inbox->Lock);
    for (TDatagram& d : taken) {
      const std::size_t cost = TInbox::Cost(d);
      if (ReadsAhead && Inbox->WaitingBytes + cost > MaxWaitingBytes) continue;
      Inbox->WaitingBytes += cost;
      Inbox->Waiting.push_back(std::move(d));
    }
  }

  void Stop() {
    {
      std::lock_guard<std::mutex> guard(Inbox->Lock);
      Inbox->Cancelled = true;
    }
    Inbox->Signal();
    if (Thread.joinable()) Thread.join();
  }
};

TUdpReceiver::TUdpReceiver(int Port, int Capacity, TOversize Oversize, TBatch Batch,
                           TDeliver Deliver, int KernelQueueBytes)
    : FState(std::make_unique<TState>(Capacity, Oversize, Batch, std::move(Deliver))) {
  TState& s = *FState;
  s.Reader.Socket.Bind(Port);
  if (KernelQueueBytes > 0)
    s.Reader.Socket.ForceReceiveBuffer(KernelQueueBytes);
  else
    s.Reader.Socket.EnlargeReceiveBuffer(Capacity);
  FPort = s.Reader.Socket.LocalPort();
  try {
    s.Thread = std::thread([&s] { s.Listen(); });
  } catch (const std::system_error& e) {
    throw ESocketError(std::string("Cannot start a UDP listener: ") + e.what());
  }
}

TUdpReceiver::~TUdpReceiver() { FState->Stop(); }
