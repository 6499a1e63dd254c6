#pragma once

// The command line of snmp-exthost, in the manner of snmpd's.

#include <stdexcept>
#include <string>
#include <vector>

namespace exthost {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string agentPath;                 // -a; empty: the installed libquillon.so
  std::vector<std::string> configFiles;  // -c, in order
  bool foreground = false;               // -f
  std::string agentxSocket;              // -x; not empty: run as an AgentX subagent
  std::vector<std::string> logTargets;   // -L, as net-snmp's snmp_log_options takes them
  std::vector<std::string> addresses;    // listening addresses
  std::string pidFile;                   // -p; written once the service runs, removed at exit
  std::string user;                      // -u; run as this user once the listeners are open
  std::string group;                     // -g; and as this group
  std::string stateDirectory;            // --state-dir; empty: the install's state directory
  bool help = false;                     // -h, --help
  bool version = false;                  // -v, --version
  bool check = false;                    // --check: read every row once and report
  bool traps = false;                    // --traps (with --check): also wait for a trap
};

// Throws UsageError for an unknown switch or a missing argument.
Options ParseOptions(const std::vector<std::string>& arguments);

std::string UsageText();

// "snmp-exthost (quillon) " and the product version, with a line end.
std::string VersionText();

// Where the default agent sits: relative to the program's own directory.
std::string DefaultAgentPath(const std::string& programDirectory);

}  // namespace exthost
