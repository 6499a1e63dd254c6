#pragma once

// The subagent's session to its AgentX master, as net-snmp's agent library keeps it.

namespace exthost {

// True while the subagent has a session with its master.
bool AgentxConnected();

// Seconds between two attempts to reach a master that is not there.
int AgentxRetrySeconds();

// Closes a subagent's session to its master, if there is one, before the region is
// unregistered and snmp_shutdown runs. Both would talk to the master from inside
// net-snmp's callbacks; a master that goes away meanwhile makes the library unregister
// those callbacks under their own lock ("netsnmp_assert lock_holded" and a stall).
// Here the callbacks go first. Does nothing in a standalone agent.
void CloseAgentxSession();

}  // namespace exthost
