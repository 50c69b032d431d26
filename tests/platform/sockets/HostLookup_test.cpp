#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "platform/sockets/HostLookup.h"

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
