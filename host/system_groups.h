#pragma once

// The groups every SNMP agent serves besides its extension agents, from net-snmp's own
// modules: MIB-II's system group (sysDescr, sysObjectID, sysUpTime, sysContact, sysName,
// sysLocation, sysServices, sysORTable) and snmp group, and the SNMPv3 engine and
// statistics groups (snmpEngine, snmpMPDStats, usmStats). Only a standalone service has
// them: an AgentX master serves its own.

#include "host/binding.h"

namespace exthost {

// After init_agent and before the configuration is read: registers the groups and their
// directives (sysDescr, sysContact, sysName, sysLocation, sysServices, sysObjectID).
void RegisterSystemGroups();

// For an AgentX subagent, whose master answers access control and the system group: the
// directives a standalone service reads (rocommunity, rouser, sysLocation, trapsink, ...) are
// taken without effect and without a warning, so one file serves both roles.
void AcceptStandaloneDirectives();

// Before the configuration is read again: a sysObjectID line removed since is forgotten.
void ForgetConfiguredSysObjectId();

// Once the agent is loaded: without a sysObjectID line, sysObjectID is the agent's region.
void DefaultSysObjectId(const Oid& region);

}  // namespace exthost
