#pragma once

// The service's own line for a row that fails, written whatever the agent's debug
// switch says: once per row and status a minute, naming the row as the agent lists it
// and, for a counter row whose path names no counter here, how to find the right name.

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "agent/profile_snapshot.h"
#include "host/binding.h"
#include "host/extension_agent.h"
#include "platform/file_system.h"

namespace exthost {

class FailingRows {
 public:
  using Clock = std::chrono::steady_clock;

  // countersFile: the agent's "counters" setting as written (drive letters included).
  explicit FailingRows(std::string countersFile) : countersFile_(std::move(countersFile)) {}

  // The line to log for a GET of `asked`, or a GETNEXT after it, that the agent failed
  // with `status`; nothing when no row of the counters file is meant (a GET of an OID
  // that names none, the end of a walk) or the row was named within the last minute.
  std::optional<std::string> Report(Phase phase, const Oid& asked, int32_t status,
                                    Clock::time_point now);

 private:
  // The counters file as the agent lists its rows, read again when it changes.
  const quillon::ProfileSnapshot& Rows();

  std::string countersFile_;
  platform::FileIdentity identity_;
  std::shared_ptr<const quillon::ProfileSnapshot> rows_;
  std::map<std::pair<std::string, int32_t>, Clock::time_point> lastLogged_;
};

// How a counter path fails to name a counter here (the translation or the counter
// provider refuses it); empty when it names one.
std::string CounterPathProblem(const std::string& englishPath);

}  // namespace exthost
