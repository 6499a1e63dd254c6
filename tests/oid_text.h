#pragma once

#include <snmp.h>

#include <sstream>
#include <string>
#include <vector>

namespace quillon_test {

// Object identifiers as the tests write them ("1.3.6.1"), apart from the agent's own
// codec, so that what the agent answers is read by other code than wrote it.
inline std::vector<UINT> ParseOid(const std::string& text) {
  std::vector<UINT> ids;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, '.');) ids.push_back(std::stoul(part));
  return ids;
}

inline std::string OidString(const AsnObjectIdentifier& oid) {
  std::string text;
  for (UINT i = 0; i < oid.idLength; ++i) {
    if (i > 0) text += '.';
    text += std::to_string(oid.ids[i]);
  }
  return text;
}

}  // namespace quillon_test
