#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace provider {

// What Process reads from <proc>/<pid>/stat; times in clock ticks.
struct PidStat {
  std::string_view name;  // the command name between the parentheses
  uint64_t userTicks = 0;
  uint64_t systemTicks = 0;
  int64_t threads = 0;
  uint64_t startTicks = 0;  // since boot
  int64_t virtualBytes = 0;
};

// nullopt when the line is cut short (a process that ends while it is read).
std::optional<PidStat> ParsePidStat(std::string_view text);

}  // namespace provider
