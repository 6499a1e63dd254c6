#include <string>

#include "agent/oid.h"
#include "fuzz/fuzz_inputs.h"

namespace quillon::fuzz {

// A section name or the oid setting turned into sub-identifiers and back.
void RunOidText(std::string_view data) {
  OidIds ids;
  string2oid(std::string(data), ids);
  const std::string text = OidText(ids);
  Require(!text.empty(), "an OID has a text");
}

}  // namespace quillon::fuzz
