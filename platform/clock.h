#pragma once

#include <cstdint>

namespace platform {

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// The local time of day, to the millisecond.
TimeOfDay LocalTimeOfDay();

// Blocks the calling thread.
void SleepMs(uint32_t milliseconds);

}  // namespace platform
