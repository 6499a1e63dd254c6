#include <sys/stat.h>
#include <sys/statvfs.h>

#include <set>

#include "provider/counter_math.h"
#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/sources/proc_mountinfo.h"
#include "provider/text_util.h"

// LogicalDisk: one instance per mounted file system of <proc>/self/mountinfo,
// and "_Total". A file system mounted at several places (bind mounts, a
// container's /etc/hosts beside its /) is one volume: the first of its mount
// points that is a directory names it, the others are left out, as are mounts
// of single files. Volumes are the file systems on a block device and the
// network, overlay and pooled file systems that stand in for one; pseudo file
// systems (proc, tmpfs, cgroup, ...) are left out. Space is what an
// unprivileged user may still use, in megabytes, as the statvfs of the mount
// point gives it.
namespace provider {
namespace {

enum Counter : size_t { kFreeSpace, kFreeMegabytes, kCounterCount };

constexpr auto kCounters = CounterTable<kCounterCount>({
    {kFreeSpace, {408, kPerfRawFraction, 0, "% Free Space"}},
    {kFreeMegabytes, {410, kPerfCounterRawcount, 0, "Free Megabytes"}},
});

constexpr int64_t kMegabyte = 1024 * 1024;

bool IsVolume(std::string_view device, std::string_view type) {
  static const std::set<std::string_view> volumeTypes = {"overlay", "zfs",  "btrfs", "nfs",
                                                         "nfs4",    "cifs", "smb3",  "fuseblk"};
  return device.starts_with("/") || volumeTypes.count(type);
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

ObjectSample Collect(const CollectContext& context) {
  ObjectSample sample;
  const std::string* mountinfo = context.Proc("self/mountinfo");
  if (!mountinfo) return sample;
  InstanceSample total{kTotalInstance, std::vector<RawPair>(kCounterCount)};
  int64_t totalFreeMb = 0;
  int64_t totalSizeMb = 0;
  std::set<std::string_view> seenDevices;
  for (const Mount& mount : ParseMountinfo(*mountinfo)) {
    if (!IsVolume(mount.source, mount.type)) continue;
    if (seenDevices.count(mount.device) || !IsDirectory(mount.mountPoint)) continue;
    struct statvfs space {};
    if (statvfs(mount.mountPoint.c_str(), &space) != 0) continue;
    seenDevices.insert(mount.device);
    int64_t blockSize = static_cast<int64_t>(space.f_frsize ? space.f_frsize : space.f_bsize);
    int64_t freeMb = static_cast<int64_t>(space.f_bavail) * blockSize / kMegabyte;
    int64_t sizeMb = static_cast<int64_t>(space.f_blocks) * blockSize / kMegabyte;
    InstanceSample volume{SafeInstanceName(mount.mountPoint), std::vector<RawPair>(kCounterCount)};
    volume.values[kFreeSpace] = FractionIn32Bits(freeMb, sizeMb);
    volume.values[kFreeMegabytes].first = freeMb;
    totalFreeMb += freeMb;
    totalSizeMb += sizeMb;
    sample.instances.push_back(std::move(volume));
  }
  total.values[kFreeSpace] = FractionIn32Bits(totalFreeMb, totalSizeMb);
  total.values[kFreeMegabytes].first = totalFreeMb;
  sample.instances.push_back(std::move(total));
  return sample;
}

constexpr ObjectSpec kLogicalDisk{236, true, kCounters, Collect};

}  // namespace

const ObjectSpec& LogicalDiskObject() { return kLogicalDisk; }

}  // namespace provider
