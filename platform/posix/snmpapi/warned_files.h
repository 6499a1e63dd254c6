#pragma once

#include <string>

namespace platform::posix {

// True the first time a file is warned about for a reason in this process. The memory
// lives in the SNMP utility library because the service and the agent both load that
// one copy of it: the service's start-up report, the agent and every agent loaded
// again after a SIGHUP then warn once between them.
bool FirstWarning(const std::string& file, const std::string& reason);

}  // namespace platform::posix
