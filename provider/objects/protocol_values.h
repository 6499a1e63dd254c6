#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/sources/proc_net_snmp.h"

// The protocol objects' samples of the kernel's statistics fields.
namespace provider {

// The sample of a count and of a rate, and no value where the field is missing.
inline RawPair CountOf(SnmpField field) { return field ? RawPair{*field} : kMissing; }
inline RawPair RateOf(SnmpField field, int64_t perfTime) {
  return field ? RawPair{*field, perfTime} : kMissing;
}

// Both fields added, nullopt unless both are there.
inline SnmpField SumOf(SnmpField a, SnmpField b) {
  return a && b ? SnmpField(*a + *b) : std::nullopt;
}

// The statistics of a file under proc, or none (every field missing) when no
// counter is wanted or the file cannot be read.
template <typename Statistics>
Statistics ReadStatistics(const CollectContext& context, std::string_view file,
                          Statistics (*parse)(std::string_view)) {
  const std::string* text = context.WantsAny() ? context.Proc(file) : nullptr;
  return text ? parse(*text) : Statistics{};
}

// IP and UDP open with the same three datagram counters: each one's enum of
// counters continues from kDatagramCounterCount.
enum DatagramCounter : size_t {
  kDatagrams,
  kDatagramsReceived,
  kDatagramsSent,
  kDatagramCounterCount
};
constexpr CounterSpec kDatagramsSpec{438, kPerfCounterCounter, -1, "Datagrams/sec"};
constexpr CounterSpec kDatagramsReceivedSpec{446, kPerfCounterCounter, -1,
                                             "Datagrams Received/sec"};
constexpr CounterSpec kDatagramsSentSpec{442, kPerfCounterCounter, -1, "Datagrams Sent/sec"};

// The one instance of IP or UDP with its datagram counters sampled from the
// statistics' received and sent fields; the object fills in the rest.
template <typename Statistics>
InstanceSample DatagramInstance(size_t counterCount, const Statistics& statistics, int64_t now) {
  InstanceSample instance{"", std::vector<RawPair>(counterCount)};
  instance.values[kDatagrams] = RateOf(SumOf(statistics.received, statistics.sent), now);
  instance.values[kDatagramsReceived] = RateOf(statistics.received, now);
  instance.values[kDatagramsSent] = RateOf(statistics.sent, now);
  return instance;
}

}  // namespace provider
