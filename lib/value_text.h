#pragma once

#include <cstdint>
#include <string>

#include "lib/counter_value.h"

namespace lib {

// A value as text with "." as its decimal separator whatever the locale; Null gives
// the empty text. Doubles: at most 15 significant digits, positional for decimal
// exponents -3..15, otherwise 1E-5, 1.5E20; INF, -INF, NAN.
std::string ValueToText(const CounterValue& value);

// One item of the user's locale (platform::kLocaleDecimalSeparator, ...); empty on failure.
std::string GetLocaleText(uint32_t item);

}  // namespace lib
