#include <algorithm>
#include <array>
#include <optional>

#include "provider/counter_math.h"
#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/sources/proc_meminfo.h"
#include "provider/sources/proc_vmstat.h"
#include "provider/sources/single_number.h"

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
namespace provider {
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

constexpr auto kCounters = CounterTable<kCounterCount>({
    {kAvailableBytes, {24, kPerfCounterLargeRawcount, -6, "Available Bytes"}},
    {kAvailableKBytes, {1380, kPerfCounterLargeRawcount, -3, "Available KBytes"}},
    {kAvailableMBytes, {1382, kPerfCounterLargeRawcount, 0, "Available MBytes"}},
    {kCommittedBytes, {26, kPerfCounterLargeRawcount, -6, "Committed Bytes"}},
    {kCommitLimit, {30, kPerfCounterLargeRawcount, -6, "Commit Limit"}},
    {kCommittedInUse, {1406, kPerfRawFraction, 0, "% Committed Bytes In Use"}},
    {kCacheBytes, {818, kPerfCounterLargeRawcount, -6, "Cache Bytes"}},
    {kPageFaultsPerSec, {28, kPerfCounterCounter, -1, "Page Faults/sec"}},
    {kPagesPerSec, {40, kPerfCounterCounter, 0, "Pages/sec"}},
});

constexpr int64_t kKilo = 1024;

std::optional<int64_t> EstimatedAvailableKb(const CollectContext& context,
                                            std::string_view meminfo) {
  const Meminfo lines = ParseMeminfo(meminfo, {&Meminfo::memFree, &Meminfo::activeFile,
                                               &Meminfo::inactiveFile, &Meminfo::slabReclaimable});
  if (!lines.memFree) return std::nullopt;
  int64_t lowWatermark = 0;
  if (const std::string* minFree = context.Proc("sys/vm/min_free_kbytes")) {
    lowWatermark = static_cast<int64_t>(ParseSingleNumber(*minFree).value_or(0)) * 5 / 4;
  }
  int64_t pageCache = lines.activeFile.value_or(0) + lines.inactiveFile.value_or(0);
  int64_t slab = lines.slabReclaimable.value_or(0);
  int64_t available = *lines.memFree - lowWatermark;
  available += pageCache - std::min(pageCache / 2, lowWatermark);
  available += slab - std::min(slab / 2, lowWatermark);
  return std::max<int64_t>(available, 0);
}

void ReadSizes(const CollectContext& context, InstanceSample& instance) {
  const std::string* text = context.Proc("meminfo");
  const std::string_view meminfo = text ? std::string_view(*text) : std::string_view();
  auto& values = instance.values;
  if (context.Wants({kAvailableBytes, kAvailableKBytes, kAvailableMBytes})) {
    // The counters' groups each ask for their own lines: a read usually wants one group.
    auto available = ParseMeminfo(meminfo, {&Meminfo::memAvailable}).memAvailable;
    if (!available) available = EstimatedAvailableKb(context, meminfo);
    if (available) {
      values[kAvailableBytes].first = *available * kKilo;
      values[kAvailableKBytes].first = *available;
      values[kAvailableMBytes].first = *available / kKilo;
    } else {
      values[kAvailableBytes] = values[kAvailableKBytes] = values[kAvailableMBytes] = kMissing;
    }
  }
  if (context.Wants({kCommittedBytes, kCommitLimit, kCommittedInUse})) {
    const Meminfo lines =
        ParseMeminfo(meminfo, {&Meminfo::committedAs, &Meminfo::memTotal, &Meminfo::swapTotal});
    const auto committed = lines.committedAs;
    const auto limit = lines.memTotal && lines.swapTotal
                           ? std::optional<int64_t>(*lines.memTotal + *lines.swapTotal)
                           : std::nullopt;
    values[kCommittedBytes] = committed ? RawPair{*committed * kKilo} : kMissing;
    values[kCommitLimit] = limit ? RawPair{*limit * kKilo} : kMissing;
    // Kilobytes, and halved together when they outgrow the 32-bit fraction.
    values[kCommittedInUse] = committed && limit ? FractionIn32Bits(*committed, *limit) : kMissing;
  }
  if (context.Wants({kCacheBytes})) {
    const auto cached = ParseMeminfo(meminfo, {&Meminfo::cached}).cached;
    values[kCacheBytes] = cached ? RawPair{*cached * kKilo} : kMissing;
  }
}

void ReadPaging(const CollectContext& context, InstanceSample& instance) {
  const std::string* text = context.Proc("vmstat");
  const Vmstat vmstat = text ? ParseVmstat(*text) : Vmstat{};
  auto& values = instance.values;
  values[kPageFaultsPerSec] =
      vmstat.pageFaults ? RawPair{*vmstat.pageFaults, context.perfTime} : kMissing;
  // Hard faults read pages in; swapping out writes them.
  values[kPagesPerSec] =
      vmstat.majorFaults && vmstat.pagesSwappedOut
          ? RawPair{*vmstat.majorFaults + *vmstat.pagesSwappedOut, context.perfTime}
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

constexpr ObjectSpec kMemory{4, false, kCounters, Collect};

}  // namespace

const ObjectSpec& MemoryObject() { return kMemory; }

}  // namespace provider
