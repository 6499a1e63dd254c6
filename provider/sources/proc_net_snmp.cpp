#include "provider/sources/proc_net_snmp.h"

#include "provider/text_util.h"

namespace provider {

void FindSnmpFields(std::string_view snmp, std::string_view section,
                    std::span<const std::string_view> names, std::span<SnmpField> values) {
  for (SnmpField& value : values) value.reset();
  auto lines = SplitLines(snmp);
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    auto header = SplitFields(lines[i]);
    auto numbers = SplitFields(lines[i + 1]);
    auto isLabel = [section](const std::vector<std::string_view>& fields) {
      return !fields.empty() && fields[0].size() == section.size() + 1 &&
             fields[0].starts_with(section) && fields[0].back() == ':';
    };
    if (!isLabel(header) || !isLabel(numbers)) continue;
    for (size_t field = 1; field < header.size() && field < numbers.size(); ++field) {
      for (size_t name = 0; name < names.size() && name < values.size(); ++name) {
        if (header[field] != names[name]) continue;
        if (auto value = ParseUnsigned(numbers[field])) values[name] = static_cast<int64_t>(*value);
        break;
      }
    }
    return;
  }
}

RawPair CountOf(SnmpField field) { return field ? RawPair{*field} : kMissing; }

RawPair RateOf(SnmpField field, int64_t perfTime) {
  return field ? RawPair{*field, perfTime} : kMissing;
}

SnmpField SumOf(SnmpField a, SnmpField b) { return a && b ? SnmpField(*a + *b) : std::nullopt; }

}  // namespace provider
