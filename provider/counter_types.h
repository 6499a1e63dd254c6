#pragma once

#include <cstdint>

// Windows counter types (winperf.h values) that the provider's counters use, and
// the bits of a type that decide how a value is computed.
namespace provider {

constexpr uint32_t kPerfCounterCounter = 0x10410400;
constexpr uint32_t kPerfCounterBulkCount = 0x10410500;
constexpr uint32_t kPerf100NsecTimer = 0x20510500;
constexpr uint32_t kPerf100NsecTimerInv = 0x21510500;
constexpr uint32_t kPerfCounterRawcount = 0x00010000;
constexpr uint32_t kPerfCounterLargeRawcount = 0x00010100;
constexpr uint32_t kPerfElapsedTime = 0x30240500;
constexpr uint32_t kPerfRawFraction = 0x20020400;

// The display field of a type (its top four bits) and its percent value.
constexpr uint32_t kPerfDisplayMask = 0xF0000000;
constexpr uint32_t kPerfDisplayPercent = 0x20000000;

// Every time base of the provider counts in 100 ns units.
constexpr int64_t kTicksPerSecond = 10'000'000;

// Types whose value needs two samples.
constexpr bool NeedsTwoSamples(uint32_t type) {
  return type == kPerfCounterCounter || type == kPerfCounterBulkCount ||
         type == kPerf100NsecTimer || type == kPerf100NsecTimerInv;
}

}  // namespace provider
