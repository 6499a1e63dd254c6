#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace provider {

// The paging lines of <proc>/vmstat; nullopt for a line the file does not have.
struct Vmstat {
  std::optional<int64_t> pageFaults;       // "pgfault"
  std::optional<int64_t> majorFaults;      // "pgmajfault": faults that read a page in
  std::optional<int64_t> pagesSwappedOut;  // "pswpout"
};

Vmstat ParseVmstat(std::string_view text);

}  // namespace provider
