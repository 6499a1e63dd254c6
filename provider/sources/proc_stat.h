#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace provider {

// A "cpu" or "cpuN" line of <proc>/stat: the first eight time fields, in clock
// ticks (user nice system idle iowait irq softirq steal; a missing or malformed
// field reads 0).
struct CpuLine {
  std::string_view label;          // "cpu", "cpu0", ...
  std::optional<uint64_t> number;  // N of "cpuN"; nullopt for the machine's line
  std::array<int64_t, 8> ticks{};
};

// What the provider reads from <proc>/stat: nullopt (or nothing) for what the
// file does not have, or when there is no file.
struct ProcStat {
  std::optional<CpuLine> machine;          // the "cpu" line
  std::vector<CpuLine> cpus;               // the "cpuN" lines, in the order of the file
  std::optional<int64_t> contextSwitches;  // "ctxt"
  std::optional<int64_t> runningTasks;     // "procs_running": runnable, running ones included
  int64_t onlineCpus = 0;                  // the "cpuN" lines
};

ProcStat ParseProcStat(std::string_view text);

}  // namespace provider
