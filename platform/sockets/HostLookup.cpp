#include "platform/sockets/HostLookup.h"

#include <arpa/inet.h>
#include <limits.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace {

std::mutex gResolverLock;
THostResolver gResolver;

std::vector<std::string> SystemLookup(const std::string& HostName) {
  std::vector<std::string> result;
  if (HostName.empty()) return result;
  // Numeric text in any form the host's parser reads is its own address; a
  // blank inside (which the parser would stop at) makes it no address.
  in_addr numeric{};
  bool blank = HostName.find_first_of(" \t\r\n\v\f") != std::string::npos;
  if (!blank && inet_aton(HostName.c_str(), &numeric) != 0) {
    result.push_back(AddressToText(numeric.s_addr));
    return result;
  }
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

}  // namespace

std::string LocalHostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name) != 0) return std::string();
  name[HOST_NAME_MAX] = '\0';
  return name;
}

std::vector<std::string> LookupHostAddresses(const std::string& HostName) {
  THostResolver resolver;
  {
    std::lock_guard<std::mutex> guard(gResolverLock);
    resolver = gResolver;
  }
  if (resolver) return resolver(HostName);
  return SystemLookup(HostName);
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
