#pragma once
// One short conversation with the LAN's multicast DNS daemon (avahi): a
// client on a poll of its own, driven on the calling thread until the work
// is done, the daemon goes away or a deadline passes. For the host layer's
// look-ups and browsing, which run it on a worker thread
// (RunWhileProcessingMessages), never on the user-interface thread.
#include <chrono>
#include <functional>

struct AvahiClient;
struct AvahiSimplePoll;

class TAvahiSession {
 public:
  using TClock = std::chrono::steady_clock;

  // Connects at once; without a reachable daemon Client() is nullptr.
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
