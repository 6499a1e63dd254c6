#pragma once

#include "provider/objects/object_model.h"
#include "provider/pdh_types.h"

namespace provider {

// The displayable value of a counter from its newer and (for rate and timer
// types) older raw sample, by the formulas of its counter type, in the
// requested format (exactly one of PDH_FMT_LONG, _DOUBLE, _LARGE, optionally
// with NOSCALE, NOCAP100 and 1000). older may be null. Returns the status that
// PdhCalculateCounterFromRawValue gives and fills value->CStatus.
PdhStatus CalculateValue(const CounterSpec& counter, uint32_t format, const PdhRawCounter& newer,
                         const PdhRawCounter* older, PdhFmtCounterValue* value);

// A sample as the counter type delivers it: 32-bit types carry 32-bit values.
RawPair AsDelivered(uint32_t type, RawPair pair);

// A fraction for a 32-bit fraction type (PERF_RAW_FRACTION): numerator and
// denominator are halved together until both fit 32 bits, so that the share
// stays what it is instead of losing the denominator's high bits.
RawPair FractionIn32Bits(int64_t numerator, int64_t denominator);

}  // namespace provider
