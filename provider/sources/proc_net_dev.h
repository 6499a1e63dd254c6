#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace provider {

// One interface line of <proc>/net/dev; a column that is no number reads 0.
struct NetDevice {
  std::string_view name;
  int64_t rxBytes = 0, rxPackets = 0, rxErrors = 0;
  int64_t txBytes = 0, txPackets = 0, txErrors = 0;
};

// The interfaces in the order of the file; the two header lines and lines
// without all sixteen columns are left out.
std::vector<NetDevice> ParseNetDev(std::string_view text);

}  // namespace provider
