#include <array>
#include <map>
#include <mutex>

#include "provider/counter_types.h"
#include "provider/objects/clock_ticks.h"
#include "provider/objects/cpu_time_counters.h"
#include "provider/objects/object_model.h"
#include "provider/sources/proc_interrupts.h"
#include "provider/sources/proc_stat.h"

// Processor: one instance per CPU line of <proc>/stat and "_Total". The time
// base of the timers is the CPU's own accounted time, so that the percentages
// are exactly the shares of /proc/stat and stay within 0..100.
//
// The kernel documents that iowait can go backwards. A field that goes
// backwards counts as no change: each CPU line's fields are carried as the
// process last saw them plus everything they ever fell, so that the growth
// between two collections is the sum of the forward steps and the timers never
// see a negative count.
namespace provider {
namespace {

enum Counter : size_t {
  kProcessorTime,
  kUserTime,
  kPrivilegedTime,
  kInterruptTime,
  kIdleTime,
  kInterruptsPerSec,
  kCounterCount
};

constexpr auto kCounters = CounterTable<kCounterCount>({
    {kProcessorTime, kProcessorBusyTimeSpec},
    {kUserTime, kUserTimeSpec},
    {kPrivilegedTime, kPrivilegedTimeSpec},
    {kInterruptTime, {698, kPerf100NsecTimer, 0, "% Interrupt Time"}},
    {kIdleTime, kIdleTimeSpec},
    {kInterruptsPerSec, {148, kPerfCounterCounter, -2, "Interrupts/sec"}},
});

// user nice system idle iowait irq softirq steal
using CpuFields = decltype(CpuLine::ticks);
constexpr size_t kFieldCount = std::tuple_size_v<CpuFields>;

struct CpuTimes {
  int64_t user = 0, system = 0, idle = 0, interrupt = 0, total = 0;
};

class ForwardOnlyFields {
 public:
  CpuFields Adjust(std::string_view cpu, const CpuFields& fields) {
    std::lock_guard lock(mutex_);
    auto found = lines_.find(cpu);
    if (found == lines_.end()) found = lines_.emplace(std::string(cpu), Line{}).first;
    Line& line = found->second;
    CpuFields adjusted{};
    for (size_t i = 0; i < kFieldCount; ++i) {
      if (line.seen && fields[i] < line.last[i]) line.fallen[i] += line.last[i] - fields[i];
      line.last[i] = fields[i];
      adjusted[i] = fields[i] + line.fallen[i];
    }
    line.seen = true;
    return adjusted;
  }

 private:
  struct Line {
    bool seen = false;
    CpuFields last{};
    CpuFields fallen{};
  };
  std::mutex mutex_;
  std::map<std::string, Line, std::less<>> lines_;
};

CpuTimes TimesOf(const CpuLine& line) {
  static ForwardOnlyFields forwardOnly;
  CpuFields ticks = forwardOnly.Adjust(line.label, line.ticks);
  for (int64_t& field : ticks) field = ClockTicksTo100Ns(static_cast<uint64_t>(field));
  CpuTimes times;
  times.user = ticks[0] + ticks[1];
  times.interrupt = ticks[5] + ticks[6];
  times.system = ticks[2] + times.interrupt;
  times.idle = ticks[3] + ticks[4];
  times.total = times.user + times.system + times.idle + ticks[7];
  return times;
}

InstanceSample MakeInstance(std::string name, const CpuTimes& times, int64_t interrupts,
                            int64_t perfTime) {
  InstanceSample instance{std::move(name), std::vector<RawPair>(kCounterCount)};
  instance.values[kProcessorTime] = {times.idle, times.total};
  instance.values[kUserTime] = {times.user, times.total};
  instance.values[kPrivilegedTime] = {times.system, times.total};
  instance.values[kInterruptTime] = {times.interrupt, times.total};
  instance.values[kIdleTime] = {times.idle, times.total};
  instance.values[kInterruptsPerSec] = {interrupts, perfTime};
  return instance;
}

ObjectSample Collect(const CollectContext& context) {
  ObjectSample sample;
  const std::string* text = context.Proc("stat");
  if (!text) return sample;
  std::map<int, int64_t> interrupts;
  if (context.Wants({kInterruptsPerSec})) {
    if (const std::string* table = context.Proc("interrupts")) {
      interrupts = ParseInterruptsPerCpu(*table);
    }
  }
  int64_t totalInterrupts = 0;
  for (const auto& [cpu, count] : interrupts) totalInterrupts += count;

  const ProcStat stat = ParseProcStat(*text);
  const CpuTimes total = stat.machine ? TimesOf(*stat.machine) : CpuTimes{};
  for (const CpuLine& line : stat.cpus) {
    if (!line.number) continue;
    auto cpuInterrupts = interrupts.find(static_cast<int>(*line.number));
    sample.instances.push_back(MakeInstance(
        std::string(line.label.substr(3)), TimesOf(line),
        cpuInterrupts == interrupts.end() ? 0 : cpuInterrupts->second, context.perfTime));
  }
  sample.instances.push_back(
      MakeInstance(kTotalInstance, total, totalInterrupts, context.perfTime));
  return sample;
}

constexpr ObjectSpec kProcessor{238, true, kCounters, Collect};

}  // namespace

const ObjectSpec& ProcessorObject() { return kProcessor; }

}  // namespace provider
