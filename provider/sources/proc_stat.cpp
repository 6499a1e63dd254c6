#include "provider/sources/proc_stat.h"

#include "provider/text_util.h"

namespace provider {
namespace {

CpuLine ParseCpuLine(const std::vector<std::string_view>& fields) {
  CpuLine line{fields[0], std::nullopt, {}};
  if (fields[0].size() > 3) line.number = ParseUnsigned(fields[0].substr(3));
  for (size_t i = 1; i < fields.size() && i <= line.ticks.size(); ++i) {
    line.ticks[i - 1] = static_cast<int64_t>(ParseUnsigned(fields[i]).value_or(0) & INT64_MAX);
  }
  return line;
}

}  // namespace

ProcStat ParseProcStat(std::string_view text) {
  ProcStat stat;
  for (std::string_view line : SplitLines(text)) {
    auto fields = SplitFields(line);
    if (fields.empty()) continue;
    std::string_view label = fields[0];
    auto number = [&fields]() -> std::optional<int64_t> {
      auto value = fields.size() < 2 ? std::nullopt : ParseUnsigned(fields[1]);
      if (!value || *value > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;
      return static_cast<int64_t>(*value);
    };
    if (label == "cpu") {
      stat.machine = ParseCpuLine(fields);
    } else if (label.size() > 3 && label.starts_with("cpu") && label[3] >= '0' && label[3] <= '9') {
      ++stat.onlineCpus;
      stat.cpus.push_back(ParseCpuLine(fields));
    } else if (label == "ctxt") {
      stat.contextSwitches = number();
    } else if (label == "procs_running") {
      stat.runningTasks = number();
    }
  }
  return stat;
}

}  // namespace provider
