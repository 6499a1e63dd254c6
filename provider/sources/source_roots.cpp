#include "provider/sources/source_roots.h"

#include <linux/magic.h>
#include <sys/vfs.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "provider/counter_types.h"
#include "provider/sources/file_read.h"
#include "provider/sources/proc_uptime.h"

namespace provider {
namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kFiletimeEpochOffsetSeconds = 11'644'473'600;

// The snapshots a variable lists, split once per value it takes.
class SnapshotList {
 public:
  SnapshotList(const char* variable, const char* fallback)
      : variable_(variable), fallback_(fallback) {}

  const std::string& ForCollection(uint32_t collection) {
    const char* value = std::getenv(variable_);
    if (!value || !*value) return fallback_;
    if (!parsed_ || value_ != value) Parse(value);
    size_t position = collection == 0 ? 0 : std::min<size_t>(collection, snapshots_.size()) - 1;
    return snapshots_[position];
  }

 private:
  void Parse(const char* value) {
    value_ = value;
    parsed_ = true;
    snapshots_.clear();
    std::string_view rest = value_;
    while (true) {
      size_t colon = rest.find(':');
      snapshots_.emplace_back(rest.substr(0, colon));
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
  }

  const char* variable_;
  std::string fallback_;
  bool parsed_ = false;
  std::string value_;
  std::vector<std::string> snapshots_;
};

// A root on the kernel's own proc file system is the running machine, whatever
// the path that names it: its time is the clock's, not its uptime file's.
bool IsLiveProc(const std::string& root) {
  struct statfs info {};
  return statfs(root.c_str(), &info) == 0 && info.f_type == PROC_SUPER_MAGIC;
}

// What a root is does not change while it is named: asked once per root, not once
// per collection. Caller holds the lock.
bool IsLiveProcRemembered(const std::string& root) {
  static std::string lastRoot;
  static bool lastLive = false;
  if (root != lastRoot || lastRoot.empty()) {
    lastLive = IsLiveProc(root);
    lastRoot = root;
  }
  return lastLive;
}

int64_t ClockIn100Ns(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<int64_t>(now.tv_sec) * kTicksPerSecond + now.tv_nsec / 100;
}

}  // namespace

SourceRoots RootsForCollection(uint32_t collection) {
  // Plain statics, not thread-local ones: objects with destructors per thread
  // would keep the agent library from being unloaded.
  static std::mutex mutex;
  static SnapshotList procRoots("QUILLON_PROC_ROOT", "/proc");
  static SnapshotList sysRoots("QUILLON_SYS_ROOT", "/sys");
  SourceRoots roots;
  {
    std::lock_guard lock(mutex);
    roots.proc = procRoots.ForCollection(collection);
    roots.sys = sysRoots.ForCollection(collection);
    roots.fromFixture = !IsLiveProcRemembered(roots.proc);
  }
  return roots;
}

CollectionClock ReadClock(const SourceRoots& roots) {
  CollectionClock clock;
  if (roots.fromFixture) {
    auto uptime = ReadWholeFile(roots.proc + "/uptime");
    clock.perfTime = (uptime ? ParseUptime(*uptime) : std::nullopt).value_or(0);
    clock.timeStamp = static_cast<uint64_t>(clock.perfTime);
    return clock;
  }
  clock.perfTime = ClockIn100Ns(CLOCK_BOOTTIME);
  clock.timeStamp = static_cast<uint64_t>(ClockIn100Ns(CLOCK_REALTIME) +
                                          kFiletimeEpochOffsetSeconds * kTicksPerSecond);
  return clock;
}

}  // namespace provider
