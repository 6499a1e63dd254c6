#include "agent/get_perf.h"

#include <stdexcept>

#include "agent/flags.h"
#include "agent/limits.h"
#include "agent/log.h"
#include "agent/state.h"
#include "lib/command.h"
#include "lib/text.h"
#include "lib/value_text.h"
#include "perf/perf.h"

namespace quillon {

namespace {

// Keeps the counter module's query session from outliving a read that ends with a
// failure; a normal read closes it itself, so that close's own failures are seen.
class QuerySession {
 public:
  QuerySession() = default;
  QuerySession(const QuerySession&) = delete;
  QuerySession& operator=(const QuerySession&) = delete;
  ~QuerySession() {
    if (!open_) return;
    try {
      perf::close();
    } catch (...) {
      // Already on the way out with a failure of its own.
    }
  }
  void Close() {
    open_ = false;
    perf::close();
  }

 private:
  bool open_ = true;
};

std::string RunCommandRow(const std::string& commandLine) {
  Log("GetPerf: executing " + commandLine);
  std::string output;
  std::string error;
  std::string result;
  const lib::CommandEnd end = lib::RunCommand(commandLine, kCommandTimeLimitMs, output, error);
  if (end == lib::CommandEnd::kFinished) {
    result = lib::Trim(output);
  } else {
    Log("GetPerf: CreateProcess returned false");
  }
  if (!error.empty()) Log("GetPerf: CreateProcess returned an error: " + error);
  // A command cut short has not given its value, and what it wrote before is no value
  // either: the request fails instead of answering the row as one without a value.
  if (end == lib::CommandEnd::kTimedOut) {
    throw std::runtime_error("command ran past its time limit: " + commandLine);
  }
  if (end == lib::CommandEnd::kKilled) {
    throw std::runtime_error("command killed before it finished: " + commandLine);
  }
  return result;
}

std::string ReadCounterRow(const std::string& counter, const std::string& flag) {
  const AgentSettings& settings = State().settings;
  if (Logging()) Log("GetPerf: path=" + counter);
  perf::DebugFlag = settings.debug;
  perf::SkipUnwritableDebugLines = true;
  if (!perf::init()) {
    Log("perf.init=false");
    return "";
  }
  QuerySession session;
  std::string localPath = perf::EnglishPath2LocalPDHPath(counter);
  if (localPath.empty()) {
    session.Close();
    return "";
  }
  if (Logging()) Log("GetPerf: pdh_counter_path=" + localPath);
  bool twice = flag.find("norefresh") == std::string::npos;
  lib::CounterValue value = flag.find("raw") != std::string::npos
                                ? perf::GetRawValue(localPath, twice, settings.collect_delay)
                                : perf::GetFormattedValue(localPath, twice, settings.collect_delay,
                                                          platform::kPdhFmtDouble);
  if (Logging()) Log(std::string("GetPerf: vartype=") + lib::KindName(value));
  if (!flag.empty()) {
    if (Logging()) Log("flag=" + flag);
    for (const std::string& item : SplitFlagItems(flag)) ApplyFlagItem(item, value);
  }
  std::string result = lib::ValueToText(value);
  session.Close();
  return result;
}

}  // namespace

std::string GetPerf(const ProfileSnapshot& rows, const std::string& section) {
  const ProfileSnapshot::Row row = rows.RowNamed(section);
  std::string counter = lib::Trim(row.Value("counter"));
  std::string flag = lib::Trim(row.Value("flag"));
  std::string type = lib::Trim(row.Value("type"));
  if (counter.empty()) {
    Log("GetPerf: path is empty for " + section);
    return "";
  }
  if (type == "exec") return RunCommandRow(counter);
  if (type == "string") return counter;
  return ReadCounterRow(counter, flag);
}

}  // namespace quillon
