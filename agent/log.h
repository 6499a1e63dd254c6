#pragma once

#include <string>

namespace quillon {

// One debug-log line under the agent's "debug" setting. A log that can be neither
// appended to nor created loses the line; the caller goes on.
void Log(const std::string& message);

// The same, written whatever the "debug" setting says.
void LogAlways(const std::string& message);

}  // namespace quillon
