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

std::string StatusName(int32_t status) {
  static const char* const kNames[] = {"noError",  "tooBig",   "noSuchName",
                                       "badValue", "readOnly", "genErr"};
  if (status >= 0 && status < 6) return kNames[status];
  return "error status " + std::to_string(status);
}

bool OidStartsWith(const Oid& oid, const Oid& prefix) {
  return oid.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), oid.begin());
}

}  // namespace exthost
