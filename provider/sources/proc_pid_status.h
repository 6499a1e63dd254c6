#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace provider {

// The memory lines of <proc>/<pid>/status, in kB; kernel threads have none of them.
struct PidStatus {
  std::optional<int64_t> residentKb;   // "VmRSS"
  std::optional<int64_t> anonymousKb;  // "RssAnon": resident memory of its own
  std::optional<int64_t> swappedKb;    // "VmSwap"
};

PidStatus ParsePidStatus(std::string_view text);

}  // namespace provider
