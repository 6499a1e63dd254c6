#include <array>
#include <initializer_list>

#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/sources/proc_net_snmp.h"
#include "provider/text_util.h"

// TCPv4 and TCPv6: one counter set, two sources.
//
// Linux keeps one set of TCP statistics for both families (the "Tcp" section
// of <proc>/net/snmp; <proc>/net/snmp6 has no TCP fields). Segments and
// connection events cannot be told apart by family, so TCPv4 carries the
// kernel's totals and TCPv6 reads 0 for them: TCPv4 + TCPv6 is the machine's
// TCP traffic, as on Windows, and nothing is counted twice.
//
// Connections Established is split exactly: the sockets of <proc>/net/tcp and
// <proc>/net/tcp6 in the ESTABLISHED or CLOSE-WAIT state, as Windows counts
// them (the kernel's CurrEstab leaves CLOSE-WAIT out). An IPv6 socket talking
// to an IPv4 peer (an address ::ffff:a.b.c.d) carries IPv4 traffic and counts
// for TCPv4. These tables are read only when the counter is asked for; on a
// server with very many connections they are large.
//
// A counter whose field or file is missing has no value; on a machine without
// IPv6 (no snmp6, no tcp6) that is every counter of TCPv6.
namespace provider {
namespace {

enum Counter : size_t {
  kSegments,
  kSegmentsReceived,
  kSegmentsSent,
  kSegmentsRetransmitted,
  kConnectionsEstablished,
  kConnectionsActive,
  kConnectionsPassive,
  kConnectionFailures,
  kConnectionsReset,
  kCounterCount
};

// Socket states of the tables, in hex as the kernel prints them.
constexpr std::string_view kStateEstablished = "01";
constexpr std::string_view kStateCloseWait = "08";

// The kernel's fields behind the counters, in the "Tcp" section.
enum Field : size_t {
  kInSegs,
  kOutSegs,
  kRetransSegs,
  kActiveOpens,
  kPassiveOpens,
  kAttemptFails,
  kEstabResets,
  kFieldCount
};
constexpr std::array<std::string_view, kFieldCount> kFieldNames = {
    "InSegs",       "OutSegs",      "RetransSegs", "ActiveOpens",
    "PassiveOpens", "AttemptFails", "EstabResets"};
using Fields = std::array<SnmpField, kFieldCount>;

// The counters that <proc>/net/snmp (TCPv4) or its IPv6 counterpart (TCPv6) feeds.
constexpr std::initializer_list<size_t> kStatisticsCounters = {
    kSegments,          kSegmentsReceived,   kSegmentsSent,       kSegmentsRetransmitted,
    kConnectionsActive, kConnectionsPassive, kConnectionFailures, kConnectionsReset};

struct EstablishedCounts {
  int64_t ipv4 = 0;
  int64_t ipv6 = 0;
};

// An address of <proc>/net/tcp6 is four 32-bit words in hex, each in the
// machine's byte order; the third word of ::ffff:a.b.c.d is 0x0000FFFF.
bool IsIPv4Mapped(std::string_view address) {
  if (address.size() < 32) return false;
  std::string_view third = address.substr(16, 8);
  return address.substr(0, 16) == "0000000000000000" &&
         (third == "FFFF0000" || third == "0000FFFF");
}

void CountTable(std::string_view table, bool ipv6Table, EstablishedCounts& counts) {
  for (std::string_view line : SplitLines(table)) {
    // "sl local_address rem_address st ..."; the header line has "st" there.
    auto fields = SplitFields(line);
    if (fields.size() < 4 || (fields[3] != kStateEstablished && fields[3] != kStateCloseWait)) {
      continue;
    }
    std::string_view local = fields[1].substr(0, fields[1].find(':'));
    if (ipv6Table && !IsIPv4Mapped(local)) {
      ++counts.ipv6;
    } else {
      ++counts.ipv4;
    }
  }
}

InstanceSample EmptyInstance() { return InstanceSample{"", std::vector<RawPair>(kCounterCount)}; }

ObjectSample CollectTCPv4(const CollectContext& context) {
  InstanceSample instance = EmptyInstance();
  auto& values = instance.values;
  int64_t now = context.perfTime;
  if (context.Wants(kStatisticsCounters)) {
    Fields tcp;
    if (const std::string* snmp = context.Proc("net/snmp")) {
      FindSnmpFields(*snmp, "Tcp", kFieldNames, tcp);
    }
    values[kSegments] = RateOf(SumOf(tcp[kInSegs], tcp[kOutSegs]), now);
    values[kSegmentsReceived] = RateOf(tcp[kInSegs], now);
    values[kSegmentsSent] = RateOf(tcp[kOutSegs], now);
    values[kSegmentsRetransmitted] = RateOf(tcp[kRetransSegs], now);
    values[kConnectionsActive] = CountOf(tcp[kActiveOpens]);
    values[kConnectionsPassive] = CountOf(tcp[kPassiveOpens]);
    values[kConnectionFailures] = CountOf(tcp[kAttemptFails]);
    values[kConnectionsReset] = CountOf(tcp[kEstabResets]);
  }
  if (context.Wants({kConnectionsEstablished})) {
    // IPv4 sockets are in tcp, and in tcp6 where IPv6 sockets talk to IPv4 peers.
    EstablishedCounts counts;
    const std::string* table = context.Proc("net/tcp");
    if (table) CountTable(*table, false, counts);
    if (const std::string* table6 = context.Proc("net/tcp6")) CountTable(*table6, true, counts);
    values[kConnectionsEstablished] = table ? RawPair{counts.ipv4} : kMissing;
  }
  return ObjectSample{{std::move(instance)}};
}

ObjectSample CollectTCPv6(const CollectContext& context) {
  InstanceSample instance = EmptyInstance();
  auto& values = instance.values;
  // The machine has IPv6 where it has its statistics; TCP's are all with TCPv4.
  if (context.Wants(kStatisticsCounters)) {
    bool hasIPv6 = context.Proc("net/snmp6") != nullptr;
    for (size_t counter : kStatisticsCounters) {
      values[counter] = hasIPv6 ? RawPair{0, context.perfTime} : kMissing;
    }
  }
  if (context.Wants({kConnectionsEstablished})) {
    EstablishedCounts counts;
    const std::string* table6 = context.Proc("net/tcp6");
    if (table6) CountTable(*table6, true, counts);
    values[kConnectionsEstablished] = table6 ? RawPair{counts.ipv6} : kMissing;
  }
  return ObjectSample{{std::move(instance)}};
}

const std::vector<CounterSpec>& TcpCounters() {
  static const std::vector<CounterSpec> counters = {
      {640, kPerfCounterCounter, -1}, {652, kPerfCounterCounter, -1},
      {654, kPerfCounterCounter, -1}, {656, kPerfCounterCounter, 0},
      {642, kPerfCounterRawcount, 0}, {644, kPerfCounterRawcount, 0},
      {646, kPerfCounterRawcount, 0}, {648, kPerfCounterRawcount, 0},
      {650, kPerfCounterRawcount, 0},
  };
  return counters;
}

}  // namespace

const ObjectSpec& TCPv4Object() {
  static const ObjectSpec object{638, false, TcpCounters(), CollectTCPv4};
  return object;
}

const ObjectSpec& TCPv6Object() {
  static const ObjectSpec object{9008, false, TcpCounters(), CollectTCPv6};
  return object;
}

}  // namespace provider
