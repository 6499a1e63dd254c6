#pragma once

#include <snmp.h>

namespace quillon {

// The body of SnmpExtensionInit: start-up lines, the region, the trap timer. TRUE
// when the counters file exists.
BOOL Initialise(HANDLE* trapEvent, AsnObjectIdentifier* firstRegion);

}  // namespace quillon
