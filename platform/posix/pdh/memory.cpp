#include "platform/posix/pdh/counter_types.h"
#include "platform/posix/pdh/key_value_file.h"
#include "platform/posix/pdh/object_model.h"

// Memory: <proc>/meminfo for sizes, <proc>/vmstat for paging. The commit limit
// is what Windows means by it, physical memory plus swap, rather than the
// kernel's strict-overcommit CommitLimit.
namespace platform::posix::pdh {
namespace {

enum Counter : size_t {
  kAvailableBytes,
  kAvailableKBytes,
  kAvailableMBytes,
  kCommittedBytes,
  kCommitLimit,
  kCommittedInUse,
  kCacheBytes,
  kPageFaultsPerSec,
  kPagesPerSec,
  kCounterCount
};

constexpr int64_t kKilo = 1024;

ObjectSample Collect(const CollectContext& context) {
  InstanceSample instance{"", std::vector<RawPair>(kCounterCount)};
  if (context.Wants({kAvailableBytes, kAvailableKBytes, kAvailableMBytes, kCommittedBytes,
                     kCommitLimit, kCommittedInUse, kCacheBytes})) {
    auto meminfo = ReadKeyValueFile(context.procRoot + "/meminfo");
    int64_t availableKb = ValueOf(meminfo, "MemAvailable");
    int64_t committedKb = ValueOf(meminfo, "Committed_AS");
    int64_t limitKb = ValueOf(meminfo, "MemTotal") + ValueOf(meminfo, "SwapTotal");
    instance.values[kAvailableBytes].first = availableKb * kKilo;
    instance.values[kAvailableKBytes].first = availableKb;
    instance.values[kAvailableMBytes].first = availableKb / kKilo;
    instance.values[kCommittedBytes].first = committedKb * kKilo;
    instance.values[kCommitLimit].first = limitKb * kKilo;
    // The fraction is a 32-bit type: kilobytes keep it in range.
    instance.values[kCommittedInUse] = {committedKb, limitKb};
    instance.values[kCacheBytes].first = ValueOf(meminfo, "Cached") * kKilo;
  }
  if (context.Wants({kPageFaultsPerSec, kPagesPerSec})) {
    auto vmstat = ReadKeyValueFile(context.procRoot + "/vmstat");
    instance.values[kPageFaultsPerSec] = {ValueOf(vmstat, "pgfault"), context.perfTime};
    // Hard faults read pages in; swapping out writes them.
    instance.values[kPagesPerSec] = {ValueOf(vmstat, "pgmajfault") + ValueOf(vmstat, "pswpout"),
                                     context.perfTime};
  }
  return ObjectSample{{instance}};
}

}  // namespace

const ObjectSpec& MemoryObject() {
  static const ObjectSpec object{4,
                                 false,
                                 {
                                     {24, kPerfCounterLargeRawcount, -6},
                                     {1380, kPerfCounterLargeRawcount, -3},
                                     {1382, kPerfCounterLargeRawcount, 0},
                                     {26, kPerfCounterLargeRawcount, -6},
                                     {30, kPerfCounterLargeRawcount, -6},
                                     {1406, kPerfRawFraction, 0},
                                     {818, kPerfCounterLargeRawcount, -6},
                                     {28, kPerfCounterCounter, -1},
                                     {40, kPerfCounterCounter, 0},
                                 },
                                 Collect};
  return object;
}

}  // namespace platform::posix::pdh
