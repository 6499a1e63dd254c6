#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/text_util.h"

// Network Interface: one instance per interface of <proc>/net/dev, in its order;
// the link speed from <sys>/class/net/<name>/speed (Mbit/s; 0 when unknown).
namespace provider {
namespace {

enum Counter : size_t {
  kBytesReceived,
  kBytesSent,
  kBytesTotal,
  kPackets,
  kPacketsReceived,
  kPacketsSent,
  kReceiveErrors,
  kOutboundErrors,
  kCurrentBandwidth,
  kCounterCount
};

// Columns of /proc/net/dev after the interface name.
enum Column : size_t {
  kRxBytes = 0,
  kRxPackets = 1,
  kRxErrors = 2,
  kTxBytes = 8,
  kTxPackets = 9,
  kTxErrors = 10,
  kColumnCount = 16
};

int64_t LinkSpeedBitsPerSecond(const CollectContext& context, const std::string& interface) {
  const std::string* speed = context.Sys("class/net/" + interface + "/speed");
  auto fields = SplitFields(speed ? std::string_view(*speed) : std::string_view());
  // Links without carrier report -1, which is no number here.
  auto megabits = fields.empty() ? std::nullopt : ParseUnsigned(fields[0]);
  return megabits ? static_cast<int64_t>(*megabits) * 1'000'000 : 0;
}

ObjectSample Collect(const CollectContext& context) {
  ObjectSample sample;
  const std::string* dev = context.Proc("net/dev");
  if (!dev) return sample;
  for (std::string_view line : SplitLines(*dev)) {
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    auto names = SplitFields(line.substr(0, colon));
    auto columns = SplitFields(line.substr(colon + 1));
    if (names.size() != 1 || columns.size() < kColumnCount) continue;
    auto column = [&](Column c) {
      return static_cast<int64_t>(ParseUnsigned(columns[c]).value_or(0));
    };
    std::string device(names[0]);
    InstanceSample instance{SafeInstanceName(device), std::vector<RawPair>(kCounterCount)};
    int64_t now = context.perfTime;
    instance.values[kBytesReceived] = {column(kRxBytes), now};
    instance.values[kBytesSent] = {column(kTxBytes), now};
    instance.values[kBytesTotal] = {column(kRxBytes) + column(kTxBytes), now};
    instance.values[kPackets] = {column(kRxPackets) + column(kTxPackets), now};
    instance.values[kPacketsReceived] = {column(kRxPackets), now};
    instance.values[kPacketsSent] = {column(kTxPackets), now};
    instance.values[kReceiveErrors].first = column(kRxErrors);
    instance.values[kOutboundErrors].first = column(kTxErrors);
    if (context.Wants({kCurrentBandwidth})) {
      instance.values[kCurrentBandwidth].first = LinkSpeedBitsPerSecond(context, device);
    }
    sample.instances.push_back(std::move(instance));
  }
  return sample;
}

}  // namespace

const ObjectSpec& NetworkInterfaceObject() {
  static const ObjectSpec object{510,
                                 true,
                                 {
                                     {264, kPerfCounterBulkCount, -4},
                                     {506, kPerfCounterBulkCount, -4},
                                     {388, kPerfCounterBulkCount, -4},
                                     {400, kPerfCounterBulkCount, -1},
                                     {266, kPerfCounterBulkCount, -1},
                                     {452, kPerfCounterBulkCount, -1},
                                     {530, kPerfCounterRawcount, 0},
                                     {542, kPerfCounterRawcount, 0},
                                     {520, kPerfCounterLargeRawcount, -6},
                                 },
                                 Collect};
  return object;
}

}  // namespace provider
