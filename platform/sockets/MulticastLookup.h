#pragma once
// Host names on the LAN by multicast DNS, through the avahi daemon's host
// name resolver; no system configuration (nss-mdns) is needed. Internal to
// the host layer.
#include <string>
#include <vector>

// How long one look-up waits for an answer at most.
inline constexpr int MulticastLookupMilliseconds = 2000;

// The name multicast DNS knows a computer by: a bare name ("hostb") as
// "hostb.local", a name in ".local" as it is; empty for any other name,
// which belongs to the unicast DNS.
std::string MulticastNameOf(const std::string& HostName);

// The IPv4 addresses of a ".local" name; empty when no computer answers in
// time or no daemon runs. Blocks the calling thread for up to
// MulticastLookupMilliseconds, also while the system bus keeps silent.
std::vector<std::string> MulticastLookup(const std::string& LocalName);
