#include <algorithm>
#include <array>
#include <optional>

#include "platform/posix/pdh/counter_math.h"
#include "platform/posix/pdh/counter_types.h"
#include "platform/posix/pdh/object_model.h"
#include "platform/posix/pdh/objects/key_value_file.h"
#include "platform/posix/pdh/text_util.h"

// Memory: <proc>/meminfo for sizes, <proc>/vmstat for paging. The commit limit
// is what Windows means by it, physical memory plus swap, rather than the
// kernel's strict-overcommit CommitLimit. A value whose line or file is missing
// has no value.
//
// Kernels before 3.14 have no MemAvailable line. There the available memory is
// estimated as the kernel computes MemAvailable: free memory less the low
// watermark, plus the page cache (active and inactive file pages) and the
// reclaimable slab, of each of which the part that the watermark keeps back (at
// most half) does not count. The low watermark of such a kernel is 5/4 of
// vm.min_free_kbytes (<proc>/sys/vm/min_free_kbytes; 0 when that is missing).
// The estimate needs MemFree; a missing page-cache or slab line counts as 0.
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

enum MeminfoLine : size_t {
  kMemAvailable,
  kMemTotal,
  kSwapTotal,
  kCommittedAs,
  kCached,
  kMemFree,
  kActiveFile,
  kInactiveFile,
  kSlabReclaimable,
  kMeminfoLineCount
};
constexpr std::array<std::string_view, kMeminfoLineCount> kMeminfoNames = {
    "MemAvailable", "MemTotal",     "SwapTotal",      "Committed_AS", "Cached",
    "MemFree",      "Active(file)", "Inactive(file)", "SReclaimable"};

enum VmstatLine : size_t { kPageFaults, kMajorFaults, kPagesSwappedOut, kVmstatLineCount };
constexpr std::array<std::string_view, kVmstatLineCount> kVmstatNames = {"pgfault", "pgmajfault",
                                                                         "pswpout"};

using MeminfoValues = std::array<std::optional<int64_t>, kMeminfoLineCount>;

std::optional<int64_t> EstimatedAvailableKb(const CollectContext& context,
                                            const MeminfoValues& meminfo) {
  if (!meminfo[kMemFree]) return std::nullopt;
  int64_t lowWatermark = 0;
  if (const std::string* minFree = context.Proc("sys/vm/min_free_kbytes")) {
    auto fields = SplitFields(*minFree);
    auto kilobytes = fields.empty() ? std::nullopt : ParseUnsigned(fields[0]);
    lowWatermark = static_cast<int64_t>(kilobytes.value_or(0)) * 5 / 4;
  }
  int64_t pageCache = meminfo[kActiveFile].value_or(0) + meminfo[kInactiveFile].value_or(0);
  int64_t slab = meminfo[kSlabReclaimable].value_or(0);
  int64_t available = *meminfo[kMemFree] - lowWatermark;
  available += pageCache - std::min(pageCache / 2, lowWatermark);
  available += slab - std::min(slab / 2, lowWatermark);
  return std::max<int64_t>(available, 0);
}

void ReadSizes(const CollectContext& context, InstanceSample& instance) {
  MeminfoValues meminfo;
  if (const std::string* text = context.Proc("meminfo")) {
    FindKeyValues(*text, kMeminfoNames, meminfo);
  }
  auto available =
      meminfo[kMemAvailable] ? meminfo[kMemAvailable] : EstimatedAvailableKb(context, meminfo);
  auto limit = meminfo[kMemTotal] && meminfo[kSwapTotal]
                   ? std::optional<int64_t>(*meminfo[kMemTotal] + *meminfo[kSwapTotal])
                   : std::nullopt;
  auto committed = meminfo[kCommittedAs];
  auto& values = instance.values;
  if (available) {
    values[kAvailableBytes].first = *available * kKilo;
    values[kAvailableKBytes].first = *available;
    values[kAvailableMBytes].first = *available / kKilo;
  } else {
    values[kAvailableBytes] = values[kAvailableKBytes] = values[kAvailableMBytes] = kMissing;
  }
  values[kCommittedBytes] = committed ? RawPair{*committed * kKilo} : kMissing;
  values[kCommitLimit] = limit ? RawPair{*limit * kKilo} : kMissing;
  // Kilobytes, and halved together when they outgrow the 32-bit fraction.
  values[kCommittedInUse] = committed && limit ? FractionIn32Bits(*committed, *limit) : kMissing;
  values[kCacheBytes] = meminfo[kCached] ? RawPair{*meminfo[kCached] * kKilo} : kMissing;
}

void ReadPaging(const CollectContext& context, InstanceSample& instance) {
  std::array<std::optional<int64_t>, kVmstatLineCount> vmstat;
  if (const std::string* text = context.Proc("vmstat")) FindKeyValues(*text, kVmstatNames, vmstat);
  auto& values = instance.values;
  values[kPageFaultsPerSec] =
      vmstat[kPageFaults] ? RawPair{*vmstat[kPageFaults], context.perfTime} : kMissing;
  // Hard faults read pages in; swapping out writes them.
  values[kPagesPerSec] =
      vmstat[kMajorFaults] && vmstat[kPagesSwappedOut]
          ? RawPair{*vmstat[kMajorFaults] + *vmstat[kPagesSwappedOut], context.perfTime}
          : kMissing;
}

ObjectSample Collect(const CollectContext& context) {
  InstanceSample instance{"", std::vector<RawPair>(kCounterCount)};
  if (context.Wants({kAvailableBytes, kAvailableKBytes, kAvailableMBytes, kCommittedBytes,
                     kCommitLimit, kCommittedInUse, kCacheBytes})) {
    ReadSizes(context, instance);
  }
  if (context.Wants({kPageFaultsPerSec, kPagesPerSec})) ReadPaging(context, instance);
  ObjectSample sample;
  sample.instances.push_back(std::move(instance));
  return sample;
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
