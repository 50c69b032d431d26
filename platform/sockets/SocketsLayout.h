#pragma once
// Makes the UDP components known to layouts: TUDPServer (DefaultPort,
// BufferSize, Active, OnUDPRead), TUDPClient (Host, Port, BufferSize,
// ReceiveTimeout) and TMessageUDP (LocalPort, RemoteHost, RemotePort,
// OnDataReceived). Call once at start-up, before the first layout is read.
void RegisterSocketsLayout();
