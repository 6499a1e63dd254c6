#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace provider {

// What <proc>/loadavg says beyond the load averages.
struct Loadavg {
  // The total of the "running/total" field: the scheduling entities (threads).
  std::optional<int64_t> schedulingEntities;
};

Loadavg ParseLoadavg(std::string_view text);

}  // namespace provider
