#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The protocol statistics of <proc>/net/snmp and <proc>/net/snmp6. A field is
// nullopt where the file, its section or the field is missing, or where the
// value is negative (Tcp MaxConn -1).
namespace provider {

using SnmpField = std::optional<int64_t>;

struct IpStatistics {
  SnmpField received;     // InReceives
  SnmpField sent;         // OutRequests: handed down by the local protocols
  SnmpField forwarded;    // ForwDatagrams
  SnmpField inDiscards;   // InDiscards
  SnmpField outDiscards;  // OutDiscards
};

struct TcpStatistics {
  SnmpField inSegs, outSegs, retransSegs;
  SnmpField activeOpens, passiveOpens, attemptFails, estabResets;
};

struct UdpStatistics {
  SnmpField received;  // InDatagrams
  SnmpField sent;      // OutDatagrams
  SnmpField noPorts;   // NoPorts
  SnmpField inErrors;  // InErrors
};

// <proc>/net/snmp: a line of field names and a line of values per protocol, both
// led by "Section:"; each reader reads its own section only.
IpStatistics ParseSnmpIp(std::string_view snmp);
TcpStatistics ParseSnmpTcp(std::string_view snmp);
UdpStatistics ParseSnmpUdp(std::string_view snmp);

// <proc>/net/snmp6: one "Name value" line per field (Ip6InReceives, Udp6NoPorts,
// ...). It has no TCP fields: Linux keeps TCP's statistics for both families in
// net/snmp.
IpStatistics ParseSnmp6Ip(std::string_view snmp6);
UdpStatistics ParseSnmp6Udp(std::string_view snmp6);

}  // namespace provider
