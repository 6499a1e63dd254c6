#include "host/bulk_limit.h"

#include <algorithm>

namespace exthost {
namespace {

constexpr char kDroppedRepetitions[] = "snmp-exthost dropped repetitions";

using Variables = std::vector<netsnmp_variable_list*>;

void FreeDropped(void* dropped) {
  auto* variables = static_cast<Variables*>(dropped);
  for (netsnmp_variable_list* variable : *variables) {
    variable->next_variable = nullptr;
    snmp_free_var(variable);
  }
  delete variables;
}

}  // namespace

bool IsGetBulk(const netsnmp_agent_request_info& info) {
  return info.asp != nullptr && info.asp->pdu != nullptr &&
         info.asp->pdu->command == SNMP_MSG_GETBULK && info.asp->bulkcache != nullptr;
}

bool RepetitionsEnded(netsnmp_agent_request_info* info) {
  return netsnmp_agent_get_list_data(info, kDroppedRepetitions) != nullptr;
}

bool EndRepetitionsAt(netsnmp_agent_request_info* info,
                      const std::vector<netsnmp_request_info*>& pending) {
  netsnmp_agent_session& session = *info->asp;
  netsnmp_pdu& pdu = *session.pdu;
  // The layout net-snmp's reordering expects: for each repeated binding i its repetitions
  // j at bulkcache[i * repeats + j], chained in that order.
  const long nonRepeaters = std::min<long>(pdu.errstat, session.vbcount);
  const long repeated = session.vbcount - nonRepeaters;
  const long repeats = pdu.errindex;
  if (repeated <= 0 || repeats <= 0) return false;
  const long slots = repeated * repeats;
  long reached = repeats;  // the first repetition that does not fit
  for (const netsnmp_request_info* request : pending) {
    const auto slot = std::find(session.bulkcache, session.bulkcache + slots, request->requestvb);
    if (slot == session.bulkcache + slots) return false;  // a non-repeater does not fit
    reached = std::min(reached, static_cast<long>((slot - session.bulkcache) % repeats));
  }
  if (reached == 0) return false;

  auto* dropped = new Variables;
  for (long i = 0; i < repeated; ++i) {
    for (long j = 0; j < repeats; ++j) {
      netsnmp_variable_list* variable = session.bulkcache[i * repeats + j];
      if (j < reached) {
        session.bulkcache[i * reached + j] = variable;
      } else {
        dropped->push_back(variable);
      }
    }
  }
  // The last one kept ends the list once net-snmp has put the repetitions in order.
  session.bulkcache[repeated * reached - 1]->next_variable = nullptr;
  pdu.errindex = reached;
  for (int i = 0; i < session.vbcount; ++i) session.requests[i].repeat = 0;
  // The dropped bindings stay valid while net-snmp may still fill them in this request.
  netsnmp_agent_add_list_data(info,
                              netsnmp_create_data_list(kDroppedRepetitions, dropped, FreeDropped));
  return true;
}

}  // namespace exthost
