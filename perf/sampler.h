#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "lib/counter_value.h"
#include "perf/perf.h"
#include "platform/pdh.h"
#include "platform/timer_thread.h"

namespace perf {

// How a row reads its counter, as a query session of its own would: formatted or raw,
// over the interval between the last two samples or from the latest sample alone.
enum class SampleKind : uint8_t { kFormattedInterval, kFormattedLatest, kRawInterval, kRawLatest };
constexpr size_t kSampleKinds = 4;

SampleKind KindOf(bool raw, bool twice);
constexpr uint8_t KindBit(SampleKind kind) {
  return static_cast<uint8_t>(1u << static_cast<int>(kind));
}

// A counter that rows want, by its local path, and the kinds they read it as. A path
// whose instance is "*" stands for every instance: the sampler expands it each
// collection and samples each instance's counter as those kinds.
struct WantedCounter {
  std::string localPath;
  uint8_t kinds = 0;  // KindBit of each
  bool everyInstance = false;
};

using InstanceList = std::shared_ptr<const std::vector<CounterInstance>>;

// Background sampling: a query of its own, collected on a thread of its own at a fixed
// interval, so that a row is answered from the latest samples at once instead of
// waiting out a collect delay per request. It shares nothing with the per-read session
// of this module but the PDH itself, which serves both threads.
class Sampler {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  static constexpr size_t kMaxCounters = 10000;
  static constexpr std::chrono::minutes kIdleLimit{10};
  static constexpr uint32_t kShortestIntervalMs = 100;

  // debugSwitch is the switch of the sampler's own debug lines.
  explicit Sampler(std::string debugSwitch, Clock clock = &std::chrono::steady_clock::now);
  ~Sampler();
  Sampler(const Sampler&) = delete;
  Sampler& operator=(const Sampler&) = delete;

  // Collects at once and then every intervalMs (kShortestIntervalMs at least). False
  // when the thread cannot be started.
  bool Start(uint32_t intervalMs);
  // Ends the thread and closes the query; nothing of the sampler outlives this.
  void Stop();

  // The counters that rows want now; counters no longer wanted leave with the next
  // collection.
  void Follow(const std::vector<WantedCounter>& wanted);
  // The latest value of the counter read as kind, when the sampler holds the counter and
  // has collected it often enough; otherwise nothing, and the counter joins the next
  // collection (unless kMaxCounters are sampled). Either way it counts as asked for.
  std::optional<lib::CounterValue> Ask(const std::string& localPath, SampleKind kind);
  // The instances of a path whose instance is "*" as the latest collection expanded
  // them; null when the sampler has not expanded it yet, and then it joins the next
  // collection. The instances' counters are sampled as kind.
  InstanceList AskInstances(const std::string& localWildcardPath, SampleKind kind);

  // One collection, as the thread makes it every interval.
  void Collect();

 private:
  // What rows want of a counter and its latest values; guarded by mutex_.
  struct Row {
    uint8_t kinds = 0;
    std::chrono::steady_clock::time_point lastAsked;
    std::array<std::optional<lib::CounterValue>, kSampleKinds> values;
  };
  // A counter of the sampler's query; the collecting thread's alone.
  struct Held {
    platform::PdhHandle counter = 0;
    uint8_t kinds = 0;
    uint32_t samples = 0;  // consecutive good raw samples, at most 2 counted
    platform::PdhRawCounter newer{};
    platform::PdhRawCounter older{};
    uint32_t intervalFormat = 0;  // the format a raw interval is computed in
    // Whether the counter's type gives a formatted value from one sample, as the first
    // sample showed: then its formatted value depends on the latest sample alone.
    bool oneSampleFormats = false;
  };
  // A path that stands for every instance; guarded by mutex_.
  struct Expansion {
    uint8_t kinds = 0;
    std::chrono::steady_clock::time_point lastAsked;
    InstanceList instances;
  };
  using Values = std::array<std::optional<lib::CounterValue>, kSampleKinds>;
  using Wanted = std::unordered_map<std::string, uint8_t>;

  Wanted TakeWanted(Wanted& expansions);
  // Expands each path for this collection and adds its instances' counters to wanted.
  std::unordered_map<std::string, InstanceList> Expand(const Wanted& expansions, Wanted& wanted);
  bool OpenQuery();
  void Reconcile(const std::unordered_map<std::string, uint8_t>& wanted);
  void Sample(const std::string& path, Held& held);
  Values ValuesOf(const std::string& path, Held& held);
  lib::CounterValue Formatted(const std::string& path, const Held& held);
  // The value over the interval between the last two samples.
  lib::CounterValue Calculate(const std::string& path, const Held& held, uint32_t format);
  void Publish(const std::unordered_map<std::string, InstanceList>& expanded,
               const std::vector<std::pair<std::string, Values>>& values,
               const std::vector<std::string>& dropped);
  void CloseQuery();
  // One debug line per counter and cause, not one per collection.
  void LogOnce(const char* call, platform::PdhStatus status, const std::string& path);

  const std::string debugSwitch_;
  const Clock clock_;

  std::mutex mutex_;
  std::unordered_map<std::string, Row> rows_;
  std::unordered_map<std::string, Expansion> expansions_;

  platform::PdhHandle query_ = 0;
  bool queryOpen_ = false;
  std::unordered_map<std::string, Held> held_;
  std::set<std::pair<std::string, std::string>> logged_;

  std::unique_ptr<platform::TimerThread> thread_;
};

}  // namespace perf
