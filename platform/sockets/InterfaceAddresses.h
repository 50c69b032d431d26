#pragma once
// The IPv4 addresses of this computer's network adapters, as the look-up of
// its own name yields them on a LAN. Internal to the host layer.
#include <string>
#include <vector>

struct TInterfaceAddress {
  std::string Address;        // dotted text
  unsigned Index = 0;         // the adapter's interface index
  bool Usable = false;        // up and running, not the loopback adapter
  bool PointToPoint = false;  // a tunnel (VPN, PPP)
};

// The usable adapters' addresses: point-to-point tunnels first, adapters
// with a link to other computers after them, each group in interface index
// order, the addresses of one adapter in the order the system lists them;
// each once. The own address is taken as the last of the list, so it is an
// ordinary adapter's (the one peers on the LAN reach) and a tunnel's only
// when there is no other.
std::vector<std::string> OrderInterfaceAddresses(const std::vector<TInterfaceAddress>& Interfaces);

// OrderInterfaceAddresses over the system's adapters now.
std::vector<std::string> LocalInterfaceAddresses();
