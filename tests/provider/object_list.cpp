#include "tests/provider/object_list.h"

#include <cstdio>
#include <map>

#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/perf_names.h"

namespace provider_test {
namespace {

std::string TypeName(uint32_t type) {
  static const std::map<uint32_t, const char*> names = {
      {provider::kPerfCounterCounter, "PERF_COUNTER_COUNTER"},
      {provider::kPerfCounterBulkCount, "PERF_COUNTER_BULK_COUNT"},
      {provider::kPerf100NsecTimer, "PERF_100NSEC_TIMER"},
      {provider::kPerf100NsecTimerInv, "PERF_100NSEC_TIMER_INV"},
      {provider::kPerfCounterRawcount, "PERF_COUNTER_RAWCOUNT"},
      {provider::kPerfCounterLargeRawcount, "PERF_COUNTER_LARGE_RAWCOUNT"},
      {provider::kPerfElapsedTime, "PERF_ELAPSED_TIME"},
      {provider::kPerfRawFraction, "PERF_RAW_FRACTION"},
      {0x20020500, "PERF_LARGE_RAW_FRACTION"},
  };
  auto found = names.find(type);
  if (found != names.end()) return found->second;
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", type);
  return hex;
}

const provider::PerfName& NameOf(uint32_t index) {
  static const provider::PerfName unknown{0, "?", "?"};
  const provider::PerfName* name = provider::FindPerfName(index);
  return name ? *name : unknown;
}

}  // namespace

std::string ObjectListMarkdown() {
  std::string list =
      "| Object | Counter | Type | Indices | German |\n"
      "|---|---|---|---|---|\n";
  for (const provider::ObjectSpec* object : provider::Objects()) {
    const provider::PerfName& objectName = NameOf(object->nameIndex);
    for (const provider::CounterSpec& counter : object->counters) {
      const provider::PerfName& counterName = NameOf(counter.nameIndex);
      list += "| " + std::string(objectName.english) + " | " + counterName.english + " | " +
              TypeName(counter.type) + " | " + std::to_string(object->nameIndex) + ", " +
              std::to_string(counter.nameIndex) + " | `" + objectName.german + "\\" +
              counterName.german + "` |\n";
    }
  }
  return list;
}

std::optional<std::string> WithObjectList(const std::string& readme, const std::string& list) {
  std::string begin = std::string(kObjectListBegin) + "\n";
  size_t start = readme.find(begin);
  if (start == std::string::npos) return std::nullopt;
  start += begin.size();
  size_t end = readme.find(kObjectListEnd, start);
  if (end == std::string::npos) return std::nullopt;
  return readme.substr(0, start) + list + readme.substr(end);
}

}  // namespace provider_test
