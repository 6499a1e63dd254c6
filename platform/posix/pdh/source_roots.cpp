#include "platform/posix/pdh/source_roots.h"

#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/posix/pdh/counter_types.h"
#include "platform/posix/pdh/text_util.h"

namespace platform::posix::pdh {
namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kFiletimeEpochOffsetSeconds = 11'644'473'600;

std::string SnapshotOf(const char* variable, const char* fallback, uint32_t collection) {
  const char* value = std::getenv(variable);
  if (!value || !*value) return fallback;
  std::vector<std::string> snapshots;
  std::string_view rest = value;
  while (true) {
    size_t colon = rest.find(':');
    snapshots.emplace_back(rest.substr(0, colon));
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  size_t position = collection == 0 ? 0 : std::min<size_t>(collection, snapshots.size()) - 1;
  return snapshots[position];
}

int64_t ClockIn100Ns(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<int64_t>(now.tv_sec) * kTicksPerSecond + now.tv_nsec / 100;
}

}  // namespace

SourceRoots RootsForCollection(uint32_t collection) {
  SourceRoots roots;
  roots.proc = SnapshotOf("QUILLON_PROC_ROOT", "/proc", collection);
  roots.sys = SnapshotOf("QUILLON_SYS_ROOT", "/sys", collection);
  const char* procRoot = std::getenv("QUILLON_PROC_ROOT");
  roots.fromFixture = procRoot && *procRoot;
  return roots;
}

CollectionClock ReadClock(const SourceRoots& roots) {
  CollectionClock clock;
  if (roots.fromFixture) {
    auto uptime = ReadWholeFile(roots.proc + "/uptime");
    auto fields = SplitFields(uptime ? std::string_view(*uptime) : std::string_view());
    auto seconds = fields.empty() ? std::nullopt : ParseScaledDecimal(fields[0], kTicksPerSecond);
    clock.perfTime = seconds.value_or(0);
    clock.timeStamp = static_cast<uint64_t>(clock.perfTime);
    return clock;
  }
  clock.perfTime = ClockIn100Ns(CLOCK_BOOTTIME);
  clock.timeStamp = static_cast<uint64_t>(ClockIn100Ns(CLOCK_REALTIME) +
                                          kFiletimeEpochOffsetSeconds * kTicksPerSecond);
  return clock;
}

}  // namespace platform::posix::pdh
