#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// The protocol statistics of <proc>/net/snmp and <proc>/net/snmp6.
namespace platform::posix::pdh {

using SnmpValues = std::map<std::string, int64_t, std::less<>>;

// One protocol's section of <proc>/net/snmp ("Ip", "Tcp", "Udp"), which is a
// line of field names and a line of values, both led by "Section:". Negative
// values (Tcp MaxConn -1) are left out. Nothing when the file or the section is
// missing, so that a missing source gives no value rather than zeros.
std::optional<SnmpValues> ReadSnmpSection(const std::string& procRoot, std::string_view section);

// <proc>/net/snmp6, one "Name value" line per field (Ip6InReceives,
// Udp6NoPorts, ...). Nothing when the file is missing (IPv6 disabled).
std::optional<SnmpValues> ReadSnmp6(const std::string& procRoot);

}  // namespace platform::posix::pdh
