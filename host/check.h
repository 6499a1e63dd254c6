#pragma once

// snmp-exthost --check: the agent loaded as the service loads it, each row of its
// region read once with GETNEXT and each trap binding once, so that an administrator
// finds the row at fault (a manager's walk stops at the first failing row).

#include <ostream>

#include "host/options.h"

namespace exthost {

// Prints the configuration, a line per row and per trap binding (with the agent's debug
// lines for each one that fails) and a summary; returns the exit code: 0 when every
// row and binding answers, 1 otherwise.
int RunCheck(const Options& options, std::ostream& out);

}  // namespace exthost
