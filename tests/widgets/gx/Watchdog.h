#pragma once
// Ends the test program with a message when a scenario has not finished
// within its limit: a dead-lock then fails the test at once instead of
// stalling the run until ctest's own time-out.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

class TWatchdog {
 public:
  TWatchdog(std::string What, std::chrono::seconds Limit)
      : FThread([this, What = std::move(What), Limit] {
          std::unique_lock<std::mutex> guard(FLock);
          if (FChanged.wait_for(guard, Limit, [this] { return FDone; })) return;
          std::fprintf(stderr, "%s: still running after %d s, taken as hung\n", What.c_str(),
                       int(Limit.count()));
          std::fflush(stderr);
          std::_Exit(1);
        }) {}
  ~TWatchdog() {
    {
      std::lock_guard<std::mutex> guard(FLock);
      FDone = true;
    }
    FChanged.notify_all();
    FThread.join();
  }
  TWatchdog(const TWatchdog&) = delete;
  TWatchdog& operator=(const TWatchdog&) = delete;

 private:
  std::mutex FLock;
  std::condition_variable FChanged;
  bool FDone = false;
  std::thread FThread;  // last: started once the rest exists
};
