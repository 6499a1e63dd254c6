#include "provider/query_table.h"

#include <unistd.h>

#include <cstring>

#include "provider/counter_info.h"
#include "provider/counter_math.h"
#include "provider/objects/object_lookup.h"
#include "provider/perf_names.h"
#include "provider/sources/source_roots.h"

namespace provider {
namespace {

ObjectSample CollectObject(const ObjectSpec& object, const SourceRoots& roots,
                           const CollectionClock& clock, std::vector<bool> wanted,
                           SourceFiles& files) {
  CollectContext context{roots.proc, roots.sys, clock.perfTime, std::move(wanted), &files};
  return object.collect(context);
}

std::string HostName() {
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  return host;
}

}  // namespace

PdhHandle QueryTable::NextHandle() {
  // Even numbers that fit 32 bits and never reach the "no handle" value
  // 0xFFFFFFFF that callers keep; after the last one they start over, skipping
  // those still open.
  constexpr PdhHandle kLastHandle = 0x7FFFFFFE;
  do {
    lastHandle_ = lastHandle_ >= kLastHandle ? 2 : lastHandle_ + 2;
  } while (queries_.count(lastHandle_) || counters_.count(lastHandle_));
  return lastHandle_;
}

QueryTable::Counter* QueryTable::CounterOf(PdhHandle counter) {
  auto found = counters_.find(counter);
  return found == counters_.end() ? nullptr : &found->second;
}

PdhStatus QueryTable::OpenQuery(const char* dataSource, std::uintptr_t userData, PdhHandle* query) {
  // Only real-time data: there are no log files to read.
  if (!query || (dataSource && *dataSource)) return kPdhInvalidArgument;
  std::lock_guard lock(mutex_);
  PdhHandle handle = NextHandle();
  queries_[handle].userData = userData;
  *query = handle;
  return kPdhOk;
}

PdhStatus QueryTable::AddCounter(PdhHandle query, const char* fullPath, std::uintptr_t userData,
                                 PdhHandle* counter) {
  if (!fullPath || !counter) return kPdhInvalidArgument;
  std::lock_guard lock(mutex_);
  auto found = queries_.find(query);
  if (found == queries_.end()) return kPdhInvalidHandle;
  auto path = ParseCounterPath(fullPath);
  if (!path) return kPdhCStatusBadCounterName;
  if (!path->machine.empty() && !IsLocalMachine(path->machine.c_str())) {
    return kPdhCStatusNoMachine;
  }
  const ObjectSpec* object = FindObject(path->object);
  if (!object) return kPdhCStatusNoObject;
  auto position = FindCounter(*object, path->counter);
  if (!position) return kPdhCStatusNoCounter;

  if (object->hasInstances != path->hasInstance) return kPdhCStatusNoInstance;
  if (object->hasInstances) {
    // Only the instance names are needed: no counter's own sources are read.
    SourceRoots roots = RootsForCollection(found->second.collections + 1);
    files_.Reset();
    ObjectSample sample = CollectObject(*object, roots, ReadClock(roots),
                                        std::vector<bool>(object->counters.size()), files_);
    if (!provider::FindInstance(*object, sample, true, path->instance, path->instanceIndex)) {
      return kPdhCStatusNoInstance;
    }
  }
  // Names are kept as the machine spells them, not as the caller typed them.
  path->object = DisplayNameOfIndex(object->nameIndex);
  path->counter = DisplayNameOfIndex(object->counters[*position].nameIndex);

  PdhHandle handle = NextHandle();
  Counter& added = counters_[handle];
  added.query = query;
  added.object = object;
  added.position = *position;
  added.path = std::move(*path);
  added.userData = userData;
  found->second.counters.push_back(handle);
  *counter = handle;
  return kPdhOk;
}

PdhStatus QueryTable::CollectQueryData(PdhHandle query) {
  std::lock_guard lock(mutex_);
  auto found = queries_.find(query);
  if (found == queries_.end()) return kPdhInvalidHandle;
  Query& collected = found->second;
  if (collected.counters.empty()) return kPdhNoData;
  ++collected.collections;
  SourceRoots roots = RootsForCollection(collected.collections);
  CollectionClock clock = ReadClock(roots);
  files_.Reset();

  // One read per object, for all of the query's counters of that object; the
  // objects share the files they have in common.
  struct ObjectRead {
    const ObjectSpec* object;
    std::vector<bool> wanted;
    ObjectSample sample;
  };
  std::vector<ObjectRead> reads;
  auto readOf = [&reads](const ObjectSpec* object) -> ObjectRead& {
    for (ObjectRead& read : reads) {
      if (read.object == object) return read;
    }
    return reads.emplace_back(
        ObjectRead{object, std::vector<bool>(object->counters.size()), ObjectSample{}});
  };
  for (PdhHandle handle : collected.counters) {
    Counter& counter = counters_[handle];
    readOf(counter.object).wanted[counter.position] = true;
  }
  for (ObjectRead& read : reads) {
    read.sample = CollectObject(*read.object, roots, clock, std::move(read.wanted), files_);
  }

  for (PdhHandle handle : collected.counters) {
    Counter& counter = counters_[handle];
    const CounterSpec& definition = counter.object->counters[counter.position];
    const InstanceSample* instance = provider::FindInstance(
        *counter.object, readOf(counter.object).sample, counter.path.hasInstance,
        counter.path.instance, counter.path.instanceIndex);
    PdhRawCounter raw{};
    raw.TimeStamp = clock.timeStamp;
    if (!instance) {
      raw.CStatus = kPdhCStatusNoInstance;
    } else if (!instance->values[counter.position].present) {
      // As PDH marks a counter whose object the machine did not deliver.
      raw.CStatus = kPdhCStatusNoObject;
    } else {
      RawPair pair = AsDelivered(definition.type, instance->values[counter.position]);
      raw.CStatus = kPdhCStatusValidData;
      raw.FirstValue = pair.first;
      raw.SecondValue = pair.second;
      raw.MultiCount = 1;
    }
    counter.older = counter.newer;
    counter.newer = raw;
    counter.samples = std::min<uint32_t>(counter.samples + 1, 2);
  }
  return kPdhOk;
}

PdhStatus QueryTable::GetFormattedCounterValue(PdhHandle counter, uint32_t format, uint32_t* type,
                                               PdhFmtCounterValue* value) {
  if (!value) return kPdhInvalidArgument;
  return WithCounter(counter, [&](const Counter& found) {
    if (type) *type = found.Definition().type;
    if (found.samples == 0) {
      value->CStatus = kPdhCStatusInvalidData;
      return kPdhInvalidData;
    }
    return CalculateValue(found.Definition(), format, found.newer,
                          found.samples > 1 ? &found.older : nullptr, value);
  });
}

PdhStatus QueryTable::GetRawCounterValue(PdhHandle counter, uint32_t* type, PdhRawCounter* value) {
  if (!value) return kPdhInvalidArgument;
  return WithCounter(counter, [&](const Counter& found) {
    if (type) *type = found.Definition().type;
    *value = found.newer;
    if (found.samples == 0) value->CStatus = kPdhCStatusInvalidData;
    return kPdhOk;
  });
}

PdhStatus QueryTable::CalculateCounterFromRawValue(PdhHandle counter, uint32_t format,
                                                   PdhRawCounter* newer, PdhRawCounter* older,
                                                   PdhFmtCounterValue* value) {
  if (!newer || !value) return kPdhInvalidArgument;
  return WithCounter(counter, [&](const Counter& found) {
    return CalculateValue(found.Definition(), format, *newer, older, value);
  });
}

PdhStatus QueryTable::GetCounterInfo(PdhHandle counter, bool explainText, uint32_t* bufferSize,
                                     void* buffer) {
  if (!bufferSize) return kPdhInvalidArgument;
  return WithCounter(counter, [&](const Counter& found) {
    return CounterInfo(found, explainText, bufferSize, buffer);
  });
}

PdhStatus QueryTable::CounterInfo(const Counter& found, bool explainText, uint32_t* bufferSize,
                                  void* buffer) {
  const CounterSpec& definition = found.Definition();
  const CounterPath& path = found.path;

  std::string machine = "\\\\" + HostName();
  PdhCounterPathElements elements{
      machine.c_str(), path.object.c_str(), path.hasInstance ? path.instance.c_str() : nullptr,
      nullptr,         path.instanceIndex,  path.counter.c_str()};
  std::string fullPath = ComposeCounterPath(elements);
  // The strings follow the record, each with its zero.
  std::vector<const std::string*> strings = {&fullPath, &machine, &path.object, &path.counter};
  if (path.hasInstance) strings.push_back(&path.instance);
  std::string explain;
  if (explainText) strings.push_back(&explain);
  size_t needed = offsetof(PdhCounterInfo, DataBuffer);
  for (const std::string* text : strings) needed += text->size() + 1;
  if (!buffer || *bufferSize < needed) {
    *bufferSize = static_cast<uint32_t>(needed);
    return kPdhMoreData;
  }
  std::memset(buffer, 0, needed);
  auto* info = static_cast<PdhCounterInfo*>(buffer);
  char* next = reinterpret_cast<char*>(buffer) + offsetof(PdhCounterInfo, DataBuffer);
  auto place = [&next](const std::string& text) {
    char* placed = next;
    std::memcpy(placed, text.c_str(), text.size() + 1);
    next += text.size() + 1;
    return placed;
  };
  info->head.dwLength = static_cast<uint32_t>(needed);
  info->head.dwType = definition.type;
  info->head.CVersion = kPdhCounterVersion;
  info->head.CStatus = found.samples ? found.newer.CStatus : kPdhCStatusValidData;
  info->head.lScale = definition.defaultScale;
  info->head.lDefaultScale = definition.defaultScale;
  info->dwUserData = found.userData;
  info->dwQueryUserData = queries_[found.query].userData;
  info->szFullPath = place(fullPath);
  info->szMachineName = place(machine);
  info->szObjectName = place(path.object);
  info->szCounterName = place(path.counter);
  if (path.hasInstance) info->szInstanceName = place(path.instance);
  info->dwInstanceIndex = path.instanceIndex;
  if (explainText) info->szExplainText = place(explain);
  *bufferSize = static_cast<uint32_t>(needed);
  return kPdhOk;
}

PdhStatus QueryTable::RemoveCounter(PdhHandle counter) {
  return WithCounter(counter, [&](const Counter& found) {
    std::erase(queries_[found.query].counters, counter);
    counters_.erase(counter);
    return kPdhOk;
  });
}

PdhStatus QueryTable::CloseQuery(PdhHandle query) {
  std::lock_guard lock(mutex_);
  auto found = queries_.find(query);
  if (found == queries_.end()) return kPdhInvalidHandle;
  for (PdhHandle counter : found->second.counters) counters_.erase(counter);
  queries_.erase(found);
  return kPdhOk;
}

}  // namespace provider
