#pragma once
// The network as DNS-SD on the local link shows it, in the shape of the
// host's enumeration: the root holds the domain "local"; the domain holds one
// server "\\NAME" per computer that announces a workstation, file-sharing
// (SMB) or device-information service; servers hold nothing we can see.
// Internal to this folder: WNetOpenEnum uses it when no seam is installed.
#include <vector>

#include "platform/netbrowse/NetBrowseSeam.h"

// The provider text of every entry.
inline constexpr const char* DnsSdProviderName = "DNS-SD Network";

// How long one browse of the domain waits for the daemon's answers at most.
inline constexpr int DnsSdBrowseMilliseconds = 3000;

// Children of Parent (nullptr: the root). Without a reachable avahi daemon
// the domain gives ERROR_NO_NETWORK.
DWord ListDnsSdNetwork(const NETRESOURCE* Parent, std::vector<TNetResourceEntry>& Children);
