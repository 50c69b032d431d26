#pragma once
// A bound UDP socket with one listener thread. The thread takes datagrams
// out of the socket and hands them to the user-interface thread, in order.
//
// A receiver that delivers one datagram at a time waits, after handing one
// over, until its delivery has run; the rest wait in the socket's queue
// meanwhile.
//
// A receiver that delivers everything waiting (the message-driven way: one
// socket notification, then the handler reads until the socket is empty)
// keeps reading while the user-interface thread delivers: the kernel's queue
// is small (a few hundred short datagrams) and a burst would overflow it
// while a handler is busy. What the listener has read waits in the
// receiver's own queue, bounded by MaxWaitingBytes; a datagram beyond that
// is dropped, as the kernel drops what it has no room for. One hand-over
// delivers what waits there, up to a bound per hand-over so the user
// interface keeps its turn; what is left waits for the next hand-over.
// Between two such hand-overs the listener rests a moment before it hands
// over again (reading all the while), so a burst is handled in few
// hand-overs, each before the user-interface thread paints again; a
// datagram after a quiet spell is handed over at once.
//
// Destroying the receiver (also from inside its own delivery) cancels a
// hand-over that has not run or not finished yet, wakes and joins the thread
// and closes the socket: a cancelled datagram, and every one after it, is
// dropped and nothing of the receiver's owner is touched after that.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/Types.h"

struct TDatagram {
  std::vector<Byte> Data;
  std::string PeerIP;  // dotted text
  int PeerPort = 0;
};

class TUdpReceiver {
 public:
  // Runs on the user-interface thread; an exception it raises drops the
  // datagram and the receiver goes on.
  using TDeliver = std::function<void(const TDatagram& Datagram)>;
  // What happens to a datagram longer than the capacity.
  enum class TOversize { Drop, Cut };
  // How much one hand-over to the user-interface thread delivers.
  enum class TBatch { OneDatagram, AllWaiting };

  // The most one hand-over of a TBatch::AllWaiting receiver delivers.
  static constexpr int MaxBatchDatagrams = 256;
  static constexpr int MaxBatchMilliseconds = 5;
  static constexpr int RestBetweenBatchesMilliseconds = 10;
  // The most a TBatch::AllWaiting receiver holds read but not delivered,
  // counting each datagram's bytes and its bookkeeping.
  static constexpr std::size_t MaxWaitingBytes = std::size_t(4) << 20;

  // Binds Port (0: a free port) on all local addresses and starts listening.
  // Raises ESocketError when the port cannot be opened. The kernel's queue
  // of the socket holds at least Capacity bytes, as far as the host's cap
  // allows; given KernelQueueBytes it holds that many instead, beyond the
  // cap where the process has the privilege.
  TUdpReceiver(int Port, int Capacity, TOversize Oversize, TBatch Batch, TDeliver Deliver,
               int KernelQueueBytes = 0);
  ~TUdpReceiver();
  TUdpReceiver(const TUdpReceiver&) = delete;
  TUdpReceiver& operator=(const TUdpReceiver&) = delete;

  // The port listened on.
  int Port() const { return FPort; }

 private:
  struct TState;
  std::unique_ptr<TState> FState;
  int FPort = 0;
};
