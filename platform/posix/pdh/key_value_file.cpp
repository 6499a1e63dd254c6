#include "platform/posix/pdh/key_value_file.h"

#include "platform/posix/pdh/text_util.h"

namespace platform::posix::pdh {

std::map<std::string, int64_t, std::less<>> ReadKeyValueFile(const std::string& path) {
  std::map<std::string, int64_t, std::less<>> values;
  auto content = ReadWholeFile(path);
  if (!content) return values;
  for (std::string_view line : SplitLines(*content)) {
    auto fields = SplitFields(line);
    if (fields.size() < 2) continue;
    std::string_view name = fields[0];
    if (name.ends_with(':')) name.remove_suffix(1);
    if (auto value = ParseUnsigned(fields[1]))
      values[std::string(name)] = static_cast<int64_t>(*value);
  }
  return values;
}

int64_t ValueOf(const std::map<std::string, int64_t, std::less<>>& values, std::string_view name) {
  auto found = values.find(name);
  return found == values.end() ? 0 : found->second;
}

}  // namespace platform::posix::pdh
