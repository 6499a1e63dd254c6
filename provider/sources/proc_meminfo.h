#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>

namespace provider {

// The lines of <proc>/meminfo that the provider reads, in kB; nullopt for a line
// that the file does not have (MemAvailable before kernel 3.14) or that was not asked for.
struct Meminfo {
  std::optional<int64_t> memTotal;         // "MemTotal"
  std::optional<int64_t> memFree;          // "MemFree"
  std::optional<int64_t> memAvailable;     // "MemAvailable"
  std::optional<int64_t> cached;           // "Cached"
  std::optional<int64_t> activeFile;       // "Active(file)"
  std::optional<int64_t> inactiveFile;     // "Inactive(file)"
  std::optional<int64_t> swapTotal;        // "SwapTotal"
  std::optional<int64_t> slabReclaimable;  // "SReclaimable"
  std::optional<int64_t> committedAs;      // "Committed_AS"
};

using MeminfoLine = std::optional<int64_t> Meminfo::*;

// The lines asked for, in one pass that ends once each has its number: the file has
// some fifty lines and a read usually wants one or two of them.
Meminfo ParseMeminfo(std::string_view text, std::initializer_list<MeminfoLine> wanted);

}  // namespace provider
