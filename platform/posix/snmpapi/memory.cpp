#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "snmp.h"

// Memory handed between an extension agent and the service: zero-filled, as the
// Windows allocator gives it, also where a reallocation grows a block.
extern "C" {

LPVOID SnmpUtilMemAlloc(UINT nBytes) { return std::calloc(1, nBytes == 0 ? 1 : nBytes); }

VOID SnmpUtilMemFree(LPVOID pMem) { std::free(pMem); }

LPVOID SnmpUtilMemReAlloc(LPVOID pMem, UINT nBytes) {
  if (pMem == nullptr) return SnmpUtilMemAlloc(nBytes);
  void* grown = SnmpUtilMemAlloc(nBytes);
  if (grown == nullptr) return nullptr;
  std::memcpy(grown, pMem, std::min<size_t>(malloc_usable_size(pMem), nBytes));
  std::free(pMem);
  return grown;
}

}  // extern "C"
