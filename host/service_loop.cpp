#include "host/service_loop.h"

#include <exception>
#include <string>

#include "host/agent_session.h"
#include "host/agentx_link.h"
#include "host/net_snmp.h"
#include "host/pid_file.h"
#include "host/reload_signal.h"
#include "host/snmp_service.h"
#include "host/stop_signal.h"

namespace exthost {
namespace {

bool LogsToStandardError(const Options& options) {
  for (const std::string& where : options.logTargets) {
    if (where == "e") return true;
  }
  return false;
}

// Says whether the agent is served, once at start and whenever a subagent's session to
// its master comes or goes.
class Announcer {
 public:
  explicit Announcer(const SnmpService& service) : service_(service) {}

  void Announce(const std::optional<AgentSession>& session) {
    connected_ = service_.Connected();
    const std::string agent = session ? session->Description() : "no agent";
    if (connected_) {
      snmp_log(LOG_NOTICE, "snmp-exthost: serving %s on %s\n", agent.c_str(),
               service_.Endpoint().c_str());
    } else {
      snmp_log(LOG_NOTICE, "snmp-exthost: waiting for the %s (trying every %d s) to serve %s\n",
               service_.Endpoint().c_str(), AgentxRetrySeconds(), agent.c_str());
    }
  }

  void AnnounceChange(const std::optional<AgentSession>& session) {
    if (service_.Connected() != connected_) Announce(session);
  }

 private:
  const SnmpService& service_;
  bool connected_ = false;
};

// SIGHUP: unload, read the configuration, load. A configuration file that can no longer
// be read leaves the previous configuration; an agent that no longer starts leaves the
// service running without it until the next SIGHUP.
void Reload(SnmpService& service, std::optional<AgentSession>& session,
            const std::string& agentPath) {
  snmp_log(LOG_NOTICE, "snmp-exthost: SIGHUP: reading the configuration and reloading %s\n",
           agentPath.c_str());
  session.reset();
  try {
    service.Reconfigure();
  } catch (const std::exception& error) {
    snmp_log(LOG_ERR, "snmp-exthost: %s; the previous configuration stays\n", error.what());
  }
  try {
    session.emplace(agentPath);
  } catch (const std::exception& error) {
    snmp_log(LOG_ERR, "snmp-exthost: %s\nsnmp-exthost: serving no agent until the next SIGHUP\n",
             error.what());
  }
}

}  // namespace

int RunService(const Options& options, const Account& account,
               std::optional<Background>& background) {
  SnmpService service(options);
  service.Start();
  PidFile pidFile(options.pidFile, account.user);
  DropPrivileges(account);
  std::optional<AgentSession> session(std::in_place, options.agentPath);
  StopSignal stop;
  ReloadSignal reload;
  Announcer announcer(service);
  announcer.Announce(session);
  if (background) background->Ready(LogsToStandardError(options));
  while (!stop.Received()) {
    service.ServeOnce();
    if (reload.Take()) {
      Reload(service, session, options.agentPath);
      announcer.Announce(session);
    } else {
      announcer.AnnounceChange(session);
    }
  }
  // The master first: unregistering the region from a master that is going away at the
  // same time would wait for it under net-snmp's callback lock.
  CloseAgentxSession();
  session.reset();  // the region goes, then the library is unloaded: its detach runs now
  return 0;
}

}  // namespace exthost
