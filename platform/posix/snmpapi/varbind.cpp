#include <cstring>

#include "snmp.h"

namespace {

bool HoldsOctets(BYTE type) {
  switch (type) {
    case ASN_OCTETSTRING:
    case ASN_BITS:
    case ASN_SEQUENCE:
    case ASN_IPADDRESS:
    case ASN_OPAQUE:
      return true;
    default:
      return false;
  }
}

bool HoldsPlainValue(BYTE type) {
  switch (type) {
    case ASN_INTEGER32:
    case ASN_UINTEGER32:
    case ASN_COUNTER32:
    case ASN_GAUGE32:
    case ASN_TIMETICKS:
    case ASN_COUNTER64:
    case ASN_NULL:
    case SNMP_EXCEPTION_NOSUCHOBJECT:
    case SNMP_EXCEPTION_NOSUCHINSTANCE:
    case SNMP_EXCEPTION_ENDOFMIBVIEW:
      return true;
    default:
      return false;
  }
}

}  // namespace

extern "C" {

SNMPAPI SnmpUtilAsnAnyCpy(AsnAny* pAnyDst, AsnAny* pAnySrc) {
  if (pAnyDst == nullptr || pAnySrc == nullptr) return SNMPAPI_ERROR;
  std::memset(pAnyDst, 0, sizeof *pAnyDst);
  const BYTE type = pAnySrc->asnType;
  if (HoldsPlainValue(type)) {
    pAnyDst->asnValue = pAnySrc->asnValue;
  } else if (HoldsOctets(type)) {
    const AsnOctetString& source = pAnySrc->asnValue.string;
    auto* stream = static_cast<BYTE*>(SnmpUtilMemAlloc(source.length));
    if (stream == nullptr) return SNMPAPI_ERROR;
    if (source.length > 0) std::memcpy(stream, source.stream, source.length);
    pAnyDst->asnValue.string = AsnOctetString{stream, source.length, TRUE};
  } else if (type == ASN_OBJECTIDENTIFIER) {
    if (!SnmpUtilOidCpy(&pAnyDst->asnValue.object, &pAnySrc->asnValue.object)) {
      return SNMPAPI_ERROR;
    }
  } else {
    return SNMPAPI_ERROR;
  }
  pAnyDst->asnType = type;
  return SNMPAPI_NOERROR;
}

// Frees what the value owns: the stream of a dynamic octet string, the sub-identifiers
// of an OID. A static stream belongs to whoever filled in the value.
VOID SnmpUtilAsnAnyFree(AsnAny* pAny) {
  if (pAny == nullptr) return;
  if (HoldsOctets(pAny->asnType)) {
    if (pAny->asnValue.string.dynamic) SnmpUtilMemFree(pAny->asnValue.string.stream);
    pAny->asnValue.string = AsnOctetString{nullptr, 0, FALSE};
  } else if (pAny->asnType == ASN_OBJECTIDENTIFIER) {
    SnmpUtilOidFree(&pAny->asnValue.object);
  }
  pAny->asnType = ASN_NULL;
}

SNMPAPI SnmpUtilVarBindCpy(SnmpVarBind* pVbDst, SnmpVarBind* pVbSrc) {
  if (pVbDst == nullptr) return SNMPAPI_ERROR;
  std::memset(pVbDst, 0, sizeof *pVbDst);
  if (pVbSrc == nullptr) {
    pVbDst->value.asnType = ASN_NULL;
    return SNMPAPI_NOERROR;
  }
  if (!SnmpUtilOidCpy(&pVbDst->name, &pVbSrc->name)) return SNMPAPI_ERROR;
  if (!SnmpUtilAsnAnyCpy(&pVbDst->value, &pVbSrc->value)) {
    SnmpUtilOidFree(&pVbDst->name);
    return SNMPAPI_ERROR;
  }
  return SNMPAPI_NOERROR;
}

VOID SnmpUtilVarBindFree(SnmpVarBind* pVb) {
  if (pVb == nullptr) return;
  SnmpUtilAsnAnyFree(&pVb->value);
  SnmpUtilOidFree(&pVb->name);
}

SNMPAPI SnmpUtilVarBindListCpy(SnmpVarBindList* pVblDst, SnmpVarBindList* pVblSrc) {
  if (pVblDst == nullptr) return SNMPAPI_ERROR;
  pVblDst->list = nullptr;
  pVblDst->len = 0;
  if (pVblSrc == nullptr || pVblSrc->len == 0) return SNMPAPI_NOERROR;
  auto* list = static_cast<SnmpVarBind*>(SnmpUtilMemAlloc(pVblSrc->len * sizeof(SnmpVarBind)));
  if (list == nullptr) return SNMPAPI_ERROR;
  for (UINT i = 0; i < pVblSrc->len; ++i) {
    if (!SnmpUtilVarBindCpy(&list[i], &pVblSrc->list[i])) {
      while (i > 0) SnmpUtilVarBindFree(&list[--i]);
      SnmpUtilMemFree(list);
      return SNMPAPI_ERROR;
    }
  }
  pVblDst->list = list;
  pVblDst->len = pVblSrc->len;
  return SNMPAPI_NOERROR;
}

VOID SnmpUtilVarBindListFree(SnmpVarBindList* pVbl) {
  if (pVbl == nullptr) return;
  for (UINT i = 0; i < pVbl->len; ++i) SnmpUtilVarBindFree(&pVbl->list[i]);
  SnmpUtilMemFree(pVbl->list);
  pVbl->list = nullptr;
  pVbl->len = 0;
}

}  // extern "C"
