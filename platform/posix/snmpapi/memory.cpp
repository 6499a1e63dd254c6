#include <cstdlib>

#include "snmp.h"

extern "C" {

LPVOID SnmpUtilMemAlloc(UINT nBytes) { return std::calloc(1, nBytes == 0 ? 1 : nBytes); }

VOID SnmpUtilMemFree(LPVOID pMem) { std::free(pMem); }

}  // extern "C"
