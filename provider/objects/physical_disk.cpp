#include <set>

#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/sources/proc_dirs.h"
#include "provider/text_util.h"

// PhysicalDisk: the whole physical disks of <sys>/block with their
// <proc>/diskstats lines, and "_Total". <sys>/block lists no partitions; what it
// lists besides disks is left out: device-mapper and md RAID devices (their I/O
// is counted on the disks below them already), loop, RAM, compressed-RAM and
// network block devices, and CD/DVD drives.
namespace provider {
namespace {

enum Counter : size_t {
  kReadsPerSec,
  kWritesPerSec,
  kReadBytesPerSec,
  kWriteBytesPerSec,
  kDiskTime,
  kQueueLength,
  kCounterCount
};

// Fields of a diskstats line.
enum Field : size_t {
  kName = 2,
  kReads = 3,
  kSectorsRead = 5,
  kWrites = 7,
  kSectorsWritten = 9,
  kInProgress = 11,
  kIoMilliseconds = 12,
  kFieldCount = 14
};

constexpr int64_t kSectorBytes = 512;
constexpr int64_t kTicksPerMillisecond = kTicksPerSecond / 1000;

bool IsPhysicalDisk(std::string_view name) {
  for (std::string_view other : {"dm-", "md", "loop", "ram", "zram", "sr", "nbd"}) {
    if (name.starts_with(other)) return false;
  }
  return true;
}

ObjectSample Collect(const CollectContext& context) {
  ObjectSample sample;
  std::set<std::string> disks;
  for (const std::string& name : DirectoryEntries(context.sysRoot + "/block")) {
    if (IsPhysicalDisk(name)) disks.insert(name);
  }
  const std::string* diskstats = context.Proc("diskstats");
  if (!diskstats) return sample;
  InstanceSample total{kTotalInstance, std::vector<RawPair>(kCounterCount)};
  for (std::string_view line : SplitLines(*diskstats)) {
    auto fields = SplitFields(line);
    if (fields.size() < kFieldCount || !disks.count(std::string(fields[kName]))) continue;
    auto field = [&](Field f) {
      return static_cast<int64_t>(ParseUnsigned(fields[f]).value_or(0));
    };
    InstanceSample disk{SafeInstanceName(fields[kName]), std::vector<RawPair>(kCounterCount)};
    int64_t now = context.perfTime;
    disk.values[kReadsPerSec] = {field(kReads), now};
    disk.values[kWritesPerSec] = {field(kWrites), now};
    disk.values[kReadBytesPerSec] = {field(kSectorsRead) * kSectorBytes, now};
    disk.values[kWriteBytesPerSec] = {field(kSectorsWritten) * kSectorBytes, now};
    disk.values[kDiskTime] = {field(kIoMilliseconds) * kTicksPerMillisecond, now};
    disk.values[kQueueLength].first = field(kInProgress);
    for (size_t counter = 0; counter < kCounterCount; ++counter) {
      total.values[counter].first += disk.values[counter].first;
      total.values[counter].second = disk.values[counter].second;
    }
    sample.instances.push_back(std::move(disk));
  }
  // The busy time of all disks together is their average.
  if (!sample.instances.empty()) {
    total.values[kDiskTime].first /= static_cast<int64_t>(sample.instances.size());
  }
  sample.instances.push_back(std::move(total));
  return sample;
}

}  // namespace

const ObjectSpec& PhysicalDiskObject() {
  static const ObjectSpec object{234,
                                 true,
                                 {
                                     {214, kPerfCounterCounter, 0},
                                     {216, kPerfCounterCounter, 0},
                                     {220, kPerfCounterBulkCount, -4},
                                     {222, kPerfCounterBulkCount, -4},
                                     {200, kPerf100NsecTimer, 0},
                                     {198, kPerfCounterRawcount, 1},
                                 },
                                 Collect};
  return object;
}

}  // namespace provider
