#include "platform/sockets/AvahiSession.h"

#include <avahi-client/client.h>
#include <avahi-common/simple-watch.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <thread>

namespace {

// Between a conversation's thread and the one waiting for it; whichever
// lets go last frees it.
struct TTalkEnd {
  std::mutex Lock;
  std::condition_variable Signal;
  bool Connecting = true;
  bool Talked = false;
  bool Abandoned = false;  // given up on while still connecting
};

// Conversations given up on while they were still connecting, and still
// connecting now. libdbus connects one client to the system bus at a time,
// so while one is held, a new one would only be held behind it: new
// conversations are not started then, and no thread piles up per look-up.
std::atomic<int> gHeldConnects{0};

}  // namespace

TAvahiSession::TAvahiSession() {
  FPoll = avahi_simple_poll_new();
  if (FPoll == nullptr) return;
  int error = 0;
  FClient = avahi_client_new(
      avahi_simple_poll_get(FPoll), AvahiClientFlags(0),
      [](AvahiClient* c, AvahiClientState s, void* d) { OnClientState(c, int(s), d); }, this, &error);
}

TAvahiSession::~TAvahiSession() {
  if (FClient != nullptr) avahi_client_free(FClient);  // frees its browsers and resolvers too
  if (FPoll != nullptr) avahi_simple_poll_free(FPoll);
}

void TAvahiSession::OnClientState(AvahiClient*, int State, void* Data) {
  if (State == AVAHI_CLIENT_FAILURE) static_cast<TAvahiSession*>(Data)->FFailed = true;
}

bool TAvahiSession::RunUntil(const std::function<bool()>& Finished, TClock::time_point Deadline) {
  if (FClient == nullptr) return false;
  for (;;) {
    if (FFailed) return false;
    if (Finished()) return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - TClock::now()).count();
    if (left <= 0) return false;
    // Wakes for every answer of the daemon; the wait is bounded by what is left.
    if (avahi_simple_poll_iterate(FPoll, int(std::min<long long>(left, 1000))) != 0) return false;
  }
}

bool TalkToAvahi(std::function<void(TAvahiSession& Session)> Talk, TAvahiSession::TClock::time_point Deadline) {
  if (gHeldConnects > 0) return false;
  auto end = std::make_shared<TTalkEnd>();
  std::thread([end, talk = std::move(Talk)] {
    auto session = std::make_unique<TAvahiSession>();
    {
      std::lock_guard<std::mutex> guard(end->Lock);
      end->Connecting = false;
      if (end->Abandoned) --gHeldConnects;
    }
    talk(*session);
    {
      std::lock_guard<std::mutex> guard(end->Lock);
      end->Talked = true;
    }
    end->Signal.notify_all();
    // Freeing the client asks the daemon to free its browsers: nobody waits for that.
    session.reset();
  }).detach();
  std::unique_lock<std::mutex> lock(end->Lock);
  if (end->Signal.wait_until(lock, Deadline, [&] { return end->Talked; })) return true;
  if (end->Connecting) {
    end->Abandoned = true;
    ++gHeldConnects;
  }
  return false;
}
