#include "agent/get_perf.h"

#include <optional>
#include <stdexcept>

#include "agent/flags.h"
#include "agent/instance_index.h"
#include "agent/limits.h"
#include "agent/log.h"
#include "agent/query_session.h"
#include "agent/row_keys.h"
#include "agent/state.h"
#include "lib/command.h"
#include "lib/text.h"
#include "lib/value_text.h"
#include "perf/perf.h"

namespace quillon {

namespace {

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

// A counter's value as the row's text: its kind logged, its flags applied.
std::string CounterText(lib::CounterValue value, const RowKeys& row) {
  if (Logging()) Log(std::string("GetPerf: vartype=") + lib::KindName(value));
  if (!row.flag.empty()) {
    if (Logging()) Log("flag=" + row.flag);
    for (const std::string& item : SplitFlagItems(row.flag)) ApplyFlagItem(item, value);
  }
  return lib::ValueToText(value);
}

// Runs read(localPath) in a query session of the counter module's own once the row's
// path has translated; failed when it does not.
template <typename Result, typename Read>
Result InOwnSession(const RowKeys& row, std::string& localPath, Result failed, Read read) {
  const AgentSettings& settings = State().settings;
  perf::DebugFlag = settings.debug;
  perf::SkipUnwritableDebugLines = true;
  if (!perf::init()) {
    Log("perf.init=false");
    return failed;
  }
  QuerySession session;
  localPath = perf::EnglishPath2LocalPDHPath(row.counter);
  if (localPath.empty()) {
    session.Close();
    return failed;
  }
  if (Logging()) Log("GetPerf: pdh_counter_path=" + localPath);
  Result result = read(localPath);
  session.Close();
  return result;
}

// A counter read in a query session of its own; localPath gets the translated path.
std::string ReadCounterRow(const RowKeys& row, std::string& localPath) {
  if (Logging()) Log("GetPerf: path=" + row.counter);
  const AgentSettings& settings = State().settings;
  return InOwnSession(row, localPath, std::string(), [&](const std::string& path) {
    lib::CounterValue value =
        row.Raw() ? perf::GetRawValue(path, row.Twice(), settings.collect_delay)
                  : perf::GetFormattedValue(path, row.Twice(), settings.collect_delay,
                                            platform::kPdhFmtDouble);
    return CounterText(value, row);
  });
}

std::string SampledText(const lib::CounterValue& value, const RowKeys& row,
                        const std::string& localPath) {
  if (Logging()) {
    Log("GetPerf: path=" + row.counter);
    Log("GetPerf: pdh_counter_path=" + localPath);
  }
  return CounterText(value, row);
}

// A counter answered from the sampler's latest samples, or read on its own while the
// sampler has none, after which the sampler holds it too.
std::string ReadSampledRow(SampledRows& sampled, const ProfileSnapshot& rows, const RowKeys& row) {
  sampled.Follow(rows);
  std::string localPath;
  std::optional<lib::CounterValue> value = sampled.Latest(row.counter, row.Kind(), localPath);
  if (!value) {
    std::string result = ReadCounterRow(row, localPath);
    if (!localPath.empty()) sampled.Join(row.counter, localPath, row.Kind());
    return result;
  }
  return SampledText(*value, row, localPath);
}

}  // namespace

std::string GetPerf(const ProfileSnapshot& rows, const std::string& section) {
  const RowKeys row = ReadRowKeys(rows, section);
  if (row.counter.empty()) {
    Log("GetPerf: path is empty for " + section);
    return "";
  }
  if (row.IsTable()) {
    Log("GetPerf: " + section + " is a table of every instance: its cells have the values");
    return "";
  }
  if (row.IsCommand()) return RunCommandRow(row.counter);
  if (row.IsConstant()) return row.counter;
  if (State().sampled) return ReadSampledRow(*State().sampled, rows, row);
  std::string localPath;
  return ReadCounterRow(row, localPath);
}

std::string InstanceText(const RowKeys& row, const std::string& localPath) {
  if (SampledRows* sampled = State().sampled.get()) {
    if (std::optional<lib::CounterValue> value = sampled->LatestOf(localPath, row.Kind())) {
      return SampledText(*value, row, localPath);
    }
  }
  std::string translated;
  return ReadCounterRow(row, translated);
}

perf::InstanceList ExpandCounterRow(const RowKeys& row, std::string& localPath) {
  return InOwnSession(row, localPath, perf::InstanceList(), [](const std::string& path) {
    auto instances = std::make_shared<std::vector<perf::CounterInstance>>();
    if (!perf::ExpandInstancesForRead(path, *instances)) return perf::InstanceList();
    PutInIndexOrder(*instances);
    return perf::InstanceList(std::move(instances));
  });
}

}  // namespace quillon
