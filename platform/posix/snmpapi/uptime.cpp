#include <chrono>

#include "snmp.h"

namespace {

// Set when the library is loaded.
const std::chrono::steady_clock::time_point loadTime = std::chrono::steady_clock::now();

}  // namespace

extern "C" {

// Hundredths of a second since the library was loaded, wrapping at 2^32.
DWORD SnmpSvcGetUptime(void) {
  const auto elapsed = std::chrono::steady_clock::now() - loadTime;
  return static_cast<DWORD>(
      std::chrono::duration_cast<std::chrono::duration<long long, std::centi>>(elapsed).count());
}

}  // extern "C"
