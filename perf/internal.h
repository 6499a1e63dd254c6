#pragma once

#include <string>

#include "platform/pdh.h"

// What the counter-access sources share among themselves.
namespace perf::internal {

platform::Pdh& ActivePdh();

// One line to the debug log under the module's DebugFlag.
void Debug(const std::string& line);

// A status in upper-case hexadecimal, at least four digits, no prefix.
std::string StatusHex(platform::PdhStatus status);

// "<call>: ret=<status>" for a failing PDH call.
void LogFailedCall(const char* call, platform::PdhStatus status);

}  // namespace perf::internal
