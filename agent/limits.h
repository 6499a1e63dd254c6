#pragma once

#include <cstdint>

namespace quillon {

// How long a command row or a trap script may run before it is ended: one hour.
constexpr uint32_t kCommandTimeLimitMs = 3600000;

}  // namespace quillon
