#include "perf/sampler.h"

#include <algorithm>

#include "lib/debug_log.h"
#include "perf/internal.h"

namespace perf {

using internal::ActivePdh;
using platform::PdhFmtCounterValue;
using platform::PdhHandle;
using platform::PdhRawCounter;
using platform::PdhStatus;

namespace {

constexpr bool NeedsTwoSamples(SampleKind kind) {
  return kind == SampleKind::kFormattedInterval || kind == SampleKind::kRawInterval;
}

// Lets go of the entries no request asked for within the idle limit; the kinds of the
// others.
template <typename Entries, typename Kinds>
void KeepAsked(Entries& entries, std::chrono::steady_clock::time_point now, Kinds& kinds) {
  std::erase_if(entries, [&](const auto& entry) {
    return now - entry.second.lastAsked > Sampler::kIdleLimit;
  });
  for (const auto& [path, entry] : entries) kinds.emplace(path, entry.kinds);
}

}  // namespace

SampleKind KindOf(bool raw, bool twice) {
  if (raw) return twice ? SampleKind::kRawInterval : SampleKind::kRawLatest;
  return twice ? SampleKind::kFormattedInterval : SampleKind::kFormattedLatest;
}

Sampler::Sampler(std::string debugSwitch, Clock clock)
    : debugSwitch_(std::move(debugSwitch)), clock_(std::move(clock)) {}

Sampler::~Sampler() { Stop(); }

bool Sampler::Start(uint32_t intervalMs) {
  thread_ = platform::StartTimerThread(
      std::max(intervalMs, kShortestIntervalMs),
      [this] {
        try {
          Collect();
        } catch (...) {
          // A collection that ran out of memory is lost; the next one tries again.
        }
      },
      platform::FirstTick::kAtOnce);
  return thread_ != nullptr;
}

void Sampler::Stop() {
  if (thread_) {
    thread_->Stop();
    thread_.reset();
  }
  CloseQuery();
}

void Sampler::Follow(const std::vector<WantedCounter>& wanted) {
  std::lock_guard lock(mutex_);
  const auto now = clock_();
  std::unordered_map<std::string, Row> next;
  std::unordered_map<std::string, Expansion> nextExpansions;
  for (const WantedCounter& counter : wanted) {
    if (counter.everyInstance) {
      auto [kept, added] = nextExpansions.try_emplace(counter.localPath);
      if (added) {
        auto old = expansions_.find(counter.localPath);
        kept->second = old == expansions_.end() ? Expansion{0, now, nullptr} : old->second;
        kept->second.kinds = 0;
      }
      kept->second.kinds |= counter.kinds;
      continue;
    }
    auto kept = next.find(counter.localPath);
    if (kept == next.end()) {
      if (next.size() >= kMaxCounters) continue;
      auto old = rows_.find(counter.localPath);
      Row row = old == rows_.end() ? Row{0, now, {}} : std::move(old->second);
      row.kinds = 0;
      kept = next.emplace(counter.localPath, std::move(row)).first;
    }
    kept->second.kinds |= counter.kinds;
  }
  for (auto& [path, row] : next) {
    for (size_t kind = 0; kind < kSampleKinds; ++kind) {
      if ((row.kinds & (1u << kind)) == 0) row.values[kind].reset();
    }
  }
  // The instances of a path still expanded keep their latest values.
  for (const auto& [path, expansion] : nextExpansions) {
    if (!expansion.instances) continue;
    for (const CounterInstance& instance : *expansion.instances) {
      auto old = rows_.find(instance.localPath);
      if (old != rows_.end() && next.size() < kMaxCounters) next.insert(*old);
    }
  }
  rows_.swap(next);
  expansions_.swap(nextExpansions);
}

std::optional<lib::CounterValue> Sampler::Ask(const std::string& localPath, SampleKind kind) {
  std::lock_guard lock(mutex_);
  const auto now = clock_();
  auto found = rows_.find(localPath);
  if (found == rows_.end()) {
    if (rows_.size() < kMaxCounters) rows_.emplace(localPath, Row{KindBit(kind), now, {}});
    return std::nullopt;
  }
  Row& row = found->second;
  row.lastAsked = now;
  row.kinds |= KindBit(kind);
  return row.values[static_cast<size_t>(kind)];
}

InstanceList Sampler::AskInstances(const std::string& localWildcardPath, SampleKind kind) {
  std::lock_guard lock(mutex_);
  const auto now = clock_();
  auto found = expansions_.find(localWildcardPath);
  if (found == expansions_.end()) {
    if (rows_.size() + expansions_.size() < kMaxCounters) {
      expansions_.emplace(localWildcardPath, Expansion{KindBit(kind), now, nullptr});
    }
    return nullptr;
  }
  found->second.lastAsked = now;
  found->second.kinds |= KindBit(kind);
  return found->second.instances;
}

void Sampler::Collect() {
  Wanted expansions;
  Wanted wanted = TakeWanted(expansions);
  if (!OpenQuery()) return;
  const std::unordered_map<std::string, InstanceList> expanded = Expand(expansions, wanted);
  std::vector<std::string> dropped;
  for (auto held = held_.begin(); held != held_.end();) {
    if (wanted.count(held->first)) {
      ++held;
      continue;
    }
    ActivePdh().RemoveCounter(held->second.counter);
    held = held_.erase(held);
  }
  for (const auto& [path, kinds] : wanted) {
    auto found = held_.find(path);
    if (found != held_.end()) {
      // Whether its type formats one sample shows in the first sample of a counter
      // only: one newly read that way is added anew.
      const uint8_t latest = KindBit(SampleKind::kFormattedLatest);
      if (!(kinds & latest) || (found->second.kinds & latest)) {
        found->second.kinds = kinds;
        continue;
      }
      ActivePdh().RemoveCounter(found->second.counter);
      held_.erase(found);
    }
    Held added;
    const PdhStatus status = ActivePdh().AddCounter(query_, path.c_str(), 0, &added.counter);
    if (status != platform::kPdhOk) {
      // Left to the rows' own reads, which join it again once it can be added.
      LogOnce("PdhAddCounter", status, path);
      dropped.push_back(path);
      continue;
    }
    added.kinds = kinds;
    PdhStatus typeStatus = platform::kPdhOk;
    const int32_t type = internal::CounterTypeOf(added.counter, typeStatus);
    if (typeStatus != platform::kPdhOk) LogOnce("PdhGetCounterInfo", typeStatus, path);
    added.intervalFormat = (static_cast<uint32_t>(type) & platform::kPerfSizeLargeBit)
                               ? platform::kPdhFmtDouble
                               : platform::kPdhFmtLong;
    held_.emplace(path, added);
  }

  std::vector<std::pair<std::string, Values>> values;
  values.reserve(held_.size());
  if (!held_.empty()) {
    const PdhStatus status = ActivePdh().CollectQueryData(query_);
    if (status != platform::kPdhOk) LogOnce("PdhCollectQueryData", status, "");
    for (auto& [path, held] : held_) {
      if (status == platform::kPdhOk) {
        Sample(path, held);
      } else {
        held.samples = 0;
      }
      values.emplace_back(path, ValuesOf(path, held));
    }
  }
  Publish(expanded, values, dropped);
}

Sampler::Wanted Sampler::TakeWanted(Wanted& expansions) {
  std::lock_guard lock(mutex_);
  const auto now = clock_();
  Wanted wanted;
  KeepAsked(rows_, now, wanted);
  KeepAsked(expansions_, now, expansions);
  return wanted;
}

std::unordered_map<std::string, InstanceList> Sampler::Expand(const Wanted& expansions,
                                                              Wanted& wanted) {
  std::unordered_map<std::string, InstanceList> expanded;
  for (const auto& [path, kinds] : expansions) {
    auto instances = std::make_shared<std::vector<CounterInstance>>();
    const PdhStatus status = ExpandInstances(path, *instances);
    if (status != platform::kPdhOk) {
      LogOnce("PdhExpandWildCardPath", status, path);
      continue;
    }
    for (const CounterInstance& instance : *instances) {
      if (wanted.size() >= kMaxCounters && !wanted.count(instance.localPath)) break;
      wanted[instance.localPath] |= kinds;
    }
    expanded.emplace(path, std::move(instances));
  }
  return expanded;
}

bool Sampler::OpenQuery() {
  if (queryOpen_) return true;
  const PdhStatus status = ActivePdh().OpenQuery(nullptr, 0, &query_);
  if (status != platform::kPdhOk) {
    LogOnce("PdhOpenQuery", status, "");
    return false;
  }
  queryOpen_ = true;
  return true;
}

void Sampler::Sample(const std::string& path, Held& held) {
  PdhRawCounter sample{};
  uint32_t type = 0;
  const PdhStatus status = ActivePdh().GetRawCounterValue(held.counter, &type, &sample);
  if (status != platform::kPdhOk) {
    LogOnce("PdhGetRawCounterValue", status, path);
    held.samples = 0;
    return;
  }
  held.older = held.newer;
  held.newer = sample;
  held.samples = std::min<uint32_t>(held.samples + 1, 2);
}

Sampler::Values Sampler::ValuesOf(const std::string& path, Held& held) {
  Values values;
  for (size_t index = 0; index < kSampleKinds; ++index) {
    const auto kind = static_cast<SampleKind>(index);
    if ((held.kinds & KindBit(kind)) == 0) continue;
    if (held.samples < (NeedsTwoSamples(kind) ? 2u : 1u)) continue;
    switch (kind) {
      case SampleKind::kFormattedInterval:
        values[index] = Calculate(path, held, platform::kPdhFmtDouble);
        break;
      case SampleKind::kFormattedLatest:
        // A read of its own formats one sample; a rate has no value from one.
        if (held.samples == 1) {
          values[index] = Formatted(path, held);
          held.oneSampleFormats = !lib::IsNull(*values[index]);
        } else {
          values[index] = held.oneSampleFormats ? Formatted(path, held) : lib::CounterValue();
        }
        break;
      case SampleKind::kRawInterval:
        values[index] = Calculate(path, held, held.intervalFormat);
        break;
      case SampleKind::kRawLatest:
        values[index] = lib::CounterValue(held.newer.FirstValue);
        break;
    }
  }
  return values;
}

lib::CounterValue Sampler::Formatted(const std::string& path, const Held& held) {
  uint32_t type = 0;
  PdhFmtCounterValue value{};
  const PdhStatus status = ActivePdh().GetFormattedCounterValue(
      held.counter, platform::kPdhFmtDouble | platform::kPdhFmtNoScale, &type, &value);
  if (status != platform::kPdhOk) {
    LogOnce("PdhGetFormattedCounterValue", status, path);
    return {};
  }
  return value.doubleValue;
}

lib::CounterValue Sampler::Calculate(const std::string& path, const Held& held, uint32_t format) {
  PdhRawCounter newer = held.newer;
  PdhRawCounter older = held.older;
  PdhFmtCounterValue value{};
  const PdhStatus status = ActivePdh().CalculateCounterFromRawValue(
      held.counter, format | platform::kPdhFmtNoScale, &newer, &older, &value);
  if (status != platform::kPdhOk) {
    LogOnce("PdhCalculateCounterFromRawValue", status, path);
    return {};
  }
  if (format == platform::kPdhFmtDouble) return value.doubleValue;
  return value.longValue;
}

void Sampler::Publish(const std::unordered_map<std::string, InstanceList>& expanded,
                      const std::vector<std::pair<std::string, Values>>& values,
                      const std::vector<std::string>& dropped) {
  std::lock_guard lock(mutex_);
  const auto now = clock_();
  for (const auto& [path, instances] : expanded) {
    auto expansion = expansions_.find(path);
    if (expansion == expansions_.end()) continue;
    expansion->second.instances = instances;
    for (const CounterInstance& instance : *instances) {
      auto row = rows_.find(instance.localPath);
      if (row == rows_.end()) {
        if (rows_.size() >= kMaxCounters) continue;
        row = rows_.emplace(instance.localPath, Row{0, now, {}}).first;
      }
      row->second.kinds |= expansion->second.kinds;
    }
  }
  for (const auto& [path, latest] : values) {
    auto row = rows_.find(path);
    if (row == rows_.end()) continue;
    for (size_t kind = 0; kind < kSampleKinds; ++kind) {
      // A kind asked for since this collection began waits for the next one.
      if (row->second.kinds & (1u << kind)) row->second.values[kind] = latest[kind];
    }
  }
  for (const std::string& path : dropped) rows_.erase(path);
}

void Sampler::CloseQuery() {
  if (!queryOpen_) return;
  for (const auto& [path, held] : held_) ActivePdh().RemoveCounter(held.counter);
  held_.clear();
  ActivePdh().CloseQuery(query_);
  queryOpen_ = false;
}

void Sampler::LogOnce(const char* call, PdhStatus status, const std::string& path) {
  std::string line = std::string("Sampler: ") + call + ": ret=" + internal::StatusHex(status);
  if (!logged_.emplace(line, path).second) return;
  if (!path.empty()) line += " for " + path;
  try {
    lib::DebugLog(line, debugSwitch_);
  } catch (const lib::EInOutError&) {
    // Diagnostics must never cost the sampler its collection.
  }
}

}  // namespace perf
