#pragma once

#include "host/wake_pipe.h"

// SIGHUP asks the service to read its configuration again and reload the agent. Like
// the stop signal, it wakes net-snmp's select through a pipe.

namespace exthost {

class ReloadSignal {
 public:
  ReloadSignal();
  ~ReloadSignal();
  ReloadSignal(const ReloadSignal&) = delete;
  ReloadSignal& operator=(const ReloadSignal&) = delete;

  // True once for any number of SIGHUPs since the last call.
  bool Take();

 private:
  LoopWakePipe pipe_;
};

}  // namespace exthost
