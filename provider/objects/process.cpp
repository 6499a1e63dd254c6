#include <array>
#include <optional>

#include "provider/counter_types.h"
#include "provider/objects/clock_ticks.h"
#include "provider/objects/object_model.h"
#include "provider/sources/key_value_file.h"
#include "provider/sources/proc_dirs.h"
#include "provider/text_util.h"

// Process: one instance per process directory, in ascending id order, named by
// the command name of its stat line (several processes may share a name), and
// "_Total". Sizes come from stat (virtual size) and status (resident and private
// memory); handles are the entries of the fd directory. The status file and the
// fd directory are read only for the counters that need them.
namespace provider {
namespace {

enum Counter : size_t {
  kProcessorTime,
  kUserTime,
  kPrivilegedTime,
  kWorkingSet,
  kPrivateBytes,
  kVirtualBytes,
  kThreadCount,
  kIdProcess,
  kHandleCount,
  kElapsedTime,
  kCounterCount
};

// Fields of a stat line counted from the state field, which is field 3.
enum StatField : size_t {
  kUtime = 14 - 3,
  kStime = 15 - 3,
  kThreads = 20 - 3,
  kStartTime = 22 - 3,
  kVsize = 23 - 3,
  kStatFieldCount = 24 - 3
};

constexpr int64_t kKilo = 1024;

struct StatLine {
  std::string name;
  std::vector<int64_t> fields;
};

std::optional<StatLine> ReadStatLine(const CollectContext& context, const std::string& processDir) {
  std::string& content = context.Files().Scratch();
  if (!ReadFileInto(processDir + "/stat", content)) return std::nullopt;
  size_t open = content.find('(');
  size_t close = content.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return std::nullopt;
  StatLine stat{content.substr(open + 1, close - open - 1), {}};
  stat.fields.reserve(kStatFieldCount + 32);
  for (std::string_view field : SplitFields(std::string_view(content).substr(close + 1))) {
    stat.fields.push_back(static_cast<int64_t>(ParseUnsigned(field).value_or(0)));
  }
  if (stat.fields.size() < kStatFieldCount) return std::nullopt;
  return stat;
}

InstanceSample ReadProcess(const CollectContext& context, uint32_t id, const StatLine& stat) {
  std::string dir = context.procRoot + "/" + std::to_string(id);
  InstanceSample process{SafeInstanceName(stat.name), std::vector<RawPair>(kCounterCount)};
  int64_t now = context.perfTime;
  int64_t user = ClockTicksTo100Ns(static_cast<uint64_t>(stat.fields[kUtime]));
  int64_t privileged = ClockTicksTo100Ns(static_cast<uint64_t>(stat.fields[kStime]));
  process.values[kProcessorTime] = {user + privileged, now};
  process.values[kUserTime] = {user, now};
  process.values[kPrivilegedTime] = {privileged, now};
  if (context.Wants({kWorkingSet, kPrivateBytes})) {
    // Kernel threads have none of these lines: they use no memory of their own.
    static constexpr std::array<std::string_view, 3> kNames = {"VmRSS", "RssAnon", "VmSwap"};
    std::array<std::optional<int64_t>, 3> status;
    std::string& content = context.Files().Scratch();
    if (ReadFileInto(dir + "/status", content)) FindKeyValues(content, kNames, status);
    process.values[kWorkingSet].first = status[0].value_or(0) * kKilo;
    process.values[kPrivateBytes].first = (status[1].value_or(0) + status[2].value_or(0)) * kKilo;
  }
  process.values[kVirtualBytes].first = stat.fields[kVsize];
  process.values[kThreadCount].first = stat.fields[kThreads];
  process.values[kIdProcess].first = id;
  if (context.Wants({kHandleCount})) {
    process.values[kHandleCount].first = static_cast<int64_t>(DirectoryEntries(dir + "/fd").size());
  }
  process.values[kElapsedTime] = {ClockTicksTo100Ns(static_cast<uint64_t>(stat.fields[kStartTime])),
                                  now};
  return process;
}

ObjectSample Collect(const CollectContext& context) {
  ObjectSample sample;
  InstanceSample total{kTotalInstance, std::vector<RawPair>(kCounterCount)};
  for (uint32_t id : ProcessIds(context.procRoot)) {
    // A process that ends while the directory is read is simply not there.
    auto stat = ReadStatLine(context, context.procRoot + "/" + std::to_string(id));
    if (!stat) continue;
    InstanceSample process = ReadProcess(context, id, *stat);
    for (size_t counter : {kProcessorTime, kUserTime, kPrivilegedTime, kWorkingSet, kPrivateBytes,
                           kVirtualBytes, kThreadCount, kHandleCount}) {
      total.values[counter].first += process.values[counter].first;
      total.values[counter].second = process.values[counter].second;
    }
    sample.instances.push_back(std::move(process));
  }
  // The total has no process id and no age of its own.
  total.values[kElapsedTime] = {context.perfTime, context.perfTime};
  sample.instances.push_back(std::move(total));
  return sample;
}

}  // namespace

const ObjectSpec& ProcessObject() {
  static const ObjectSpec object{230,
                                 true,
                                 {
                                     {6, kPerf100NsecTimer, 0},
                                     {142, kPerf100NsecTimer, 0},
                                     {144, kPerf100NsecTimer, 0},
                                     {180, kPerfCounterLargeRawcount, -5},
                                     {186, kPerfCounterLargeRawcount, -5},
                                     {174, kPerfCounterLargeRawcount, -6},
                                     {680, kPerfCounterRawcount, 0},
                                     {784, kPerfCounterRawcount, -1},
                                     {952, kPerfCounterRawcount, 0},
                                     {684, kPerfElapsedTime, -4},
                                 },
                                 Collect};
  return object;
}

}  // namespace provider
