#include "agent/sampled_rows.h"

#include <exception>
#include <utility>
#include <vector>

#include "agent/instance_index.h"
#include "agent/query_session.h"
#include "agent/row_keys.h"
#include "perf/perf.h"

namespace quillon {

namespace {

// Translating a whole file's paths is the sampler's business, not a row's: the counter
// module's lines are kept out of the debug log meanwhile, and a row's own read still
// writes them when its path does not translate.
class QuietCounterModule {
 public:
  QuietCounterModule() : debugFlag_(std::exchange(perf::DebugFlag, std::string())) {}
  ~QuietCounterModule() { perf::DebugFlag = std::move(debugFlag_); }
  QuietCounterModule(const QuietCounterModule&) = delete;
  QuietCounterModule& operator=(const QuietCounterModule&) = delete;

 private:
  std::string debugFlag_;
};

}  // namespace

void SampledRows::Follow(const ProfileSnapshot& rows) {
  if (rows.Serial() == followed_) return;
  followed_ = rows.Serial();
  translations_.clear();
  ordered_.clear();
  std::vector<perf::WantedCounter> wanted;
  try {
    QuietCounterModule quiet;
    if (perf::init()) {
      QuerySession session;
      for (std::string_view section : rows.SectionNames()) {
        const RowKeys keys = ReadRowKeys(rows, section);
        if (!keys.IsCounter()) continue;
        auto [translation, added] = translations_.try_emplace(keys.counter);
        if (added) translation->second = perf::EnglishPath2LocalPDHPath(keys.counter);
        if (translation->second.empty()) continue;
        wanted.push_back({translation->second, perf::KindBit(keys.Kind()), keys.IsTable()});
      }
      session.Close();
    }
  } catch (const std::exception&) {
    // Rows left untranslated are read on their own and join the sampler then.
  }
  std::erase_if(translations_, [](const auto& entry) { return entry.second.empty(); });
  sampler_.Follow(wanted);
}

std::optional<lib::CounterValue> SampledRows::Latest(const std::string& counter,
                                                     perf::SampleKind kind,
                                                     std::string& localPath) {
  auto translation = translations_.find(counter);
  if (translation == translations_.end()) return std::nullopt;
  localPath = translation->second;
  return sampler_.Ask(localPath, kind);
}

void SampledRows::Join(const std::string& counter, const std::string& localPath,
                       perf::SampleKind kind) {
  translations_[counter] = localPath;
  sampler_.Ask(localPath, kind);
}

perf::InstanceList SampledRows::Instances(const std::string& counter, perf::SampleKind kind,
                                          std::string& localPath) {
  auto translation = translations_.find(counter);
  if (translation == translations_.end()) return nullptr;
  perf::InstanceList expanded = sampler_.AskInstances(translation->second, kind);
  if (!expanded) return nullptr;
  localPath = translation->second;
  Ordered& ordered = ordered_[localPath];
  if (ordered.expanded != expanded) {
    auto instances = std::make_shared<std::vector<perf::CounterInstance>>(*expanded);
    PutInIndexOrder(*instances);
    ordered = {std::move(expanded), std::move(instances)};
  }
  return ordered.inIndexOrder;
}

void SampledRows::JoinTable(const std::string& counter, const std::string& localPath,
                            perf::SampleKind kind) {
  translations_[counter] = localPath;
  sampler_.AskInstances(localPath, kind);
}

}  // namespace quillon
