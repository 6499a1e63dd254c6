#include <array>
#include <optional>

#include "provider/counter_types.h"
#include "provider/objects/clock_ticks.h"
#include "provider/objects/cpu_time_counters.h"
#include "provider/objects/object_model.h"
#include "provider/sources/file_read.h"
#include "provider/sources/proc_dirs.h"
#include "provider/sources/proc_pid_stat.h"
#include "provider/sources/proc_pid_status.h"
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

constexpr auto kCounters = CounterTable<kCounterCount>({
    {kProcessorTime, kProcessTimeSpec},
    {kUserTime, kUserTimeSpec},
    {kPrivilegedTime, kPrivilegedTimeSpec},
    {kWorkingSet, {180, kPerfCounterLargeRawcount, -5, "Working Set"}},
    {kPrivateBytes, {186, kPerfCounterLargeRawcount, -5, "Private Bytes"}},
    {kVirtualBytes, {174, kPerfCounterLargeRawcount, -6, "Virtual Bytes"}},
    {kThreadCount, {680, kPerfCounterRawcount, 0, "Thread Count"}},
    {kIdProcess, {784, kPerfCounterRawcount, -1, "ID Process"}},
    {kHandleCount, {952, kPerfCounterRawcount, 0, "Handle Count"}},
    {kElapsedTime, {684, kPerfElapsedTime, -4, "Elapsed Time"}},
});

constexpr int64_t kKilo = 1024;

InstanceSample ReadProcess(const CollectContext& context, uint32_t id, const std::string& dir,
                           const PidStat& stat) {
  InstanceSample process{SafeInstanceName(stat.name), std::vector<RawPair>(kCounterCount)};
  int64_t now = context.perfTime;
  int64_t user = ClockTicksTo100Ns(stat.userTicks);
  int64_t privileged = ClockTicksTo100Ns(stat.systemTicks);
  process.values[kProcessorTime] = {user + privileged, now};
  process.values[kUserTime] = {user, now};
  process.values[kPrivilegedTime] = {privileged, now};
  if (context.Wants({kWorkingSet, kPrivateBytes})) {
    // Kernel threads have none of these lines: they use no memory of their own.
    std::string& content = context.Files().Scratch();
    const PidStatus status =
        ReadFileInto(dir + "/status", content) ? ParsePidStatus(content) : PidStatus{};
    process.values[kWorkingSet].first = status.residentKb.value_or(0) * kKilo;
    process.values[kPrivateBytes].first =
        (status.anonymousKb.value_or(0) + status.swappedKb.value_or(0)) * kKilo;
  }
  process.values[kVirtualBytes].first = stat.virtualBytes;
  process.values[kThreadCount].first = stat.threads;
  process.values[kIdProcess].first = id;
  if (context.Wants({kHandleCount})) {
    process.values[kHandleCount].first = static_cast<int64_t>(DirectoryEntries(dir + "/fd").size());
  }
  process.values[kElapsedTime] = {ClockTicksTo100Ns(stat.startTicks), now};
  return process;
}

ObjectSample Collect(const CollectContext& context) {
  ObjectSample sample;
  InstanceSample total{kTotalInstance, std::vector<RawPair>(kCounterCount)};
  for (uint32_t id : ProcessIds(context.procRoot)) {
    // A process that ends while the directory is read is simply not there.
    const std::string dir = context.procRoot + "/" + std::to_string(id);
    std::string& content = context.Files().Scratch();
    if (!ReadFileInto(dir + "/stat", content)) continue;
    auto stat = ParsePidStat(content);
    if (!stat) continue;
    InstanceSample process = ReadProcess(context, id, dir, *stat);
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

constexpr ObjectSpec kProcess{230, true, kCounters, Collect};

}  // namespace

const ObjectSpec& ProcessObject() { return kProcess; }

}  // namespace provider
