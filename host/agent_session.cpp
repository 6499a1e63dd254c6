#include "host/agent_session.h"

#include <time.h>

#include "host/startup_report.h"
#include "host/system_groups.h"

namespace exthost {
namespace {

// What the Windows service passes: its own start in milliseconds of the system's clock.
uint32_t UpTimeReference() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

}  // namespace

std::string InitFailureReport() {
  std::string report;
  for (const std::string& line : DescribeAgentConfiguration(ReadAgentConfiguration())) {
    report += "\n  " + line;
  }
  return report;
}

AgentSession::AgentSession(const std::string& agentPath) : agent_(ExtensionAgent::Load(agentPath)) {
  try {
    registration_ = agent_->Init(UpTimeReference());
  } catch (const AgentError& error) {
    throw AgentError(error.what() + InitFailureReport());
  }
  region_.emplace(*agent_, registration_.region, ReadAgentConfiguration().counters);
  region_->Register();
  DefaultSysObjectId(registration_.region);
  if (registration_.trapEvent) traps_.emplace(*agent_, *registration_.trapEvent);
}

std::string AgentSession::Description() const {
  return agent_->Path() + " (region " + OidToText(registration_.region) + ")";
}

}  // namespace exthost
