#pragma once

#include <string>
#include <string_view>

#include <snmp.h>

#include "agent/profile_file.h"

namespace quillon {

// The value text of one trap-file section: its script's trimmed output, or empty.
std::string RunTrapScript(const ProfileSnapshot& traps, std::string_view section);

// The body of SnmpExtensionTrap: TRUE with the due trap filled in, FALSE when there
// is none. Once a due trap is handled its fixed fields are written, also when no
// script gave a value; the bindings only with TRUE.
BOOL BuildTrap(AsnObjectIdentifier* enterprise, AsnInteger32* genericTrap,
               AsnInteger32* specificTrap, AsnTimeticks* timeStamp, SnmpVarBindList* bindings);

// The timer's tick: marks a trap as due and wakes the service.
void MarkTrapDue();

}  // namespace quillon
