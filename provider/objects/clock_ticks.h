#pragma once

#include <cstdint>

namespace provider {

// CPU times in /proc count in clock ticks (USER_HZ); counters want 100 ns.
int64_t ClockTicksTo100Ns(uint64_t ticks);

}  // namespace provider
