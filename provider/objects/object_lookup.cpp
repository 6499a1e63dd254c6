#include "provider/objects/object_lookup.h"

#include "platform/ascii_case.h"
#include "provider/perf_names.h"

namespace provider {

const ObjectSpec* FindObject(const std::string& name) {
  for (const ObjectSpec* object : Objects()) {
    if (platform::EqualsIgnoringAsciiCase(DisplayNameOfIndex(object->nameIndex), name))
      return object;
  }
  return nullptr;
}

std::optional<size_t> FindCounter(const ObjectSpec& object, const std::string& name) {
  for (size_t position = 0; position < object.counters.size(); ++position) {
    if (platform::EqualsIgnoringAsciiCase(DisplayNameOfIndex(object.counters[position].nameIndex),
                                          name)) {
      return position;
    }
  }
  return std::nullopt;
}

const InstanceSample* FindInstance(const ObjectSpec& object, const ObjectSample& sample,
                                   bool hasInstance, const std::string& name, uint32_t index) {
  if (!object.hasInstances) {
    return !hasInstance && !sample.instances.empty() ? &sample.instances[0] : nullptr;
  }
  if (!hasInstance) return nullptr;
  uint32_t seen = 0;
  for (const InstanceSample& instance : sample.instances) {
    if (platform::EqualsIgnoringAsciiCase(instance.name, name) && seen++ == index) return &instance;
  }
  return nullptr;
}

std::vector<std::string> CounterNames(const ObjectSpec& object) {
  std::vector<std::string> names;
  for (const CounterSpec& counter : object.counters) {
    names.push_back(DisplayNameOfIndex(counter.nameIndex));
  }
  return names;
}

}  // namespace provider
