#include <gtest/gtest.h>

#include "SocketTestSupport.h"
#include "platform/base/Exceptions.h"
#include "platform/sockets/HostLookup.h"
#include "platform/sockets/UDPClient.h"

using namespace std::chrono_literals;

namespace {

struct TResolverGuard {
  ~TResolverGuard() { SetHostResolver(nullptr); }
};

std::string Text(const std::vector<std::uint8_t>& data) { return std::string(data.begin(), data.end()); }

}  // namespace

TEST(UDPClient, SendsTheTextAloneAsOneDatagram) {
  TTestPeer peer;
  TUDPClient client(nullptr);
  client.SetHost("127.0.0.1");
  client.SetPort(peer.Port());
  client.Send("Calling|Ann");
  client.Send("Accept");
  std::vector<std::uint8_t> got;
  ASSERT_TRUE(peer.Receive(got, 2000ms));
  EXPECT_EQ(Text(got), "Calling|Ann");
  ASSERT_TRUE(peer.Receive(got, 2000ms));
  EXPECT_EQ(Text(got), "Accept");
}

TEST(UDPClient, HostNameGoesToTheFirstAddressItResolvesTo) {
  TResolverGuard guard;
  TTestPeer second("127.0.0.2");
  SetHostResolver([](const std::string& name) {
    return name == "peer" ? std::vector<std::string>{"127.0.0.2", "127.0.0.1"}
                          : std::vector<std::string>{};
  });
  TUDPClient client(nullptr);
  client.SetHost("peer");
  client.SetPort(second.Port());
  std::vector<std::uint8_t> frame(1000, 0xAB);
  client.SendBuffer(frame.data(), int(frame.size()));
  std::vector<std::uint8_t> got;
  ASSERT_TRUE(second.Receive(got, 2000ms));
  EXPECT_EQ(got, frame);
}

TEST(UDPClient, HostThatDoesNotResolveRaises) {
  TResolverGuard guard;
  SetHostResolver([](const std::string&) { return std::vector<std::string>{}; });
  TUDPClient client(nullptr);
  client.SetHost("nobody");
  client.SetPort(6770);
  EXPECT_THROW(client.Send("Calling|x"), ESocketError);
  client.SetHost("");
  EXPECT_THROW(client.Send("Calling|x"), ESocketError);
}

TEST(UDPClient, DatagramLongerThanUDPAllowsRaisesSoTheCallerCanStepDown) {
  TTestPeer peer;
  TUDPClient client(nullptr);
  client.SetHost("127.0.0.1");
  client.SetPort(peer.Port());
  client.SetBufferSize(1048576);
  std::vector<std::uint8_t> largest(65507, 1), tooLong(65508, 2);
  EXPECT_NO_THROW(client.SendBuffer(largest.data(), int(largest.size())));
  try {
    client.SendBuffer(tooLong.data(), int(tooLong.size()));
    FAIL() << "no exception";
  } catch (const ESocketError& e) {
    EXPECT_NE(e.Message().find("127.0.0.1"), std::string::npos) << e.Message();
  }
  std::vector<std::uint8_t> got;
  ASSERT_TRUE(peer.Receive(got, 2000ms));
  EXPECT_EQ(got.size(), largest.size());
  EXPECT_FALSE(peer.Receive(got, 50ms));
}

TEST(UDPClient, PeerThatHasGoneAwayMakesNoSendFail) {
  int port;
  {
    TTestPeer gone;
    port = gone.Port();
  }
  TUDPClient client(nullptr);
  client.SetHost("127.0.0.1");
  client.SetPort(port);
  for (int i = 0; i < 5; ++i) EXPECT_NO_THROW(client.Send("frame"));
}

TEST(UDPClient, PortOutsideTheRangeRaises) {
  TUDPClient client(nullptr);
  client.SetHost("127.0.0.1");
  client.SetPort(0);
  EXPECT_THROW(client.Send("x"), ESocketError);
  client.SetPort(70000);
  EXPECT_THROW(client.Send("x"), ESocketError);
}
