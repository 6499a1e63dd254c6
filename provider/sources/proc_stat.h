#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "provider/objects/object_model.h"

namespace provider {

// What System reads from <proc>/stat: nullopt (or 0 CPUs) for what the file does
// not have, or when there is no file.
struct StatSummary {
  std::optional<int64_t> contextSwitches;  // "ctxt"
  std::optional<int64_t> runningTasks;     // "procs_running": runnable, running ones included
  int64_t onlineCpus = 0;                  // the "cpuN" lines
};

StatSummary ParseStatSummary(std::string_view stat);
StatSummary ReadStatSummary(const CollectContext& context);

}  // namespace provider
