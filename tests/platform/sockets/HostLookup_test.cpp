#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sockets/HostLookup.h"
#include "platform/sockets/InterfaceAddresses.h"
#include "platform/sockets/MulticastLookup.h"

namespace {

struct TResolverGuard {
  ~TResolverGuard() { SetHostResolver(nullptr); }
};

}  // namespace

TEST(HostLookup, OnlyCanonicalDottedTextCountsAsAnAddress) {
  for (const char* good : {"0.0.0.0", "10.0.0.7", "127.0.0.1", "192.168.100.255", "255.255.255.255"})
    EXPECT_TRUE(IsDottedAddress(good)) << good;
  // Other forms the host's address parser accepts would not compare equal
  // with the source address of a reply, so they are not used unchanged.
  for (const char* bad : {"", "127.1", "127.0.1", "2130706433", "0x7f.0.0.1", "010.0.0.1",
                          "1.2.3.256", "1.2.3.4.5", "1..2.3", "1.2.3.", ".1.2.3", " 1.2.3.4",
                          "1.2.3.4 ", "1.2.3.4 junk", "+1.2.3.4", "1.2.3.-4", "a.b.c.d",
                          "1000.2.3.4", "localhost"})
    EXPECT_FALSE(IsDottedAddress(bad)) << '"' << bad << '"';
}

TEST(HostLookup, ParsedAddressAndTextRoundTrip) {
  std::uint32_t address = 0;
  ASSERT_TRUE(ParseDottedAddress("192.168.0.1", address));
  EXPECT_EQ(address, htonl(0xC0A80001u));
  EXPECT_EQ(AddressToText(address), "192.168.0.1");
  EXPECT_EQ(AddressToText(htonl(0x0A000007u)), "10.0.0.7");
  EXPECT_FALSE(ParseDottedAddress("192.168.0.01", address));
}

TEST(HostLookup, NamesAndOtherNumericFormsResolveToCanonicalText) {
  std::vector<std::string> local = LookupHostAddresses("localhost");
  ASSERT_FALSE(local.empty());
  EXPECT_EQ(local.front(), "127.0.0.1");
  EXPECT_EQ(LookupHostAddresses("127.1"), std::vector<std::string>{"127.0.0.1"});
  EXPECT_EQ(LookupHostAddresses("0x7f.0.0.1"), std::vector<std::string>{"127.0.0.1"});
  EXPECT_EQ(LookupHostAddresses("10.0.0.7"), std::vector<std::string>{"10.0.0.7"});
}

TEST(HostLookup, UnknownNamesAndEmptyTextResolveToNothing) {
  EXPECT_TRUE(LookupHostAddresses("no-such-host.invalid").empty());
  EXPECT_TRUE(LookupHostAddresses("").empty());
  EXPECT_TRUE(LookupHostAddresses("1.2.3.256").empty());
  EXPECT_TRUE(LookupHostAddresses("127.0.0.1 junk").empty());
}

TEST(HostLookup, ResolverSeamReplacesTheSystemLookUpAndCanBeRestored) {
  TResolverGuard guard;
  SetHostResolver([](const std::string& name) {
    return name == "peer" ? std::vector<std::string>{"10.77.0.2", "10.77.0.3"}
                          : std::vector<std::string>{};
  });
  EXPECT_EQ(LookupHostAddresses("peer"), (std::vector<std::string>{"10.77.0.2", "10.77.0.3"}));
  EXPECT_TRUE(LookupHostAddresses("localhost").empty());
  SetHostResolver(nullptr);
  EXPECT_FALSE(LookupHostAddresses("localhost").empty());
}

// The look-up of this computer's own name, where the hosts file maps it to
// loopback only, yields the adapters' addresses, as on the LAN it stands in.
TEST(HostLookup, OwnNameMappedToLoopbackYieldsTheAdaptersAddresses) {
  TResolverGuard guard;
  const std::string own = LocalHostName();
  ASSERT_FALSE(own.empty());
  SetHostResolver([own](const std::string& name) -> std::vector<std::string> {
    if (name == own || name == "other") return {"127.0.1.1"};
    if (name == "mixed") return {"127.0.1.1", "10.5.5.5"};
    return {};
  });
  const std::vector<std::string> adapters = LocalInterfaceAddresses();
  EXPECT_EQ(LookupHostAddresses(own), adapters.empty() ? std::vector<std::string>{"127.0.1.1"} : adapters);
  for (const std::string& a : adapters) EXPECT_NE(a.compare(0, 4, "127."), 0) << a;
  EXPECT_EQ(LookupHostAddresses("other"), std::vector<std::string>{"127.0.1.1"});  // not this computer
  EXPECT_EQ(LookupHostAddresses("mixed"), (std::vector<std::string>{"127.0.1.1", "10.5.5.5"}));
}

// The own address is the last of the list: an ordinary adapter's whatever
// index a tunnel has, the tunnel's only when it is the one adapter up.
TEST(HostLookup, TunnelsComeBeforeAdaptersWithALinkInIndexOrder) {
  std::vector<TInterfaceAddress> list = {
      {"10.8.0.2", 7, true, true},      // VPN tunnel
      {"192.168.1.20", 3, true, false},  // wlan
      {"172.17.0.1", 5, false, false},   // bridge without a link
      {"10.0.0.20", 2, true, false},     // ethernet
      {"10.0.0.21", 2, true, false},     // its second address
      {"192.168.1.20", 3, true, false}};
  EXPECT_EQ(OrderInterfaceAddresses(list),
            (std::vector<std::string>{"10.8.0.2", "10.0.0.20", "10.0.0.21", "192.168.1.20"}));

  const TInterfaceAddress ethernet{"10.0.0.20", 2, true, false};
  for (unsigned tunnelIndex : {1u, 9u}) {
    const TInterfaceAddress tunnel{"10.8.0.2", tunnelIndex, true, true};
    EXPECT_EQ(OrderInterfaceAddresses({tunnel, ethernet}).back(), "10.0.0.20") << tunnelIndex;
    EXPECT_EQ(OrderInterfaceAddresses({ethernet, tunnel}).back(), "10.0.0.20") << tunnelIndex;
  }
  EXPECT_EQ(OrderInterfaceAddresses({{"10.8.0.2", 9, true, true}, {"10.8.1.2", 4, true, true}}),
            (std::vector<std::string>{"10.8.1.2", "10.8.0.2"}));
  EXPECT_EQ(OrderInterfaceAddresses({{"10.8.0.2", 9, true, true}, {"127.0.0.1", 1, false, false}}),
            std::vector<std::string>{"10.8.0.2"});
  EXPECT_TRUE(OrderInterfaceAddresses({{"127.0.0.1", 1, false, false}}).empty());
}

// A name the resolver does not know is asked on the LAN as "name.local".
TEST(HostLookup, UnknownBareNamesAreAskedByMulticastDns) {
  TResolverGuard guard;
  std::vector<std::string> asked;
  SetHostResolver([&asked](const std::string& name) -> std::vector<std::string> {
    asked.push_back(name);
    if (name == "hostb.local" || name == "Box.Local") return {"10.77.0.3"};
    return {};
  });
  EXPECT_EQ(LookupHostAddresses("hostb"), std::vector<std::string>{"10.77.0.3"});
  EXPECT_EQ(LookupHostAddresses("Box.Local"), std::vector<std::string>{"10.77.0.3"});
  EXPECT_TRUE(LookupHostAddresses("www.example.com").empty());
  EXPECT_TRUE(LookupHostAddresses("nohost").empty());
  EXPECT_EQ(asked, (std::vector<std::string>{"hostb", "hostb.local", "Box.Local", "www.example.com", "nohost",
                                             "nohost.local"}));
  EXPECT_EQ(MulticastNameOf("x.local"), "x.local");
  EXPECT_EQ(MulticastNameOf(".local"), "");
  EXPECT_EQ(MulticastNameOf(""), "");
}
