#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "agent/answer.h"
#include "agent/get_perf.h"
#include "agent/log.h"
#include "agent/oid.h"
#include "agent/profile_file.h"
#include "agent/requests.h"
#include "agent/state.h"

namespace quillon {

namespace {

// The OID of the row after the request's: the first row for the base OID itself,
// otherwise the row that follows, in file order, the first row named like the request.
OidIds NextRow(const ProfileSnapshot& rows, const AsnObjectIdentifier& request,
               const std::string& requestText) {
  OidIds next;
  if (request.idLength < kDefaultBaseOidLength) return next;
  const std::vector<std::string_view>& sections = rows.SectionNames();
  if (request.idLength == kDefaultBaseOidLength) {
    if (!sections.empty()) string2oid(sections.front(), next);
    return next;
  }
  const std::optional<size_t> at = rows.FirstPosition(requestText);
  if (at && *at + 1 < sections.size()) string2oid(sections[*at + 1], next);
  return next;
}

}  // namespace

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
  OidIds next = NextRow(rows, binding.name, oidText);
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
