#pragma once

// One load of the extension agent in the running service: the library initialised, its
// region registered, its trap event watched. Destroyed on SIGHUP and at exit: the region
// goes first, then the library is unloaded (its detach runs).

#include <memory>
#include <optional>
#include <string>

#include "host/extension_agent.h"
#include "host/region_handler.h"
#include "host/trap_forwarder.h"

namespace exthost {

class AgentSession {
 public:
  // Throws AgentError; when SnmpExtensionInit fails the message carries what the host can
  // see of the agent's configuration.
  explicit AgentSession(const std::string& agentPath);
  AgentSession(const AgentSession&) = delete;
  AgentSession& operator=(const AgentSession&) = delete;

  // "AGENT (region OID)", for the service's log lines.
  std::string Description() const;

 private:
  std::unique_ptr<ExtensionAgent> agent_;
  Registration registration_;
  std::optional<RegionHandler> region_;
  std::optional<TrapForwarder> traps_;
};

// What the host can see of why SnmpExtensionInit failed, one indented line each.
std::string InitFailureReport();

}  // namespace exthost
