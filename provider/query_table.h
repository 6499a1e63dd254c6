#pragma once

#include <map>
#include <mutex>

#include "provider/counter_path.h"
#include "provider/objects/object_model.h"
#include "provider/pdh_types.h"

namespace provider {

// The open queries and their counters, behind handles, with the PDH calls that
// work on them. One lock guards the whole table: calls are short, and a
// collection must not see a counter half removed.
class QueryTable {
 public:
  PdhStatus OpenQuery(const char* dataSource, std::uintptr_t userData, PdhHandle* query);
  PdhStatus AddCounter(PdhHandle query, const char* fullPath, std::uintptr_t userData,
                       PdhHandle* counter);
  PdhStatus CollectQueryData(PdhHandle query);
  PdhStatus GetFormattedCounterValue(PdhHandle counter, uint32_t format, uint32_t* type,
                                     PdhFmtCounterValue* value);
  PdhStatus GetRawCounterValue(PdhHandle counter, uint32_t* type, PdhRawCounter* value);
  PdhStatus CalculateCounterFromRawValue(PdhHandle counter, uint32_t format, PdhRawCounter* newer,
                                         PdhRawCounter* older, PdhFmtCounterValue* value);
  PdhStatus GetCounterInfo(PdhHandle counter, bool explainText, uint32_t* bufferSize, void* buffer);
  PdhStatus RemoveCounter(PdhHandle counter);
  PdhStatus CloseQuery(PdhHandle query);

 private:
  struct Counter {
    PdhHandle query = 0;
    const ObjectSpec* object = nullptr;
    size_t position = 0;
    CounterPath path;
    std::uintptr_t userData = 0;
    uint32_t samples = 0;  // how many collections filled it, at most 2 counted
    PdhRawCounter newer{};
    PdhRawCounter older{};

    const CounterSpec& Definition() const { return object->counters[position]; }
  };
  struct Query {
    std::uintptr_t userData = 0;
    uint32_t collections = 0;
    std::vector<PdhHandle> counters;
  };

  Counter* CounterOf(PdhHandle counter);
  // use(counter) under the lock; kPdhInvalidHandle where no counter has the handle.
  template <typename Use>
  PdhStatus WithCounter(PdhHandle handle, Use use) {
    std::lock_guard lock(mutex_);
    Counter* found = CounterOf(handle);
    return found ? use(*found) : kPdhInvalidHandle;
  }
  PdhStatus CounterInfo(const Counter& found, bool explainText, uint32_t* bufferSize, void* buffer);
  PdhHandle NextHandle();

  std::mutex mutex_;
  SourceFiles files_;  // the buffers of every collection, kept between them
  std::map<PdhHandle, Query> queries_;
  std::map<PdhHandle, Counter> counters_;
  PdhHandle lastHandle_ = 0;
};

}  // namespace provider
