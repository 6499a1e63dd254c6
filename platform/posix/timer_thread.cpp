#include "platform/timer_thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform {

namespace {

class PosixTimerThread : public TimerThread {
 public:
  PosixTimerThread(uint32_t periodMs, std::function<void()> tick)
      : period_(periodMs), tick_(std::move(tick)), thread_([this] { Run(); }) {}

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
    while (!wake_.wait_for(lock, period_, [this] { return stopping_; })) {
      lock.unlock();
      tick_();
      lock.lock();
    }
  }

  std::chrono::milliseconds period_;
  std::function<void()> tick_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;  // last: starts once everything it uses exists
};

}  // namespace

std::unique_ptr<TimerThread> StartTimerThread(uint32_t periodMs, std::function<void()> tick) {
  try {
    return std::make_unique<PosixTimerThread>(periodMs, std::move(tick));
  } catch (const std::system_error&) {
    return nullptr;
  }
}

}  // namespace platform
