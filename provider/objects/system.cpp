#include <algorithm>
#include <optional>

#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/sources/proc_dirs.h"
#include "provider/sources/proc_loadavg.h"
#include "provider/sources/proc_stat.h"

// System: up time from the collection's time base, process count from the
// process directories, threads from <proc>/loadavg ("running/total" scheduling
// entities), context switches and the run queue from <proc>/stat. A value whose
// source is missing has no value.
//
// Windows counts in Processor Queue Length the threads that are ready and wait
// for a processor, not those running. Linux counts the runnable tasks, running
// ones included (procs_running), so the queue is estimated as the runnable tasks
// beyond one per online processor (the cpuN lines of stat), never below 0.
namespace provider {
namespace {

enum Counter : size_t {
  kSystemUpTime,
  kProcesses,
  kThreads,
  kContextSwitchesPerSec,
  kProcessorQueueLength,
  kCounterCount
};

constexpr auto kCounters = CounterTable<kCounterCount>({
    {kSystemUpTime, {674, kPerfElapsedTime, -4, "System Up Time"}},
    {kProcesses, {248, kPerfCounterRawcount, 0, "Processes"}},
    {kThreads, {250, kPerfCounterRawcount, -1, "Threads"}},
    {kContextSwitchesPerSec, {146, kPerfCounterCounter, -2, "Context Switches/sec"}},
    {kProcessorQueueLength, {44, kPerfCounterRawcount, 1, "Processor Queue Length"}},
});

ObjectSample Collect(const CollectContext& context) {
  InstanceSample instance{"", std::vector<RawPair>(kCounterCount)};
  auto& values = instance.values;
  // Elapsed time since boot: the start is 0 on the same time base.
  values[kSystemUpTime] = {0, context.perfTime};
  if (context.Wants({kProcesses})) {
    // A machine always runs at least the process that reads it: no process
    // directory means the directories cannot be read.
    size_t processes = ProcessIds(context.procRoot).size();
    values[kProcesses] = processes ? RawPair{static_cast<int64_t>(processes)} : kMissing;
  }
  if (context.Wants({kThreads})) {
    const std::string* loadavg = context.Proc("loadavg");
    auto threads = loadavg ? ParseLoadavg(*loadavg).schedulingEntities : std::nullopt;
    values[kThreads] = threads ? RawPair{*threads} : kMissing;
  }
  if (context.Wants({kContextSwitchesPerSec, kProcessorQueueLength})) {
    const std::string* text = context.Proc("stat");
    const ProcStat stat = text ? ParseProcStat(*text) : ProcStat{};
    values[kContextSwitchesPerSec] =
        stat.contextSwitches ? RawPair{*stat.contextSwitches, context.perfTime} : kMissing;
    values[kProcessorQueueLength] =
        stat.runningTasks && stat.onlineCpus
            ? RawPair{std::max<int64_t>(*stat.runningTasks - stat.onlineCpus, 0)}
            : kMissing;
  }
  ObjectSample sample;
  sample.instances.push_back(std::move(instance));
  return sample;
}

constexpr ObjectSpec kSystem{2, false, kCounters, Collect};

}  // namespace

const ObjectSpec& SystemObject() { return kSystem; }

}  // namespace provider
