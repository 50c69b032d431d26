#pragma once
// One short conversation with the LAN's multicast DNS daemon (avahi): a
// client on a poll of its own, driven until the work is done, the daemon
// goes away or a deadline passes. For the host layer's look-ups and
// browsing, never on the user-interface thread.
//
// Talking to the daemon goes through the system message bus, and libdbus
// waits for the bus and the daemon in calls that cannot be cancelled:
// connecting, making a browser or resolver and freeing one may each block
// for as long as a bus that accepts the connection stays silent. So a
// conversation runs on a thread of its own (TalkToAvahi), and its deadline
// bounds the wait for it, not the conversation itself.
#include <chrono>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

struct AvahiClient;
struct AvahiSimplePoll;

class TAvahiSession {
 public:
  using TClock = std::chrono::steady_clock;

  // Connects at once (may block on the bus); without a reachable daemon
  // Client() is nullptr.
  TAvahiSession();
  ~TAvahiSession();
  TAvahiSession(const TAvahiSession&) = delete;
  TAvahiSession& operator=(const TAvahiSession&) = delete;

  AvahiClient* Client() const { return FClient; }

  // Handles the daemon's answers until Finished() holds (true), or the
  // client fails or Deadline passes (false).
  bool RunUntil(const std::function<bool()>& Finished, TClock::time_point Deadline);

 private:
  static void OnClientState(AvahiClient* Client, int State, void* Data);

  AvahiSimplePoll* FPoll = nullptr;
  AvahiClient* FClient = nullptr;
  bool FFailed = false;
};

// Connects a session and runs Talk with it on a thread of its own, and waits
// until Talk has returned or Deadline has passed, whichever comes first;
// true when Talk returned in time. Talk should end by Deadline itself
// (RunUntil); when the bus holds it in a call, the waiting ends at Deadline
// all the same and the thread finishes alone whenever the call returns,
// freeing the session after it. Talk must therefore own what it touches
// (capture shared pointers by value), and hand results over in a
// TAvahiFindings. The thread never keeps the program from exiting. While an
// earlier conversation is still held connecting, Talk does not run at all
// and the result is false at once, as without a daemon.
bool TalkToAvahi(std::function<void(TAvahiSession& Session)> Talk, TAvahiSession::TClock::time_point Deadline);

// What a conversation has found so far: added to on the conversation's
// thread, read by the waiting one, also while the conversation goes on.
template <class T>
class TAvahiFindings {
 public:
  void Add(T Item) {
    std::lock_guard<std::mutex> guard(FLock);
    FItems.push_back(std::move(Item));
  }
  std::vector<T> SoFar() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FItems;
  }

 private:
  mutable std::mutex FLock;
  std::vector<T> FItems;
};
