#pragma once

// The running service: listeners (or the AgentX session) first, then the drop of
// privileges, then the agent; SIGHUP reloads the configuration and the agent, SIGTERM
// and SIGINT end it.

#include <optional>

#include "host/background.h"
#include "host/options.h"
#include "host/privileges.h"

namespace exthost {

// Returns the exit code; throws for what keeps the service from starting.
int RunService(const Options& options, const Account& account,
               std::optional<Background>& background);

}  // namespace exthost
