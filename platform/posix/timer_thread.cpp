#include "platform/timer_thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform {

namespace {

class PosixTimerThread : public TimerThread {
 public:
  PosixTimerThread(uint32_t periodMs, std::function<void()> tick, FirstTick first)
      : period_(periodMs), tick_(std::move(tick)), first_(first), thread_([this] { Run(); }) {}

  ~PosixTimerThread() override { Stop(); }

  void Stop() override {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    if (first_ == FirstTick::kAtOnce && !stopping_) Tick(lock);
    while (!wake_.wait_for(lock, period_, [this] { return stopping_; })) Tick(lock);
  }

  void Tick(std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    tick_();
    lock.lock();
  }

  std::chrono::milliseconds period_;
  std::function<void()> tick_;
  FirstTick first_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;  // last: starts once everything it uses exists
};

}  // namespace

std::unique_ptr<TimerThread> StartTimerThread(uint32_t periodMs, std::function<void()> tick,
                                              FirstTick first) {
  try {
    return std::make_unique<PosixTimerThread>(periodMs, std::move(tick), first);
  } catch (const std::system_error&) {
    return nullptr;
  }
}

}  // namespace platform
