#include <array>
#include <initializer_list>

#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/objects/protocol_values.h"
#include "provider/sources/proc_net_tcp.h"

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

constexpr auto kCounters = CounterTable<kCounterCount>({
    {kSegments, {640, kPerfCounterCounter, -1, "Segments/sec"}},
    {kSegmentsReceived, {652, kPerfCounterCounter, -1, "Segments Received/sec"}},
    {kSegmentsSent, {654, kPerfCounterCounter, -1, "Segments Sent/sec"}},
    {kSegmentsRetransmitted, {656, kPerfCounterCounter, 0, "Segments Retransmitted/sec"}},
    {kConnectionsEstablished, {642, kPerfCounterRawcount, 0, "Connections Established"}},
    {kConnectionsActive, {644, kPerfCounterRawcount, 0, "Connections Active"}},
    {kConnectionsPassive, {646, kPerfCounterRawcount, 0, "Connections Passive"}},
    {kConnectionFailures, {648, kPerfCounterRawcount, 0, "Connection Failures"}},
    {kConnectionsReset, {650, kPerfCounterRawcount, 0, "Connections Reset"}},
});

// The counters that <proc>/net/snmp (TCPv4) or its IPv6 counterpart (TCPv6) feeds.
constexpr std::initializer_list<size_t> kStatisticsCounters = {
    kSegments,          kSegmentsReceived,   kSegmentsSent,       kSegmentsRetransmitted,
    kConnectionsActive, kConnectionsPassive, kConnectionFailures, kConnectionsReset};

// Sockets in the ESTABLISHED or CLOSE-WAIT state, as Windows counts established
// connections (the kernel's CurrEstab leaves CLOSE-WAIT out).
int64_t Established(const std::array<int64_t, 256>& byState) {
  return byState[kTcpEstablished] + byState[kTcpCloseWait];
}

InstanceSample EmptyInstance() { return InstanceSample{"", std::vector<RawPair>(kCounterCount)}; }

ObjectSample CollectTCPv4(const CollectContext& context) {
  InstanceSample instance = EmptyInstance();
  auto& values = instance.values;
  int64_t now = context.perfTime;
  if (context.Wants(kStatisticsCounters)) {
    const std::string* snmp = context.Proc("net/snmp");
    const TcpStatistics tcp = snmp ? ParseSnmpTcp(*snmp) : TcpStatistics{};
    values[kSegments] = RateOf(SumOf(tcp.inSegs, tcp.outSegs), now);
    values[kSegmentsReceived] = RateOf(tcp.inSegs, now);
    values[kSegmentsSent] = RateOf(tcp.outSegs, now);
    values[kSegmentsRetransmitted] = RateOf(tcp.retransSegs, now);
    values[kConnectionsActive] = CountOf(tcp.activeOpens);
    values[kConnectionsPassive] = CountOf(tcp.passiveOpens);
    values[kConnectionFailures] = CountOf(tcp.attemptFails);
    values[kConnectionsReset] = CountOf(tcp.estabResets);
  }
  if (context.Wants({kConnectionsEstablished})) {
    // IPv4 sockets are in tcp, and in tcp6 where IPv6 sockets talk to IPv4 peers.
    const std::string* table = context.Proc("net/tcp");
    int64_t established = table ? Established(ParseTcpTable(*table).byState) : 0;
    if (const std::string* table6 = context.Proc("net/tcp6")) {
      established += Established(ParseTcpTable(*table6).ipv4MappedByState);
    }
    values[kConnectionsEstablished] = table ? RawPair{established} : kMissing;
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
    const std::string* table6 = context.Proc("net/tcp6");
    TcpSockets sockets = table6 ? ParseTcpTable(*table6) : TcpSockets{};
    values[kConnectionsEstablished] =
        table6 ? RawPair{Established(sockets.byState) - Established(sockets.ipv4MappedByState)}
               : kMissing;
  }
  return ObjectSample{{std::move(instance)}};
}

constexpr ObjectSpec kTCPv4{638, false, kCounters, CollectTCPv4};
constexpr ObjectSpec kTCPv6{9008, false, kCounters, CollectTCPv6};

}  // namespace

const ObjectSpec& TCPv4Object() { return kTCPv4; }
const ObjectSpec& TCPv6Object() { return kTCPv6; }

}  // namespace provider
