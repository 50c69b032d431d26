#include "platform/base/PumpingWait.h"

#include <chrono>
#include <exception>
#include <future>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/base/InputHold.h"
#include "platform/base/MainThread.h"

namespace {

std::mutex gPumpLock;
std::function<void()> gPump;

std::function<void()> CurrentPump() {
  std::lock_guard<std::mutex> guard(gPumpLock);
  return gPump;
}

}  // namespace

void SetMessagePump(std::function<void()> Pump) {
  std::lock_guard<std::mutex> guard(gPumpLock);
  gPump = std::move(Pump);
}

void RunWhileProcessingMessages(const std::function<void()>& Job) {
  const std::function<void()> pump = IsMainThread() ? CurrentPump() : std::function<void()>();
  if (!pump) {
    Job();
    return;
  }
  std::packaged_task<void()> task(Job);
  std::future<void> done = task.get_future();
  std::thread worker(std::move(task));
  // The worker is joined on every path, also when a handler run by the pump raises.
  struct TJoin {
    std::thread& Worker;
    ~TJoin() { Worker.join(); }
  } join{worker};
  // The caller is blocked in a host call as far as the user is concerned.
  TInputHold hold;
  while (done.wait_for(std::chrono::milliseconds(PumpIntervalMs)) != std::future_status::ready) pump();
  done.get();
}
