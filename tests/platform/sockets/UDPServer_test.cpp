#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "SocketTestSupport.h"
#include "platform/base/Exceptions.h"
#include "platform/base/MainThread.h"
#include "platform/sockets/UDPServer.h"

using namespace std::chrono_literals;

namespace {

struct TRead {
  std::string Text;
  std::string PeerIP;
  int PeerPort = 0;
  bool OnUIThread = false;
};

std::string ReadAll(TStream* data) {
  std::string text(std::size_t(data->Size()), '\0');
  if (!text.empty()) data->ReadBuffer(text.data(), int(text.size()));
  return text;
}

// A server on a free loopback port that records every datagram it is given.
struct TRecordingServer {
  TUDPServer Server{nullptr};
  std::vector<TRead> Reads;

  explicit TRecordingServer(int bufferSize = 8192) {
    Server.SetBufferSize(bufferSize);
    Server.SetOnUDPRead([this](TObject* sender, TStream* data, const std::string& ip, int port) {
      EXPECT_EQ(sender, &Server);
      EXPECT_EQ(data->Position(), 0);
      Reads.push_back({ReadAll(data), ip, port, IsMainThread()});
    });
    Server.SetActive(true);
  }
  int Port() const { return Server.BoundPort(); }
};

}  // namespace

TEST(UDPServer, HandsEachDatagramToTheUIThreadInOrderWithItsSender) {
  TRecordingServer rec;
  ASSERT_TRUE(rec.Server.Active());
  ASSERT_NE(rec.Port(), 0);
  TTestPeer peer;
  const int count = 200;
  for (int i = 0; i < count; ++i) peer.SendTo(rec.Port(), "n" + std::to_string(i));
  peer.SendTo(rec.Port(), "");
  ASSERT_TRUE(PumpUntil([&] { return int(rec.Reads.size()) == count + 1; }));
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(rec.Reads[i].Text, "n" + std::to_string(i));
    EXPECT_EQ(rec.Reads[i].PeerIP, "127.0.0.1");
    EXPECT_EQ(rec.Reads[i].PeerPort, peer.Port());
    EXPECT_TRUE(rec.Reads[i].OnUIThread);
  }
  EXPECT_EQ(rec.Reads.back().Text, "");
}

TEST(UDPServer, HandlerThatPumpsMessagesIsNotReenteredByItsOwnServer) {
  TUDPServer control(nullptr), video(nullptr);
  TTestPeer peer;
  std::vector<std::string> log;
  int depth = 0;
  control.SetOnUDPRead([&](TObject*, TStream* data, const std::string&, int) {
    std::string text = ReadAll(data);
    ++depth;
    EXPECT_EQ(depth, 1) << "control handler re-entered by " << text;
    log.push_back("control " + text + " begin");
    if (text == "first") {
      // Like a handler that processes pending messages in the middle of its
      // work: the other server's datagram runs inside, this server's next one
      // waits until this handler is done.
      peer.SendTo(video.BoundPort(), "frame");
      PumpUntil([&] { return log.back() == "video frame"; }, 2000ms);
      PumpFor(50ms);
    }
    log.push_back("control " + text + " end");
    --depth;
  });
  video.SetOnUDPRead([&](TObject*, TStream* data, const std::string&, int) {
    log.push_back("video " + ReadAll(data));
  });
  control.SetActive(true);
  video.SetActive(true);
  peer.SendTo(control.BoundPort(), "first");
  peer.SendTo(control.BoundPort(), "second");
  ASSERT_TRUE(PumpUntil([&] { return log.size() == 5; }));
  EXPECT_EQ(log, (std::vector<std::string>{"control first begin", "video frame",
                                           "control first end", "control second begin",
                                           "control second end"}));
}

TEST(UDPServer, FailingHandlerDropsOnlyItsDatagram) {
  TUDPServer server(nullptr);
  std::vector<std::string> seen;
  server.SetOnUDPRead([&](TObject*, TStream* data, const std::string&, int) {
    std::string text = ReadAll(data);
    seen.push_back(text);
    if (text == "bad") throw EInvalidGraphic("Bitmap image is not valid");
  });
  server.SetActive(true);
  TTestPeer peer;
  peer.SendTo(server.BoundPort(), "bad");
  peer.SendTo(server.BoundPort(), "good");
  ASSERT_TRUE(PumpUntil([&] { return seen.size() == 2; }));
  EXPECT_EQ(seen, (std::vector<std::string>{"bad", "good"}));
}

TEST(UDPServer, LargestUDPDatagramArrivesIntactWithAVideoSizedBuffer) {
  TRecordingServer rec(1048576);
  std::string big(65507, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = char((i * 7 + i / 251) & 0xFF);
  TTestPeer peer;
  peer.SendTo(rec.Port(), big);
  ASSERT_TRUE(PumpUntil([&] { return rec.Reads.size() == 1; }));
  EXPECT_EQ(rec.Reads[0].Text.size(), big.size());
  EXPECT_TRUE(rec.Reads[0].Text == big);
}

TEST(UDPServer, DatagramLongerThanTheBufferIsDropped) {
  TRecordingServer rec(100);
  TTestPeer peer;
  peer.SendTo(rec.Port(), std::string(101, 'x'));
  peer.SendTo(rec.Port(), std::string(100, 'y'));
  ASSERT_TRUE(PumpUntil([&] { return !rec.Reads.empty(); }));
  PumpFor(50ms);
  ASSERT_EQ(rec.Reads.size(), 1u);
  EXPECT_EQ(rec.Reads[0].Text, std::string(100, 'y'));
}

TEST(UDPServer, PortHeldByAnotherSocketRaisesAndStaysInactive) {
  TRecordingServer first;
  TUDPServer second(nullptr);
  second.SetDefaultPort(first.Port());
  try {
    second.SetActive(true);
    FAIL() << "no exception";
  } catch (const ESocketError& e) {
    EXPECT_NE(e.Message().find("UDP port " + std::to_string(first.Port())), std::string::npos)
        << e.Message();
    EXPECT_NE(e.Message().find("in use"), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(second.Active());
  EXPECT_EQ(second.BoundPort(), 0);
}

TEST(UDPServer, PortCanBeOpenedAgainAtOnceAfterClosing) {
  int port = 0;
  {
    TRecordingServer rec;
    port = rec.Port();
    rec.Server.SetActive(false);
    rec.Server.SetDefaultPort(port);
    rec.Server.SetActive(true);
    EXPECT_EQ(rec.Server.BoundPort(), port);
  }
  TRecordingServer again;
  again.Server.SetActive(false);
  again.Server.SetDefaultPort(port);
  EXPECT_NO_THROW(again.Server.SetActive(true));
  TTestPeer peer;
  peer.SendTo(port, "hello");
  ASSERT_TRUE(PumpUntil([&] { return again.Reads.size() == 1; }));
}

TEST(UDPServer, DeactivatingDropsAPendingHandOverAndNeverCallsTheHandlerAgain) {
  TRecordingServer rec;
  const int port = rec.Port();
  TTestPeer peer;
  peer.SendTo(port, "pending");
  std::this_thread::sleep_for(100ms);  // the listener has handed it over by now
  rec.Server.SetActive(false);
  PumpFor(100ms);
  EXPECT_TRUE(rec.Reads.empty());
  EXPECT_EQ(rec.Server.BoundPort(), 0);
  peer.SendTo(port, "closed");
  PumpFor(50ms);
  EXPECT_TRUE(rec.Reads.empty());
}

TEST(UDPServer, ClosingAndReopeningWhileDatagramsPourInNeitherHangsNorLeaksOldDatagrams) {
  TRecordingServer rec;
  const int port = rec.Port();
  rec.Server.SetDefaultPort(port);
  std::atomic<bool> stop{false};
  std::thread sender([&] {
    TTestPeer peer;
    for (int i = 0; !stop && i < 200000; ++i) {
      peer.SendTo(port, "x");
      if (i % 64 == 0) std::this_thread::sleep_for(100us);
    }
  });
  for (int round = 0; round < 20; ++round) {
    PumpFor(5ms);
    rec.Server.SetActive(false);
    std::size_t seen = rec.Reads.size();
    PumpFor(2ms);
    EXPECT_EQ(rec.Reads.size(), seen) << "a handler ran after closing";
    rec.Server.SetActive(true);
  }
  stop = true;
  sender.join();
  EXPECT_FALSE(rec.Reads.empty());
}

TEST(UDPServer, OwnerDestroyedWithAHandOverPendingDropsIt) {
  bool called = false;
  {
    TComponent owner(nullptr);
    auto* server = new TUDPServer(&owner);
    server->SetOnUDPRead([&](TObject*, TStream*, const std::string&, int) { called = true; });
    server->SetActive(true);
    TTestPeer peer;
    peer.SendTo(server->BoundPort(), "late");
    std::this_thread::sleep_for(100ms);
  }
  PumpFor(100ms);
  EXPECT_FALSE(called);
}

TEST(UDPServer, HandlerMayDestroyItsOwnServer) {
  auto* server = new TUDPServer(nullptr);
  int calls = 0;
  server->SetOnUDPRead([&](TObject* sender, TStream*, const std::string&, int) {
    ++calls;
    delete static_cast<TUDPServer*>(sender);
  });
  server->SetActive(true);
  TTestPeer peer;
  peer.SendTo(server->BoundPort(), "one");
  peer.SendTo(server->BoundPort(), "two");
  ASSERT_TRUE(PumpUntil([&] { return calls == 1; }));
  PumpFor(100ms);
  EXPECT_EQ(calls, 1);
}
