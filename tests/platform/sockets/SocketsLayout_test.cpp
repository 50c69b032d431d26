#include <gtest/gtest.h>

#include "SocketTestSupport.h"
#include "platform/layout/LayoutReader.h"
#include "platform/sockets/MessageUDP.h"
#include "platform/sockets/SocketsLayout.h"
#include "platform/sockets/UDPClient.h"
#include "platform/sockets/UDPServer.h"

namespace {

const char* const kLayout = R"(object Root: TComponent
  object udpServerMess: TUDPServer
    DefaultPort = 0
    BufferSize = 8192
    OnUDPRead = udpServerMessUDPRead
  end
  object udpClientVideo: TUDPClient
    Port = 6772
    BufferSize = 1048576
    ReceiveTimeout = 500
  end
  object nmClient: TMessageUDP
    LocalPort = 0
    RemotePort = 6767
    OnDataReceived = nmClientDataReceived
  end
end
)";

}  // namespace

TEST(SocketsLayout, LayoutCreatesTheComponentsWithTheirPropertiesAndHandlers) {
  RegisterSocketsLayout();
  TComponent root(nullptr);
  std::vector<std::string> calls;
  TLayoutHandlers handlers;
  handlers.Add<TUDPReadEvent>("udpServerMessUDPRead",
                              [&](TObject*, TStream*, const std::string&, int) {
                                calls.push_back("control");
                              });
  handlers.Add<TDataReceivedEvent>("nmClientDataReceived",
                                   [&](TComponent*, int, const std::string&, int) {
                                     calls.push_back("chat");
                                   });
  ReadLayout(&root, kLayout, "test.lay", handlers);

  auto* server = LayoutComponent<TUDPServer>(&root, "udpServerMess");
  auto* client = LayoutComponent<TUDPClient>(&root, "udpClientVideo");
  auto* chat = LayoutComponent<TMessageUDP>(&root, "nmClient");
  EXPECT_EQ(server->BufferSize(), 8192);
  EXPECT_FALSE(server->Active());
  EXPECT_EQ(client->Port(), 6772);
  EXPECT_EQ(client->BufferSize(), 1048576);
  EXPECT_EQ(client->ReceiveTimeout(), 500);
  EXPECT_EQ(chat->RemotePort(), 6767);
  EXPECT_NE(chat->BoundPort(), 0) << "listens once its port is set";

  server->SetActive(true);
  TTestPeer peer;
  peer.SendTo(server->BoundPort(), "Accept");
  ASSERT_TRUE(PumpUntil([&] { return calls.size() == 1; }));
  peer.SendTo(chat->BoundPort(), "Ann <> hi");
  ASSERT_TRUE(PumpUntil([&] { return calls.size() == 2; }));
  EXPECT_EQ(calls, (std::vector<std::string>{"control", "chat"}));
}
