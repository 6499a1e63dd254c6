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

  void Announce(const AgentSession& session) {
    connected_ = service_.Connected();
    const std::string agent = session.Description();
    if (connected_) {
      snmp_log(LOG_NOTICE, "snmp-exthost: serving %s on %s\n", agent.c_str(),
               service_.Endpoint().c_str());
    } else {
      snmp_log(LOG_NOTICE, "snmp-exthost: waiting for the %s (trying every %d s) to serve %s\n",
               service_.Endpoint().c_str(), AgentxRetrySeconds(), agent.c_str());
    }
  }

  void AnnounceChange(const AgentSession& session) {
    if (service_.Connected() != connected_) Announce(session);
  }

 private:
  const SnmpService& service_;
  bool connected_ = false;
};

// SIGHUP: unload, read the configuration, load. A configuration file that can no longer
// be read leaves the previous configuration. The agent cannot be loaded a second time
// beside the one that serves, so an agent that no longer starts ends the service (false):
// a service that answers nothing must not look as if it ran.
bool Reload(SnmpService& service, std::optional<AgentSession>& session,
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
    return true;
  } catch (const std::exception& error) {
    snmp_log(LOG_ERR, "snmp-exthost: %s\nsnmp-exthost: no agent after SIGHUP; stopping\n",
             error.what());
    return false;
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
  announcer.Announce(*session);
  if (background) background->Ready(LogsToStandardError(options));
  int status = 0;
  while (!stop.Received()) {
    service.ServeOnce();
    if (reload.Take()) {
      if (!Reload(service, session, options.agentPath)) {
        status = 1;
        break;
      }
      announcer.Announce(*session);
    } else {
      announcer.AnnounceChange(*session);
    }
  }
  // The master first: unregistering the region from a master that is going away at the
  // same time would wait for it under net-snmp's callback lock.
  CloseAgentxSession();
  session.reset();  // the region goes, then the library is unloaded: its detach runs now
  return status;
}

}  // namespace exthost
