#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "agent/answer.h"
#include "agent/get_perf.h"
#include "agent/log.h"
#include "agent/oid.h"
#include "agent/profile_file.h"
#include "agent/requests.h"
#include "agent/row_order.h"
#include "agent/state.h"

namespace quillon {

int32_t GetNextRequest(const ProfileSnapshot& rows, SnmpVarBind& binding) {
  std::string str_result;
  std::string oidText = OidText(binding.name);
  if (Logging()) {
    Log("GetNextRequest:" + oidText + "(" + std::to_string(binding.name.idLength) + ")");
  }
  if (!BeginsWith(binding.name, State().BaseOid)) {
    Log("comparemem=false");
    return SNMP_ERRORSTATUS_NOSUCHNAME;
  }
  const std::optional<std::string_view> nextRow =
      SectionAfter(rows, std::span<const UINT>(binding.name.ids, binding.name.idLength), oidText);
  OidIds next;
  if (nextRow) string2oid(*nextRow, next);
  if (next.empty()) {
    Log("SNMP_ERRORSTATUS_NOSUCHNAME");
    return SNMP_ERRORSTATUS_NOSUCHNAME;
  }
  std::string nextText = OidText(next);
  str_result = GetPerf(rows, nextText);
  if (Logging()) Log("value=" + str_result + " length=" + std::to_string(str_result.size()));
  if (str_result.empty()) {
    Log("length(str_result)=0");
    return SNMP_ERRORSTATUS_GENERR;
  }
  try {
    PreparedName name(next);
    PreparedValue answer = NumberOrText(str_result);
    name.Replace(binding.name);
    answer.HandTo(binding.value);
    if (Logging()) Log("Next OID: " + nextText + " idlength=" + std::to_string(next.size()));
    Log("GetNextRequest OK");
    return SNMP_ERRORSTATUS_NOERROR;
  } catch (const std::exception& failure) {
    Log(failure.what());
    return SNMP_ERRORSTATUS_GENERR;
  }
}

}  // namespace quillon
