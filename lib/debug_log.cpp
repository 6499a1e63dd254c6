#include "lib/debug_log.h"

#include "lib/value_text.h"
#include "platform/event_log.h"
#include "platform/file_system.h"
#include "platform/locale_info.h"

namespace lib {

EInOutError::EInOutError(uint32_t errorCode)
    : std::runtime_error("I/O error " + std::to_string(errorCode)), errorCode_(errorCode) {}

namespace {

std::string ZeroPadded(int value, size_t width) {
  const std::string digits = std::to_string(value);
  return digits.size() >= width ? digits : std::string(width - digits.size(), '0') + digits;
}

}  // namespace

std::string FormatLogTime(const platform::TimeOfDay& time, const std::string& separator) {
  return ZeroPadded(time.hour, 2) + separator + ZeroPadded(time.minute, 2) + separator +
         ZeroPadded(time.second, 2) + separator + ZeroPadded(time.millisecond, 3);
}

void DebugLog(const std::string& message, const std::string& debugSwitch) {
  if (debugSwitch != kDebugOn) return;
  const std::string separator = GetLocaleText(platform::kLocaleTimeSeparator);
  const std::string line =
      FormatLogTime(platform::LocalTimeOfDay(), separator) + " , " + message + "\r\n";
  const uint32_t errorCode = platform::AppendToFile(kDebugLogPath, line);
  if (errorCode != 0) throw EInOutError(errorCode);
}

void WriteEventLog(const std::string& message) {
  try {
    platform::ReportInformationEvent("quillon", message);
  } catch (...) {
    // The event log is a courtesy: its failures must not reach the agent's start.
  }
}

}  // namespace lib
