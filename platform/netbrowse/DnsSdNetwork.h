#pragma once
// The network as DNS-SD on the local link shows it, in the shape of the
// host's enumeration: the root holds the domain "local"; the domain holds one
// server "\\NAME" per computer that announces any service (every service
// type is browsed), NAME being its host name without ".local", so that it
// resolves by multicast DNS; servers hold nothing we can see.
// Internal to this folder: WNetOpenEnum uses it when no seam is installed.
#include <vector>

#include "platform/netbrowse/DnsSdNames.h"
#include "platform/netbrowse/NetBrowseSeam.h"

// The provider text of every entry.
inline constexpr const char* DnsSdProviderName = "DNS-SD Network";

// How long one browse of the domain waits for the bus and the daemon at most.
inline constexpr int DnsSdBrowseMilliseconds = 3000;

// The servers of the domain for the services found there.
std::vector<TNetResourceEntry> DnsSdServersOf(const std::vector<TFoundService>& Services);

// Children of Parent (nullptr: the root). Without a reachable avahi daemon
// (also when the bus leaves the connection unanswered) the domain gives
// ERROR_NO_NETWORK. Browsing the domain blocks the calling thread for up to
// DnsSdBrowseMilliseconds: connecting, browsing and resolving all count.
DWord ListDnsSdNetwork(const NETRESOURCE* Parent, std::vector<TNetResourceEntry>& Children);
