#include "host/trap_forwarder.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host/net_snmp.h"
#include "host/net_snmp_values.h"

namespace exthost {
namespace {

void OnReadable(int, void* forwarder) { static_cast<TrapForwarder*>(forwarder)->OnEvent(); }

}  // namespace

TrapForwarder::TrapForwarder(ExtensionAgent& agent, int eventDescriptor)
    : agent_(agent), event_(eventDescriptor) {
  if (register_readfd(event_, OnReadable, this) != 0) {
    throw AgentError("cannot wait on the agent's trap event " + std::to_string(event_));
  }
  watching_ = true;
}

TrapForwarder::~TrapForwarder() { StopWatching(); }

void TrapForwarder::StopWatching() {
  if (watching_) unregister_readfd(event_);
  watching_ = false;
}

void TrapForwarder::OnEvent() {
  uint64_t signals = 0;
  if (read(event_, &signals, sizeof signals) < 0 && errno != EAGAIN && errno != EINTR) {
    // A descriptor that cannot be read would wake the loop forever.
    snmp_log(LOG_ERR, "snmp-exthost: trap event %d unreadable (%s); no more traps\n", event_,
             std::strerror(errno));
    StopWatching();
    return;
  }
  while (std::optional<Trap> trap = agent_.NextTrap()) Send(*trap);
}

void TrapForwarder::Send(const Trap& trap) {
  netsnmp_variable_list* variables = nullptr;
  for (const Binding& binding : trap.bindings) {
    if (!AppendVariable(&variables, binding)) {
      snmp_log(LOG_WARNING, "snmp-exthost: trap binding %s of type %d left out\n",
               OidToText(binding.name).c_str(), static_cast<int>(binding.value.syntax));
    }
  }
  const std::vector<oid> enterprise = ToNetSnmp(trap.enterprise);
  send_enterprise_trap_vars(trap.genericId, trap.specificId, enterprise.data(), enterprise.size(),
                            variables);
  snmp_free_varbind(variables);
}

}  // namespace exthost
