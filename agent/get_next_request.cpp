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
#include "agent/table_rows.h"

namespace quillon {

namespace {

int32_t AnswerNext(SnmpVarBind& binding, const OidIds& next, const std::string& str_result,
                   bool isName) {
  if (Logging()) Log("value=" + str_result + " length=" + std::to_string(str_result.size()));
  if (str_result.empty()) {
    Log("length(str_result)=0");
    return SNMP_ERRORSTATUS_GENERR;
  }
  try {
    PreparedName name(next);
    PreparedValue answer =
        isName ? PreparedValue::OctetString(str_result) : NumberOrText(str_result);
    name.Replace(binding.name);
    answer.HandTo(binding.value);
    if (Logging()) Log("Next OID: " + OidText(next) + " idlength=" + std::to_string(next.size()));
    Log("GetNextRequest OK");
    return SNMP_ERRORSTATUS_NOERROR;
  } catch (const std::exception& failure) {
    Log(failure.what());
    return SNMP_ERRORSTATUS_GENERR;
  }
}

}  // namespace

int32_t GetNextRequest(const ProfileSnapshot& rows, SnmpVarBind& binding) {
  std::string oidText = OidText(binding.name);
  if (Logging()) {
    Log("GetNextRequest:" + oidText + "(" + std::to_string(binding.name.idLength) + ")");
  }
  if (!BeginsWith(binding.name, State().BaseOid)) {
    Log("comparemem=false");
    return SNMP_ERRORSTATUS_NOSUCHNAME;
  }
  const std::span<const UINT> request(binding.name.ids, binding.name.idLength);
  TableRows& tables = State().tables;
  std::optional<CellAnswer> cell;
  std::optional<std::string_view> nextRow;
  if (const TableRow* table = tables.Enclosing(rows, request)) {
    cell = CellAfter(rows, *table, request.subspan(table->oid.size()));
    if (!cell) nextRow = SectionAfter(rows, table->oid, table->section);
  } else {
    nextRow = SectionAfter(rows, request, oidText);
  }
  if (nextRow) {
    if (const TableRow* table = tables.Named(rows, *nextRow)) {
      cell = CellAfter(rows, *table, {});
      // A table without instances answers as a row without a value does.
      if (!cell) cell = CellAnswer{table->oid, "", false};
    }
  }
  if (cell) return AnswerNext(binding, cell->name, cell->text, cell->isName);

  OidIds next;
  std::string nextText;
  if (nextRow) nextText = SectionOid(*nextRow, next);
  if (next.empty()) {
    Log("SNMP_ERRORSTATUS_NOSUCHNAME");
    return SNMP_ERRORSTATUS_NOSUCHNAME;
  }
  return AnswerNext(binding, next, GetPerf(rows, nextText), false);
}

}  // namespace quillon
