#pragma once

#include <cstdint>
#include <string>

#include "platform/pdh.h"

// What the counter-access sources share among themselves.
namespace perf::internal {

platform::Pdh& ActivePdh();

// The counter's type, or -1. A failing read of the record (the size probe's answer
// aside) leaves its status in failed; the caller decides what to log.
int32_t CounterTypeOf(platform::PdhHandle counter, platform::PdhStatus& failed);

// One line to the debug log under the module's DebugFlag.
void Debug(const std::string& line);

// A status in upper-case hexadecimal, at least four digits, no prefix.
std::string StatusHex(platform::PdhStatus status);

// "<call>: ret=<status>" for a failing PDH call.
void LogFailedCall(const char* call, platform::PdhStatus status);

}  // namespace perf::internal
