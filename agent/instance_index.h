#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "agent/oid.h"
#include "perf/perf.h"

namespace quillon {

// A table of instances is indexed by the instance's name the way SNMP indexes a table by
// text: the name's length, then one sub-identifier per byte. An instance so keeps its
// index across restarts and whatever other instances come and go, and index order is
// shorter names first, names of one length byte by byte.

void AppendInstanceIndex(std::string_view name, OidIds& ids);

// Below zero, zero or above zero as the sub-identifiers `ids` come before, are, or come
// after the index of name.
int CompareWithIndex(std::span<const UINT> ids, std::string_view name);

// Puts instances in index order, a name that repeats kept once.
void PutInIndexOrder(std::vector<perf::CounterInstance>& instances);

}  // namespace quillon
