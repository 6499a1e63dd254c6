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

 private:
  perf::Sampler sampler_;
  uint64_t followed_ = 0;
  // English counter path to local path, for the rows of the followed file.
  std::unordered_map<std::string, std::string> translations_;
};

}  // namespace quillon
