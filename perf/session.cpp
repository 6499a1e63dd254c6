#include <cstddef>
#include <cstring>
#include <vector>

#include "perf/ex_registry.h"
#include "perf/internal.h"
#include "perf/perf.h"
#include "platform/clock.h"
#include "platform/registry.h"

namespace perf {

using internal::ActivePdh;
using internal::LogFailedCall;
using platform::PdhFmtCounterValue;
using platform::PdhHandle;
using platform::PdhRawCounter;
using platform::PdhStatus;

namespace {

constexpr const char* kEnglishTableKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib\\009";

// The session's one counter: added by the first read, reused by any later one.
bool EnsureCounter(const std::string& path) {
  if (State.counterHandle != NoHandle) return true;
  PdhHandle counter = 0;
  const PdhStatus status = ActivePdh().AddCounter(State.queryHandle, path.c_str(), 0, &counter);
  if (status != platform::kPdhOk) {
    LogFailedCall("PdhAddCounter", status);
    return false;
  }
  State.counterHandle = counter;
  return true;
}

bool Collect() {
  const PdhStatus status = ActivePdh().CollectQueryData(State.queryHandle);
  if (status != platform::kPdhOk) LogFailedCall("PdhCollectQueryData", status);
  return status == platform::kPdhOk;
}

// The English table of the last session, split, with the text it was split from: a
// session that reads the same text takes it back instead of splitting it again.
struct SplitTable {
  std::string text;
  EnglishTable table;
};

SplitTable& LastTable() {
  static SplitTable last;
  return last;
}

// True when the table still has the shape that the text gives it: as many entries, each
// as long as its string there. Comparing the lengths only keeps close cheap; the table
// is the module's own between init and close.
bool StillShapedBy(const EnglishTable& table, const std::string& text) {
  size_t position = 0;
  for (const std::string& entry : table) {
    position += entry.size();
    if (entry.empty() || position >= text.size() || text[position] != '\0') return false;
    ++position;
  }
  return position >= text.size() || text[position] == '\0';
}

void LoadEnglishTable(TExRegistry& registry) {
  SplitTable& last = LastTable();
  std::string text = registry.ReadMultiSzData("Counter");
  if (text == last.text && !last.table.empty()) {
    State.englishTable.swap(last.table);
  } else {
    SplitMultiSz(text, State.englishTable);
    last.text = std::move(text);
  }
  last.table.clear();
}

// Keeps the session's table for the next one, unless it was reshaped meanwhile.
void KeepEnglishTable() {
  SplitTable& last = LastTable();
  if (StillShapedBy(State.englishTable, last.text)) {
    last.table.swap(State.englishTable);
  }
  EnglishTable().swap(State.englishTable);
}

bool ReadRawSample(PdhRawCounter& sample) {
  sample = PdhRawCounter{};
  uint32_t type = 0;
  const PdhStatus status = ActivePdh().GetRawCounterValue(State.counterHandle, &type, &sample);
  if (status != platform::kPdhOk) {
    LogFailedCall("PdhGetRawCounterValue", status);
    sample = PdhRawCounter{};
  }
  return status == platform::kPdhOk;
}

}  // namespace

bool init() {
  PdhHandle query = 0;
  if (ActivePdh().OpenQuery(nullptr, 0, &query) != platform::kPdhOk) return false;
  State.queryHandle = query;
  State.counterHandle = NoHandle;
  State.englishTable.clear();
  TExRegistry registry(platform::kKeyRead);
  registry.SetRootKey(platform::kHKeyLocalMachine);
  registry.OpenKeyReadOnly(kEnglishTableKey);
  LoadEnglishTable(registry);
  return !State.englishTable.empty();
}

bool close() {
  platform::Pdh& pdh = ActivePdh();
  // A counter never added is no handle to remove: Windows answers the call with an
  // error, other PDH implementations read through the handle and crash.
  if (State.counterHandle != NoHandle) pdh.RemoveCounter(State.counterHandle);
  const bool closed = pdh.CloseQuery(State.queryHandle) == platform::kPdhOk;
  State.queryHandle = NoHandle;
  KeepEnglishTable();
  return closed;
}

lib::CounterValue GetFormattedValue(const std::string& path, bool twice, int32_t delayMs,
                                    uint32_t format) {
  if (!EnsureCounter(path)) return {};
  if (twice) {
    Collect();
    platform::SleepMs(static_cast<uint32_t>(delayMs));
  }
  if (!Collect()) return {};
  uint32_t type = 0;
  PdhFmtCounterValue value{};
  const PdhStatus status = ActivePdh().GetFormattedCounterValue(
      State.counterHandle, format | platform::kPdhFmtNoScale, &type, &value);
  if (status != platform::kPdhOk) {
    LogFailedCall("PdhGetFormattedCounterValue", status);
    return {};
  }
  if (format == platform::kPdhFmtDouble) return value.doubleValue;
  return value.longValue;
}

lib::CounterValue GetRawValue(const std::string& path, bool twice, int32_t delayMs) {
  if (!EnsureCounter(path)) return {};
  const uint32_t format =
      (static_cast<uint32_t>(GetCounterType(State.counterHandle)) & platform::kPerfSizeLargeBit)
          ? platform::kPdhFmtDouble
          : platform::kPdhFmtLong;
  if (!twice) {
    PdhRawCounter sample{};
    if (!Collect() || !ReadRawSample(sample)) return {};
    return sample.FirstValue;
  }
  PdhRawCounter older{};
  if (Collect()) ReadRawSample(older);
  platform::SleepMs(static_cast<uint32_t>(delayMs));
  PdhRawCounter newer{};
  if (!Collect() || !ReadRawSample(newer)) return {};
  PdhFmtCounterValue value{};
  const PdhStatus status = ActivePdh().CalculateCounterFromRawValue(
      State.counterHandle, format | platform::kPdhFmtNoScale, &newer, &older, &value);
  if (status != platform::kPdhOk) {
    LogFailedCall("PdhCalculateCounterFromRawValue", status);
    return {};
  }
  if (format == platform::kPdhFmtDouble) return value.doubleValue;
  return value.longValue;
}

int32_t GetCounterType(PdhHandle counter) {
  PdhStatus failed = platform::kPdhOk;
  const int32_t type = internal::CounterTypeOf(counter, failed);
  if (failed != platform::kPdhOk) LogFailedCall("PdhGetCounterInfo", failed);
  return type;
}

int32_t internal::CounterTypeOf(PdhHandle counter, PdhStatus& failed) {
  platform::Pdh& pdh = ActivePdh();
  uint32_t size = 0;
  if (pdh.GetCounterInfo(counter, false, &size, nullptr) != platform::kPdhMoreData) return -1;
  std::vector<unsigned char> buffer(size);
  const PdhStatus status = pdh.GetCounterInfo(counter, false, &size, buffer.data());
  if (status != platform::kPdhOk) {
    failed = status;
    return -1;
  }
  // A record too short to hold the type field is as good as no type.
  if (buffer.size() < offsetof(platform::PdhCounterInfoHead, dwType) + sizeof(uint32_t)) return -1;
  uint32_t type = 0;
  std::memcpy(&type, buffer.data() + offsetof(platform::PdhCounterInfoHead, dwType), sizeof type);
  return static_cast<int32_t>(type);
}

}  // namespace perf
