#include "platform/timer_thread.h"

#include <windows.h>

namespace platform {

namespace {

class Win32TimerThread : public TimerThread {
 public:
  Win32TimerThread(uint32_t periodMs, std::function<void()> tick)
      : period_(periodMs), tick_(std::move(tick)) {}

  ~Win32TimerThread() override { Stop(); }

  bool Start() {
    thread_ = CreateThread(nullptr, 0, &Win32TimerThread::Run, this, 0, nullptr);
    return thread_ != nullptr;
  }

  void Stop() override {
    if (thread_ == nullptr) return;
    // The thread spends its life in Sleep; it holds no lock that could be left taken.
    TerminateThread(thread_, 0);
    CloseHandle(thread_);
    thread_ = nullptr;
  }

 private:
  static DWORD WINAPI Run(LPVOID self) {
    auto* timer = static_cast<Win32TimerThread*>(self);
    for (;;) {
      Sleep(timer->period_);
      timer->tick_();
    }
  }

  DWORD period_;
  std::function<void()> tick_;
  HANDLE thread_ = nullptr;
};

}  // namespace

std::unique_ptr<TimerThread> StartTimerThread(uint32_t periodMs, std::function<void()> tick) {
  auto timer = std::make_unique<Win32TimerThread>(periodMs, std::move(tick));
  if (!timer->Start()) return nullptr;
  return timer;
}

}  // namespace platform
