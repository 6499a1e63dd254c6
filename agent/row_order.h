#pragma once

// How a walk goes through the counters file's rows. Shared by the agent and by the
// service stand-in, which names rows by it in its check and its log.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "agent/profile_snapshot.h"

namespace quillon {

// The sub-identifiers of a section name in plain dotted decimal, digits and single dots
// only, each number at most 2147483647 (the agent reads them as 32-bit signed numbers);
// false, and ids unspecified, for any other name.
bool ParsePlainOid(std::string_view name, std::vector<uint32_t>& ids);

// The name of the section that a GETNEXT on `request` (an OID inside the agent's region,
// `requestText` its OID text) answers; nothing at the end of the table. The base OID
// itself starts at the first section; a section's own OID goes on with the section after
// its first occurrence in file order; any other OID answers the section with the
// smallest OID after it, so that a walk of a subtree finds the rows under it. Only names
// in plain dotted decimal take part in that comparison.
std::optional<std::string_view> SectionAfter(const ProfileSnapshot& rows,
                                             std::span<const uint32_t> request,
                                             std::string_view requestText);

}  // namespace quillon
