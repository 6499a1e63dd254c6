#include "provider/sources/proc_diskstats.h"

#include "provider/text_util.h"

namespace provider {
namespace {

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

}  // namespace

std::vector<DiskStats> ParseDiskstats(std::string_view text) {
  std::vector<DiskStats> disks;
  for (std::string_view line : SplitLines(text)) {
    auto fields = SplitFields(line);
    if (fields.size() < kFieldCount) continue;
    auto field = [&fields](Field f) { return CountOrZero(fields[f]); };
    disks.push_back({fields[kName], field(kReads), field(kSectorsRead), field(kWrites),
                     field(kSectorsWritten), field(kInProgress), field(kIoMilliseconds)});
  }
  return disks;
}

}  // namespace provider
