#include <cstdint>
#include <exception>
#include <span>
#include <string>

#include "agent/answer.h"
#include "agent/get_perf.h"
#include "agent/log.h"
#include "agent/oid.h"
#include "agent/requests.h"
#include "agent/state.h"
#include "agent/table_rows.h"
#include "lib/numeric.h"

namespace quillon {

namespace {

// GET decides by the 64-bit reading of the text: a whole number above 2147483647
// travels as text; one below -2147483648 fails in the 32-bit conversion.
PreparedValue GetAnswer(const std::string& text) {
  int64_t wide = 0;
  if (lib::TryStrToInt64(text, wide) && wide <= INT32_MAX) {
    return PreparedValue::Integer(lib::StrToInt(text));
  }
  return PreparedValue::OctetString(text);
}

}  // namespace

int32_t GetRequest(const ProfileSnapshot& rows, SnmpVarBind& binding) {
  std::string str_result;
  bool isName = false;
  std::string oidText = OidText(binding.name);
  if (Logging()) {
    Log("GetRequest: OID=" + oidText + " (" + std::to_string(binding.name.idLength) + ")");
  }
  if (binding.name.idLength < kDefaultBaseOidLength) {
    Log("(len<7)");
    return SNMP_ERRORSTATUS_NOSUCHNAME;
  }
  if (binding.name.idLength == kDefaultBaseOidLength) {
    str_result = IdentificationText;
  } else if (!State().settings.counters.empty()) {
    const std::span<const UINT> request(binding.name.ids, binding.name.idLength);
    const TableRow* table = State().tables.Enclosing(rows, request);
    if (table && request.size() > table->oid.size()) {
      CellAnswer cell = CellAt(rows, *table, request.subspan(table->oid.size()));
      str_result = std::move(cell.text);
      isName = cell.isName;
    } else {
      str_result = GetPerf(rows, oidText);
    }
  }
  if (str_result.empty()) {
    Log("length(str_result)=0");
    Log("GetRequest Failed");
    return SNMP_ERRORSTATUS_BADVALUE;
  }
  try {
    PreparedValue answer = isName ? PreparedValue::OctetString(str_result) : GetAnswer(str_result);
    BYTE type = answer.Type();
    answer.HandTo(binding.value);
    if (Logging()) Log("GetRequest: value=" + str_result + " asn_type=" + std::to_string(type));
    Log("GetRequest: OK");
    return SNMP_ERRORSTATUS_NOERROR;
  } catch (const std::exception& failure) {
    Log(failure.what());
    return SNMP_ERRORSTATUS_GENERR;
  }
}

}  // namespace quillon
