#include <sys/statvfs.h>

#include <set>

#include "platform/posix/pdh/counter_types.h"
#include "platform/posix/pdh/object_model.h"
#include "platform/posix/pdh/text_util.h"

// LogicalDisk: one instance per mounted volume of <proc>/mounts, named by its
// mount point, and "_Total". Volumes are the file systems on a block device and
// the network, overlay and pooled file systems that stand in for one; pseudo
// file systems (proc, tmpfs, cgroup, ...) are left out. Space is what an
// unprivileged user may still use, in megabytes, as the statvfs of the mount
// point gives it.
namespace platform::posix::pdh {
namespace {

enum Counter : size_t { kFreeSpace, kFreeMegabytes, kCounterCount };

constexpr int64_t kMegabyte = 1024 * 1024;

bool IsVolume(std::string_view device, std::string_view type) {
  static const std::set<std::string_view> volumeTypes = {"overlay", "zfs",  "btrfs", "nfs",
                                                         "nfs4",    "cifs", "smb3",  "fuseblk"};
  return device.starts_with("/") || volumeTypes.count(type);
}

// Mount points in <proc>/mounts escape blanks and the like as "\ooo".
std::string UnescapeMountField(std::string_view field) {
  std::string text;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      auto digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string_view::npos) {
        text +=
            static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
        i += 3;
        continue;
      }
    }
    text += field[i];
  }
  return text;
}

ObjectSample Collect(const CollectContext& context) {
  ObjectSample sample;
  auto mounts = ReadWholeFile(context.procRoot + "/mounts");
  if (!mounts) return sample;
  InstanceSample total{kTotalInstance, std::vector<RawPair>(kCounterCount)};
  std::set<std::string> seen;
  for (std::string_view line : SplitLines(*mounts)) {
    auto fields = SplitFields(line);
    if (fields.size() < 3 || !IsVolume(fields[0], fields[2])) continue;
    std::string mountPoint = UnescapeMountField(fields[1]);
    if (!seen.insert(mountPoint).second) continue;
    struct statvfs space {};
    if (statvfs(mountPoint.c_str(), &space) != 0) continue;
    int64_t blockSize = static_cast<int64_t>(space.f_frsize ? space.f_frsize : space.f_bsize);
    int64_t freeMb = static_cast<int64_t>(space.f_bavail) * blockSize / kMegabyte;
    int64_t sizeMb = static_cast<int64_t>(space.f_blocks) * blockSize / kMegabyte;
    InstanceSample volume{SafeInstanceName(mountPoint), std::vector<RawPair>(kCounterCount)};
    volume.values[kFreeSpace] = {freeMb, sizeMb};
    volume.values[kFreeMegabytes].first = freeMb;
    total.values[kFreeSpace].first += freeMb;
    total.values[kFreeSpace].second += sizeMb;
    total.values[kFreeMegabytes].first += freeMb;
    sample.instances.push_back(std::move(volume));
  }
  sample.instances.push_back(std::move(total));
  return sample;
}

}  // namespace

const ObjectSpec& LogicalDiskObject() {
  static const ObjectSpec object{236,
                                 true,
                                 {
                                     {408, kPerfRawFraction, 0},
                                     {410, kPerfCounterRawcount, 0},
                                 },
                                 Collect};
  return object;
}

}  // namespace platform::posix::pdh
