#pragma once

// What the region handler needs to know about the request it serves beyond its bindings:
// who sent it and how much room its response has. net-snmp's side only.

#include <cstddef>
#include <string>
#include <vector>

#include "host/binding.h"
#include "host/extension_agent.h"
#include "host/net_snmp.h"

namespace exthost {

// True in the AgentX role: requests come from a master, which forwards a manager's
// request under ids of its own and without the manager's address or request-id.
bool ForwardedByAMaster();

// One GET or GETNEXT call of the agent for one message: its source address and port, its
// request-id, the message itself, the phase and the names handed over in this pass (a
// GETBULK makes one pass per repetition). A retransmission has the same key. In the
// AgentX role the key is what the master forwards without its ids: the request type, the
// context, the bindings with their ranges and a GETBULK's counts.
std::string RetransmitKey(const netsnmp_agent_session& session, Phase phase,
                          const std::vector<Oid>& names);

// The most bytes a response to this request may take.
size_t ResponseLimit(const netsnmp_agent_session& session);

// The bytes the response takes without the `pending` bindings: the header and every
// other binding as it stands.
size_t ResponseBytesWithout(const netsnmp_agent_session& session,
                            const std::vector<netsnmp_request_info*>& pending);

}  // namespace exthost
