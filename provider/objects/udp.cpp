#include <array>

#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/objects/protocol_values.h"

// UDPv4 and UDPv6: one counter set, two sources. UDPv4 reads the "Udp" section
// of <proc>/net/snmp, UDPv6 the "Udp6" fields of <proc>/net/snmp6 (missing on a
// machine without IPv6); the kernel keeps the two families apart. A counter
// whose field or file is missing has no value.
namespace provider {
namespace {

enum Counter : size_t {
  kDatagrams,
  kDatagramsReceived,
  kDatagramsSent,
  kDatagramsNoPort,
  kReceivedErrors,
  kCounterCount
};

constexpr auto kCounters = CounterTable<kCounterCount>({
    {kDatagrams, {438, kPerfCounterCounter, -1, "Datagrams/sec"}},
    {kDatagramsReceived, {446, kPerfCounterCounter, -1, "Datagrams Received/sec"}},
    {kDatagramsSent, {442, kPerfCounterCounter, -1, "Datagrams Sent/sec"}},
    {kDatagramsNoPort, {660, kPerfCounterCounter, -1, "Datagrams No Port/sec"}},
    {kReceivedErrors, {662, kPerfCounterRawcount, 0, "Datagrams Received Errors"}},
});

ObjectSample Sample(const UdpStatistics& udp, int64_t now) {
  InstanceSample instance{"", std::vector<RawPair>(kCounterCount)};
  auto& values = instance.values;
  values[kDatagrams] = RateOf(SumOf(udp.received, udp.sent), now);
  values[kDatagramsReceived] = RateOf(udp.received, now);
  values[kDatagramsSent] = RateOf(udp.sent, now);
  values[kDatagramsNoPort] = RateOf(udp.noPorts, now);
  values[kReceivedErrors] = CountOf(udp.inErrors);
  return ObjectSample{{std::move(instance)}};
}

ObjectSample CollectUDPv4(const CollectContext& context) {
  const std::string* snmp = context.WantsAny() ? context.Proc("net/snmp") : nullptr;
  return Sample(snmp ? ParseSnmpUdp(*snmp) : UdpStatistics{}, context.perfTime);
}

ObjectSample CollectUDPv6(const CollectContext& context) {
  const std::string* snmp6 = context.WantsAny() ? context.Proc("net/snmp6") : nullptr;
  return Sample(snmp6 ? ParseSnmp6Udp(*snmp6) : UdpStatistics{}, context.perfTime);
}

}  // namespace

const ObjectSpec& UDPv4Object() {
  static const ObjectSpec object{658, false, {kCounters.begin(), kCounters.end()}, CollectUDPv4};
  return object;
}

const ObjectSpec& UDPv6Object() {
  static const ObjectSpec object{9010, false, {kCounters.begin(), kCounters.end()}, CollectUDPv6};
  return object;
}

}  // namespace provider
