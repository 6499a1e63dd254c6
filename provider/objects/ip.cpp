#include <array>

#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/sources/key_value_file.h"
#include "provider/sources/proc_net_snmp.h"

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

// The kernel's fields behind the counters.
enum Field : size_t { kReceived, kSent, kForwarded, kInDiscards, kOutDiscards, kFieldCount };
using FieldNames = std::array<std::string_view, kFieldCount>;
using Fields = std::array<SnmpField, kFieldCount>;

ObjectSample Sample(const Fields& fields, int64_t now) {
  InstanceSample instance{"", std::vector<RawPair>(kCounterCount)};
  auto& values = instance.values;
  values[kDatagrams] = RateOf(SumOf(fields[kReceived], fields[kSent]), now);
  values[kDatagramsReceived] = RateOf(fields[kReceived], now);
  values[kDatagramsSent] = RateOf(fields[kSent], now);
  values[kDatagramsForwarded] = RateOf(fields[kForwarded], now);
  values[kReceivedDiscarded] = CountOf(fields[kInDiscards]);
  values[kOutboundDiscarded] = CountOf(fields[kOutDiscards]);
  return ObjectSample{{std::move(instance)}};
}

ObjectSample CollectIPv4(const CollectContext& context) {
  static constexpr FieldNames kNames = {"InReceives", "OutRequests", "ForwDatagrams", "InDiscards",
                                        "OutDiscards"};
  Fields fields;
  const std::string* snmp = context.WantsAny() ? context.Proc("net/snmp") : nullptr;
  if (snmp) FindSnmpFields(*snmp, "Ip", kNames, fields);
  return Sample(fields, context.perfTime);
}

ObjectSample CollectIPv6(const CollectContext& context) {
  static constexpr FieldNames kNames = {"Ip6InReceives", "Ip6OutRequests", "Ip6OutForwDatagrams",
                                        "Ip6InDiscards", "Ip6OutDiscards"};
  Fields fields;
  const std::string* snmp6 = context.WantsAny() ? context.Proc("net/snmp6") : nullptr;
  if (snmp6) FindKeyValues(*snmp6, kNames, fields);
  return Sample(fields, context.perfTime);
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
