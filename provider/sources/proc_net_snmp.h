#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "provider/objects/object_model.h"

// The protocol statistics of <proc>/net/snmp and <proc>/net/snmp6.
namespace provider {

using SnmpField = std::optional<int64_t>;

// The named fields of one protocol's section of the text of <proc>/net/snmp
// ("Ip", "Tcp", "Udp"), which is a line of field names and a line of values,
// both led by "Section:": values[i] for names[i], nullopt where the section or
// the field is missing or the value is negative (Tcp MaxConn -1).
//
// <proc>/net/snmp6 has one "Name value" line per field (Ip6InReceives,
// Udp6NoPorts, ...), which FindKeyValues reads.
void FindSnmpFields(std::string_view snmp, std::string_view section,
                    std::span<const std::string_view> names, std::span<SnmpField> values);

// The sample of a count and of a rate, and no value where the field is missing.
RawPair CountOf(SnmpField field);
RawPair RateOf(SnmpField field, int64_t perfTime);

// Both fields added, nullopt unless both are there.
SnmpField SumOf(SnmpField a, SnmpField b);

}  // namespace provider
