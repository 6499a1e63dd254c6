#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

// When a timer thread's first tick comes.
enum class FirstTick { kAfterPeriod, kAtOnce };

// A thread that calls tick every periodMs milliseconds, each period counted from the
// end of the previous tick, until it is stopped.
class TimerThread {
 public:
  virtual ~TimerThread() = default;
  // Ends the thread; afterwards tick is not running and is never called again. A tick
  // in progress is let finish first. On Linux the thread is woken and joined. On
  // Windows, where this runs under the loader lock at library detach and a join would
  // deadlock, the thread is woken, waited for until it has left tick for good, and
  // then terminated where it waits.
  virtual void Stop() = 0;
};

// Null when the thread cannot be created.
std::unique_ptr<TimerThread> StartTimerThread(uint32_t periodMs, std::function<void()> tick,
                                              FirstTick first = FirstTick::kAfterPeriod);

}  // namespace platform
