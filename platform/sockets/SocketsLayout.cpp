#include "platform/sockets/SocketsLayout.h"

#include "platform/layout/Registry.h"
#include "platform/sockets/MessageUDP.h"
#include "platform/sockets/UDPClient.h"
#include "platform/sockets/UDPServer.h"

void RegisterSocketsLayout() {
  RegisterLayoutClass("TUDPServer", "TComponent",
                      [](TComponent* owner) { return new TUDPServer(owner); });
  RegisterLayoutProperty("TUDPServer", "DefaultPort", &TUDPServer::SetDefaultPort);
  RegisterLayoutProperty("TUDPServer", "BufferSize", &TUDPServer::SetBufferSize);
  RegisterLayoutProperty("TUDPServer", "Active", &TUDPServer::SetActive);
  RegisterLayoutEvent("TUDPServer", "OnUDPRead", &TUDPServer::SetOnUDPRead);

  RegisterLayoutClass("TUDPClient", "TComponent",
                      [](TComponent* owner) { return new TUDPClient(owner); });
  RegisterLayoutProperty("TUDPClient", "Host", &TUDPClient::SetHost);
  RegisterLayoutProperty("TUDPClient", "Port", &TUDPClient::SetPort);
  RegisterLayoutProperty("TUDPClient", "BufferSize", &TUDPClient::SetBufferSize);
  RegisterLayoutProperty("TUDPClient", "ReceiveTimeout", &TUDPClient::SetReceiveTimeout);

  RegisterLayoutClass("TMessageUDP", "TComponent",
                      [](TComponent* owner) { return new TMessageUDP(owner); });
  RegisterLayoutProperty("TMessageUDP", "LocalPort", &TMessageUDP::SetLocalPort);
  RegisterLayoutProperty("TMessageUDP", "RemoteHost", &TMessageUDP::SetRemoteHost);
  RegisterLayoutProperty("TMessageUDP", "RemotePort", &TMessageUDP::SetRemotePort);
  RegisterLayoutEvent("TMessageUDP", "OnDataReceived", &TMessageUDP::SetOnDataReceived);
}
