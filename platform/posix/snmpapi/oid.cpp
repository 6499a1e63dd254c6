#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <string>

#include "snmp.h"

extern "C" {

SNMPAPI SnmpUtilOidCpy(AsnObjectIdentifier* pOidDst, AsnObjectIdentifier* pOidSrc) {
  if (pOidDst == nullptr || pOidSrc == nullptr) return SNMPAPI_ERROR;
  pOidDst->idLength = 0;
  pOidDst->ids = nullptr;
  if (pOidSrc->idLength == 0) return SNMPAPI_NOERROR;
  auto* ids = static_cast<UINT*>(SnmpUtilMemAlloc(pOidSrc->idLength * sizeof(UINT)));
  if (ids == nullptr) return SNMPAPI_ERROR;
  std::memcpy(ids, pOidSrc->ids, pOidSrc->idLength * sizeof(UINT));
  pOidDst->ids = ids;
  pOidDst->idLength = pOidSrc->idLength;
  return SNMPAPI_NOERROR;
}

SNMPAPI SnmpUtilOidAppend(AsnObjectIdentifier* pOidDst, AsnObjectIdentifier* pOidSrc) {
  if (pOidDst == nullptr) return SNMPAPI_ERROR;
  if (pOidSrc == nullptr || pOidSrc->idLength == 0) return SNMPAPI_NOERROR;
  const UINT length = pOidDst->idLength + pOidSrc->idLength;
  auto* ids = static_cast<UINT*>(SnmpUtilMemReAlloc(pOidDst->ids, length * sizeof(UINT)));
  if (ids == nullptr) return SNMPAPI_ERROR;
  std::memcpy(ids + pOidDst->idLength, pOidSrc->ids, pOidSrc->idLength * sizeof(UINT));
  pOidDst->ids = ids;
  pOidDst->idLength = length;
  return SNMPAPI_NOERROR;
}

VOID SnmpUtilOidFree(AsnObjectIdentifier* pOid) {
  if (pOid == nullptr) return;
  SnmpUtilMemFree(pOid->ids);
  pOid->ids = nullptr;
  pOid->idLength = 0;
}

// Compares the first nSubIds sub-identifiers; when they are equal and one OID ends
// before nSubIds, the shorter one is the smaller.
INT SnmpUtilOidNCmp(AsnObjectIdentifier* pOid1, AsnObjectIdentifier* pOid2, UINT nSubIds) {
  if (pOid1 == nullptr || pOid2 == nullptr) return 0;
  const UINT common = std::min({nSubIds, pOid1->idLength, pOid2->idLength});
  for (UINT i = 0; i < common; ++i) {
    if (pOid1->ids[i] != pOid2->ids[i]) return pOid1->ids[i] < pOid2->ids[i] ? -1 : 1;
  }
  if (common == nSubIds || pOid1->idLength == pOid2->idLength) return 0;
  return pOid1->idLength < pOid2->idLength ? -1 : 1;
}

INT SnmpUtilOidCmp(AsnObjectIdentifier* pOid1, AsnObjectIdentifier* pOid2) {
  if (pOid1 == nullptr || pOid2 == nullptr) return 0;
  return SnmpUtilOidNCmp(pOid1, pOid2, std::max(pOid1->idLength, pOid2->idLength));
}

// The text lives in a buffer of the calling thread until its next call; it grows
// with the OID, so that no OID is cut.
LPSTR SnmpUtilIdsToA(UINT* Ids, UINT IdLength) {
  thread_local std::string text;
  if (Ids == nullptr || IdLength == 0) {
    text = "<null oid>";
    return text.data();
  }
  // Room for every id at its longest, then cut to what was written: no append grows it.
  constexpr size_t kIdText = std::numeric_limits<UINT>::digits10 + 2;  // digits and a dot
  text.resize(static_cast<size_t>(IdLength) * kIdText);
  char* end = text.data();
  for (UINT i = 0; i < IdLength; ++i) {
    if (i > 0) *end++ = '.';
    end = std::to_chars(end, text.data() + text.size(), Ids[i]).ptr;
  }
  text.resize(static_cast<size_t>(end - text.data()));
  return text.data();
}

LPSTR SnmpUtilOidToA(AsnObjectIdentifier* Oid) {
  return Oid == nullptr ? SnmpUtilIdsToA(nullptr, 0) : SnmpUtilIdsToA(Oid->ids, Oid->idLength);
}

}  // extern "C"
