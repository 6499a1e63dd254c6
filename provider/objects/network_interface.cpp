#include "provider/counter_types.h"
#include "provider/objects/object_model.h"
#include "provider/sources/proc_net_dev.h"
#include "provider/sources/single_number.h"
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

constexpr auto kCounters = CounterTable<kCounterCount>({
    {kBytesReceived, {264, kPerfCounterBulkCount, -4, "Bytes Received/sec"}},
    {kBytesSent, {506, kPerfCounterBulkCount, -4, "Bytes Sent/sec"}},
    {kBytesTotal, {388, kPerfCounterBulkCount, -4, "Bytes Total/sec"}},
    {kPackets, {400, kPerfCounterBulkCount, -1, "Packets/sec"}},
    {kPacketsReceived, {266, kPerfCounterBulkCount, -1, "Packets Received/sec"}},
    {kPacketsSent, {452, kPerfCounterBulkCount, -1, "Packets Sent/sec"}},
    {kReceiveErrors, {530, kPerfCounterRawcount, 0, "Packets Received Errors"}},
    {kOutboundErrors, {542, kPerfCounterRawcount, 0, "Packets Outbound Errors"}},
    {kCurrentBandwidth, {520, kPerfCounterLargeRawcount, -6, "Current Bandwidth"}},
});

int64_t LinkSpeedBitsPerSecond(const CollectContext& context, const std::string& interface) {
  const std::string* speed = context.Sys("class/net/" + interface + "/speed");
  // Links without carrier report -1, which is no number here.
  auto megabits = speed ? ParseSingleNumber(*speed) : std::nullopt;
  return megabits ? static_cast<int64_t>(*megabits) * 1'000'000 : 0;
}

ObjectSample Collect(const CollectContext& context) {
  ObjectSample sample;
  const std::string* dev = context.Proc("net/dev");
  if (!dev) return sample;
  for (const NetDevice& device : ParseNetDev(*dev)) {
    InstanceSample instance{SafeInstanceName(device.name), std::vector<RawPair>(kCounterCount)};
    int64_t now = context.perfTime;
    instance.values[kBytesReceived] = {device.rxBytes, now};
    instance.values[kBytesSent] = {device.txBytes, now};
    instance.values[kBytesTotal] = {device.rxBytes + device.txBytes, now};
    instance.values[kPackets] = {device.rxPackets + device.txPackets, now};
    instance.values[kPacketsReceived] = {device.rxPackets, now};
    instance.values[kPacketsSent] = {device.txPackets, now};
    instance.values[kReceiveErrors].first = device.rxErrors;
    instance.values[kOutboundErrors].first = device.txErrors;
    if (context.Wants({kCurrentBandwidth})) {
      instance.values[kCurrentBandwidth].first =
          LinkSpeedBitsPerSecond(context, std::string(device.name));
    }
    sample.instances.push_back(std::move(instance));
  }
  return sample;
}

constexpr ObjectSpec kNetworkInterface{510, true, kCounters, Collect};

}  // namespace

const ObjectSpec& NetworkInterfaceObject() { return kNetworkInterface; }

}  // namespace provider
