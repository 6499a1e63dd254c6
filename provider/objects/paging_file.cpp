#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

#include "provider/counter_math.h"
#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/sources/proc_swaps.h"
#include "provider/text_util.h"

// Paging File: one instance per swap area of <proc>/swaps, in its order, named
// by the area's path as Windows names a paging file by its path, and "_Total".
//
// % Usage is the used share of the area. Windows' kernel keeps the peak of a
// paging file; Linux keeps none, so % Usage Peak is the highest usage that this
// process has seen of the area (the same path and size) in any collection since
// it started. A peak reached before that, or between two collections, is not
// known; a peak never falls below the current usage.
//
// Without the swaps file (a kernel without swap support) there is only the
// "_Total", and it has no value.
namespace provider {
namespace {

enum Counter : size_t { kUsage, kUsagePeak, kCounterCount };

constexpr auto kCounters = CounterTable<kCounterCount>({
    {kUsage, {702, kPerfRawFraction, 0, "% Usage"}},
    {kUsagePeak, {704, kPerfRawFraction, 0, "% Usage Peak"}},
});

// The highest usage seen of an area, by name and size.
int64_t RecordPeak(const std::string& name, int64_t size, int64_t used) {
  static std::mutex mutex;
  static std::map<std::pair<std::string, int64_t>, int64_t> peaks;
  std::lock_guard lock(mutex);
  int64_t& peak = peaks[{name, size}];
  peak = std::max(peak, used);
  return peak;
}

InstanceSample MakeInstance(std::string name, int64_t size, int64_t used) {
  int64_t peak = RecordPeak(name, size, used);
  InstanceSample instance{std::move(name), std::vector<RawPair>(kCounterCount)};
  instance.values[kUsage] = FractionIn32Bits(used, size);
  instance.values[kUsagePeak] = FractionIn32Bits(peak, size);
  return instance;
}

ObjectSample Collect(const CollectContext& context) {
  ObjectSample sample;
  // The file names the instances, so it is read whatever counters are wanted.
  const std::string* swaps = context.Proc("swaps");
  if (!swaps) {
    sample.instances.push_back({kTotalInstance, std::vector<RawPair>(kCounterCount, kMissing)});
    return sample;
  }
  int64_t totalSize = 0, totalUsed = 0;
  for (const SwapArea& area : ParseSwaps(*swaps)) {
    sample.instances.push_back(
        MakeInstance(SafeInstanceName(area.filename), area.sizeKb, area.usedKb));
    totalSize += area.sizeKb;
    totalUsed += area.usedKb;
  }
  sample.instances.push_back(MakeInstance(kTotalInstance, totalSize, totalUsed));
  return sample;
}

constexpr ObjectSpec kPagingFile{700, true, kCounters, Collect};

}  // namespace

const ObjectSpec& PagingFileObject() { return kPagingFile; }

}  // namespace provider
