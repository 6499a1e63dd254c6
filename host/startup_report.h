#pragma once

// The agent's configuration as the host can see it from outside, to say why an agent
// did not start: which registry file, the agent's key and its values, and what the
// files they name are on this machine.

#include <cstdint>
#include <string>
#include <vector>

#include "host/file_verdict.h"

namespace exthost {

struct AgentConfiguration {
  std::string registryFile;
  bool registryFromEnvironment = false;  // QUILLON_REGISTRY, or the default path
  FileVerdict registryVerdict;
  std::vector<std::string> problems;  // "file:line: what" for each malformed line
  bool keyFound = false;
  std::vector<std::string> valueLines;  // one per value of the key, explained
  // The settings as the agent takes them (its defaults where a value is absent or of
  // the wrong type); paths as written in the registry.
  std::string debug = "0";
  std::string counters;
  std::string traps;
  // What the agent's reader makes of them, as the service's user, now.
  FileVerdict countersVerdict;
  FileVerdict trapsVerdict;
  int32_t trapDelayMs = 15000;
};

// Reads the registry file the way the agent does.
AgentConfiguration ReadAgentConfiguration();

// The report, one line per element, without line ends.
std::vector<std::string> DescribeAgentConfiguration(const AgentConfiguration& configuration);

// A path as the configuration writes it (drive letters included) on this machine; a
// relative one is taken from /, where the service works.
std::string MappedPath(const std::string& path);

}  // namespace exthost
