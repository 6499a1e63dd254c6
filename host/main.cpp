// snmp-exthost: the SNMP service for extension agents on Linux. It loads one agent
// library, registers the region the agent asks for with net-snmp's agent library, hands
// the managers' requests to the agent and sends the agent's traps.

#include <time.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "host/background.h"
#include "host/extension_agent.h"
#include "host/memory_policy.h"
#include "host/options.h"
#include "host/region_handler.h"
#include "host/snmp_service.h"
#include "host/stop_signal.h"
#include "host/trap_forwarder.h"

namespace exthost {
namespace {

std::string ProgramDirectory() {
  std::vector<char> path(4096);
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return ".";
  const std::string program(path.data(), static_cast<size_t>(length));
  return program.substr(0, program.rfind('/'));
}

// What the Windows service passes: its own start in milliseconds of the system's clock.
uint32_t UpTimeReference() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

bool LogsToStandardError(const Options& options) {
  for (const std::string& where : options.logTargets) {
    if (where == "e") return true;
  }
  return false;
}

int Serve(const Options& options, std::optional<Background>& background) {
  std::unique_ptr<ExtensionAgent> agent = ExtensionAgent::Load(options.agentPath);
  const Registration registration = agent->Init(UpTimeReference());
  RegionHandler region(*agent, registration.region);
  {
    SnmpService service(options);
    service.Start(region);
    std::optional<TrapForwarder> traps;
    if (registration.trapEvent) traps.emplace(*agent, *registration.trapEvent);
    StopSignal stop;
    std::clog << "snmp-exthost: serving " << agent->Path() << " (region "
              << OidToText(registration.region) << ") on " << service.Endpoint() << std::endl;
    if (!options.pidFile.empty()) std::ofstream(options.pidFile) << getpid() << "\n";
    if (background) background->Ready(LogsToStandardError(options));
    while (!stop.Received()) service.ServeOnce();
  }
  agent.reset();  // unloads the library: its detach runs now
  return 0;
}

}  // namespace
}  // namespace exthost

int main(int argc, char** argv) {
  using namespace exthost;
  Options options;
  try {
    options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& error) {
    std::cerr << "snmp-exthost: " << error.what() << "\n" << UsageText();
    return 2;
  }
  if (options.help) {
    std::cout << UsageText();
    return 0;
  }
  if (options.agentPath.empty()) options.agentPath = DefaultAgentPath(ProgramDirectory());
  EnsureStandardDescriptors();
  ReturnLargeBuffersToTheSystem();
  try {
    std::optional<Background> background;
    if (!options.foreground) background.emplace(Background::Detach());
    return Serve(options, background);
  } catch (const std::exception& error) {
    std::cerr << "snmp-exthost: " << error.what() << std::endl;
    return 1;
  }
}
