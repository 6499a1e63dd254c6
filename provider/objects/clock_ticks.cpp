#include "provider/objects/clock_ticks.h"

#include <unistd.h>

#include "provider/counter_types.h"

namespace provider {

int64_t ClockTicksTo100Ns(uint64_t ticks) {
  static const int64_t ticksPerSecond = [] {
    long hz = sysconf(_SC_CLK_TCK);
    return hz > 0 ? static_cast<int64_t>(hz) : 100;
  }();
  return static_cast<int64_t>(ticks) * kTicksPerSecond / ticksPerSecond;
}

}  // namespace provider
