#pragma once

// net-snmp's agent library set up as the SNMP service: a standalone agent on its
// listening addresses, or an AgentX subagent.

#include "host/options.h"

namespace exthost {

class SnmpService {
 public:
  // Sets up logging and the agent library's role; throws UsageError for an unreadable
  // configuration file.
  explicit SnmpService(const Options& options);
  ~SnmpService();
  SnmpService(const SnmpService&) = delete;
  SnmpService& operator=(const SnmpService&) = delete;

  // Reads the configuration and opens the listening addresses (or the AgentX session);
  // throws AgentError when they cannot be opened. Regions are registered afterwards.
  void Start();

  // Waits for and serves what arrives next (a request, a trap event, a signal).
  void ServeOnce();

  // Reads the -c files again (SIGHUP); the listening addresses stay as they are.
  void Reconfigure();

  // False while a subagent has no session with its master.
  bool Connected() const;

  // Where managers reach the service, for the start-up line.
  std::string Endpoint() const;

 private:
  bool subagent_;
  std::vector<std::string> configFiles_;
  bool started_ = false;
};

}  // namespace exthost
