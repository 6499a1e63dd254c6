#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Files of one number: <sys>/class/net/<name>/speed (Mbit/s), the cpufreq files
// (kHz), <proc>/sys/vm/min_free_kbytes.
namespace provider {

// The first field of the text as an unsigned number; nullopt when there is none
// (a link without carrier reports a speed of -1).
std::optional<uint64_t> ParseSingleNumber(std::string_view text);

}  // namespace provider
