#pragma once

// Serves the agent's region in net-snmp: every GET, GETNEXT (GETBULK arrives as
// GETNEXT) and SET phase for bindings inside it goes to the agent in one call.

#include <set>

#include "host/binding.h"
#include "host/extension_agent.h"
#include "host/retransmit_cache.h"

namespace exthost {

class RegionHandler {
 public:
  RegionHandler(ExtensionAgent& agent, Oid region);
  RegionHandler(const RegionHandler&) = delete;
  RegionHandler& operator=(const RegionHandler&) = delete;

  // Registers the region with net-snmp's agent library; throws AgentError when it cannot.
  // The handler must outlive the agent library's use of it (snmp_shutdown).
  void Register();

  // Serves one pass of a request. `requestInfo` and `requests` are net-snmp's
  // netsnmp_agent_request_info and netsnmp_request_info list.
  int Serve(void* requestInfo, void* requests);

 private:
  void ReportMisordered(const Oid& asked, const Oid& answered);

  ExtensionAgent& agent_;
  Oid region_;
  std::set<Oid> reportedRows_;
  RetransmitCache retransmits_;
};

}  // namespace exthost
