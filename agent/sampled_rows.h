#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "agent/profile_snapshot.h"
#include "lib/counter_value.h"
#include "perf/sampler.h"

namespace quillon {

// Counter rows answered from the latest samples of a sampler that follows the counters
// file. Used from the service's thread only; the sampler has its own.
class SampledRows {
 public:
  explicit SampledRows(const std::string& debugSwitch) : sampler_(debugSwitch) {}

  bool Start(uint32_t intervalMs) { return sampler_.Start(intervalMs); }

  // Samples the counter rows of this version of the counters file from now on; nothing
  // to do when it is the version already followed.
  void Follow(const ProfileSnapshot& rows);
  // The latest value of a row's counter (English path) read as kind, when the sampler
  // has one; localPath is then the path the counter translated to.
  std::optional<lib::CounterValue> Latest(const std::string& counter, perf::SampleKind kind,
                                          std::string& localPath);
  // A row read on its own: its counter joins the sampler under the path it translated to.
  void Join(const std::string& counter, const std::string& localPath, perf::SampleKind kind);

  // The instances of a table row's counter (English path, instance "*") in index order,
  // when the sampler has expanded it; localPath is then the path it translated to.
  perf::InstanceList Instances(const std::string& counter, perf::SampleKind kind,
                               std::string& localPath);
  // A table row expanded on its own: the sampler expands it from now on.
  void JoinTable(const std::string& counter, const std::string& localPath, perf::SampleKind kind);
  // The latest value of a counter by its local path, as Latest gives it.
  std::optional<lib::CounterValue> LatestOf(const std::string& localPath, perf::SampleKind kind) {
    return sampler_.Ask(localPath, kind);
  }

 private:
  // A sampler's expansion and the same instances in index order.
  struct Ordered {
    perf::InstanceList expanded;
    perf::InstanceList inIndexOrder;
  };

  perf::Sampler sampler_;
  uint64_t followed_ = 0;
  // English counter path to local path, for the rows of the followed file.
  std::unordered_map<std::string, std::string> translations_;
  // By local path of the table rows.
  std::unordered_map<std::string, Ordered> ordered_;
};

}  // namespace quillon
