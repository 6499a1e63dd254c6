#include "host/agentx_link.h"

#include "host/net_snmp.h"

// The agent library's AgentX subagent, which its installed headers do not declare.
extern "C" {
extern netsnmp_session* main_session;
void agentx_unregister_callbacks(netsnmp_session* session);
int agentx_close_session(netsnmp_session* session, int why);
}

namespace exthost {
namespace {

constexpr int kAgentxCloseShutdown = 5;  // AGENTX_CLOSE_SHUTDOWN

}  // namespace

bool AgentxConnected() { return main_session != nullptr; }

int AgentxRetrySeconds() {
  return netsnmp_ds_get_int(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_AGENTX_PING_INTERVAL);
}

void CloseAgentxSession() {
  netsnmp_session* session = main_session;
  if (session == nullptr ||
      !netsnmp_ds_get_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE)) {
    return;
  }
  agentx_unregister_callbacks(session);
  agentx_close_session(session, kAgentxCloseShutdown);
  remove_trap_session(session);  // the subagent sends its notifications through it
  snmp_close(session);
  main_session = nullptr;
}

}  // namespace exthost
