#include "provider/sources/proc_pid_stat.h"

#include "provider/text_util.h"

namespace provider {
namespace {

// Fields counted from the state field, which is field 3; a field that is no
// number reads 0.
enum Field : size_t {
  kUtime = 14 - 3,
  kStime = 15 - 3,
  kThreads = 20 - 3,
  kStartTime = 22 - 3,
  kVsize = 23 - 3,
  kFieldCount = 24 - 3
};

}  // namespace

std::optional<PidStat> ParsePidStat(std::string_view text) {
  size_t open = text.find('(');
  size_t close = text.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
    return std::nullopt;
  }
  auto fields = SplitFields(text.substr(close + 1));
  if (fields.size() < kFieldCount) return std::nullopt;
  auto field = [&](Field f) { return ParseUnsigned(fields[f]).value_or(0); };
  return PidStat{text.substr(open + 1, close - open - 1),
                 field(kUtime),
                 field(kStime),
                 static_cast<int64_t>(field(kThreads)),
                 field(kStartTime),
                 static_cast<int64_t>(field(kVsize))};
}

}  // namespace provider
