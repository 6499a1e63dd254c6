#include "provider/counter_math.h"

#include <algorithm>
#include <cmath>

#include "provider/counter_types.h"

namespace provider {
namespace {

bool IsLarge(uint32_t type) { return (type & kPerfSizeLargeBit) != 0; }

bool IsValidSample(const PdhRawCounter& sample) {
  return sample.CStatus == kPdhCStatusValidData || sample.CStatus == kPdhCStatusNewData;
}

// The growth of a count between two samples; 32-bit counts wrap.
int64_t CountDelta(uint32_t type, int64_t newer, int64_t older) {
  if (IsLarge(type)) return newer - older;
  return static_cast<uint32_t>(static_cast<uint32_t>(newer) - static_cast<uint32_t>(older));
}

struct Computed {
  PdhStatus status = kPdhOk;
  double value = 0;
};

Computed Compute(uint32_t type, const PdhRawCounter& newer, const PdhRawCounter* older) {
  switch (type) {
    case kPerfCounterCounter:
    case kPerfCounterBulkCount:
    case kPerf100NsecTimer:
    case kPerf100NsecTimerInv: {
      int64_t count = CountDelta(type, newer.FirstValue, older->FirstValue);
      int64_t time = newer.SecondValue - older->SecondValue;
      if (time < 0) return {kPdhCalcNegativeDenominator, 0};
      if (count < 0) return {kPdhCalcNegativeValue, 0};
      if (time == 0) return {kPdhOk, 0};
      // Multiplying before dividing keeps whole results exact.
      double counted = static_cast<double>(count);
      double elapsed = static_cast<double>(time);
      if (type == kPerf100NsecTimer) return {kPdhOk, 100.0 * counted / elapsed};
      if (type == kPerf100NsecTimerInv) {
        return {kPdhOk, std::max(0.0, 100.0 * (elapsed - counted) / elapsed)};
      }
      return {kPdhOk, counted * static_cast<double>(kTicksPerSecond) / elapsed};
    }
    case kPerfElapsedTime: {
      int64_t elapsed = newer.SecondValue - newer.FirstValue;
      if (elapsed < 0) return {kPdhCalcNegativeValue, 0};
      return {kPdhOk, static_cast<double>(elapsed) / static_cast<double>(kTicksPerSecond)};
    }
    case kPerfRawFraction:
      if (newer.SecondValue == 0) return {kPdhOk, 0};
      return {kPdhOk, 100.0 * static_cast<double>(newer.FirstValue) /
                          static_cast<double>(newer.SecondValue)};
    default:
      return {kPdhOk, static_cast<double>(newer.FirstValue)};
  }
}

int64_t ToInt64(double value) {
  constexpr double kLimit = 9.2e18;
  return static_cast<int64_t>(std::clamp(value, -kLimit, kLimit));
}

}  // namespace

RawPair AsDelivered(uint32_t type, RawPair pair) {
  if (IsLarge(type)) return pair;
  pair.first = static_cast<uint32_t>(pair.first);
  if (type == kPerfRawFraction) pair.second = static_cast<uint32_t>(pair.second);
  return pair;
}

RawPair FractionIn32Bits(int64_t numerator, int64_t denominator) {
  while (numerator > static_cast<int64_t>(UINT32_MAX) ||
         denominator > static_cast<int64_t>(UINT32_MAX)) {
    numerator /= 2;
    denominator /= 2;
  }
  return {numerator, denominator};
}

PdhStatus CalculateValue(const CounterSpec& counter, uint32_t format, const PdhRawCounter& newer,
                         const PdhRawCounter* older, PdhFmtCounterValue* value) {
  uint32_t kind = format & (kPdhFmtLong | kPdhFmtDouble | kPdhFmtLarge);
  if (kind != kPdhFmtLong && kind != kPdhFmtDouble && kind != kPdhFmtLarge) {
    return kPdhInvalidArgument;
  }
  if (!IsValidSample(newer)) {
    value->CStatus = newer.CStatus;
    return kPdhInvalidData;
  }
  if (NeedsTwoSamples(counter.type) && (!older || !IsValidSample(*older))) {
    value->CStatus = kPdhCStatusInvalidData;
    return kPdhInvalidData;
  }
  Computed computed = Compute(counter.type, newer, older);
  value->CStatus = computed.status;
  if (computed.status != kPdhOk) return computed.status;

  double result = computed.value;
  if ((counter.type & kPerfDisplayMask) == kPerfDisplayPercent && !(format & kPdhFmtNoCap100)) {
    result = std::min(result, 100.0);
  }
  if (!(format & kPdhFmtNoScale)) result *= std::pow(10.0, counter.defaultScale);
  if (format & kPdhFmt1000) result *= 1000.0;

  if (kind == kPdhFmtDouble) {
    value->doubleValue = result;
  } else if (kind == kPdhFmtLarge) {
    value->largeValue = ToInt64(result);
  } else {
    // A value beyond 32 bits keeps its low 32 bits, as the 64-bit integer would.
    value->longValue = static_cast<int32_t>(static_cast<uint32_t>(ToInt64(result)));
  }
  value->CStatus = newer.CStatus;
  return kPdhOk;
}

}  // namespace provider
