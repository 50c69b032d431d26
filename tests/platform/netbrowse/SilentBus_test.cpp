// A system message bus that accepts every connection and never answers:
// libdbus then blocks in calls nobody can cancel. The neighbourhood scan and
// a multicast look-up must still end within their bounds, and the program
// must still exit. The bus address is read from the environment when a
// client connects, so the case runs in a process of its own.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/PumpingWait.h"
#include "platform/netbrowse/ComputerAnnouncement.h"
#include "platform/netbrowse/NetResource.h"
#include "platform/sockets/MulticastLookup.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr auto kScanBound = std::chrono::seconds(5);
constexpr auto kLookupBound = std::chrono::milliseconds(MulticastLookupMilliseconds + 1000);
constexpr auto kWatchdog = std::chrono::seconds(30);

long long MsSince(TClock::time_point Start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - Start).count();
}

// Listens on a Unix socket, takes every connection and reads whatever comes;
// writes nothing. Its thread lives until the process ends, as do the
// clients left blocked on it.
class TSilentBus {
 public:
  TSilentBus() {
    char folder[] = "/tmp/silentbusXXXXXX";
    if (mkdtemp(folder) == nullptr) return;
    FPath = std::string(folder) + "/bus";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, FPath.c_str(), sizeof address.sun_path - 1);
    FListener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (FListener < 0 || bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(FListener, 16) != 0)
      return;
    std::thread([this] { Serve(); }).detach();
    FListening = true;
  }

  bool Listening() const { return FListening; }
  std::string Address() const { return "unix:path=" + FPath; }
  int Accepted() const { return FAccepted; }

  // The connections made stay open; no new ones can be made.
  void RemoveFile() {
    unlink(FPath.c_str());
    rmdir(FPath.substr(0, FPath.rfind('/')).c_str());
  }

 private:
  void Serve() {
    std::vector<pollfd> fds{{FListener, POLLIN, 0}};
    char sink[4096];
    for (;;) {
      if (poll(fds.data(), fds.size(), -1) < 0) continue;
      for (std::size_t i = fds.size(); i-- > 0;) {
        if (fds[i].revents == 0) continue;
        if (i == 0) {
          const int peer = accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
          if (peer >= 0) {
            fds.push_back({peer, POLLIN, 0});
            ++FAccepted;
          }
        } else if (read(fds[i].fd, sink, sizeof sink) <= 0) {
          close(fds[i].fd);
          fds.erase(fds.begin() + std::ptrdiff_t(i));
        }
      }
    }
  }

  std::string FPath;
  int FListener = -1;
  bool FListening = false;
  std::atomic<int> FAccepted{0};
};

// A check in the child process, which reports its failures itself: the
// parent sees only its exit code and what it wrote to stderr.
bool gFailed = false;

void Check(bool Holds, const char* What) {
  if (Holds) return;
  std::fprintf(stderr, "failed: %s\n", What);
  gFailed = true;
}

// Ends the process with a failure when the case is still running at the
// deadline, naming the step it was in.
std::atomic<const char*> gStep{"start"};

void StartWatchdog() {
  std::thread([] {
    std::this_thread::sleep_for(kWatchdog);
    std::fprintf(stderr, "watchdog: still in step \"%s\" after %lld s\n", gStep.load(),
                 static_cast<long long>(kWatchdog.count()));
    std::_Exit(3);
  }).detach();
}

// The network clients window's scan: one batch of each container into a
// 16384-byte buffer grown on ERROR_MORE_DATA, servers listed, containers
// descended into depth first.
void ScanContainer(const NETRESOURCE* Parent, std::vector<std::string>& Servers) {
  HNETENUM handle = nullptr;
  if (WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, Parent, &handle) != NO_ERROR) return;
  std::vector<std::uint64_t> buffer(16384 / 8);
  DWord count = 0;
  DWord result = 0;
  for (;;) {
    DWord size = DWord(buffer.size() * 8);
    count = 0xFFFFFFFF;
    result = WNetEnumResource(handle, &count, buffer.data(), &size);
    if (result != ERROR_MORE_DATA) break;
    buffer.assign((size + 7) / 8, 0);
  }
  Check(WNetCloseEnum(handle) == NO_ERROR, "an open enumeration closes");
  if (result != NO_ERROR) return;
  const auto* entries = reinterpret_cast<const NETRESOURCE*>(buffer.data());
  for (DWord i = 0; i < count; ++i) {
    if (entries[i].dwDisplayType == RESOURCEDISPLAYTYPE_SERVER) Servers.emplace_back(entries[i].lpRemoteName);
    if ((entries[i].dwUsage & RESOURCEUSAGE_CONTAINER) != 0) ScanContainer(&entries[i], Servers);
  }
}

[[noreturn]] void RunAgainstASilentBus() {
  StartWatchdog();
  TSilentBus bus;
  if (!bus.Listening()) {
    std::fprintf(stderr, "the silent bus could not listen: %s\n", std::strerror(errno));
    std::exit(4);
  }
  setenv("DBUS_SYSTEM_BUS_ADDRESS", bus.Address().c_str(), 1);
  // As in the program: the UI thread processes its messages while it waits.
  SetMessagePump([] {});

  gStep = "announcement";
  auto* announcement = new TComputerAnnouncement(nullptr);

  gStep = "scan";
  const auto scanStart = TClock::now();
  std::vector<std::string> servers;
  ScanContainer(nullptr, servers);
  const long long scanMs = MsSince(scanStart);
  std::printf("scan against a silent bus: %lld ms, %zu servers\n", scanMs, servers.size());
  Check(scanMs < std::chrono::duration_cast<std::chrono::milliseconds>(kScanBound).count(),
        "the scan ends within its bound");
  Check(servers.empty(), "nothing answered, so no server is listed");

  gStep = "look-up";
  const auto lookupStart = TClock::now();
  const std::vector<std::string> addresses = MulticastLookup(MulticastNameOf("nosuchhost"));
  const long long lookupMs = MsSince(lookupStart);
  std::printf("look-up of nosuchhost against a silent bus: %lld ms\n", lookupMs);
  Check(lookupMs < std::chrono::duration_cast<std::chrono::milliseconds>(kLookupBound).count(),
        "the look-up ends within its bound");
  Check(addresses.empty(), "nothing answered, so no address is found");

  // The clients really waited on this bus, not on a missing one.
  std::printf("connections the silent bus took: %d\n", bus.Accepted());
  Check(bus.Accepted() >= 1, "the clients connected to the silent bus");

  gStep = "freeing the announcement";
  delete announcement;
  bus.RemoveFile();

  SetMessagePump(nullptr);
  gStep = "exit";
  std::fflush(stdout);
  std::exit(gFailed ? 1 : 0);
}

}  // namespace

TEST(SilentBusDeathTest, ScanAndLookUpEndInTimeAndTheProgramExits) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RunAgainstASilentBus(), ::testing::ExitedWithCode(0), "");
}
