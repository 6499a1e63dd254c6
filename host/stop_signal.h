#pragma once

// SIGTERM and SIGINT end the service loop. The signal wakes net-snmp's select through a
// pipe, so that one arriving just before the loop blocks is not lost. A call into the
// agent that waits on a command (a slow script, a stopped child) must not hold the stop
// up: when the loop has not ended within the grace, the running commands are ended, so
// that the call returns, and so are those started after, until the loop has ended.
// From then on until the process exits, the signals are ignored: it is stopping already.

#include <chrono>
#include <thread>

#include "host/wake_pipe.h"

namespace exthost {

class StopSignal {
 public:
  static constexpr std::chrono::milliseconds kGrace{2000};

  StopSignal();
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  bool Received() const;

 private:
  void Watch();

  LoopWakePipe pipe_;   // wakes the service loop
  WakePipe watchdog_;   // wakes the watchdog
  int loopEnded_ = -1;  // an eventfd, readable once the loop has ended
  std::thread watcher_;
};

}  // namespace exthost
