#pragma once

#include <cstdint>

namespace platform::posix::pdh {

// CPU times in /proc count in clock ticks (USER_HZ); counters want 100 ns.
int64_t ClockTicksTo100Ns(uint64_t ticks);

}  // namespace platform::posix::pdh
