#pragma once

#include <string>
#include <string_view>

namespace quillon {

// One debug-log line under the agent's "debug" setting. A log that can be neither
// appended to nor created loses the line; the caller goes on. With the log off, a fixed
// text costs nothing.
void Log(std::string_view message);

// True when the "debug" setting has Log write its lines: a text made only for the log
// need not be made otherwise.
bool Logging();

// The same, written whatever the "debug" setting says.
void LogAlways(const std::string& message);

}  // namespace quillon
