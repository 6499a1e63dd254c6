#include "host/binding.h"

#include <algorithm>
#include <cstdio>

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

std::string Quoted(const std::string& bytes) {
  std::string text = "\"";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      text += '\\';
      text += c;
    } else if (byte < 0x20 || byte == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      text += escaped;
    } else {
      text += c;
    }
  }
  return text + "\"";
}

std::string ValueText(const Value& value) {
  switch (value.syntax) {
    case Syntax::Integer:
      return "INTEGER: " + std::to_string(value.number);
    case Syntax::OctetString:
      return "STRING: " + Quoted(value.bytes);
    case Syntax::ObjectId:
      return "OID: " + OidToText(value.oid);
    case Syntax::Null:
      return "NULL";
    default:
      return "type " + std::to_string(static_cast<int>(value.syntax)) + ": " +
             (value.bytes.empty() ? std::to_string(value.number) : Quoted(value.bytes));
  }
}

bool OidStartsWith(const Oid& oid, const Oid& prefix) {
  return oid.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), oid.begin());
}

}  // namespace exthost
