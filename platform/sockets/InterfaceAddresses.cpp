#include "platform/sockets/InterfaceAddresses.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>

#include "platform/sockets/HostLookup.h"

std::vector<std::string> OrderInterfaceAddresses(const std::vector<TInterfaceAddress>& Interfaces) {
  std::vector<TInterfaceAddress> usable;
  std::copy_if(Interfaces.begin(), Interfaces.end(), std::back_inserter(usable),
               [](const TInterfaceAddress& i) { return i.Usable; });
  std::stable_sort(usable.begin(), usable.end(), [](const TInterfaceAddress& a, const TInterfaceAddress& b) {
    if (a.PointToPoint != b.PointToPoint) return a.PointToPoint;
    return a.Index < b.Index;
  });
  std::vector<std::string> addresses;
  for (const TInterfaceAddress& i : usable)
    if (std::find(addresses.begin(), addresses.end(), i.Address) == addresses.end())
      addresses.push_back(i.Address);
  return addresses;
}

std::vector<std::string> LocalInterfaceAddresses() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return {};
  std::vector<TInterfaceAddress> interfaces;
  for (const ifaddrs* item = list; item != nullptr; item = item->ifa_next) {
    if (item->ifa_addr == nullptr || item->ifa_addr->sa_family != AF_INET) continue;
    TInterfaceAddress entry;
    entry.Address = AddressToText(reinterpret_cast<const sockaddr_in*>(item->ifa_addr)->sin_addr.s_addr);
    entry.Index = if_nametoindex(item->ifa_name);
    const unsigned flags = item->ifa_flags;
    entry.Usable = (flags & IFF_UP) != 0 && (flags & IFF_RUNNING) != 0 && (flags & IFF_LOOPBACK) == 0;
    entry.PointToPoint = (flags & IFF_POINTOPOINT) != 0;
    interfaces.push_back(std::move(entry));
  }
  freeifaddrs(list);
  return OrderInterfaceAddresses(interfaces);
}
