#include <array>
#include <map>
#include <mutex>

#include "provider/counter_types.h"
#include "provider/objects/clock_ticks.h"
#include "provider/objects/object_model.h"
#include "provider/text_util.h"

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

// user nice system idle iowait irq softirq steal
constexpr size_t kFieldCount = 8;
using CpuFields = std::array<int64_t, kFieldCount>;

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

CpuTimes ParseCpuLine(const std::vector<std::string_view>& fields) {
  static ForwardOnlyFields forwardOnly;
  CpuFields raw{};
  for (size_t i = 1; i < fields.size() && i <= kFieldCount; ++i) {
    raw[i - 1] = static_cast<int64_t>(ParseUnsigned(fields[i]).value_or(0) & INT64_MAX);
  }
  CpuFields ticks = forwardOnly.Adjust(fields[0], raw);
  for (int64_t& field : ticks) field = ClockTicksTo100Ns(static_cast<uint64_t>(field));
  CpuTimes times;
  times.user = ticks[0] + ticks[1];
  times.interrupt = ticks[5] + ticks[6];
  times.system = ticks[2] + times.interrupt;
  times.idle = ticks[3] + ticks[4];
  times.total = times.user + times.system + times.idle + ticks[7];
  return times;
}

// Interrupts handled per CPU number, summed over the rows of <proc>/interrupts.
std::map<int, int64_t> ReadInterruptsPerCpu(const CollectContext& context) {
  std::map<int, int64_t> perCpu;
  const std::string* content = context.Proc("interrupts");
  if (!content) return perCpu;
  auto lines = SplitLines(*content);
  if (lines.empty()) return perCpu;
  std::vector<int> cpus;
  for (std::string_view header : SplitFields(lines[0])) {
    if (header.starts_with("CPU"))
      cpus.push_back(static_cast<int>(ParseUnsigned(header.substr(3)).value_or(0)));
  }
  for (size_t i = 1; i < lines.size(); ++i) {
    auto fields = SplitFields(lines[i]);
    for (size_t column = 0; column < cpus.size() && column + 1 < fields.size(); ++column) {
      auto count = ParseUnsigned(fields[column + 1]);
      if (!count) break;
      perCpu[cpus[column]] += static_cast<int64_t>(*count);
    }
  }
  return perCpu;
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
  const std::string* stat = context.Proc("stat");
  if (!stat) return sample;
  std::map<int, int64_t> interrupts;
  if (context.Wants({kInterruptsPerSec})) interrupts = ReadInterruptsPerCpu(context);
  int64_t totalInterrupts = 0;
  for (const auto& [cpu, count] : interrupts) totalInterrupts += count;

  CpuTimes total;
  for (std::string_view line : SplitLines(*stat)) {
    if (!line.starts_with("cpu")) continue;
    auto fields = SplitFields(line);
    if (fields[0] == "cpu") {
      total = ParseCpuLine(fields);
      continue;
    }
    std::string number(fields[0].substr(3));
    auto cpu = ParseUnsigned(number);
    if (!cpu) continue;
    auto cpuInterrupts = interrupts.find(static_cast<int>(*cpu));
    sample.instances.push_back(MakeInstance(
        number, ParseCpuLine(fields), cpuInterrupts == interrupts.end() ? 0 : cpuInterrupts->second,
        context.perfTime));
  }
  sample.instances.push_back(
      MakeInstance(kTotalInstance, total, totalInterrupts, context.perfTime));
  return sample;
}

}  // namespace

const ObjectSpec& ProcessorObject() {
  static const ObjectSpec object{238,
                                 true,
                                 {
                                     {6, kPerf100NsecTimerInv, 0},
                                     {142, kPerf100NsecTimer, 0},
                                     {144, kPerf100NsecTimer, 0},
                                     {698, kPerf100NsecTimer, 0},
                                     {1746, kPerf100NsecTimer, 0},
                                     {148, kPerfCounterCounter, -2},
                                 },
                                 Collect};
  return object;
}

}  // namespace provider
