#pragma once

// A GETBULK's response holds as many repetitions as fit. net-snmp lays out every
// repetition that was asked for before the first is served and sends them all, so a
// response that grows too big would never leave; here the repetitions that do not fit
// are taken out of that layout before net-snmp builds the response.

#include <vector>

#include "host/net_snmp.h"

namespace exthost {

bool IsGetBulk(const netsnmp_agent_request_info& info);

// Keeps the repetitions before the one the `pending` requests are part of and drops that
// one and all after it; the dropped bindings are freed with the request. False, and
// nothing changed, when not even the first repetition would remain.
bool EndRepetitionsAt(netsnmp_agent_request_info* info,
                      const std::vector<netsnmp_request_info*>& pending);

// True once EndRepetitionsAt has ended this request's repetitions: later passes only
// fill bindings that are no longer sent.
bool RepetitionsEnded(netsnmp_agent_request_info* info);

}  // namespace exthost
