#pragma once

#include <cstdint>
#include <map>
#include <string_view>

namespace provider {

// Interrupts handled per CPU number, summed over the rows of <proc>/interrupts
// (the CPUn columns of its header line).
std::map<int, int64_t> ParseInterruptsPerCpu(std::string_view text);

}  // namespace provider
