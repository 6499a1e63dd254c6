#pragma once

// Between net-snmp's variables and the host's bindings.

#include <vector>

#include "host/binding.h"
#include "host/net_snmp.h"

namespace exthost {

std::vector<oid> ToNetSnmp(const Oid& ids);
Oid FromNetSnmp(const oid* ids, size_t length);
Binding FromNetSnmp(const netsnmp_variable_list& variable);
// The same into a binding whose storage is reused.
void CopyFromNetSnmp(const netsnmp_variable_list& variable, Binding& binding);

// Renames the variable, without a copy on the heap for a name SNMP can carry.
void SetName(netsnmp_variable_list* variable, const Oid& name);

// Puts the value into the variable; false when the syntax has no SNMP encoding.
bool SetValue(netsnmp_variable_list* variable, const Value& value);

// Appends a binding to a variable list that the caller frees with snmp_free_varbind.
bool AppendVariable(netsnmp_variable_list** list, const Binding& binding);

}  // namespace exthost
