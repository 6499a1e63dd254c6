#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/clock.h"

namespace lib {

// The debug log cannot be written. Carries the platform's error code; the message
// reads "I/O error <code>".
class EInOutError : public std::runtime_error {
 public:
  explicit EInOutError(uint32_t errorCode);
  uint32_t ErrorCode() const { return errorCode_; }

 private:
  uint32_t errorCode_;
};

inline constexpr const char* kDebugLogPath = "c:\\log.txt";

// The debug switch that turns the debug log on; any other text leaves it off.
inline constexpr const char* kDebugOn = "1";

// "hh:nn:ss:zzz" with the given separator between the fields.
std::string FormatLogTime(const platform::TimeOfDay& time, const std::string& separator);

// Appends "hh:nn:ss:zzz , message" and CR LF to c:\log.txt when debugSwitch is
// exactly "1"; otherwise touches nothing. Raises EInOutError when the file can be
// neither appended to nor created, or the line cannot be written.
void DebugLog(const std::string& message, const std::string& debugSwitch);

// One informational event with the message, source "quillon". Never fails.
void WriteEventLog(const std::string& message);

}  // namespace lib
