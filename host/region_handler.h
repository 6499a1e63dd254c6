#pragma once

// Serves the agent's region in net-snmp: every GET, GETNEXT (GETBULK arrives as
// GETNEXT) and SET phase for bindings inside it goes to the agent in one call.

#include <set>
#include <string>
#include <vector>

#include "host/binding.h"
#include "host/extension_agent.h"
#include "host/failing_rows.h"
#include "host/retransmit_cache.h"

struct netsnmp_agent_request_info_s;
struct netsnmp_request_info_s;

namespace exthost {

class RegionHandler {
 public:
  // countersFile: the agent's "counters" setting, to name the rows that fail in the log.
  RegionHandler(ExtensionAgent& agent, Oid region, std::string countersFile);
  ~RegionHandler();  // unregisters the region, before the agent goes
  RegionHandler(const RegionHandler&) = delete;
  RegionHandler& operator=(const RegionHandler&) = delete;

  // Registers the region with net-snmp's agent library; throws AgentError when it cannot.
  // The handler must outlive the agent library's use of it (snmp_shutdown).
  void Register();

  // Serves one pass of a request. `requestInfo` and `requests` are net-snmp's
  // netsnmp_agent_request_info and netsnmp_request_info list.
  int Serve(void* requestInfo, void* requests);

 private:
  // The agent's answer to one pass, or the one it gave to the same message moments ago
  // (a retransmission); marked tooBig, without its values, when it cannot be sent.
  CachedAnswer AnswerOnce(::netsnmp_agent_request_info_s& requestInfo, Phase phase,
                          const std::vector<::netsnmp_request_info_s*>& pending,
                          const std::vector<Oid>& asked, std::vector<Binding> bindings);
  void ReportMisordered(const Oid& asked, const Oid& answered);
  void ReportFailure(Phase phase, const std::vector<Oid>& asked, const QueryResult& result);

  ExtensionAgent& agent_;
  Oid region_;
  std::set<Oid> reportedRows_;
  void* registration_ = nullptr;  // net-snmp's netsnmp_handler_registration
  RetransmitCache retransmits_;
  FailingRows failingRows_;
};

}  // namespace exthost
