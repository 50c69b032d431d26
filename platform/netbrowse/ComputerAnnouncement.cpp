#include "platform/netbrowse/ComputerAnnouncement.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/error.h>
#include <avahi-common/thread-watch.h>

#include <sys/time.h>

#include <atomic>

namespace {

constexpr const char* kWorkstationType = "_workstation._tcp";
constexpr uint16_t kDiscardPort = 9;  // a workstation announcement offers no service of its own

}  // namespace

// Everything but construction and destruction runs on the poll's thread.
struct TComputerAnnouncement::TImpl {
  AvahiThreadedPoll* Poll = nullptr;
  AvahiClient* Client = nullptr;
  AvahiEntryGroup* Group = nullptr;
  std::atomic<bool> Established{false};

  // Connects anew, leaving a client that lost its daemon behind. Without a
  // daemon now the client waits for one; without a system bus there is none
  // to wait for, and nothing is announced.
  static void Connect(AvahiTimeout* Timeout, void* Data) {
    auto* self = static_cast<TImpl*>(Data);
    const AvahiPoll* api = avahi_threaded_poll_get(self->Poll);
    api->timeout_free(Timeout);
    if (self->Client != nullptr) avahi_client_free(self->Client);  // frees its group too
    self->Group = nullptr;
    int error = 0;
    self->Client = avahi_client_new(api, AVAHI_CLIENT_NO_FAIL, OnClient, self, &error);
  }

  // The client is not freed inside its own callback: the new one is made
  // as the poll's next piece of work.
  void ConnectSoon() {
    const AvahiPoll* api = avahi_threaded_poll_get(Poll);
    timeval now{};
    api->timeout_new(api, &now, Connect, this);
  }

  static void OnClient(AvahiClient* Client, AvahiClientState State, void* Data) {
    auto* self = static_cast<TImpl*>(Data);
    switch (State) {
      case AVAHI_CLIENT_S_RUNNING:
        self->Announce(Client);
        break;
      case AVAHI_CLIENT_S_COLLISION:
      case AVAHI_CLIENT_S_REGISTERING:
        // The daemon is choosing the host name anew; announced again once it runs.
        self->Established = false;
        if (self->Group != nullptr) avahi_entry_group_reset(self->Group);
        break;
      case AVAHI_CLIENT_CONNECTING:
        break;
      case AVAHI_CLIENT_FAILURE:
        // The daemon went away: a new client waits for its successor.
        self->Established = false;
        if (avahi_client_errno(Client) == AVAHI_ERR_DISCONNECTED) self->ConnectSoon();
        break;
    }
  }

  static void OnGroup(AvahiEntryGroup*, AvahiEntryGroupState State, void* Data) {
    static_cast<TImpl*>(Data)->Established = State == AVAHI_ENTRY_GROUP_ESTABLISHED;
  }

  void Announce(AvahiClient* Client) {
    if (Group == nullptr) Group = avahi_entry_group_new(Client, OnGroup, this);
    if (Group == nullptr || !avahi_entry_group_is_empty(Group)) return;
    const char* name = avahi_client_get_host_name(Client);
    if (name == nullptr) return;
    if (avahi_entry_group_add_service(Group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name,
                                      kWorkstationType, nullptr, nullptr, kDiscardPort, nullptr) == 0)
      avahi_entry_group_commit(Group);
  }
};

TComputerAnnouncement::TComputerAnnouncement(TComponent* AOwner)
    : TComponent(AOwner), FImpl(std::make_unique<TImpl>()) {
  FImpl->Poll = avahi_threaded_poll_new();
  if (FImpl->Poll == nullptr) return;
  // The client is made on the poll's thread as its first piece of work:
  // connecting asks the bus and the daemon, and start-up does not wait for them.
  FImpl->ConnectSoon();
  if (avahi_threaded_poll_start(FImpl->Poll) < 0) {
    avahi_threaded_poll_free(FImpl->Poll);
    FImpl->Poll = nullptr;
  }
}

TComputerAnnouncement::~TComputerAnnouncement() {
  if (FImpl->Poll == nullptr) return;
  avahi_threaded_poll_stop(FImpl->Poll);
  // Freeing the client frees its entry group: the daemon withdraws the announcement.
  if (FImpl->Client != nullptr) avahi_client_free(FImpl->Client);
  avahi_threaded_poll_free(FImpl->Poll);
}

bool TComputerAnnouncement::Established() const { return FImpl->Established; }
