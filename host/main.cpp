// snmp-exthost: the SNMP service for extension agents on Linux. It loads one agent
// library, registers the region the agent asks for with net-snmp's agent library, hands
// the managers' requests to the agent and sends the agent's traps.

#include <unistd.h>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "host/background.h"
#include "host/check.h"
#include "host/install_layout.h"
#include "host/memory_policy.h"
#include "host/options.h"
#include "host/privileges.h"
#include "host/service_directories.h"
#include "host/service_loop.h"
#include "host/working_directory.h"

namespace exthost {
namespace {

std::string ProgramDirectory() {
  std::vector<char> path(4096);
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return ".";
  const std::string program(path.data(), static_cast<size_t>(length));
  return program.substr(0, program.rfind('/'));
}

void Prepare(const std::string& directory, mode_t mode, const Account& account) {
  const std::string problem = PrepareServiceDirectory(directory, mode, account);
  if (!problem.empty()) std::cerr << "snmp-exthost: warning: " << problem << std::endl;
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
  if (options.help || options.version) {
    std::cout << (options.help ? UsageText() : VersionText());
    return 0;
  }
  const std::string programDirectory = ProgramDirectory();
  if (options.agentPath.empty()) options.agentPath = DefaultAgentPath(programDirectory);
  // The same log and state whether systemd starts the service or a person does.
  const InstallLayout layout = LayoutForProgram(programDirectory);
  if (options.stateDirectory.empty()) options.stateDirectory = layout.stateDirectory;
  const bool ownLog = DefaultDriveC(layout.logDirectory);
  EnsureStandardDescriptors();
  ReturnLargeBuffersToTheSystem();
  try {
    WorkFromRoot(options);
    const Account account = ResolveAccount(options.user, options.group);
    if (ownLog) Prepare(layout.logDirectory, 0755, account);
    if (options.check) {
      // As the service runs the agent: what its user cannot read, the check cannot either.
      DropPrivileges(account);
      return RunCheck(options, std::cout);
    }
    Prepare(options.stateDirectory, 0700, account);
    std::optional<Background> background;
    if (!options.foreground) background.emplace(Background::Detach());
    return RunService(options, account, background);
  } catch (const std::exception& error) {
    std::cerr << "snmp-exthost: " << error.what() << std::endl;
    return 1;
  }
}
