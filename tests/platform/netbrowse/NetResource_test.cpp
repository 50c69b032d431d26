// The enumeration over a fake network: filters, batches that fill a buffer,
// ERROR_MORE_DATA with the size one entry needs, handles, and the DNS-SD
// network's shape and names.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/PumpingWait.h"
#include "platform/netbrowse/ComputerAnnouncement.h"
#include "platform/netbrowse/DnsSdNames.h"
#include "platform/netbrowse/DnsSdNetwork.h"
#include "platform/netbrowse/NetBrowseSeam.h"
#include "platform/netbrowse/NetResource.h"

namespace {

TNetResourceEntry Server(const std::string& Name, const std::string& Comment = "") {
  TNetResourceEntry e;
  e.DisplayType = RESOURCEDISPLAYTYPE_SERVER;
  e.Usage = RESOURCEUSAGE_CONTAINER;
  e.RemoteName = "\\\\" + Name;
  e.Comment = Comment;
  e.Provider = "Fake Net";
  return e;
}

TNetResourceEntry Share(const std::string& Path) {
  TNetResourceEntry e;
  e.Type = RESOURCETYPE_DISK;
  e.DisplayType = RESOURCEDISPLAYTYPE_SHARE;
  e.Usage = RESOURCEUSAGE_CONNECTABLE;
  e.RemoteName = Path;
  return e;
}

class NetResourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetNetBrowseSeam({[this](const NETRESOURCE* parent, std::vector<TNetResourceEntry>& out) {
      const std::string key = parent ? (parent->lpRemoteName ? parent->lpRemoteName : "?") : "";
      auto it = Network.find(key);
      if (it == Network.end()) return ERROR_NO_NETWORK;
      out = it->second;
      return NO_ERROR;
    }});
  }
  void TearDown() override { SetNetBrowseSeam({}); }

  // Reads every entry of Parent's enumeration with a fixed buffer size,
  // growing it as ERROR_MORE_DATA asks; Batches counts the NO_ERROR calls.
  std::vector<std::string> ReadAll(const NETRESOURCE* Parent, DWord Size, int& Batches) {
    HNETENUM h = nullptr;
    EXPECT_EQ(WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, Parent, &h), NO_ERROR);
    std::vector<std::string> names;
    Batches = 0;
    std::vector<std::uint64_t> buffer((Size + 7) / 8);
    for (;;) {
      DWord count = 0xFFFFFFFF, size = Size;
      DWord r = WNetEnumResource(h, &count, buffer.data(), &size);
      if (r == ERROR_MORE_DATA) {
        EXPECT_GT(size, Size);
        Size = size;
        buffer.assign((Size + 7) / 8, 0);
        continue;
      }
      if (r == ERROR_NO_MORE_ITEMS) {
        EXPECT_EQ(count, 0u);
        break;
      }
      EXPECT_EQ(r, NO_ERROR);
      EXPECT_GT(count, 0u);
      ++Batches;
      auto* entries = reinterpret_cast<NETRESOURCE*>(buffer.data());
      const char* lo = reinterpret_cast<const char*>(buffer.data());
      for (DWord i = 0; i < count; ++i) {
        // Every text lies inside the buffer, behind the records.
        const char* t = entries[i].lpRemoteName;
        EXPECT_TRUE(t >= lo + count * sizeof(NETRESOURCE) && t < lo + Size);
        names.emplace_back(t);
      }
    }
    EXPECT_EQ(WNetCloseEnum(h), NO_ERROR);
    return names;
  }

  std::map<std::string, std::vector<TNetResourceEntry>> Network;
};

TEST_F(NetResourceTest, BatchesFillTheBufferAndDeliverEveryEntryOnce) {
  for (int i = 0; i < 300; ++i) Network[""].push_back(Server("PC" + std::to_string(i), "comment"));
  int batches = 0;
  std::vector<std::string> names = ReadAll(nullptr, 16384, batches);
  ASSERT_EQ(names.size(), 300u);
  EXPECT_EQ(names.front(), "\\\\PC0");
  EXPECT_EQ(names.back(), "\\\\PC299");
  EXPECT_GT(batches, 1);  // 300 entries do not fit in 16 KiB at once
}

TEST_F(NetResourceTest, MoreDataReportsWhatTheNextEntryNeeds) {
  Network[""] = {Server("BIG", std::string(20000, 'c')), Server("SMALL")};
  HNETENUM h = nullptr;
  ASSERT_EQ(WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, nullptr, &h), NO_ERROR);
  std::vector<std::uint64_t> buffer(16384 / 8);
  DWord count = 0xFFFFFFFF, size = 16384;
  EXPECT_EQ(WNetEnumResource(h, &count, buffer.data(), &size), ERROR_MORE_DATA);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(size, sizeof(NETRESOURCE) + 20001 + 6 + 9);  // comment, "\\BIG", "Fake Net"
  buffer.assign((size + 7) / 8, 0);
  count = 0xFFFFFFFF;
  ASSERT_EQ(WNetEnumResource(h, &count, buffer.data(), &size), NO_ERROR);
  EXPECT_EQ(count, 1u);  // the second does not fit beside the first
  auto* e = reinterpret_cast<NETRESOURCE*>(buffer.data());
  EXPECT_EQ(std::string(e->lpComment), std::string(20000, 'c'));
  EXPECT_EQ(e->lpLocalName, nullptr);  // absent text
  EXPECT_EQ(WNetCloseEnum(h), NO_ERROR);
}

TEST_F(NetResourceTest, CountLimitsTheBatch) {
  Network[""] = {Server("A"), Server("B"), Server("C")};
  HNETENUM h = nullptr;
  ASSERT_EQ(WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, nullptr, &h), NO_ERROR);
  std::vector<std::uint64_t> buffer(1024);
  DWord count = 2, size = 8192;
  ASSERT_EQ(WNetEnumResource(h, &count, buffer.data(), &size), NO_ERROR);
  EXPECT_EQ(count, 2u);
  count = 0xFFFFFFFF;
  ASSERT_EQ(WNetEnumResource(h, &count, buffer.data(), &size), NO_ERROR);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(std::string(reinterpret_cast<NETRESOURCE*>(buffer.data())->lpRemoteName), "\\\\C");
  EXPECT_EQ(WNetCloseEnum(h), NO_ERROR);
}

TEST_F(NetResourceTest, FiltersParentsAndHandles) {
  TNetResourceEntry printer = Share("\\\\A\\printer");
  printer.Type = 2;
  Network[""] = {Server("A")};
  Network["\\\\A"] = {Share("\\\\A\\docs"), printer};
  int batches = 0;
  NETRESOURCE server{};
  server.dwUsage = RESOURCEUSAGE_CONTAINER;
  server.lpRemoteName = const_cast<char*>("\\\\A");
  EXPECT_EQ(ReadAll(&server, 16384, batches), std::vector<std::string>{"\\\\A\\docs"});

  HNETENUM h = nullptr;
  NETRESOURCE share{};
  share.dwUsage = RESOURCEUSAGE_CONNECTABLE;
  EXPECT_EQ(WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, &share, &h), ERROR_NOT_CONTAINER);
  EXPECT_EQ(WNetOpenEnum(1, RESOURCETYPE_DISK, 0, nullptr, &h), ERROR_INVALID_PARAMETER);
  NETRESOURCE unknown = server;
  unknown.lpRemoteName = const_cast<char*>("\\\\GONE");
  EXPECT_EQ(WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, &unknown, &h), ERROR_NO_NETWORK);
  EXPECT_EQ(h, nullptr);

  ASSERT_EQ(WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, nullptr, &h), NO_ERROR);
  EXPECT_EQ(WNetCloseEnum(h), NO_ERROR);
  EXPECT_EQ(WNetCloseEnum(h), ERROR_INVALID_HANDLE);
  DWord count = 1, size = 0;
  EXPECT_EQ(WNetEnumResource(h, &count, nullptr, &size), ERROR_INVALID_HANDLE);
}

// A slow provider runs beside the user-interface thread, which goes on
// processing messages until the children are there.
TEST_F(NetResourceTest, OpeningASlowContainerKeepsProcessingMessages) {
  std::atomic<int> pumped{0};
  int pumpedWhileSlow = 0;
  SetMessagePump([&] { ++pumped; });
  SetNetBrowseSeam({[&](const NETRESOURCE*, std::vector<TNetResourceEntry>& out) {
    // Slow until the UI thread has processed messages a few times, however
    // slowly the machine lets it.
    const int from = pumped;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (pumped < from + 3 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    pumpedWhileSlow = pumped - from;
    out = {Server("SLOW")};
    return NO_ERROR;
  }});
  HNETENUM h = nullptr;
  ASSERT_EQ(WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, nullptr, &h), NO_ERROR);
  SetMessagePump(nullptr);
  EXPECT_GE(pumpedWhileSlow, 3);
  EXPECT_EQ(WNetCloseEnum(h), NO_ERROR);
}

// Without a daemon the announcement waits for one in the background: making
// and freeing it never blocks.
TEST(ComputerAnnouncement, ComesAndGoesWithoutBlocking) {
  TComputerAnnouncement announcement(nullptr);
  EXPECT_FALSE(announcement.Established());  // a daemon takes a while to establish it
}

TEST(DnsSdNames, NamesBecomeLatin1OrAreDropped) {
  std::string out;
  ASSERT_TRUE(Utf8ToLatin1("Ren\xC3\xA9's PC \xC2\xA0x", out));
  EXPECT_EQ(out, "Ren\xE9's PC \xA0x");
  for (const char* bad : {"Ann\xE2\x80\x99s iMac", "\xC3", "\xC3(", "\xC1\x81", "\xE9t\xE9", "\xF0\x9F\x98\x80"})
    EXPECT_FALSE(Utf8ToLatin1(bad, out)) << bad;
  EXPECT_TRUE(IsUsableName("Bob's Mac (2)"));
  // Names that would break a contact line or the contact file.
  for (const char* bad : {"", "evil\r\nX <1.2.3.4>", "a<b", "c>d", "e\\f", "tab\there", "del\x7F", "c1\x85"})
    EXPECT_FALSE(IsUsableName(bad)) << bad;
  EXPECT_EQ(ComputerNameOfService("alpha [00:11:22:33:44:55]"), "alpha");
  EXPECT_EQ(ComputerNameOfService("My Box [x]y"), "My Box [x]y");
}

TEST(DnsSdNames, OneEntryPerHostWithTheMostDescriptiveName) {
  const std::vector<TFoundService> services = {
      {"_workstation._tcp", "hostb [52:54:00:12:34:56]", "hostb.local", "10.0.0.3"},
      {"_ssh._tcp", "hostb", "hostb.local", "10.0.0.3"},
      {"_http._tcp", "Printer web page", "NPI3A2B1C.local.", "10.0.0.9"},
      {"_ipp._tcp", "HP LaserJet", "npi3a2b1c.local", "10.0.0.9"},
      {"_afpovertcp._tcp", "Bob\xE2\x80\x99s MacBook", "bobs-mbp.local", "10.0.0.5"},
      {"_smb._tcp", "Bob\xE2\x80\x99s MacBook", "bobs-mbp.local", "10.0.0.5"},
      {"_device-info._tcp", "Bob\xE2\x80\x99s MacBook", "bobs-mbp.local", "10.0.0.5"},
      {"_smb._tcp", "Ren\xC3\xA9 files", "rene.local", "10.0.0.6"},
      {"_device-info._tcp", "Ren\xC3\xA9\xE2\x80\x99s Mac", "rene.local", "10.0.0.6"},
      {"_ssh._tcp", "v6 only", "six.local", ""},
      {"_ssh._tcp", "bad host", "evil<1>.local", "10.0.0.7"},
      {"_ssh._tcp", "caf\xC3\xA9", "caf\xC3\xA9.local", "10.0.0.8"},
      {"_ssh._tcp", "deep", "box.lab.local", "10.0.0.10"},
      {"_ssh._tcp", "dns", "box.example.com", "10.0.0.11"}};
  const std::vector<TNeighbour> found = NeighboursOf(services);
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const TNeighbour& n : found) pairs.emplace_back(n.ComputerName, n.Comment);
  EXPECT_EQ(pairs, (std::vector<std::pair<std::string, std::string>>{
                       {"hostb", "hostb"},
                       {"NPI3A2B1C", "Printer web page"},
                       {"bobs-mbp", "bobs-mbp"},  // no name of it fits in 8-bit text
                       {"rene", "Ren\xE9 files"},
                       {"caf\xE9", "caf\xE9"},
                       {"box.lab.local", "deep"}}));

  const std::vector<TNetResourceEntry> servers = DnsSdServersOf(services);
  ASSERT_EQ(servers.size(), found.size());
  EXPECT_EQ(servers[0].RemoteName, "\\\\hostb");
  EXPECT_EQ(servers[0].DisplayType, RESOURCEDISPLAYTYPE_SERVER);
  EXPECT_EQ(servers[0].Provider, DnsSdProviderName);
}

// The real browser: the root is the domain "local"; browsing it ends, with
// servers when a daemon answers and ERROR_NO_NETWORK when none runs.
TEST(DnsSdNetwork, RootIsTheLocalDomainAndBrowsingEnds) {
  std::vector<TNetResourceEntry> root;
  ASSERT_EQ(ListDnsSdNetwork(nullptr, root), NO_ERROR);
  ASSERT_EQ(root.size(), 1u);
  EXPECT_EQ(root[0].RemoteName, "local");
  EXPECT_EQ(root[0].DisplayType, RESOURCEDISPLAYTYPE_DOMAIN);
  EXPECT_NE(root[0].Usage & RESOURCEUSAGE_CONTAINER, 0u);

  NETRESOURCE domain{};
  domain.dwDisplayType = RESOURCEDISPLAYTYPE_DOMAIN;
  domain.dwUsage = RESOURCEUSAGE_CONTAINER;
  domain.lpRemoteName = const_cast<char*>("local");
  std::vector<TNetResourceEntry> servers;
  const DWord r = ListDnsSdNetwork(&domain, servers);
  EXPECT_TRUE(r == NO_ERROR || r == ERROR_NO_NETWORK) << r;
  for (const TNetResourceEntry& s : servers) {
    EXPECT_EQ(s.DisplayType, RESOURCEDISPLAYTYPE_SERVER);
    EXPECT_EQ(s.RemoteName.compare(0, 2, "\\\\"), 0);
    EXPECT_EQ(s.Provider, DnsSdProviderName);
  }
}

}  // namespace
