#include "provider/sources/proc_stat.h"

#include "provider/text_util.h"

namespace provider {

StatSummary ParseStatSummary(std::string_view stat) {
  StatSummary summary;
  for (std::string_view line : SplitLines(stat)) {
    size_t blank = line.find(' ');
    std::string_view label = line.substr(0, blank);
    std::string_view rest = blank == std::string_view::npos ? "" : line.substr(blank + 1);
    auto number = [&rest]() -> std::optional<int64_t> {
      auto fields = SplitFields(rest);
      auto value = fields.empty() ? std::nullopt : ParseUnsigned(fields[0]);
      if (!value || *value > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;
      return static_cast<int64_t>(*value);
    };
    if (label.size() > 3 && label.starts_with("cpu") && label[3] >= '0' && label[3] <= '9') {
      ++summary.onlineCpus;
    } else if (label == "ctxt") {
      summary.contextSwitches = number();
    } else if (label == "procs_running") {
      summary.runningTasks = number();
    }
  }
  return summary;
}

StatSummary ReadStatSummary(const CollectContext& context) {
  const std::string* stat = context.Proc("stat");
  return stat ? ParseStatSummary(*stat) : StatSummary{};
}

}  // namespace provider
