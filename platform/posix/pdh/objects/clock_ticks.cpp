#include "platform/posix/pdh/objects/clock_ticks.h"

#include <unistd.h>

#include "platform/posix/pdh/counter_types.h"

namespace platform::posix::pdh {

int64_t ClockTicksTo100Ns(uint64_t ticks) {
  static const int64_t ticksPerSecond = [] {
    long hz = sysconf(_SC_CLK_TCK);
    return hz > 0 ? static_cast<int64_t>(hz) : 100;
  }();
  return static_cast<int64_t>(ticks) * kTicksPerSecond / ticksPerSecond;
}

}  // namespace platform::posix::pdh
