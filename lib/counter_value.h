#pragma once

#include <cstdint>
#include <variant>

namespace lib {

// A counter's value as it travels through the system. The alternatives stand in the
// order of their kind names: Null (no value), Integer (32-bit signed), LongWord
// (32-bit unsigned), Int64 and Double.
using CounterValue = std::variant<std::monostate, int32_t, uint32_t, int64_t, double>;

// "Null", "Integer", "LongWord", "Int64" or "Double", as the debug log names the kind.
const char* KindName(const CounterValue& value);

inline bool IsNull(const CounterValue& value) {
  return std::holds_alternative<std::monostate>(value);
}

}  // namespace lib
