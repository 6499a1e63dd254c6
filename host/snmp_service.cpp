#include "host/snmp_service.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "host/agentx_link.h"
#include "host/extension_agent.h"
#include "host/net_snmp.h"
#include "host/system_groups.h"

namespace exthost {
namespace {

constexpr const char* kApplication = "snmp-exthost";
constexpr const char* kDefaultAddress = "udp:127.0.0.1:1161";
constexpr const char* kDefaultAccess = "rocommunity public 127.0.0.1";
constexpr int kAgentxReconnectSeconds = 5;

std::string JoinWithCommas(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) {
    if (!joined.empty()) joined += ',';
    joined += word;
  }
  return joined;
}

void SetUpLogging(const Options& options) {
  if (options.logTargets.empty()) {
    if (options.foreground) {
      snmp_enable_stderrlog();
    } else {
      snmp_enable_syslog_ident(kApplication, LOG_DAEMON);
    }
    return;
  }
  for (std::string where : options.logTargets) {
    if (snmp_log_options(where.data(), 0, nullptr) != 0) {
      throw UsageError("bad logging option -L" + where);
    }
  }
}

void CheckConfigurationFiles(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    if (access(file.c_str(), R_OK) != 0) throw UsageError("cannot read configuration file " + file);
  }
}

// Remembered lines are used by one reading of the configuration.
void RememberDefaultAccess() {
  std::string access = kDefaultAccess;
  netsnmp_config_remember(access.data());
}

// net-snmp keeps the engine's identity (engineID, engineBoots) and SNMPv3 users in its
// persistent files; they live in the service's state directory, whatever the environment
// says. No configuration directory is searched (no snmpd.conf of the system): the
// configuration is the -c files alone.
void KeepStateIn(const std::string& directory) {
  unsetenv("SNMPCONFPATH");
  unsetenv("SNMP_PERSISTENT_FILE");
  unsetenv("SNMP_PERSISTENT_DIR");
  netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_PERSISTENT_DIR, directory.c_str());
  netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_CONFIGURATION_DIR, "");
}

void SetUpConfiguration(const Options& options) {
  CheckConfigurationFiles(options.configFiles);
  KeepStateIn(options.stateDirectory);
  // No MIB modules: none is installed, and trying prints "Cannot find module".
  netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_DONT_LOG_TCPWRAPPERS_CONNECTS,
                         1);
  setenv("MIBS", "", 1);
  setenv("MIBDIRS", "", 1);
  if (!options.configFiles.empty()) {
    const std::string files = JoinWithCommas(options.configFiles);
    netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_OPTIONALCONFIG, files.c_str());
  } else if (options.agentxSocket.empty()) {
    RememberDefaultAccess();
  }
  if (!options.addresses.empty()) {
    const std::string ports = JoinWithCommas(options.addresses);
    netsnmp_ds_set_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_PORTS, ports.c_str());
  }
}

// The agent library's built-in modules that would open listeners of their own (SMUX on
// TCP port 199); the service listens only where it is told to.
void LeaveOutListeningModules() {
  static char excluded[] = "-smux";
  add_to_init_list(excluded);
}

}  // namespace

SnmpService::SnmpService(const Options& options)
    : subagent_(!options.agentxSocket.empty()), configFiles_(options.configFiles) {
  LeaveOutListeningModules();
  SetUpLogging(options);
  SetUpConfiguration(options);
  if (subagent_) {
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE, 1);  // subagent
    netsnmp_ds_set_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_X_SOCKET,
                          options.agentxSocket.c_str());
  }
  init_agent(kApplication);
  if (subagent_) {
    AcceptStandaloneDirectives();
  } else {
    RegisterSystemGroups();
  }
  // init_agent sets its own default (15 s); an agentxPingInterval line still wins.
  if (subagent_) {
    netsnmp_ds_set_int(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_AGENTX_PING_INTERVAL,
                       kAgentxReconnectSeconds);
  }
}

SnmpService::~SnmpService() {
  if (subagent_) CloseAgentxSession();
  if (started_) snmp_shutdown(kApplication);
  shutdown_agent();
}

void SnmpService::Start() {
  init_snmp(kApplication);
  started_ = true;
  if (subagent_) return;
  if (netsnmp_ds_get_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_PORTS) == nullptr) {
    netsnmp_ds_set_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_PORTS, kDefaultAddress);
  }
  errno = 0;
  if (init_master_agent() != 0) {
    const int reason = errno;
    throw AgentError("cannot listen on " + Endpoint() +
                     (reason != 0 ? std::string(": ") + std::strerror(reason) : ""));
  }
}

void SnmpService::ServeOnce() { agent_check_and_process(1); }

void SnmpService::Reconfigure() {
  CheckConfigurationFiles(configFiles_);
  ForgetConfiguredSysObjectId();
  if (configFiles_.empty() && !subagent_) RememberDefaultAccess();
  // Each agentaddress line adds its address to the list again; the listeners stay as
  // they were opened, and so does the list that names them.
  const char* ports = netsnmp_ds_get_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_PORTS);
  const std::optional<std::string> listening =
      ports ? std::optional<std::string>(ports) : std::nullopt;
  update_config();
  if (listening) {
    netsnmp_ds_set_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_PORTS, listening->c_str());
  }
}

bool SnmpService::Connected() const { return !subagent_ || AgentxConnected(); }

std::string SnmpService::Endpoint() const {
  if (subagent_) {
    const char* socket =
        netsnmp_ds_get_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_X_SOCKET);
    return std::string("AgentX master at ") + (socket ? socket : "");
  }
  const char* ports = netsnmp_ds_get_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_PORTS);
  return ports ? ports : kDefaultAddress;
}

}  // namespace exthost
