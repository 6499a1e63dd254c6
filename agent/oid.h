#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include <snmp.h>

namespace quillon {

using OidIds = std::vector<UINT>;

// The default region: 1.3.6.1.4.1.15. Request lengths are classed against its length.
constexpr std::array<UINT, 7> kDefaultBaseOid = {1, 3, 6, 1, 4, 1, 15};
constexpr size_t kDefaultBaseOidLength = kDefaultBaseOid.size();

// Appends the sub-identifiers of a dotted OID text to ids. A component that is not an
// integer stops the parse with a "string2oid: " debug line, leaving a 0 in its place.
void string2oid(std::string_view text, OidIds& ids);

// A section name's sub-identifiers as string2oid reads them (into ids, which it clears)
// and their text as OidText makes it. A name in plain dotted decimal without leading
// zeros is that text already, so it is neither read twice nor made again.
std::string SectionOid(std::string_view name, OidIds& ids);

// Sub-identifiers in decimal joined by ".", the form in which OIDs meet section names.
// The text of an empty OID is "<null oid>".
std::string OidText(const UINT* ids, size_t count);
std::string OidText(const AsnObjectIdentifier& oid);
std::string OidText(const OidIds& ids);

// True when oid begins with every sub-identifier of prefix.
bool BeginsWith(const AsnObjectIdentifier& oid, const OidIds& prefix);

}  // namespace quillon
