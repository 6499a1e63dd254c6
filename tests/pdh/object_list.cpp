#include "tests/pdh/object_list.h"

#include <cstdio>
#include <map>

#include "platform/posix/pdh/counter_types.h"
#include "platform/posix/pdh/object_model.h"
#include "platform/posix/pdh/perf_names.h"

namespace pdh_test {
namespace {

namespace pdh = platform::posix::pdh;

std::string TypeName(uint32_t type) {
  static const std::map<uint32_t, const char*> names = {
      {pdh::kPerfCounterCounter, "PERF_COUNTER_COUNTER"},
      {pdh::kPerfCounterBulkCount, "PERF_COUNTER_BULK_COUNT"},
      {pdh::kPerf100NsecTimer, "PERF_100NSEC_TIMER"},
      {pdh::kPerf100NsecTimerInv, "PERF_100NSEC_TIMER_INV"},
      {pdh::kPerfCounterRawcount, "PERF_COUNTER_RAWCOUNT"},
      {pdh::kPerfCounterLargeRawcount, "PERF_COUNTER_LARGE_RAWCOUNT"},
      {pdh::kPerfElapsedTime, "PERF_ELAPSED_TIME"},
      {pdh::kPerfRawFraction, "PERF_RAW_FRACTION"},
      {0x20020500, "PERF_LARGE_RAW_FRACTION"},
  };
  auto found = names.find(type);
  if (found != names.end()) return found->second;
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", type);
  return hex;
}

const pdh::PerfName& NameOf(uint32_t index) {
  static const pdh::PerfName unknown{0, "?", "?"};
  const pdh::PerfName* name = pdh::FindPerfName(index);
  return name ? *name : unknown;
}

}  // namespace

std::string ObjectListMarkdown() {
  std::string list =
      "| Object | Counter | Type | Indices | German |\n"
      "|---|---|---|---|---|\n";
  for (const pdh::ObjectSpec* object : pdh::Objects()) {
    const pdh::PerfName& objectName = NameOf(object->nameIndex);
    for (const pdh::CounterSpec& counter : object->counters) {
      const pdh::PerfName& counterName = NameOf(counter.nameIndex);
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

}  // namespace pdh_test
