#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace provider {

// The first field of <proc>/uptime, the seconds since boot, in 100 ns units.
std::optional<int64_t> ParseUptime(std::string_view text);

}  // namespace provider
