#pragma once

#include <cstdint>

#include <snmp.h>

#include "agent/profile_snapshot.h"

namespace quillon {

// Text answered for the agent's base OID itself.
inline constexpr const char* IdentificationText =
    "quillon SNMP extension agent - contact: quillon maintainers <quillon@example.org>";

// Answer one binding of a GET or GETNEXT request from the request's snapshot of the
// counters file and return its SNMP error status. A binding is changed only when its
// whole answer is ready. GetPerf's failures (a flag operand that is no integer, a
// command cut short) are not caught here: the binding is then left as it came and the
// dispatch answers it genErr.
int32_t GetRequest(const ProfileSnapshot& rows, SnmpVarBind& binding);
int32_t GetNextRequest(const ProfileSnapshot& rows, SnmpVarBind& binding);

}  // namespace quillon
