#include "host/binding.h"

#include <algorithm>

namespace exthost {

std::string OidToText(const Oid& oid) {
  std::string text;
  for (uint32_t id : oid) {
    if (!text.empty()) text += '.';
    text += std::to_string(id);
  }
  return text;
}

bool OidStartsWith(const Oid& oid, const Oid& prefix) {
  return oid.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), oid.begin());
}

}  // namespace exthost
