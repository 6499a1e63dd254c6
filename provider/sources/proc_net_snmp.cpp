#include "provider/sources/proc_net_snmp.h"

#include <array>
#include <span>
#include <vector>

#include "provider/sources/key_value_file.h"
#include "provider/text_util.h"

namespace provider {
namespace {

// The named fields of one section: values[i] for names[i].
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

template <size_t Count>
using Fields = std::array<SnmpField, Count>;

template <size_t Count>
Fields<Count> Section(std::string_view snmp, std::string_view section,
                      const std::array<std::string_view, Count>& names) {
  Fields<Count> values;
  FindSnmpFields(snmp, section, names, values);
  return values;
}

IpStatistics Ip(const Fields<5>& f) { return {f[0], f[1], f[2], f[3], f[4]}; }
UdpStatistics Udp(const Fields<4>& f) { return {f[0], f[1], f[2], f[3]}; }

}  // namespace

IpStatistics ParseSnmpIp(std::string_view snmp) {
  static constexpr std::array<std::string_view, 5> kNames = {
      "InReceives", "OutRequests", "ForwDatagrams", "InDiscards", "OutDiscards"};
  return Ip(Section(snmp, "Ip", kNames));
}

TcpStatistics ParseSnmpTcp(std::string_view snmp) {
  static constexpr std::array<std::string_view, 7> kNames = {
      "InSegs",       "OutSegs",      "RetransSegs", "ActiveOpens",
      "PassiveOpens", "AttemptFails", "EstabResets"};
  const auto f = Section(snmp, "Tcp", kNames);
  return {f[0], f[1], f[2], f[3], f[4], f[5], f[6]};
}

UdpStatistics ParseSnmpUdp(std::string_view snmp) {
  static constexpr std::array<std::string_view, 4> kNames = {"InDatagrams", "OutDatagrams",
                                                             "NoPorts", "InErrors"};
  return Udp(Section(snmp, "Udp", kNames));
}

IpStatistics ParseSnmp6Ip(std::string_view snmp6) {
  static constexpr std::array<std::string_view, 5> kNames = {
      "Ip6InReceives", "Ip6OutRequests", "Ip6OutForwDatagrams", "Ip6InDiscards", "Ip6OutDiscards"};
  return Ip(FindKeyValues(snmp6, kNames));
}

UdpStatistics ParseSnmp6Udp(std::string_view snmp6) {
  static constexpr std::array<std::string_view, 4> kNames = {"Udp6InDatagrams", "Udp6OutDatagrams",
                                                             "Udp6NoPorts", "Udp6InErrors"};
  return Udp(FindKeyValues(snmp6, kNames));
}

}  // namespace provider
