#include "platform/netbrowse/DnsSdNetwork.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/error.h>
#include <avahi-common/simple-watch.h>

#include <array>
#include <chrono>
#include <memory>
#include <string>

#include "platform/netbrowse/DnsSdNames.h"

namespace {

constexpr const char* kDomain = "local";
constexpr std::array<const char*, 3> kServiceTypes = {"_workstation._tcp", "_smb._tcp",
                                                      "_device-info._tcp"};

struct TBrowse {
  AvahiSimplePoll* Poll = nullptr;
  std::vector<std::string> ServiceNames;
  int Pending = 0;  // browsers that have not yet said "all for now"
  bool Failed = false;
};

struct TBrowserState {
  TBrowse* Browse;
  bool Done = false;
};

void OnClientState(AvahiClient*, AvahiClientState State, void* Data) {
  auto* browse = static_cast<TBrowse*>(Data);
  if (State == AVAHI_CLIENT_FAILURE) {
    browse->Failed = true;
    if (browse->Poll) avahi_simple_poll_quit(browse->Poll);
  }
}

void OnBrowserEvent(AvahiServiceBrowser*, AvahiIfIndex, AvahiProtocol, AvahiBrowserEvent Event,
                    const char* Name, const char*, const char*, AvahiLookupResultFlags, void* Data) {
  auto* state = static_cast<TBrowserState*>(Data);
  switch (Event) {
    case AVAHI_BROWSER_NEW:
      if (Name != nullptr) state->Browse->ServiceNames.emplace_back(Name);
      break;
    case AVAHI_BROWSER_ALL_FOR_NOW:
    case AVAHI_BROWSER_FAILURE:
      if (!state->Done) {
        state->Done = true;
        --state->Browse->Pending;
      }
      break;
    default:
      break;
  }
}

struct TPollDeleter {
  void operator()(AvahiSimplePoll* p) const { avahi_simple_poll_free(p); }
};
struct TClientDeleter {
  void operator()(AvahiClient* c) const { avahi_client_free(c); }  // frees its browsers too
};

// The computers that announce themselves now, or ERROR_NO_NETWORK.
DWord BrowseComputers(std::vector<std::string>& Names) {
  TBrowse browse;
  std::unique_ptr<AvahiSimplePoll, TPollDeleter> poll(avahi_simple_poll_new());
  if (!poll) return ERROR_NO_NETWORK;
  browse.Poll = poll.get();
  int error = 0;
  std::unique_ptr<AvahiClient, TClientDeleter> client(avahi_client_new(
      avahi_simple_poll_get(poll.get()), AvahiClientFlags(0), OnClientState, &browse, &error));
  if (!client) return ERROR_NO_NETWORK;

  std::array<TBrowserState, kServiceTypes.size()> states;
  for (std::size_t i = 0; i < kServiceTypes.size(); ++i) {
    states[i].Browse = &browse;
    if (avahi_service_browser_new(client.get(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                  kServiceTypes[i], kDomain, AvahiLookupFlags(0), OnBrowserEvent,
                                  &states[i]) == nullptr)
      return ERROR_NO_NETWORK;
    ++browse.Pending;
  }

  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(DnsSdBrowseMilliseconds);
  while (browse.Pending > 0 && !browse.Failed) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    if (avahi_simple_poll_iterate(poll.get(), int(left)) != 0) break;
  }
  if (browse.Failed) return ERROR_NO_NETWORK;
  Names = ComputerNamesOf(browse.ServiceNames);
  return NO_ERROR;
}

TNetResourceEntry Entry(DWord DisplayType, const std::string& RemoteName, const std::string& Comment) {
  TNetResourceEntry entry;
  entry.Scope = RESOURCE_GLOBALNET;
  entry.Type = RESOURCETYPE_ANY;
  entry.DisplayType = DisplayType;
  entry.Usage = RESOURCEUSAGE_CONTAINER;
  entry.RemoteName = RemoteName;
  entry.Comment = Comment;
  entry.Provider = DnsSdProviderName;
  return entry;
}

}  // namespace

DWord ListDnsSdNetwork(const NETRESOURCE* Parent, std::vector<TNetResourceEntry>& Children) {
  Children.clear();
  if (Parent == nullptr) {
    Children.push_back(Entry(RESOURCEDISPLAYTYPE_DOMAIN, kDomain, std::string()));
    return NO_ERROR;
  }
  const bool isDomain = Parent->dwDisplayType == RESOURCEDISPLAYTYPE_DOMAIN &&
                        Parent->lpRemoteName != nullptr && std::string(Parent->lpRemoteName) == kDomain;
  if (!isDomain) return NO_ERROR;  // a server's shares are not announced
  std::vector<std::string> names;
  const DWord result = BrowseComputers(names);
  if (result != NO_ERROR) return result;
  for (const std::string& name : names)
    Children.push_back(Entry(RESOURCEDISPLAYTYPE_SERVER, "\\\\" + name, name));
  return NO_ERROR;
}
