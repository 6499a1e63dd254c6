#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace provider {

// One swap area of <proc>/swaps, sizes in KiB.
struct SwapArea {
  std::string filename;  // the kernel's escapes turned back into characters
  int64_t sizeKb = 0;
  int64_t usedKb = 0;
};

// The areas in the order of the file; the header line and lines without numbers
// are left out.
std::vector<SwapArea> ParseSwaps(std::string_view text);

}  // namespace provider
