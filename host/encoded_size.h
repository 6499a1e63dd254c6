#pragma once

// How many bytes a binding takes in an SNMP message (BER), to know before net-snmp builds
// a response whether it can be sent at all.

#include <cstddef>

#include "host/binding.h"

namespace exthost {

// The most sub-identifiers an OID may have in a message.
constexpr size_t kMaxOidLength = 128;

// The whole variable binding: its SEQUENCE, the name and the value.
size_t EncodedSize(const Oid& name, const Value& value);
inline size_t EncodedSize(const Binding& binding) {
  return EncodedSize(binding.name, binding.value);
}

// A tag, a length and `contentLength` bytes.
size_t EncodedTlvSize(size_t contentLength);

}  // namespace exthost
