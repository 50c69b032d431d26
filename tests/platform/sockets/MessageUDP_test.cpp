#include <gtest/gtest.h>

#include <thread>

#include "SocketTestSupport.h"
#include "platform/base/Exceptions.h"
#include "platform/base/MainThread.h"
#include "platform/sockets/HostLookup.h"
#include "platform/sockets/MessageUDP.h"

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

TEST(MessageUDP, HandlerMayFreeItsComponent) {
  auto* udp = new TMessageUDP(nullptr);
  udp->SetLocalPort(0);
  int calls = 0;
  udp->SetOnDataReceived([&](TComponent* sender, int, const std::string&, int) {
    ++calls;
    delete sender;
  });
  TTestPeer peer;
  peer.SendTo(udp->BoundPort(), "one");
  peer.SendTo(udp->BoundPort(), "two");
  ASSERT_TRUE(PumpUntil([&] { return calls == 1; }));
  PumpFor(100ms);
  EXPECT_EQ(calls, 1);
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
