#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace provider {

// One line of <proc>/diskstats; a field that is no number reads 0.
struct DiskStats {
  std::string_view name;
  int64_t reads = 0, sectorsRead = 0, writes = 0, sectorsWritten = 0;
  int64_t inProgress = 0;      // I/Os currently in progress
  int64_t ioMilliseconds = 0;  // time spent doing I/Os
};

// The devices in the order of the file; lines of fewer than fourteen fields are
// left out.
std::vector<DiskStats> ParseDiskstats(std::string_view text);

}  // namespace provider
