#include "host/failing_rows.h"

#include <string_view>

#include "agent/row_order.h"
#include "lib/text.h"
#include "perf/perf.h"
#include "platform/pdh.h"

namespace exthost {
namespace {

constexpr auto kQuietPeriod = std::chrono::minutes(1);
// Beyond this many remembered rows, those named more than a minute ago are forgotten.
constexpr size_t kPruneAbove = 1024;

// Whether PDH takes the local path as a counter, in a query of its own.
bool PdhTakes(const std::string& localPath) {
  platform::Pdh& pdh = platform::SystemPdh();
  platform::PdhHandle query = 0;
  if (pdh.OpenQuery(nullptr, 0, &query) != platform::kPdhOk) return true;  // cannot tell
  platform::PdhHandle counter = 0;
  const bool taken = pdh.AddCounter(query, localPath.c_str(), 0, &counter) == platform::kPdhOk;
  pdh.CloseQuery(query);
  return taken;
}

// The object of an English counter path, as ctrview takes it.
std::string ObjectOf(const std::string& englishPath) {
  return englishPath.substr(0, englishPath.find('\\'));
}

std::string Hint(const quillon::ProfileSnapshot& rows, std::string_view row) {
  const quillon::ProfileSnapshot::Row keys = rows.RowNamed(row);
  const std::string type = lib::Trim(keys.Value("type"));
  const std::string counter = lib::Trim(keys.Value("counter"));
  if (type == "exec" || type == "string" || counter.empty()) return "";
  const std::string problem = CounterPathProblem(counter);
  if (problem.empty()) return "";
  return "; its counter path " + counter + " " + problem +
         ": list the object's counters with ctrview \"" + ObjectOf(counter) +
         "\" /enumobjectcounters";
}

}  // namespace

std::string CounterPathProblem(const std::string& englishPath) {
  if (!perf::init()) {
    perf::close();
    return "";
  }
  const std::string localPath = perf::EnglishPath2LocalPDHPath(englishPath);
  perf::close();
  if (localPath.empty()) return "does not translate";
  if (!PdhTakes(localPath)) return "names no counter here (" + localPath + ")";
  return "";
}

const quillon::ProfileSnapshot& FailingRows::Rows() {
  platform::FileIdentity now;
  const bool there = !countersFile_.empty() && platform::IdentifyFile(countersFile_, now);
  if (!rows_ || !there || !(now == identity_)) {
    rows_ = quillon::ReadProfileSnapshot(countersFile_);
    identity_ = now;
  }
  return *rows_;
}

std::optional<std::string> FailingRows::Report(Phase phase, const Oid& asked, int32_t status,
                                               Clock::time_point now) {
  // noSuchName is the end of a walk, or no row at all.
  if (status == kNoError || status == kNoSuchName) return std::nullopt;
  if (phase != Phase::Get && phase != Phase::GetNext) return std::nullopt;
  const quillon::ProfileSnapshot& rows = Rows();
  const std::string askedText = OidToText(asked);
  std::optional<std::string_view> row;
  if (phase == Phase::GetNext) {
    row = quillon::SectionAfter(rows, asked, askedText);
  } else if (const std::optional<size_t> at = rows.FirstPosition(askedText)) {
    row = rows.SectionNames()[*at];
  }
  if (!row) return std::nullopt;

  if (lastLogged_.size() > kPruneAbove) {
    std::erase_if(lastLogged_,
                  [&](const auto& entry) { return now - entry.second >= kQuietPeriod; });
  }
  const auto key = std::make_pair(std::string(*row), status);
  const auto logged = lastLogged_.find(key);
  if (logged != lastLogged_.end() && now - logged->second < kQuietPeriod) return std::nullopt;
  lastLogged_[key] = now;
  return "row " + key.first + " failed: " + StatusName(status) + Hint(rows, *row);
}

}  // namespace exthost
