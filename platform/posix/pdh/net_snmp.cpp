#include "platform/posix/pdh/net_snmp.h"

#include "platform/posix/pdh/key_value_file.h"
#include "platform/posix/pdh/text_util.h"

namespace platform::posix::pdh {

std::optional<SnmpValues> ReadSnmpSection(const std::string& procRoot, std::string_view section) {
  auto content = ReadWholeFile(procRoot + "/net/snmp");
  if (!content) return std::nullopt;
  std::string label = std::string(section) + ":";
  auto lines = SplitLines(*content);
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    auto names = SplitFields(lines[i]);
    auto numbers = SplitFields(lines[i + 1]);
    if (names.empty() || names[0] != label || numbers.empty() || numbers[0] != label) continue;
    SnmpValues values;
    for (size_t field = 1; field < names.size() && field < numbers.size(); ++field) {
      if (auto value = ParseUnsigned(numbers[field])) {
        values[std::string(names[field])] = static_cast<int64_t>(*value);
      }
    }
    return values;
  }
  return std::nullopt;
}

std::optional<SnmpValues> ReadSnmp6(const std::string& procRoot) {
  SnmpValues values = ReadKeyValueFile(procRoot + "/net/snmp6");
  if (values.empty()) return std::nullopt;
  return values;
}

}  // namespace platform::posix::pdh
