// The four functions the SNMP service looks up in the library.
#include <snmp.h>

#include "agent/dispatch.h"
#include "agent/startup.h"
#include "agent/traps.h"

extern "C" {

QUILLON_EXPORT BOOL SNMP_FUNC_TYPE SnmpExtensionInit(DWORD, HANDLE* trapEvent,
                                                     AsnObjectIdentifier* firstRegion) {
  try {
    return quillon::Initialise(trapEvent, firstRegion);
  } catch (...) {
    return FALSE;
  }
}

QUILLON_EXPORT BOOL SNMP_FUNC_TYPE SnmpExtensionQuery(BYTE requestType, SnmpVarBindList* bindings,
                                                      AsnInteger32* errorStatus,
                                                      AsnInteger32* errorIndex) {
  return quillon::Dispatch(quillon::kQueryFlavour, requestType, bindings, errorStatus, errorIndex);
}

QUILLON_EXPORT BOOL SNMP_FUNC_TYPE SnmpExtensionQueryEx(UINT requestType, UINT,
                                                        SnmpVarBindList* bindings, AsnOctetString*,
                                                        AsnInteger32* errorStatus,
                                                        AsnInteger32* errorIndex) {
  return quillon::Dispatch(quillon::kQueryExFlavour, requestType, bindings, errorStatus,
                           errorIndex);
}

QUILLON_EXPORT BOOL SNMP_FUNC_TYPE SnmpExtensionTrap(AsnObjectIdentifier* enterprise,
                                                     AsnInteger32* genericTrap,
                                                     AsnInteger32* specificTrap,
                                                     AsnTimeticks* timeStamp,
                                                     SnmpVarBindList* bindings) {
  try {
    return quillon::BuildTrap(enterprise, genericTrap, specificTrap, timeStamp, bindings);
  } catch (...) {
    return FALSE;
  }
}

}  // extern "C"
