#include "provider/name_calls.h"

#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>

#include "provider/counter_path.h"
#include "provider/objects/object_lookup.h"
#include "provider/perf_names.h"
#include "provider/size_probe.h"
#include "provider/sources/source_roots.h"
#include "provider/text_util.h"

namespace provider {
namespace {

bool IsRealTime(const char* dataSource) { return !dataSource || !*dataSource; }

// The instance names of an object as the first snapshot has them. PDH answers
// enumerations from the machine data of its last refresh, so that a size probe
// and the call after it see the same instances; here a list is kept for a
// second, for the roots it was read from.
std::vector<std::string> InstanceNames(const ObjectSpec& object) {
  struct Cached {
    std::string proc;
    std::string sys;
    std::chrono::steady_clock::time_point taken;
    std::vector<std::string> names;
  };
  static std::mutex mutex;
  static std::map<const ObjectSpec*, Cached> cache;

  SourceRoots roots = RootsForCollection(0);
  auto now = std::chrono::steady_clock::now();
  std::lock_guard lock(mutex);
  Cached& cached = cache[&object];
  if (cached.proc == roots.proc && cached.sys == roots.sys &&
      now - cached.taken < std::chrono::seconds(1)) {
    return cached.names;
  }
  CollectContext context{roots.proc, roots.sys, ReadClock(roots).perfTime,
                         std::vector<bool>(object.counters.size())};
  std::vector<std::string> names;
  for (const InstanceSample& instance : object.collect(context).instances) {
    names.push_back(instance.name);
  }
  cached = Cached{roots.proc, roots.sys, now, names};
  return names;
}

// Instance names as paths tell them apart: the second "name" is "name#1".
std::vector<std::pair<std::string, uint32_t>> NumberedInstances(const ObjectSpec& object) {
  std::vector<std::pair<std::string, uint32_t>> numbered;
  std::unordered_map<std::string, uint32_t> seen;
  for (std::string& name : InstanceNames(object)) {
    const uint32_t occurrence = seen[ToUpperAscii(name)]++;
    numbered.emplace_back(std::move(name), occurrence);
  }
  return numbered;
}

}  // namespace

PdhStatus LookupPerfNameByIndex(const char* machineName, uint32_t index, char* nameBuffer,
                                uint32_t* nameBufferSize) {
  if (!nameBufferSize) return kPdhInvalidArgument;
  if (!IsLocalMachine(machineName)) return kPdhCStatusNoMachine;
  const PerfName* name = FindPerfName(index);
  if (!name) return kPdhInvalidArgument;
  std::string text = DisplayName(*name);
  return CopyWithSizeProbe(std::string(text.c_str(), text.size() + 1), nameBuffer, nameBufferSize);
}

PdhStatus MakeCounterPath(const PdhCounterPathElements* elements, char* fullPathBuffer,
                          uint32_t* bufferSize, uint32_t flags) {
  // Only the plain path form; the WBEM forms do not exist here.
  if (!elements || !bufferSize || flags != 0 || !elements->objectName || !elements->counterName) {
    return kPdhInvalidArgument;
  }
  std::string path = ComposeCounterPath(*elements);
  return CopyWithSizeProbe(std::string(path.c_str(), path.size() + 1), fullPathBuffer, bufferSize);
}

PdhStatus EnumObjects(const char* dataSource, const char* machineName, char* objectList,
                      uint32_t* bufferSize) {
  if (!bufferSize || !IsRealTime(dataSource)) return kPdhInvalidArgument;
  if (!IsLocalMachine(machineName)) return kPdhCStatusNoMachine;
  std::vector<std::string> names;
  for (const ObjectSpec* object : Objects()) names.push_back(DisplayNameOfIndex(object->nameIndex));
  return CopyWithSizeProbe(MultiString(names), objectList, bufferSize);
}

PdhStatus EnumObjectItems(const char* dataSource, const char* machineName, const char* objectName,
                          char* counterList, uint32_t* counterListSize, char* instanceList,
                          uint32_t* instanceListSize) {
  if (!objectName || !counterListSize || !instanceListSize || !IsRealTime(dataSource)) {
    return kPdhInvalidArgument;
  }
  if (!IsLocalMachine(machineName)) return kPdhCStatusNoMachine;
  const ObjectSpec* object = FindObject(objectName);
  if (!object) return kPdhCStatusNoObject;
  std::string counters = MultiString(CounterNames(*object));
  // An object without instances has no instance list at all; one whose
  // instances are all gone has the empty list of two zeros.
  std::string instances = object->hasInstances ? MultiString(InstanceNames(*object)) : "";
  if (instances.size() == 1) instances += '\0';
  bool fits = counterList && *counterListSize >= counters.size() &&
              (instances.empty() || (instanceList && *instanceListSize >= instances.size()));
  *counterListSize = static_cast<uint32_t>(counters.size());
  *instanceListSize = static_cast<uint32_t>(instances.size());
  if (!fits) return kPdhMoreData;
  std::memcpy(counterList, counters.data(), counters.size());
  if (!instances.empty()) std::memcpy(instanceList, instances.data(), instances.size());
  return kPdhOk;
}

PdhStatus ExpandWildCardPath(const char* dataSource, const char* wildCardPath,
                             char* expandedPathList, uint32_t* pathListLength) {
  if (!wildCardPath || !pathListLength || !IsRealTime(dataSource)) return kPdhInvalidArgument;
  const std::optional<CounterPath> path = ParseCounterPath(wildCardPath);
  if (!path) return kPdhCStatusBadCounterName;
  if (!IsLocalMachine(path->machine.c_str())) return kPdhCStatusNoMachine;
  const ObjectSpec* object = FindObject(path->object);
  if (!object) return kPdhCStatusNoObject;
  const std::optional<size_t> counter = FindCounter(*object, path->counter);
  if (!counter) return kPdhCStatusNoCounter;

  const std::string& objectName = DisplayNameOfIndex(object->nameIndex);
  const std::string& counterName = DisplayNameOfIndex(object->counters[*counter].nameIndex);
  PdhCounterPathElements elements{path->machine.empty() ? nullptr : path->machine.c_str(),
                                  objectName.c_str(),
                                  nullptr,
                                  nullptr,
                                  0,
                                  counterName.c_str()};
  std::vector<std::string> paths;
  if (path->hasInstance && path->instance == "*") {
    if (object->hasInstances) {
      for (const auto& [name, occurrence] : NumberedInstances(*object)) {
        elements.instanceName = name.c_str();
        elements.instanceIndex = occurrence;
        paths.push_back(ComposeCounterPath(elements));
      }
    }
  } else {
    paths.push_back(wildCardPath);
  }
  std::string list = MultiString(paths);
  if (list.size() == 1) list += '\0';
  return CopyWithSizeProbe(list, expandedPathList, pathListLength);
}

}  // namespace provider
