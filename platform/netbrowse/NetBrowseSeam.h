#pragma once
// What WNetOpenEnum asks of the network: the children of one container.
// The DNS-SD browser answers by default; tests install a network of their own.
#include <functional>
#include <string>
#include <vector>

#include "platform/netbrowse/NetResource.h"

// An entry as a provider knows it, before it is packed into a buffer.
struct TNetResourceEntry {
  DWord Scope = RESOURCE_GLOBALNET;
  DWord Type = RESOURCETYPE_ANY;
  DWord DisplayType = RESOURCEDISPLAYTYPE_GENERIC;
  DWord Usage = 0;
  std::string LocalName;
  std::string RemoteName;
  std::string Comment;
  std::string Provider;
};

struct TNetBrowseSeam {
  // Parent nullptr is the root. Fills Children and returns NO_ERROR, or
  // returns an error code of NetResource.h. Called on a thread of its own
  // (see WNetOpenEnum): what it does to windows goes through Synchronize.
  std::function<DWord(const NETRESOURCE* Parent, std::vector<TNetResourceEntry>& Children)>
      ListChildren;
};

// Installs Seam; a seam without ListChildren restores the DNS-SD browser.
void SetNetBrowseSeam(TNetBrowseSeam Seam);
