#include "provider/sources/single_number.h"

#include "provider/text_util.h"

namespace provider {

std::optional<uint64_t> ParseSingleNumber(std::string_view text) {
  auto fields = SplitFields(text);
  return fields.empty() ? std::nullopt : ParseUnsigned(fields[0]);
}

}  // namespace provider
