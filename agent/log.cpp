#include "agent/log.h"

#include "agent/state.h"
#include "lib/debug_log.h"

namespace quillon {

namespace {

void WriteLine(const std::string& message, const std::string& debugSwitch) {
  try {
    lib::DebugLog(message, debugSwitch);
  } catch (const lib::EInOutError&) {
    // Diagnostics must never cost the manager its answer.
  }
}

}  // namespace

void Log(std::string_view message) {
  if (Logging()) WriteLine(std::string(message), lib::kDebugOn);
}

bool Logging() { return State().settings.debug == lib::kDebugOn; }

void LogAlways(const std::string& message) { WriteLine(message, lib::kDebugOn); }

}  // namespace quillon
