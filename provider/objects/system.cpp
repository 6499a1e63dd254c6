#include <algorithm>
#include <optional>

#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/sources/proc_dirs.h"
#include "provider/sources/proc_stat.h"
#include "provider/text_util.h"

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

std::optional<int64_t> ReadThreads(const CollectContext& context) {
  const std::string* loadavg = context.Proc("loadavg");
  if (!loadavg) return std::nullopt;
  auto fields = SplitFields(*loadavg);
  if (fields.size() < 4) return std::nullopt;
  std::string_view entities = fields[3];
  size_t slash = entities.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  auto total = ParseUnsigned(entities.substr(slash + 1));
  if (!total) return std::nullopt;
  return static_cast<int64_t>(*total);
}

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
    auto threads = ReadThreads(context);
    values[kThreads] = threads ? RawPair{*threads} : kMissing;
  }
  if (context.Wants({kContextSwitchesPerSec, kProcessorQueueLength})) {
    StatSummary stat = ReadStatSummary(context);
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

}  // namespace

const ObjectSpec& SystemObject() {
  static const ObjectSpec object{2,
                                 false,
                                 {
                                     {674, kPerfElapsedTime, -4},
                                     {248, kPerfCounterRawcount, 0},
                                     {250, kPerfCounterRawcount, -1},
                                     {146, kPerfCounterCounter, -2},
                                     {44, kPerfCounterRawcount, 1},
                                 },
                                 Collect};
  return object;
}

}  // namespace provider
