#include "provider/sources/proc_uptime.h"

#include "provider/counter_types.h"
#include "provider/text_util.h"

namespace provider {

std::optional<int64_t> ParseUptime(std::string_view text) {
  auto fields = SplitFields(text);
  return fields.empty() ? std::nullopt : ParseScaledDecimal(fields[0], kTicksPerSecond);
}

}  // namespace provider
