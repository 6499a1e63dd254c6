#pragma once

#include "provider/counter_types.h"
#include "provider/objects/object_model.h"

// The time counters that Processor, Processor Information and Process share:
// one index, type and name each, wherever they stand in an object's table.
namespace provider {

constexpr CounterSpec kUserTimeSpec{142, kPerf100NsecTimer, 0, "% User Time"};
constexpr CounterSpec kPrivilegedTimeSpec{144, kPerf100NsecTimer, 0, "% Privileged Time"};
constexpr CounterSpec kIdleTimeSpec{1746, kPerf100NsecTimer, 0, "% Idle Time"};
// A processor's busy time is the share it was not idle (an inverse timer); a
// process's is the time it used.
constexpr CounterSpec kProcessorBusyTimeSpec{6, kPerf100NsecTimerInv, 0, "% Processor Time"};
constexpr CounterSpec kProcessTimeSpec{6, kPerf100NsecTimer, 0, "% Processor Time"};

}  // namespace provider
