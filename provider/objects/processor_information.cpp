#include <algorithm>
#include <map>

#include "provider/counter_types.h"
#include "provider/objects/cpu_time_counters.h"
#include "provider/objects/object_model.h"
#include "provider/sources/proc_dirs.h"
#include "provider/sources/single_number.h"
#include "provider/text_util.h"

// Processor Information: the Processor object's times, by NUMA node. Instances
// are named "node,number" as Windows names them ("0,0", "0,1", ...), with the
// number counting the CPUs of the node in the order of <proc>/stat; each node
// has its "node,_Total" after its CPUs, and "_Total" comes last. A CPU's node is
// the nodeN entry of <sys>/devices/system/cpu/cpuN (node 0 without one).
//
// The times are the Processor object's own samples, so both objects always
// agree; a node's total sums the samples of its CPUs.
//
// Processor Frequency is the current frequency in MHz and % of Maximum
// Frequency its share of the highest one, from the cpufreq files of each CPU
// (scaling_cur_freq, cpuinfo_max_freq, in kHz); totals are the mean frequency
// and the share of the summed frequencies, over the CPUs that have cpufreq.
// Without cpufreq (many virtual machines) both have no value.
namespace provider {
namespace {

enum Counter : size_t {
  kProcessorTime,
  kIdleTime,
  kUserTime,
  kPrivilegedTime,
  kFrequency,
  kPercentOfMaximum,
  kCounterCount
};

constexpr auto kCounters = CounterTable<kCounterCount>({
    {kProcessorTime, kProcessorBusyTimeSpec},
    {kIdleTime, kIdleTimeSpec},
    {kUserTime, kUserTimeSpec},
    {kPrivilegedTime, kPrivilegedTimeSpec},
    {kFrequency, {9002, kPerfCounterRawcount, 0, "Processor Frequency"}},
    {kPercentOfMaximum, {9004, kPerfCounterRawcount, 0, "% of Maximum Frequency"}},
});

// The counters whose samples are the Processor object's: the times, which come first.
constexpr size_t kSharedCount = kFrequency;

size_t ProcessorPosition(uint32_t nameIndex) {
  const auto& counters = ProcessorObject().counters;
  auto found = std::find_if(counters.begin(), counters.end(),
                            [nameIndex](const CounterSpec& c) { return c.nameIndex == nameIndex; });
  return static_cast<size_t>(found - counters.begin());
}

struct Frequency {
  int64_t currentKhz = 0;
  int64_t maximumKhz = 0;
  int64_t cpus = 0;

  void Add(const Frequency& other) {
    currentKhz += other.currentKhz;
    maximumKhz += other.maximumKhz;
    cpus += other.cpus;
  }
};

int64_t ReadKhz(const CollectContext& context, const std::string& path) {
  const std::string* text = context.Sys(path);
  auto value = text ? ParseSingleNumber(*text) : std::nullopt;
  return value ? static_cast<int64_t>(*value) : 0;
}

std::string CpuDirectory(const std::string& cpu) { return "devices/system/cpu/cpu" + cpu; }

// No CPU counted where the machine has no cpufreq for it.
Frequency ReadFrequency(const CollectContext& context, const std::string& cpu) {
  std::string cpufreq = CpuDirectory(cpu) + "/cpufreq/";
  Frequency frequency{ReadKhz(context, cpufreq + "scaling_cur_freq"),
                      ReadKhz(context, cpufreq + "cpuinfo_max_freq"), 1};
  if (frequency.currentKhz == 0 || frequency.maximumKhz == 0) return {};
  return frequency;
}

uint64_t NodeOf(const std::string& sysRoot, const std::string& cpu) {
  for (const std::string& entry : DirectoryEntries(sysRoot + "/" + CpuDirectory(cpu))) {
    if (!entry.starts_with("node")) continue;
    if (auto node = ParseUnsigned(std::string_view(entry).substr(4))) return *node;
  }
  return 0;
}

// One instance's values: the shared times and the frequency.
struct Accumulated {
  std::vector<RawPair> times = std::vector<RawPair>(kSharedCount);
  Frequency frequency;

  void Add(const Accumulated& other) {
    for (size_t i = 0; i < times.size(); ++i) {
      times[i].first += other.times[i].first;
      times[i].second += other.times[i].second;
    }
    frequency.Add(other.frequency);
  }
};

InstanceSample MakeInstance(std::string name, const Accumulated& values, bool wantsFrequency) {
  InstanceSample instance{std::move(name), std::vector<RawPair>(kCounterCount)};
  for (size_t i = 0; i < values.times.size(); ++i) instance.values[i] = values.times[i];
  const Frequency& frequency = values.frequency;
  if (!wantsFrequency) return instance;
  if (frequency.cpus == 0) {
    instance.values[kFrequency] = instance.values[kPercentOfMaximum] = kMissing;
    return instance;
  }
  instance.values[kFrequency].first = frequency.currentKhz / frequency.cpus / 1000;
  instance.values[kPercentOfMaximum].first = frequency.currentKhz * 100 / frequency.maximumKhz;
  return instance;
}

Accumulated TakeTimes(const InstanceSample& processor) {
  Accumulated values;
  for (size_t i = 0; i < kSharedCount; ++i) {
    size_t position = ProcessorPosition(kCounters[i].nameIndex);
    if (position < processor.values.size()) values.times[i] = processor.values[position];
  }
  return values;
}

ObjectSample Collect(const CollectContext& context) {
  const ObjectSpec& processor = ProcessorObject();
  // The Processor object reads into this collection's files: <proc>/stat is
  // read once however many of the two objects' counters the query holds.
  CollectContext forProcessor{context.procRoot, context.sysRoot, context.perfTime,
                              std::vector<bool>(processor.counters.size()), &context.Files()};
  for (size_t i = 0; i < kSharedCount; ++i) {
    size_t position = ProcessorPosition(kCounters[i].nameIndex);
    if (context.Wants({i}) && position < forProcessor.wanted.size()) {
      forProcessor.wanted[position] = true;
    }
  }
  bool wantsFrequency = context.Wants({kFrequency, kPercentOfMaximum});

  struct Node {
    std::vector<InstanceSample> cpus;
    Accumulated total;
  };
  std::map<uint64_t, Node> nodes;
  Accumulated machine;
  bool hasMachineTotal = false;
  for (const InstanceSample& cpu : processor.collect(forProcessor).instances) {
    Accumulated values = TakeTimes(cpu);
    if (cpu.name == kTotalInstance) {
      machine.times = values.times;
      hasMachineTotal = true;
      continue;
    }
    if (wantsFrequency) values.frequency = ReadFrequency(context, cpu.name);
    machine.frequency.Add(values.frequency);
    Node& node = nodes[NodeOf(context.sysRoot, cpu.name)];
    node.total.Add(values);
    node.cpus.push_back(MakeInstance(std::to_string(node.cpus.size()), values, wantsFrequency));
  }

  ObjectSample sample;
  if (!hasMachineTotal) return sample;
  for (auto& [number, node] : nodes) {
    std::string prefix = std::to_string(number) + ",";
    for (InstanceSample& cpu : node.cpus) {
      cpu.name = prefix + cpu.name;
      sample.instances.push_back(std::move(cpu));
    }
    sample.instances.push_back(MakeInstance(prefix + kTotalInstance, node.total, wantsFrequency));
  }
  sample.instances.push_back(MakeInstance(kTotalInstance, machine, wantsFrequency));
  return sample;
}

constexpr ObjectSpec kProcessorInformation{9000, true, kCounters, Collect};

}  // namespace

const ObjectSpec& ProcessorInformationObject() { return kProcessorInformation; }

}  // namespace provider
