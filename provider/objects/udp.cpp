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

enum Counter : size_t { kDatagramsNoPort = kDatagramCounterCount, kReceivedErrors, kCounterCount };

constexpr auto kCounters = CounterTable<kCounterCount>({
    {kDatagrams, kDatagramsSpec},
    {kDatagramsReceived, kDatagramsReceivedSpec},
    {kDatagramsSent, kDatagramsSentSpec},
    {kDatagramsNoPort, {660, kPerfCounterCounter, -1, "Datagrams No Port/sec"}},
    {kReceivedErrors, {662, kPerfCounterRawcount, 0, "Datagrams Received Errors"}},
});

ObjectSample Sample(const UdpStatistics& udp, int64_t now) {
  InstanceSample instance = DatagramInstance(kCounterCount, udp, now);
  instance.values[kDatagramsNoPort] = RateOf(udp.noPorts, now);
  instance.values[kReceivedErrors] = CountOf(udp.inErrors);
  return ObjectSample{{std::move(instance)}};
}

ObjectSample CollectUDPv4(const CollectContext& context) {
  return Sample(ReadStatistics(context, "net/snmp", ParseSnmpUdp), context.perfTime);
}

ObjectSample CollectUDPv6(const CollectContext& context) {
  return Sample(ReadStatistics(context, "net/snmp6", ParseSnmp6Udp), context.perfTime);
}

constexpr ObjectSpec kUDPv4{658, false, kCounters, CollectUDPv4};
constexpr ObjectSpec kUDPv6{9010, false, kCounters, CollectUDPv6};

}  // namespace

const ObjectSpec& UDPv4Object() { return kUDPv4; }
const ObjectSpec& UDPv6Object() { return kUDPv6; }

}  // namespace provider
