#include <array>

#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/sources/key_value_file.h"
#include "provider/sources/proc_net_snmp.h"

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

// The kernel's fields behind the counters.
enum Field : size_t { kReceived, kSent, kNoPort, kInErrors, kFieldCount };
using FieldNames = std::array<std::string_view, kFieldCount>;
using Fields = std::array<SnmpField, kFieldCount>;

ObjectSample Sample(const Fields& fields, int64_t now) {
  InstanceSample instance{"", std::vector<RawPair>(kCounterCount)};
  auto& values = instance.values;
  values[kDatagrams] = RateOf(SumOf(fields[kReceived], fields[kSent]), now);
  values[kDatagramsReceived] = RateOf(fields[kReceived], now);
  values[kDatagramsSent] = RateOf(fields[kSent], now);
  values[kDatagramsNoPort] = RateOf(fields[kNoPort], now);
  values[kReceivedErrors] = CountOf(fields[kInErrors]);
  return ObjectSample{{std::move(instance)}};
}

ObjectSample CollectUDPv4(const CollectContext& context) {
  static constexpr FieldNames kNames = {"InDatagrams", "OutDatagrams", "NoPorts", "InErrors"};
  Fields fields;
  const std::string* snmp = context.WantsAny() ? context.Proc("net/snmp") : nullptr;
  if (snmp) FindSnmpFields(*snmp, "Udp", kNames, fields);
  return Sample(fields, context.perfTime);
}

ObjectSample CollectUDPv6(const CollectContext& context) {
  static constexpr FieldNames kNames = {"Udp6InDatagrams", "Udp6OutDatagrams", "Udp6NoPorts",
                                        "Udp6InErrors"};
  Fields fields;
  const std::string* snmp6 = context.WantsAny() ? context.Proc("net/snmp6") : nullptr;
  if (snmp6) FindKeyValues(*snmp6, kNames, fields);
  return Sample(fields, context.perfTime);
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
