#include "platform/posix/pdh/counter_types.h"
#include "platform/posix/pdh/key_value_file.h"
#include "platform/posix/pdh/net_snmp.h"
#include "platform/posix/pdh/object_model.h"

// IPv4 and IPv6: one counter set, two sources. IPv4 reads the "Ip" section of
// <proc>/net/snmp, IPv6 the "Ip6" fields of <proc>/net/snmp6. Datagrams sent
// are those the local protocols hand to IP (OutRequests), so that forwarded
// datagrams are counted apart, as Windows counts them.
namespace platform::posix::pdh {
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

// The kernel's names of the fields behind the counters.
struct IpFields {
  const char* received;
  const char* sent;
  const char* forwarded;
  const char* receivedDiscarded;
  const char* outboundDiscarded;
};

ObjectSample Collect(const std::optional<SnmpValues>& source, const IpFields& fields, int64_t now) {
  if (!source) return {};
  const SnmpValues& values = *source;
  InstanceSample instance{"", std::vector<RawPair>(kCounterCount)};
  int64_t received = ValueOf(values, fields.received);
  int64_t sent = ValueOf(values, fields.sent);
  instance.values[kDatagrams] = {received + sent, now};
  instance.values[kDatagramsReceived] = {received, now};
  instance.values[kDatagramsSent] = {sent, now};
  instance.values[kDatagramsForwarded] = {ValueOf(values, fields.forwarded), now};
  instance.values[kReceivedDiscarded].first = ValueOf(values, fields.receivedDiscarded);
  instance.values[kOutboundDiscarded].first = ValueOf(values, fields.outboundDiscarded);
  return ObjectSample{{instance}};
}

ObjectSample CollectIPv4(const CollectContext& context) {
  static const IpFields fields{"InReceives", "OutRequests", "ForwDatagrams", "InDiscards",
                               "OutDiscards"};
  return Collect(ReadSnmpSection(context.procRoot, "Ip"), fields, context.perfTime);
}

ObjectSample CollectIPv6(const CollectContext& context) {
  static const IpFields fields{"Ip6InReceives", "Ip6OutRequests", "Ip6OutForwDatagrams",
                               "Ip6InDiscards", "Ip6OutDiscards"};
  return Collect(ReadSnmp6(context.procRoot), fields, context.perfTime);
}

const std::vector<CounterSpec>& IpCounters() {
  static const std::vector<CounterSpec> counters = {
      {438, kPerfCounterCounter, -1}, {446, kPerfCounterCounter, -1},
      {442, kPerfCounterCounter, -1}, {556, kPerfCounterCounter, -1},
      {560, kPerfCounterRawcount, 0}, {566, kPerfCounterRawcount, 0},
  };
  return counters;
}

}  // namespace

const ObjectSpec& IPv4Object() {
  static const ObjectSpec object{546, false, IpCounters(), CollectIPv4};
  return object;
}

const ObjectSpec& IPv6Object() {
  static const ObjectSpec object{9006, false, IpCounters(), CollectIPv6};
  return object;
}

}  // namespace platform::posix::pdh
