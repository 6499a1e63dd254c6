#include "provider/sources/proc_swaps.h"

#include "provider/sources/proc_escapes.h"
#include "provider/text_util.h"

namespace provider {
namespace {

// Filename Type Size Used Priority
enum Column : size_t { kFilename = 0, kSize = 2, kUsed = 3, kColumnCount = 5 };

}  // namespace

std::vector<SwapArea> ParseSwaps(std::string_view text) {
  std::vector<SwapArea> areas;
  for (std::string_view line : SplitLines(text)) {
    auto columns = SplitFields(line);
    if (columns.size() < kColumnCount) continue;
    auto size = ParseUnsigned(columns[kSize]);
    auto used = ParseUnsigned(columns[kUsed]);
    if (!size || !used) continue;
    areas.push_back({UnescapeProcField(columns[kFilename]), static_cast<int64_t>(*size),
                     static_cast<int64_t>(*used)});
  }
  return areas;
}

}  // namespace provider
