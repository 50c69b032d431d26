#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "SocketTestSupport.h"
#include "platform/base/Exceptions.h"
#include "platform/base/MainThread.h"
#include "platform/sockets/HostLookup.h"
#include "platform/sockets/MessageUDP.h"
#include "platform/sockets/UdpReceiver.h"

using namespace std::chrono_literals;

namespace {

struct TReceived {
  int NumberBytes = 0;
  std::string FromIP;
  int Port = 0;
  std::string Bytes;
  bool OnUIThread = false;
};

// A component on a free port that reads each datagram whole.
struct TListeningComponent {
  TMessageUDP Udp{nullptr};
  std::vector<TReceived> Lines;
  TListeningComponent() {
    Udp.SetLocalPort(0);
    Udp.SetOnDataReceived([this](TComponent* sender, int count, const std::string& ip, int port) {
      EXPECT_EQ(sender, &Udp);
      std::string bytes(std::size_t(count), '\0');
      int got = Udp.ReadBuffer(bytes.data(), count);
      EXPECT_EQ(got, count);
      Lines.push_back({count, ip, port, bytes, IsMainThread()});
    });
  }
};

struct TResolverGuard {
  ~TResolverGuard() { SetHostResolver(nullptr); }
};

}  // namespace

TEST(MessageUDP, LineSentByOneComponentIsAnnouncedToTheOtherWithItsSender) {
  TListeningComponent a, b;
  ASSERT_NE(b.Udp.BoundPort(), 0);
  a.Udp.SetRemoteHost("127.0.0.1");
  a.Udp.SetRemotePort(b.Udp.BoundPort());
  const char line[] = "Ann <> hello";  // with its NUL
  a.Udp.SendBuffer(line, int(sizeof line));
  ASSERT_TRUE(PumpUntil([&] { return b.Lines.size() == 1; }));
  EXPECT_EQ(b.Lines[0].NumberBytes, int(sizeof line));
  EXPECT_EQ(b.Lines[0].Bytes, std::string(line, sizeof line));
  EXPECT_EQ(b.Lines[0].FromIP, "127.0.0.1");
  EXPECT_NE(b.Lines[0].Port, 0);
  EXPECT_TRUE(b.Lines[0].OnUIThread);
  EXPECT_TRUE(a.Lines.empty());
}

TEST(MessageUDP, DatagramsArriveInOrder) {
  TListeningComponent b;
  TTestPeer peer;
  for (int i = 0; i < 100; ++i) peer.SendTo(b.Udp.BoundPort(), "line " + std::to_string(i));
  ASSERT_TRUE(PumpUntil([&] { return b.Lines.size() == 100; }));
  for (int i = 0; i < 100; ++i) EXPECT_EQ(b.Lines[i].Bytes, "line " + std::to_string(i));
  EXPECT_EQ(b.Lines[0].Port, peer.Port());
}

TEST(MessageUDP, ReadBufferCopiesNoMoreThanAskedAndNothingOutsideTheEvent) {
  TMessageUDP udp(nullptr);
  udp.SetLocalPort(0);
  std::string head;
  int announced = 0;
  udp.SetOnDataReceived([&](TComponent*, int count, const std::string&, int) {
    announced = count;
    char small[5] = {'#', '#', '#', '#', '#'};
    int got = udp.ReadBuffer(small, 4);
    head.assign(small, std::size_t(got));
    EXPECT_EQ(small[4], '#');
  });
  TTestPeer peer;
  peer.SendTo(udp.BoundPort(), "abcdefgh");
  ASSERT_TRUE(PumpUntil([&] { return announced != 0; }));
  EXPECT_EQ(announced, 8);
  EXPECT_EQ(head, "abcd");
  char after[8];
  EXPECT_EQ(udp.ReadBuffer(after, 8), 0);
}

TEST(MessageUDP, DatagramsLongerThanTheBufferAreCutBothWays) {
  TListeningComponent b;
  std::string longLine(3000, 'z');
  for (std::size_t i = 0; i < longLine.size(); ++i) longLine[i] = char('a' + i % 26);
  TTestPeer peer;
  peer.SendTo(b.Udp.BoundPort(), longLine);
  ASSERT_TRUE(PumpUntil([&] { return b.Lines.size() == 1; }));
  EXPECT_EQ(b.Lines[0].NumberBytes, TMessageUDP::MessageBufferSize);
  EXPECT_EQ(b.Lines[0].Bytes, longLine.substr(0, 2048));

  TMessageUDP sender(nullptr);
  sender.SetRemoteHost("127.0.0.1");
  sender.SetRemotePort(peer.Port());
  sender.SendBuffer(longLine.data(), int(longLine.size()));
  std::vector<std::uint8_t> got;
  ASSERT_TRUE(peer.Receive(got, 2000ms));
  EXPECT_EQ(std::string(got.begin(), got.end()), longLine.substr(0, 2048));
}

TEST(MessageUDP, UnusableRemoteAddressRaisesNullRemoteAddress) {
  TResolverGuard guard;
  SetHostResolver([](const std::string&) { return std::vector<std::string>{}; });
  TMessageUDP udp(nullptr);
  udp.SetRemotePort(6767);
  for (const char* host : {"", "nobody"}) {
    udp.SetRemoteHost(host);
    try {
      udp.SendBuffer("x", 1);
      FAIL() << "no exception for '" << host << "'";
    } catch (const ESocketError& e) {
      EXPECT_EQ(e.Message(), "Null Remote Address");
    }
  }
}

TEST(MessageUDP, PortHeldByAnotherSocketRaises) {
  TListeningComponent a;
  TMessageUDP b(nullptr);
  EXPECT_THROW(b.SetLocalPort(a.Udp.BoundPort()), ESocketError);
  EXPECT_EQ(b.BoundPort(), 0);
}

// Lines that the listener read together are announced within one hand-over
// to the UI thread (one pass of its message loop), in order, each readable in
// its own announcement, also when a handler pumps messages in between. When
// the listener wakes is up to the machine, so the test holds it: a first line
// is read and handed over, and the listener is kept in the wake-up of that
// hand-over until five more wait in the socket; it then reads them together.
// A hand-over may stop early only when it has run for its time bound.
TEST(MessageUDP, LinesWaitingTogetherAreAnnouncedInOneHandOverInOrder) {
  TMessageUDP udp(nullptr);
  udp.SetLocalPort(0);
  int pass = 0;
  std::vector<std::pair<int, std::string>> lines;  // pass, bytes
  udp.SetOnDataReceived([&](TComponent*, int count, const std::string&, int) {
    if (lines.size() == 1) CheckSynchronize();  // a handler that processes messages
    std::string bytes(std::size_t(count), '\0');
    udp.ReadBuffer(bytes.data(), count);
    lines.emplace_back(pass, bytes);
  });
  TTestPeer peer;

  // The first hand-over's wake-up keeps the listener until released; the
  // receiver is freed only after that (it joins its listener).
  std::mutex lock;
  std::condition_variable changed;
  bool held = false, released = false;
  auto release = [&] {
    std::lock_guard<std::mutex> guard(lock);
    released = true;
    changed.notify_all();
  };
  SetWakeMainThread([&] {
    std::unique_lock<std::mutex> guard(lock);
    if (held) return;
    held = true;
    changed.notify_all();
    changed.wait(guard, [&] { return released; });
  });
  struct TUnhook {
    std::function<void()> Release;
    ~TUnhook() {
      Release();
      SetWakeMainThread(nullptr);
    }
  } unhook{release};

  peer.SendTo(udp.BoundPort(), "first");
  {
    std::unique_lock<std::mutex> guard(lock);
    ASSERT_TRUE(changed.wait_for(guard, 30s, [&] { return held; })) << "the first line was never handed over";
  }
  for (int i = 0; i < 5; ++i) peer.SendTo(udp.BoundPort(), "line " + std::to_string(i));
  ASSERT_TRUE(PumpUntil([&] { return !lines.empty(); }));
  release();

  std::vector<std::chrono::steady_clock::duration> passTime;
  for (auto end = std::chrono::steady_clock::now() + 30s;
       lines.size() < 6 && std::chrono::steady_clock::now() < end; ++pass) {
    const auto begun = std::chrono::steady_clock::now();
    CheckSynchronize();
    passTime.push_back(std::chrono::steady_clock::now() - begun);
    std::this_thread::sleep_for(1ms);
  }
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0].second, "first");
  for (int i = 0; i < 5; ++i) EXPECT_EQ(lines[i + 1].second, "line " + std::to_string(i));
  for (int i = 2; i < 6; ++i) {
    const int before = lines[i - 1].first;
    if (lines[i].first != before)
      EXPECT_GE(passTime[std::size_t(before)], std::chrono::milliseconds(TUdpReceiver::MaxBatchMilliseconds))
          << "line " << i - 1 << " was announced in a later hand-over than the one before it";
  }
}

TEST(MessageUDP, HandlerMayFreeItsComponentAndTheLinesWaitingWithTheCurrentOneAreDropped) {
  auto* udp = new TMessageUDP(nullptr);
  udp->SetLocalPort(0);
  const int port = udp->BoundPort();
  std::vector<std::string> lines;
  udp->SetOnDataReceived([&](TComponent* sender, int count, const std::string&, int) {
    std::string bytes(std::size_t(count), '\0');
    udp->ReadBuffer(bytes.data(), count);
    lines.push_back(bytes);
    if (lines.size() == 2) delete sender;
  });
  TTestPeer peer;
  for (const char* line : {"one", "two", "three", "four"}) peer.SendTo(port, line);
  std::this_thread::sleep_for(100ms);
  ASSERT_TRUE(PumpUntil([&] { return lines.size() == 2; }));
  PumpFor(100ms);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
  // The port was given back: a new component opens it.
  TMessageUDP again(nullptr);
  EXPECT_NO_THROW(again.SetLocalPort(port));
}

TEST(MessageUDP, OwnerDestroyedWithALinePendingDropsIt) {
  bool called = false;
  {
    TComponent owner(nullptr);
    auto* udp = new TMessageUDP(&owner);
    udp->SetLocalPort(0);
    udp->SetOnDataReceived([&](TComponent*, int, const std::string&, int) { called = true; });
    TTestPeer peer;
    peer.SendTo(udp->BoundPort(), "late");
    std::this_thread::sleep_for(100ms);
  }
  PumpFor(100ms);
  EXPECT_FALSE(called);
}

// A burst of a thousand chat lines, back to back, while the handler of the
// first is slow: the socket's own queue holds the burst even where the
// listener gets no processor meanwhile, so the kernel drops none and every
// line is announced, whole and in order.
TEST(MessageUDP, BurstOfAThousandLinesWhileTheHandlerIsBusyLosesNone) {
  constexpr int count = 1000;
  // Chat-like lines of 20 to 180 bytes, NUL included, each telling its number.
  auto line = [](int i) {
    std::string text = "line " + std::to_string(i) + " ";
    text.resize(std::size_t(20 + (i * 37) % 147), char('a' + i % 26));
    return "10.77.0.2 <> " + text + '\0';
  };
  TMessageUDP udp(nullptr);
  udp.SetLocalPort(0);
  std::atomic<bool> busy{false};
  std::vector<std::string> lines;
  int offThread = 0;
  udp.SetOnDataReceived([&](TComponent*, int bytes, const std::string&, int) {
    if (lines.empty()) {
      busy = true;
      std::this_thread::sleep_for(200ms);  // a slow handler while the burst arrives
    }
    std::string got(std::size_t(bytes), '\0');
    udp.ReadBuffer(got.data(), bytes);
    lines.push_back(got);
    if (!IsMainThread()) ++offThread;
  });

  TTestPeer peer;
  const int port = udp.BoundPort();
  const long dropsBefore = UdpSocketDrops(port);
  ASSERT_GE(dropsBefore, 0) << "port " << port << " not in /proc/net/udp";
  std::thread sender([&] {
    peer.SendTo(port, line(0));
    for (int wait = 0; !busy && wait < 5000; ++wait) std::this_thread::sleep_for(1ms);
    // Back to back, as fast as a peer's sender goes.
    for (int i = 1; i < count; ++i) peer.SendTo(port, line(i));
  });
  const bool all = PumpUntil([&] { return lines.size() >= std::size_t(count); }, 20000ms);
  sender.join();
  const long dropsAfter = UdpSocketDrops(port);

  EXPECT_TRUE(busy);
  EXPECT_EQ(dropsAfter - dropsBefore, 0) << "datagrams the kernel had no room for";
  ASSERT_TRUE(all) << lines.size() << " of " << count << " lines arrived";
  ASSERT_EQ(lines.size(), std::size_t(count));
  for (int i = 0; i < count; ++i) ASSERT_EQ(lines[std::size_t(i)], line(i)) << "line " << i;
  EXPECT_EQ(offThread, 0);
}
