#include "platform/timer_thread.h"

#include <windows.h>

namespace platform {

namespace {

// How long Stop waits for a tick in progress; a tick that hangs longer is cut off.
constexpr DWORD kTickEndWaitMs = 10000;

class Win32TimerThread : public TimerThread {
 public:
  Win32TimerThread(uint32_t periodMs, std::function<void()> tick, FirstTick first)
      : period_(periodMs), tick_(std::move(tick)), first_(first) {}

  ~Win32TimerThread() override { Stop(); }

  bool Start() {
    stopping_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    parked_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (stopping_ == nullptr || parked_ == nullptr) return false;
    thread_ = CreateThread(nullptr, 0, &Win32TimerThread::Run, this, 0, nullptr);
    return thread_ != nullptr;
  }

  void Stop() override {
    if (thread_ != nullptr) {
      SetEvent(stopping_);
      // A thread that is gone already (the process is ending) signals its handle.
      HANDLE ends[] = {parked_, thread_};
      WaitForMultipleObjects(2, ends, FALSE, kTickEndWaitMs);
      // Parked outside tick, it holds no lock that could be left taken.
      TerminateThread(thread_, 0);
      CloseHandle(thread_);
      thread_ = nullptr;
    }
    for (HANDLE* event : {&stopping_, &parked_}) {
      if (*event != nullptr) CloseHandle(*event);
      *event = nullptr;
    }
  }

 private:
  static DWORD WINAPI Run(LPVOID self) {
    auto* timer = static_cast<Win32TimerThread*>(self);
    bool tickNow = timer->first_ == FirstTick::kAtOnce;
    while (tickNow || WaitForSingleObject(timer->stopping_, timer->period_) == WAIT_TIMEOUT) {
      tickNow = false;
      timer->tick_();
    }
    SetEvent(timer->parked_);
    // Leaving the thread would need the loader lock that Stop may be holding.
    Sleep(INFINITE);
    return 0;
  }

  DWORD period_;
  std::function<void()> tick_;
  FirstTick first_;
  HANDLE stopping_ = nullptr;
  HANDLE parked_ = nullptr;
  HANDLE thread_ = nullptr;
};

}  // namespace

std::unique_ptr<TimerThread> StartTimerThread(uint32_t periodMs, std::function<void()> tick,
                                              FirstTick first) {
  auto timer = std::make_unique<Win32TimerThread>(periodMs, std::move(tick), first);
  if (!timer->Start()) return nullptr;
  return timer;
}

}  // namespace platform
