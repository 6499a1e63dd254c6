#include "platform/posix/pdh/counter_types.h"
#include "platform/posix/pdh/object_model.h"
#include "platform/posix/pdh/proc_dirs.h"
#include "platform/posix/pdh/text_util.h"

// System: up time from the collection's time base, process count from the
// process directories, threads and run queue from <proc>/loadavg ("running/
// total" scheduling entities), context switches from <proc>/stat.
namespace platform::posix::pdh {
namespace {

enum Counter : size_t {
  kSystemUpTime,
  kProcesses,
  kThreads,
  kContextSwitchesPerSec,
  kProcessorQueueLength,
  kCounterCount
};

int64_t ReadContextSwitches(const std::string& procRoot) {
  auto stat = ReadWholeFile(procRoot + "/stat");
  if (!stat) return 0;
  for (std::string_view line : SplitLines(*stat)) {
    auto fields = SplitFields(line);
    if (fields.size() >= 2 && fields[0] == "ctxt") {
      return static_cast<int64_t>(ParseUnsigned(fields[1]).value_or(0));
    }
  }
  return 0;
}

ObjectSample Collect(const CollectContext& context) {
  InstanceSample instance{"", std::vector<RawPair>(kCounterCount)};
  // Elapsed time since boot: the start is 0 on the same time base.
  instance.values[kSystemUpTime] = {0, context.perfTime};
  if (context.Wants({kProcesses})) {
    instance.values[kProcesses].first = static_cast<int64_t>(ProcessIds(context.procRoot).size());
  }
  if (context.Wants({kThreads, kProcessorQueueLength})) {
    auto loadavg = ReadWholeFile(context.procRoot + "/loadavg");
    auto fields = SplitFields(loadavg ? std::string_view(*loadavg) : std::string_view());
    if (fields.size() >= 4) {
      std::string_view entities = fields[3];
      size_t slash = entities.find('/');
      if (slash != std::string_view::npos) {
        instance.values[kProcessorQueueLength].first =
            static_cast<int64_t>(ParseUnsigned(entities.substr(0, slash)).value_or(0));
        instance.values[kThreads].first =
            static_cast<int64_t>(ParseUnsigned(entities.substr(slash + 1)).value_or(0));
      }
    }
  }
  if (context.Wants({kContextSwitchesPerSec})) {
    instance.values[kContextSwitchesPerSec] = {ReadContextSwitches(context.procRoot),
                                               context.perfTime};
  }
  return ObjectSample{{instance}};
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

}  // namespace platform::posix::pdh
