#include "platform/sockets/MulticastLookup.h"

#include <avahi-client/lookup.h>
#include <avahi-common/address.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "platform/sockets/AvahiSession.h"
#include "platform/sockets/HostLookup.h"

namespace {

constexpr const char* kLocalSuffix = ".local";

bool EndsWithLocal(const std::string& Name) {
  const std::size_t n = std::char_traits<char>::length(kLocalSuffix);
  if (Name.size() <= n) return false;
  return std::equal(Name.end() - std::ptrdiff_t(n), Name.end(), kLocalSuffix,
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// The resolver's answer, on the conversation's thread.
struct TAnswer {
  bool Done = false;
  std::shared_ptr<TAvahiFindings<std::string>> Addresses;
};

void OnHostName(AvahiHostNameResolver*, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent Event, const char*,
                const AvahiAddress* Address, AvahiLookupResultFlags, void* Data) {
  auto* answer = static_cast<TAnswer*>(Data);
  answer->Done = true;
  if (Event == AVAHI_RESOLVER_FOUND && Address != nullptr && Address->proto == AVAHI_PROTO_INET)
    answer->Addresses->Add(AddressToText(Address->data.ipv4.address));
}

}  // namespace

std::string MulticastNameOf(const std::string& HostName) {
  if (HostName.empty()) return std::string();
  if (HostName.find('.') == std::string::npos) return HostName + kLocalSuffix;
  return EndsWithLocal(HostName) ? HostName : std::string();
}

std::vector<std::string> MulticastLookup(const std::string& LocalName) {
  const auto deadline = TAvahiSession::TClock::now() + std::chrono::milliseconds(MulticastLookupMilliseconds);
  auto addresses = std::make_shared<TAvahiFindings<std::string>>();
  TalkToAvahi(
      [addresses, name = LocalName, deadline](TAvahiSession& Session) {
        if (Session.Client() == nullptr) return;
        TAnswer answer;
        answer.Addresses = addresses;
        // A name the daemon finds malformed gives no resolver: no such computer.
        if (avahi_host_name_resolver_new(Session.Client(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, name.c_str(),
                                         AVAHI_PROTO_INET, AvahiLookupFlags(0), OnHostName, &answer) == nullptr)
          return;
        Session.RunUntil([&] { return answer.Done; }, deadline);
      },
      deadline);
  return addresses->SoFar();
}
