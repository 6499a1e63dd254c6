#pragma once

#include "host/handler_descriptor.h"

namespace exthost {

// A pipe that a signal handler wakes a waiting thread through, so that a signal that
// arrives just before the wait begins is not lost. The handler writes a byte to the
// writing end through `writer`; the waiting side polls the reading end and drains it.
// Both ends are non-blocking and closed on exec. The writing end is closed only once
// no handler can write to it any more: the owner uninstalls its handler first.
class WakePipe {
 public:
  explicit WakePipe(HandlerDescriptor& writer);
  ~WakePipe();
  WakePipe(const WakePipe&) = delete;
  WakePipe& operator=(const WakePipe&) = delete;

  int ReadEnd() const { return ends_[0]; }
  // Reads every byte written so far.
  void Drain();

 private:
  HandlerDescriptor& writer_;
  int ends_[2] = {-1, -1};
};

// A wake pipe whose reading end joins net-snmp's select loop, which drains it: the
// loop's wait ends, and the service looks at what the signal asked for.
class LoopWakePipe : public WakePipe {
 public:
  explicit LoopWakePipe(HandlerDescriptor& writer);
  ~LoopWakePipe();
};

}  // namespace exthost
