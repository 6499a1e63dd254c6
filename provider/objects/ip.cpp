#include <array>

#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/objects/protocol_values.h"

// IPv4 and IPv6: one counter set, two sources. IPv4 reads the "Ip" section of
// <proc>/net/snmp, IPv6 the "Ip6" fields of <proc>/net/snmp6, which a machine
// without IPv6 does not have. Datagrams sent are those the local protocols hand
// to IP (OutRequests), so that forwarded datagrams are counted apart, as Windows
// counts them. A counter whose field or file is missing has no value.
namespace provider {
namespace {

enum Counter : size_t {
  kDatagramsForwarded = kDatagramCounterCount,
  kReceivedDiscarded,
  kOutboundDiscarded,
  kCounterCount
};

constexpr auto kCounters = CounterTable<kCounterCount>({
    {kDatagrams, kDatagramsSpec},
    {kDatagramsReceived, kDatagramsReceivedSpec},
    {kDatagramsSent, kDatagramsSentSpec},
    {kDatagramsForwarded, {556, kPerfCounterCounter, -1, "Datagrams Forwarded/sec"}},
    {kReceivedDiscarded, {560, kPerfCounterRawcount, 0, "Datagrams Received Discarded"}},
    {kOutboundDiscarded, {566, kPerfCounterRawcount, 0, "Datagrams Outbound Discarded"}},
});

ObjectSample Sample(const IpStatistics& ip, int64_t now) {
  InstanceSample instance = DatagramInstance(kCounterCount, ip, now);
  instance.values[kDatagramsForwarded] = RateOf(ip.forwarded, now);
  instance.values[kReceivedDiscarded] = CountOf(ip.inDiscards);
  instance.values[kOutboundDiscarded] = CountOf(ip.outDiscards);
  return ObjectSample{{std::move(instance)}};
}

ObjectSample CollectIPv4(const CollectContext& context) {
  return Sample(ReadStatistics(context, "net/snmp", ParseSnmpIp), context.perfTime);
}

ObjectSample CollectIPv6(const CollectContext& context) {
  return Sample(ReadStatistics(context, "net/snmp6", ParseSnmp6Ip), context.perfTime);
}

constexpr ObjectSpec kIPv4{546, false, kCounters, CollectIPv4};
constexpr ObjectSpec kIPv6{9006, false, kCounters, CollectIPv6};

}  // namespace

const ObjectSpec& IPv4Object() { return kIPv4; }
const ObjectSpec& IPv6Object() { return kIPv6; }

}  // namespace provider
