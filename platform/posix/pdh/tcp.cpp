#include "platform/posix/pdh/counter_types.h"
#include "platform/posix/pdh/key_value_file.h"
#include "platform/posix/pdh/net_snmp.h"
#include "platform/posix/pdh/object_model.h"
#include "platform/posix/pdh/text_util.h"

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
namespace platform::posix::pdh {
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

void CountTable(const std::string& path, bool ipv6Table, EstablishedCounts& counts) {
  auto content = ReadWholeFile(path);
  if (!content) return;
  for (std::string_view line : SplitLines(*content)) {
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

EstablishedCounts CountEstablished(const std::string& procRoot) {
  EstablishedCounts counts;
  CountTable(procRoot + "/net/tcp", false, counts);
  CountTable(procRoot + "/net/tcp6", true, counts);
  return counts;
}

InstanceSample EmptyInstance() { return InstanceSample{"", std::vector<RawPair>(kCounterCount)}; }

ObjectSample CollectTCPv4(const CollectContext& context) {
  auto source = ReadSnmpSection(context.procRoot, "Tcp");
  if (!source) return {};
  const SnmpValues& tcp = *source;
  InstanceSample instance = EmptyInstance();
  int64_t now = context.perfTime;
  int64_t received = ValueOf(tcp, "InSegs");
  int64_t sent = ValueOf(tcp, "OutSegs");
  instance.values[kSegments] = {received + sent, now};
  instance.values[kSegmentsReceived] = {received, now};
  instance.values[kSegmentsSent] = {sent, now};
  instance.values[kSegmentsRetransmitted] = {ValueOf(tcp, "RetransSegs"), now};
  if (context.Wants({kConnectionsEstablished})) {
    instance.values[kConnectionsEstablished].first = CountEstablished(context.procRoot).ipv4;
  }
  instance.values[kConnectionsActive].first = ValueOf(tcp, "ActiveOpens");
  instance.values[kConnectionsPassive].first = ValueOf(tcp, "PassiveOpens");
  instance.values[kConnectionFailures].first = ValueOf(tcp, "AttemptFails");
  instance.values[kConnectionsReset].first = ValueOf(tcp, "EstabResets");
  return ObjectSample{{instance}};
}

ObjectSample CollectTCPv6(const CollectContext& context) {
  // Without IPv6 (no snmp6) there is no TCPv6 to report on.
  if (!ReadSnmp6(context.procRoot)) return {};
  InstanceSample instance = EmptyInstance();
  for (size_t rate : {kSegments, kSegmentsReceived, kSegmentsSent, kSegmentsRetransmitted}) {
    instance.values[rate].second = context.perfTime;
  }
  if (context.Wants({kConnectionsEstablished})) {
    instance.values[kConnectionsEstablished].first = CountEstablished(context.procRoot).ipv6;
  }
  return ObjectSample{{instance}};
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

}  // namespace platform::posix::pdh
