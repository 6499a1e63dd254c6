#include "platform/posix/pdh/counter_types.h"
#include "platform/posix/pdh/key_value_file.h"
#include "platform/posix/pdh/net_snmp.h"
#include "platform/posix/pdh/object_model.h"

// UDPv4 and UDPv6: one counter set, two sources. UDPv4 reads the "Udp" section
// of <proc>/net/snmp, UDPv6 the "Udp6" fields of <proc>/net/snmp6; the kernel
// keeps the two families apart.
namespace platform::posix::pdh {
namespace {

enum Counter : size_t {
  kDatagrams,
  kDatagramsReceived,
  kDatagramsSent,
  kDatagramsNoPort,
  kReceivedErrors,
  kCounterCount
};

struct UdpFields {
  const char* received;
  const char* sent;
  const char* noPort;
  const char* receivedErrors;
};

ObjectSample Collect(const std::optional<SnmpValues>& source, const UdpFields& fields,
                     int64_t now) {
  if (!source) return {};
  const SnmpValues& values = *source;
  InstanceSample instance{"", std::vector<RawPair>(kCounterCount)};
  int64_t received = ValueOf(values, fields.received);
  int64_t sent = ValueOf(values, fields.sent);
  instance.values[kDatagrams] = {received + sent, now};
  instance.values[kDatagramsReceived] = {received, now};
  instance.values[kDatagramsSent] = {sent, now};
  instance.values[kDatagramsNoPort] = {ValueOf(values, fields.noPort), now};
  instance.values[kReceivedErrors].first = ValueOf(values, fields.receivedErrors);
  return ObjectSample{{instance}};
}

ObjectSample CollectUDPv4(const CollectContext& context) {
  static const UdpFields fields{"InDatagrams", "OutDatagrams", "NoPorts", "InErrors"};
  return Collect(ReadSnmpSection(context.procRoot, "Udp"), fields, context.perfTime);
}

ObjectSample CollectUDPv6(const CollectContext& context) {
  static const UdpFields fields{"Udp6InDatagrams", "Udp6OutDatagrams", "Udp6NoPorts",
                                "Udp6InErrors"};
  return Collect(ReadSnmp6(context.procRoot), fields, context.perfTime);
}

const std::vector<CounterSpec>& UdpCounters() {
  static const std::vector<CounterSpec> counters = {
      {438, kPerfCounterCounter, -1}, {446, kPerfCounterCounter, -1},
      {442, kPerfCounterCounter, -1}, {660, kPerfCounterCounter, -1},
      {662, kPerfCounterRawcount, 0},
  };
  return counters;
}

}  // namespace

const ObjectSpec& UDPv4Object() {
  static const ObjectSpec object{658, false, UdpCounters(), CollectUDPv4};
  return object;
}

const ObjectSpec& UDPv6Object() {
  static const ObjectSpec object{9010, false, UdpCounters(), CollectUDPv6};
  return object;
}

}  // namespace platform::posix::pdh
