#pragma once

// Waits in net-snmp's loop on the agent's trap event and sends every trap the agent hands
// over to the configured notification sinks.

#include "host/extension_agent.h"

namespace exthost {

class TrapForwarder {
 public:
  TrapForwarder(ExtensionAgent& agent, int eventDescriptor);
  ~TrapForwarder();
  TrapForwarder(const TrapForwarder&) = delete;
  TrapForwarder& operator=(const TrapForwarder&) = delete;

  // The event was signalled: reset it, then take traps until the agent has none.
  void OnEvent();

 private:
  void Send(const Trap& trap);
  void StopWatching();

  ExtensionAgent& agent_;
  int event_;
  bool watching_ = false;
};

}  // namespace exthost
