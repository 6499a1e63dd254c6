#include "platform/clock.h"

#include <windows.h>

namespace platform {

TimeOfDay LocalTimeOfDay() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return TimeOfDay{now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

void SleepMs(uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace platform
