#include "platform/netbrowse/ComputerAnnouncement.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/error.h>
#include <avahi-common/simple-watch.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace {

constexpr const char* kWorkstationType = "_workstation._tcp";
constexpr uint16_t kDiscardPort = 9;  // a workstation announcement offers no service of its own

// How long freeing the announcement waits for its thread to withdraw it.
// Only a bus that holds the thread in a call makes it wait that long; the
// thread is then left to finish alone, and the daemon withdraws the
// announcement of a client that went away in any case.
constexpr auto kWithdrawWait = std::chrono::milliseconds(500);

// Between the announcement and the thread that talks to the daemon;
// whichever lets go last frees it.
struct TLink {
  std::atomic<bool> Established{false};
  std::atomic<bool> Stop{false};
  int Wake = -1;  // an eventfd the thread's poll watches: written when Stop is set
  std::mutex Lock;
  std::condition_variable Signal;
  bool Ended = false;

  TLink() : Wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
  ~TLink() {
    if (Wake >= 0) close(Wake);
  }
  TLink(const TLink&) = delete;
  TLink& operator=(const TLink&) = delete;
};

// The conversation with the daemon; lives on its thread alone. Connecting
// asks the bus and the daemon, which may block, so start-up never waits for it.
class TAnnouncer {
 public:
  explicit TAnnouncer(std::shared_ptr<TLink> Link) : FLink(std::move(Link)) {}

  void Run() {
    FPoll = avahi_simple_poll_new();
    if (FPoll != nullptr) {
      const AvahiPoll* api = avahi_simple_poll_get(FPoll);
      AvahiWatch* wake = api->watch_new(api, FLink->Wake, AVAHI_WATCH_IN, OnWake, this);
      while (!FLink->Stop) {
        if (FReconnect) {
          Connect();
          continue;
        }
        if (avahi_simple_poll_iterate(FPoll, -1) != 0) break;
      }
      // Freeing the client frees its entry group: the daemon withdraws the announcement.
      if (FClient != nullptr) avahi_client_free(FClient);
      if (wake != nullptr) api->watch_free(wake);
      avahi_simple_poll_free(FPoll);
    }
    FLink->Established = false;
    {
      std::lock_guard<std::mutex> guard(FLink->Lock);
      FLink->Ended = true;
    }
    FLink->Signal.notify_all();
  }

 private:
  // Connects anew, leaving a client that lost its daemon behind. Without a
  // daemon now the client waits for one; without a system bus there is none
  // to wait for, and nothing is announced.
  void Connect() {
    FReconnect = false;
    if (FClient != nullptr) avahi_client_free(FClient);  // frees its group too
    FGroup = nullptr;
    int error = 0;
    FClient = avahi_client_new(avahi_simple_poll_get(FPoll), AVAHI_CLIENT_NO_FAIL, OnClient, this, &error);
  }

  static void OnWake(AvahiWatch*, int Fd, AvahiWatchEvent, void*) {
    std::uint64_t count = 0;
    while (read(Fd, &count, sizeof count) > 0) {
    }
  }

  static void OnClient(AvahiClient* Client, AvahiClientState State, void* Data) {
    auto* self = static_cast<TAnnouncer*>(Data);
    switch (State) {
      case AVAHI_CLIENT_S_RUNNING:
        self->Announce(Client);
        break;
      case AVAHI_CLIENT_S_COLLISION:
      case AVAHI_CLIENT_S_REGISTERING:
        // The daemon is choosing the host name anew; announced again once it runs.
        self->FLink->Established = false;
        if (self->FGroup != nullptr) avahi_entry_group_reset(self->FGroup);
        break;
      case AVAHI_CLIENT_CONNECTING:
        break;
      case AVAHI_CLIENT_FAILURE:
        // The daemon went away: a new client waits for its successor. The
        // client is not freed inside its own callback but by the loop.
        self->FLink->Established = false;
        if (avahi_client_errno(Client) == AVAHI_ERR_DISCONNECTED) self->FReconnect = true;
        break;
    }
  }

  static void OnGroup(AvahiEntryGroup*, AvahiEntryGroupState State, void* Data) {
    static_cast<TAnnouncer*>(Data)->FLink->Established = State == AVAHI_ENTRY_GROUP_ESTABLISHED;
  }

  void Announce(AvahiClient* Client) {
    if (FGroup == nullptr) FGroup = avahi_entry_group_new(Client, OnGroup, this);
    if (FGroup == nullptr || !avahi_entry_group_is_empty(FGroup)) return;
    const char* name = avahi_client_get_host_name(Client);
    if (name == nullptr) return;
    if (avahi_entry_group_add_service(FGroup, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name,
                                      kWorkstationType, nullptr, nullptr, kDiscardPort, nullptr) == 0)
      avahi_entry_group_commit(FGroup);
  }

  std::shared_ptr<TLink> FLink;
  AvahiSimplePoll* FPoll = nullptr;
  AvahiClient* FClient = nullptr;
  AvahiEntryGroup* FGroup = nullptr;
  bool FReconnect = true;
};

}  // namespace

struct TComputerAnnouncement::TImpl {
  std::shared_ptr<TLink> Link = std::make_shared<TLink>();
  bool Started = false;
};

TComputerAnnouncement::TComputerAnnouncement(TComponent* AOwner)
    : TComponent(AOwner), FImpl(std::make_unique<TImpl>()) {
  if (FImpl->Link->Wake < 0) return;  // a thread that could not be stopped is not started
  // Detached: a thread held by a silent bus must not hold up the program's exit.
  std::thread([link = FImpl->Link] { TAnnouncer(link).Run(); }).detach();
  FImpl->Started = true;
}

TComputerAnnouncement::~TComputerAnnouncement() {
  if (!FImpl->Started) return;
  TLink& link = *FImpl->Link;
  link.Stop = true;
  const std::uint64_t one = 1;
  // Unwoken, the thread stops at the daemon's next message; not worth a wait.
  if (write(link.Wake, &one, sizeof one) != sizeof one) return;
  std::unique_lock<std::mutex> lock(link.Lock);
  link.Signal.wait_for(lock, kWithdrawWait, [&] { return link.Ended; });
}

bool TComputerAnnouncement::Established() const { return FImpl->Link->Established; }
