#include "platform/netbrowse/DnsSdNetwork.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/address.h>

#include <atomic>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>

#include "platform/netbrowse/DnsSdNames.h"
#include "platform/sockets/AvahiSession.h"
#include "platform/sockets/HostLookup.h"

namespace {

constexpr const char* kDomain = "local";

// Every service type announced in the domain, every instance of each,
// each instance resolved to its host and IPv4 address. Only what is
// announced over IPv4 is browsed: a host's IPv4 address is announced there
// alone, and a computer without one could not be called. Finished when the
// daemon has said "all for now" for the types and every type, and every
// resolver has answered.
struct TBrowse {
  AvahiClient* Client = nullptr;
  std::shared_ptr<TAvahiFindings<TFoundService>> Found;
  bool TypesDone = false;
  int Pending = 0;  // service browsers and resolvers still to answer
  std::set<std::string> Types;
  std::set<std::tuple<std::string, std::string, std::string>> Instances;  // name, type, domain
  std::map<AvahiServiceBrowser*, bool> BrowserDone;

  bool Finished() const { return TypesDone && Pending == 0; }
};

void OnResolved(AvahiServiceResolver* Resolver, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent Event,
                const char* Name, const char* Type, const char*, const char* HostName,
                const AvahiAddress* Address, uint16_t, AvahiStringList*, AvahiLookupResultFlags, void* Data) {
  auto* browse = static_cast<TBrowse*>(Data);
  if (Event == AVAHI_RESOLVER_FOUND && Name != nullptr && Type != nullptr && HostName != nullptr &&
      Address != nullptr && Address->proto == AVAHI_PROTO_INET)
    browse->Found->Add({Type, Name, HostName, AddressToText(Address->data.ipv4.address)});
  --browse->Pending;
  avahi_service_resolver_free(Resolver);
}

void OnService(AvahiServiceBrowser* Browser, AvahiIfIndex Interface, AvahiProtocol Protocol,
               AvahiBrowserEvent Event, const char* Name, const char* Type, const char* Domain,
               AvahiLookupResultFlags, void* Data) {
  auto* browse = static_cast<TBrowse*>(Data);
  if (Event == AVAHI_BROWSER_NEW && Name != nullptr && Type != nullptr && Domain != nullptr) {
    // Each instance is seen once per interface; one resolve will do.
    if (!browse->Instances.emplace(Name, Type, Domain).second) return;
    if (avahi_service_resolver_new(browse->Client, Interface, Protocol, Name, Type, Domain, AVAHI_PROTO_INET,
                                   AvahiLookupFlags(0), OnResolved, browse) != nullptr)
      ++browse->Pending;
  } else if (Event == AVAHI_BROWSER_ALL_FOR_NOW || Event == AVAHI_BROWSER_FAILURE) {
    bool& done = browse->BrowserDone[Browser];
    if (!done) {
      done = true;
      --browse->Pending;
    }
  }
}

void OnServiceType(AvahiServiceTypeBrowser*, AvahiIfIndex, AvahiProtocol, AvahiBrowserEvent Event,
                   const char* Type, const char* Domain, AvahiLookupResultFlags, void* Data) {
  auto* browse = static_cast<TBrowse*>(Data);
  if (Event == AVAHI_BROWSER_NEW && Type != nullptr && Domain != nullptr) {
    if (!browse->Types.insert(Type).second) return;
    AvahiServiceBrowser* browser = avahi_service_browser_new(browse->Client, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET,
                                                             Type, Domain, AvahiLookupFlags(0), OnService, browse);
    if (browser != nullptr) {
      browse->BrowserDone[browser] = false;
      ++browse->Pending;
    }
  } else if (Event == AVAHI_BROWSER_ALL_FOR_NOW || Event == AVAHI_BROWSER_FAILURE) {
    browse->TypesDone = true;
  }
}

// The services announced now, or ERROR_NO_NETWORK when no daemon took the
// browse. What has been resolved when the time is up is what the
// neighbourhood shows, whatever the bus and the daemon are still doing.
DWord BrowseServices(std::vector<TFoundService>& Found) {
  const auto deadline = TAvahiSession::TClock::now() + std::chrono::milliseconds(DnsSdBrowseMilliseconds);
  auto found = std::make_shared<TAvahiFindings<TFoundService>>();
  auto browsing = std::make_shared<std::atomic<bool>>(false);
  TalkToAvahi(
      [found, browsing, deadline](TAvahiSession& Session) {
        if (Session.Client() == nullptr) return;
        TBrowse browse;
        browse.Client = Session.Client();
        browse.Found = found;
        if (avahi_service_type_browser_new(Session.Client(), AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, kDomain,
                                           AvahiLookupFlags(0), OnServiceType, &browse) == nullptr)
          return;
        *browsing = true;
        Session.RunUntil([&] { return browse.Finished(); }, deadline);
      },
      deadline);
  if (!*browsing) return ERROR_NO_NETWORK;
  Found = found->SoFar();
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

std::vector<TNetResourceEntry> DnsSdServersOf(const std::vector<TFoundService>& Services) {
  std::vector<TNetResourceEntry> servers;
  for (const TNeighbour& n : NeighboursOf(Services))
    servers.push_back(Entry(RESOURCEDISPLAYTYPE_SERVER, "\\\\" + n.ComputerName, n.Comment));
  return servers;
}

DWord ListDnsSdNetwork(const NETRESOURCE* Parent, std::vector<TNetResourceEntry>& Children) {
  Children.clear();
  if (Parent == nullptr) {
    Children.push_back(Entry(RESOURCEDISPLAYTYPE_DOMAIN, kDomain, std::string()));
    return NO_ERROR;
  }
  const bool isDomain = Parent->dwDisplayType == RESOURCEDISPLAYTYPE_DOMAIN &&
                        Parent->lpRemoteName != nullptr && std::string(Parent->lpRemoteName) == kDomain;
  if (!isDomain) return NO_ERROR;  // a server's shares are not announced
  std::vector<TFoundService> services;
  const DWord result = BrowseServices(services);
  if (result != NO_ERROR) return result;
  Children = DnsSdServersOf(services);
  return NO_ERROR;
}
