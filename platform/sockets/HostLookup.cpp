#include "platform/sockets/HostLookup.h"

#include <arpa/inet.h>
#include <limits.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "platform/base/PumpingWait.h"
#include "platform/sockets/InterfaceAddresses.h"
#include "platform/sockets/MulticastLookup.h"

namespace {

std::mutex gResolverLock;
THostResolver gResolver;

THostResolver CurrentResolver() {
  std::lock_guard<std::mutex> guard(gResolverLock);
  return gResolver;
}

// Numeric text in any form the host's parser reads is its own address; a
// blank inside (which the parser would stop at) makes it no address.
bool NumericAddress(const std::string& Text, std::string& Address) {
  in_addr numeric{};
  const bool blank = Text.find_first_of(" \t\r\n\v\f") != std::string::npos;
  if (blank || inet_aton(Text.c_str(), &numeric) == 0) return false;
  Address = AddressToText(numeric.s_addr);
  return true;
}

// A name (not numeric text) through the system's resolver.
std::vector<std::string> SystemLookup(const std::string& HostName) {
  std::vector<std::string> result;
  // gethostbyname_r keeps the resolver's own order (getaddrinfo would sort).
  std::vector<char> work(1024);
  hostent entry{};
  hostent* found = nullptr;
  int failure = 0;
  for (;;) {
    int rc = gethostbyname_r(HostName.c_str(), &entry, work.data(), work.size(), &found, &failure);
    if (rc == ERANGE && work.size() < (1u << 20)) {
      work.resize(work.size() * 2);
      continue;
    }
    if (rc != 0) found = nullptr;
    break;
  }
  if (found == nullptr || found->h_addrtype != AF_INET || found->h_length != 4) return result;
  for (char** item = found->h_addr_list; *item != nullptr; ++item) {
    std::uint32_t address;
    std::memcpy(&address, *item, 4);
    result.push_back(AddressToText(address));
  }
  return result;
}

bool SameTextNoCase(const std::string& A, const std::string& B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
         });
}

bool IsLoopback(const std::string& Address) {
  std::uint32_t address = 0;
  return ParseDottedAddress(Address, address) && (ntohl(address) >> 24) == 127;
}

std::vector<std::string> LookUpName(const std::string& HostName, const THostResolver& Resolver) {
  std::vector<std::string> addresses = Resolver ? Resolver(HostName) : SystemLookup(HostName);
  if (!addresses.empty() && SameTextNoCase(HostName, LocalHostName()) &&
      std::all_of(addresses.begin(), addresses.end(), IsLoopback)) {
    std::vector<std::string> adapters = LocalInterfaceAddresses();
    if (!adapters.empty()) return adapters;
  }
  if (!addresses.empty()) return addresses;
  const std::string localName = MulticastNameOf(HostName);
  if (localName.empty()) return addresses;
  return Resolver ? Resolver(localName) : MulticastLookup(localName);
}

}  // namespace

std::string LocalHostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name) != 0) return std::string();
  name[HOST_NAME_MAX] = '\0';
  return name;
}

std::vector<std::string> LookupHostAddresses(const std::string& HostName) {
  const THostResolver resolver = CurrentResolver();
  if (HostName.empty()) return {};
  if (std::string address; NumericAddress(HostName, address))
    return resolver ? resolver(HostName) : std::vector<std::string>{address};
  std::vector<std::string> addresses;
  RunWhileProcessingMessages([&] { addresses = LookUpName(HostName, resolver); });
  return addresses;
}

bool ParseDottedAddress(const std::string& Text, std::uint32_t& Address) {
  std::uint32_t host = 0;
  std::size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (pos >= Text.size() || Text[pos] != '.') return false;
      ++pos;
    }
    std::size_t start = pos;
    unsigned value = 0;
    while (pos < Text.size() && Text[pos] >= '0' && Text[pos] <= '9' && pos - start < 3) {
      value = value * 10 + unsigned(Text[pos] - '0');
      ++pos;
    }
    std::size_t digits = pos - start;
    if (digits == 0 || value > 255) return false;
    if (digits > 1 && Text[start] == '0') return false;  // "010" would be read as octal
    host = (host << 8) | value;
  }
  if (pos != Text.size()) return false;
  Address = htonl(host);
  return true;
}

bool IsDottedAddress(const std::string& Text) {
  std::uint32_t address;
  return ParseDottedAddress(Text, address);
}

std::string AddressToText(std::uint32_t Address) {
  char text[INET_ADDRSTRLEN] = {};
  in_addr in{};
  in.s_addr = Address;
  inet_ntop(AF_INET, &in, text, sizeof text);
  return text;
}

void SetHostResolver(THostResolver Resolver) {
  std::lock_guard<std::mutex> guard(gResolverLock);
  gResolver = std::move(Resolver);
}
