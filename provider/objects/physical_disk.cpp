#include <set>

#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/sources/proc_dirs.h"
#include "provider/sources/proc_diskstats.h"
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

constexpr auto kCounters = CounterTable<kCounterCount>({
    {kReadsPerSec, {214, kPerfCounterCounter, 0, "Disk Reads/sec"}},
    {kWritesPerSec, {216, kPerfCounterCounter, 0, "Disk Writes/sec"}},
    {kReadBytesPerSec, {220, kPerfCounterBulkCount, -4, "Disk Read Bytes/sec"}},
    {kWriteBytesPerSec, {222, kPerfCounterBulkCount, -4, "Disk Write Bytes/sec"}},
    {kDiskTime, {200, kPerf100NsecTimer, 0, "% Disk Time"}},
    {kQueueLength, {198, kPerfCounterRawcount, 1, "Current Disk Queue Length"}},
});

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
  for (const DiskStats& stats : ParseDiskstats(*diskstats)) {
    if (!disks.count(std::string(stats.name))) continue;
    InstanceSample disk{SafeInstanceName(stats.name), std::vector<RawPair>(kCounterCount)};
    int64_t now = context.perfTime;
    disk.values[kReadsPerSec] = {stats.reads, now};
    disk.values[kWritesPerSec] = {stats.writes, now};
    disk.values[kReadBytesPerSec] = {stats.sectorsRead * kSectorBytes, now};
    disk.values[kWriteBytesPerSec] = {stats.sectorsWritten * kSectorBytes, now};
    disk.values[kDiskTime] = {stats.ioMilliseconds * kTicksPerMillisecond, now};
    disk.values[kQueueLength].first = stats.inProgress;
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

constexpr ObjectSpec kPhysicalDisk{234, true, kCounters, Collect};

}  // namespace

const ObjectSpec& PhysicalDiskObject() { return kPhysicalDisk; }

}  // namespace provider
