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

void Log(const std::string& message) { WriteLine(message, State().settings.debug); }

void LogAlways(const std::string& message) { WriteLine(message, "1"); }

}  // namespace quillon
