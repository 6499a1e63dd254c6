#include "perf/internal.h"

#include <cstdio>

#include "lib/debug_log.h"
#include "perf/perf.h"

namespace perf::internal {

void Debug(const std::string& line) {
  if (!SkipUnwritableDebugLines) {
    lib::DebugLog(line, DebugFlag);
    return;
  }
  try {
    lib::DebugLog(line, DebugFlag);
  } catch (const lib::EInOutError&) {
    // The host asked for the line to be lost rather than the read.
  }
}

std::string StatusHex(platform::PdhStatus status) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(status));
  return digits;
}

void LogFailedCall(const char* call, platform::PdhStatus status) {
  Debug(std::string(call) + ": ret=" + StatusHex(status));
}

}  // namespace perf::internal
