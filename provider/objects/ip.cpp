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
  kDatagrams,
  kDatagramsReceived,
  kDatagramsSent,
  kDatagramsForwarded,
  kReceivedDiscarded,
  kOutboundDiscarded,
  kCounterCount
};

constexpr auto kCounters = CounterTable<kCounterCount>({
    {kDatagrams, {438, kPerfCounterCounter, -1, "Datagrams/sec"}},
    {kDatagramsReceived, {446, kPerfCounterCounter, -1, "Datagrams Received/sec"}},
    {kDatagramsSent, {442, kPerfCounterCounter, -1, "Datagrams Sent/sec"}},
    {kDatagramsForwarded, {556, kPerfCounterCounter, -1, "Datagrams Forwarded/sec"}},
    {kReceivedDiscarded, {560, kPerfCounterRawcount, 0, "Datagrams Received Discarded"}},
    {kOutboundDiscarded, {566, kPerfCounterRawcount, 0, "Datagrams Outbound Discarded"}},
});

ObjectSample Sample(const IpStatistics& ip, int64_t now) {
  InstanceSample instance{"", std::vector<RawPair>(kCounterCount)};
  auto& values = instance.values;
  values[kDatagrams] = RateOf(SumOf(ip.received, ip.sent), now);
  values[kDatagramsReceived] = RateOf(ip.received, now);
  values[kDatagramsSent] = RateOf(ip.sent, now);
  values[kDatagramsForwarded] = RateOf(ip.forwarded, now);
  values[kReceivedDiscarded] = CountOf(ip.inDiscards);
  values[kOutboundDiscarded] = CountOf(ip.outDiscards);
  return ObjectSample{{std::move(instance)}};
}

ObjectSample CollectIPv4(const CollectContext& context) {
  const std::string* snmp = context.WantsAny() ? context.Proc("net/snmp") : nullptr;
  return Sample(snmp ? ParseSnmpIp(*snmp) : IpStatistics{}, context.perfTime);
}

ObjectSample CollectIPv6(const CollectContext& context) {
  const std::string* snmp6 = context.WantsAny() ? context.Proc("net/snmp6") : nullptr;
  return Sample(snmp6 ? ParseSnmp6Ip(*snmp6) : IpStatistics{}, context.perfTime);
}

}  // namespace

const ObjectSpec& IPv4Object() {
  static const ObjectSpec object{546, false, {kCounters.begin(), kCounters.end()}, CollectIPv4};
  return object;
}

const ObjectSpec& IPv6Object() {
  static const ObjectSpec object{9006, false, {kCounters.begin(), kCounters.end()}, CollectIPv6};
  return object;
}

}  // namespace provider
