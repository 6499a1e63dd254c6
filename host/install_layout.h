#pragma once

// Where an install keeps what the service writes: the log directory that stands for drive
// c: and net-snmp's persistent state. An install under /usr (the package) uses the system's
// /var; any other prefix keeps them below itself, as it keeps its configuration.

#include <string>

namespace exthost {

struct InstallLayout {
  std::string stateDirectory;  // net-snmp's persistent files: engineID, engineBoots, users
  std::string logDirectory;    // drive c:, so the agent's c:\log.txt lands here
};

// The layout of the install whose snmp-exthost sits in `programDirectory` (PREFIX/sbin).
InstallLayout LayoutForProgram(const std::string& programDirectory);

}  // namespace exthost
