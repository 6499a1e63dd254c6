#pragma once

#include <cstdint>

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

}  // namespace provider
