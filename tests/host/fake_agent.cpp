// A stand-in extension agent with fixed rows under 1.3.6.1.4.1.99999, for what the real
// agent never does: misordered GETNEXT answers, no QueryEx, a failing Init, a burst of
// traps. Environment: FAKE_AGENT_LOG (file that records every call), FAKE_AGENT_INIT=false,
// FAKE_AGENT_GETNEXT=escape|backwards (after row 3 / row 2), FAKE_AGENT_TRAPS=N.

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "snmp.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

UINT regionIds[] = {1, 3, 6, 1, 4, 1, 99999};
constexpr UINT kRegionLength = 7;
UINT enterpriseIds[] = {1, 3, 6, 1, 4, 1, 99999, 0};
constexpr UINT kRows = 3;
int trapEvent = -1;
int trapsLeft = 0;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

void Record(const std::string& line) {
  const std::string path = Env("FAKE_AGENT_LOG");
  if (!path.empty()) std::ofstream(path, std::ios::app) << line << "\n";
}

struct Unload {
  ~Unload() {
    Record("unloaded");
    if (trapEvent >= 0) close(trapEvent);
  }
} unload;

void SetOid(AsnObjectIdentifier* oid, UINT row) {
  UINT ids[] = {1, 3, 6, 1, 4, 1, 99999, row, 0};
  AsnObjectIdentifier source{9, ids};
  SnmpUtilOidFree(oid);
  SnmpUtilOidCpy(oid, &source);
}

void SetString(AsnAny* value, const char* text) {
  const UINT length = static_cast<UINT>(std::strlen(text));
  value->asnType = ASN_OCTETSTRING;
  value->asnValue.string.stream = static_cast<BYTE*>(SnmpUtilMemAlloc(length));
  std::memcpy(value->asnValue.string.stream, text, length);
  value->asnValue.string.length = length;
  value->asnValue.string.dynamic = TRUE;
}

void SetRowValue(AsnAny* value, UINT row) {
  if (row == 1) {
    value->asnType = ASN_INTEGER;
    value->asnValue.number = 7;
  } else {
    SetString(value, row == 2 ? "two" : "three");
  }
}

// The row an OID names: 1..3, 0 for the region itself, -1 for anything else.
int RowOf(const AsnObjectIdentifier& oid) {
  for (UINT i = 0; i < kRegionLength; ++i) {
    if (i >= oid.idLength || oid.ids[i] != regionIds[i]) return -1;
  }
  if (oid.idLength == kRegionLength) return 0;
  if (oid.idLength == 9 && oid.ids[8] == 0 && oid.ids[7] >= 1 && oid.ids[7] <= kRows)
    return static_cast<int>(oid.ids[7]);
  return -1;
}

AsnInteger32 Get(SnmpVarBind& binding) {
  const int row = RowOf(binding.name);
  if (row < 0) return SNMP_ERRORSTATUS_NOSUCHNAME;
  if (row == 0) {
    SetString(&binding.value, "fake agent");
  } else {
    SetRowValue(&binding.value, static_cast<UINT>(row));
  }
  return SNMP_ERRORSTATUS_NOERROR;
}

AsnInteger32 GetNext(SnmpVarBind& binding) {
  const int row = RowOf(binding.name);
  if (row < 0) return SNMP_ERRORSTATUS_NOSUCHNAME;
  const std::string mode = Env("FAKE_AGENT_GETNEXT");
  if (row == 2 && mode == "backwards") {
    SetOid(&binding.name, 1);
    SetRowValue(&binding.value, 1);
    return SNMP_ERRORSTATUS_NOERROR;
  }
  if (row == static_cast<int>(kRows)) {
    if (mode != "escape") return SNMP_ERRORSTATUS_NOSUCHNAME;
    UINT outside[] = {1, 3, 6, 1, 4, 1, 99998, 1};
    AsnObjectIdentifier source{8, outside};
    SnmpUtilOidFree(&binding.name);
    SnmpUtilOidCpy(&binding.name, &source);
    SetString(&binding.value, "escaped");
    return SNMP_ERRORSTATUS_NOERROR;
  }
  SetOid(&binding.name, static_cast<UINT>(row + 1));
  SetRowValue(&binding.value, static_cast<UINT>(row + 1));
  return SNMP_ERRORSTATUS_NOERROR;
}

BOOL Dispatch(const char* entry, UINT type, SnmpVarBindList* list, AsnInteger32* status,
              AsnInteger32* index, AsnInteger32 setStatus) {
  Record(std::string(entry) + " " + std::to_string(type) + " " + std::to_string(list->len));
  *status = 0;
  *index = 0;
  for (UINT i = 0; i < list->len; ++i) {
    AsnInteger32 result = setStatus;
    if (type == SNMP_PDU_GET) result = Get(list->list[i]);
    if (type == SNMP_PDU_GETNEXT) result = GetNext(list->list[i]);
    if (result != 0 && *status == 0) {
      *status = result;
      *index = static_cast<AsnInteger32>(i + 1);
    }
  }
  return TRUE;
}

}  // namespace

EXPORT BOOL SnmpExtensionInit(DWORD, HANDLE* event, AsnObjectIdentifier* region) {
  Record("init");
  region->idLength = kRegionLength;
  region->ids = regionIds;
  trapsLeft = std::atoi(Env("FAKE_AGENT_TRAPS").c_str());
  if (trapsLeft > 0) {
    trapEvent = eventfd(1, EFD_CLOEXEC | EFD_NONBLOCK);  // due at once
    *event = reinterpret_cast<HANDLE>(static_cast<intptr_t>(trapEvent));
  }
  return Env("FAKE_AGENT_INIT") == "false" ? FALSE : TRUE;
}

EXPORT BOOL SnmpExtensionQuery(BYTE type, SnmpVarBindList* list, AsnInteger32* status,
                               AsnInteger32* index) {
  return Dispatch("Query", type, list, status, index, SNMP_ERRORSTATUS_READONLY);
}

#ifndef FAKE_AGENT_WITHOUT_QUERY_EX
EXPORT BOOL SnmpExtensionQueryEx(UINT type, UINT, SnmpVarBindList* list, AsnOctetString*,
                                 AsnInteger32* status, AsnInteger32* index) {
  return Dispatch("QueryEx", type, list, status, index, SNMP_ERRORSTATUS_GENERR);
}
#endif

EXPORT BOOL SnmpExtensionTrap(AsnObjectIdentifier* enterprise, AsnInteger32* generic,
                              AsnInteger32* specific, AsnTimeticks* stamp, SnmpVarBindList* list) {
  if (trapsLeft <= 0) return FALSE;
  --trapsLeft;
  Record("trap");
  enterprise->idLength = 8;
  enterprise->ids = enterpriseIds;
  *generic = SNMP_GENERICTRAP_ENTERSPECIFIC;
  *specific = 3;
  *stamp = SnmpSvcGetUptime();
  list->len = 2;
  list->list = static_cast<SnmpVarBind*>(SnmpUtilMemAlloc(2 * sizeof(SnmpVarBind)));
  SetOid(&list->list[0].name, 1);
  SetRowValue(&list->list[0].value, 1);
  SetOid(&list->list[1].name, 2);
  SetRowValue(&list->list[1].value, 2);
  return TRUE;
}
