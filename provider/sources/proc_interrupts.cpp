#include "provider/sources/proc_interrupts.h"

#include <vector>

#include "provider/text_util.h"

namespace provider {

std::map<int, int64_t> ParseInterruptsPerCpu(std::string_view text) {
  std::map<int, int64_t> perCpu;
  auto lines = SplitLines(text);
  if (lines.empty()) return perCpu;
  std::vector<int> cpus;
  for (std::string_view header : SplitFields(lines[0])) {
    if (header.starts_with("CPU"))
      cpus.push_back(static_cast<int>(ParseUnsigned(header.substr(3)).value_or(0)));
  }
  for (size_t i = 1; i < lines.size(); ++i) {
    auto fields = SplitFields(lines[i]);
    for (size_t column = 0; column < cpus.size() && column + 1 < fields.size(); ++column) {
      auto count = ParseUnsigned(fields[column + 1]);
      if (!count) break;
      perCpu[cpus[column]] += static_cast<int64_t>(*count);
    }
  }
  return perCpu;
}

}  // namespace provider
