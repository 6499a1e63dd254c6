#include "host/startup_report.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "lib/debug_log.h"
#include "platform/path.h"
#include "platform/posix/registry_file.h"
#include "platform/posix/utf16.h"
#include "platform/registry.h"

namespace exthost {
namespace {

constexpr const char* kAgentKeyText = "HKEY_LOCAL_MACHINE\\SOFTWARE\\quillon\\currentversion";
constexpr const char* kAgentKeyPath = "software\\quillon\\currentversion";

bool IsString(uint32_t type) { return type == platform::kRegSz || type == platform::kRegExpandSz; }

std::string StringData(const platform::posix::RegValueData& value) {
  return value.data.substr(0, value.data.find('\0'));
}

uint32_t DwordData(const platform::posix::RegValueData& value) {
  uint32_t number = 0;
  for (size_t i = 0; i < 4 && i < value.data.size(); ++i) {
    number |= static_cast<uint32_t>(static_cast<unsigned char>(value.data[i])) << (8 * i);
  }
  return number;
}

std::string Shown(const platform::posix::RegValueData& value) {
  if (IsString(value.type)) return "\"" + StringData(value) + "\"";
  if (value.type == platform::kRegDword) return "dword:" + std::to_string(DwordData(value));
  return "a value of registry type " + std::to_string(value.type);
}

std::string PathLine(const std::string& path, FileVerdict& verdict) {
  const std::string local = MappedPath(path);
  std::string mapped = local == path ? "" : " -> " + local;
  const std::string written = platform::LocalPath(path);
  if (written.empty() || written.front() != '/') mapped += " (a relative path is taken from /)";
  verdict = JudgeServiceFile(local);
  return mapped + ": " + verdict.Text();
}

// One value of the agent's key, explained, and taken into the settings as the agent
// takes it.
std::string Explain(const std::string& name, const platform::posix::RegValueData& value,
                    AgentConfiguration& configuration) {
  const std::string shown = "\"" + name + "\" = " + Shown(value);
  const bool isString = IsString(value.type);
  const bool isDword = value.type == platform::kRegDword;
  if (name == "oid" || name == "debug" || name == "counters" || name == "traps") {
    if (!isString) return shown + " (not a string: the agent ignores it)";
    const std::string text = StringData(value);
    if (name == "debug") configuration.debug = text;
    if (name == "counters") configuration.counters = text;
    if (name == "traps") configuration.traps = text;
    if (name == "counters") return shown + PathLine(text, configuration.countersVerdict);
    if (name == "traps") return shown + PathLine(text, configuration.trapsVerdict);
    if (name == "debug") {
      if (text != "1") return shown + " (debug log off; \"1\" switches it on)";
      return shown + " (debug log " + MappedPath(lib::kDebugLogPath) + ")";
    }
    return shown;
  }
  if (name == "trap_delay" || name == "collect_delay") {
    if (!isDword) return shown + " (not a dword: the agent ignores it)";
    if (name == "trap_delay") {
      const auto delay = static_cast<int32_t>(DwordData(value));
      configuration.trapDelayMs = delay < 1 ? 15000 : delay;
    }
    return shown + " ms";
  }
  return shown + " (not a value the agent reads)";
}

void ReadKey(const platform::posix::RegTree& tree, AgentConfiguration& configuration) {
  const platform::posix::RegKeyData* key = tree.Find(kAgentKeyPath);
  configuration.keyFound = key != nullptr;
  if (!configuration.keyFound) return;
  for (const auto& [name, value] : key->values) {
    configuration.valueLines.push_back(Explain(name.empty() ? "@" : name, value, configuration));
  }
  if (!key->values.contains("counters")) {
    configuration.valueLines.push_back("no \"counters\" value: the agent has no counters file");
  }
}

}  // namespace

// The service works in /, as daemons do, so a relative path is taken from there.
std::string MappedPath(const std::string& path) {
  std::string local = platform::LocalPath(path);
  if (!local.empty() && local.front() != '/') local.insert(0, "/");
  return local;
}

AgentConfiguration ReadAgentConfiguration() {
  AgentConfiguration configuration;
  const platform::posix::RegistryFileName registry = platform::posix::RegistryFile();
  configuration.registryFile = registry.path;
  configuration.registryFromEnvironment = registry.fromEnvironment;
  configuration.registryVerdict = JudgeServiceFile(configuration.registryFile);
  if (!configuration.registryVerdict.Usable()) return configuration;

  std::ifstream file(configuration.registryFile, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const platform::posix::RegTree tree = platform::posix::ParseRegFile(
      platform::posix::DecodeTextFile(std::move(content)),
      [&](int line, const std::string& problem) {
        configuration.problems.push_back(configuration.registryFile + ":" + std::to_string(line) +
                                         ": " + problem);
      });
  ReadKey(tree, configuration);
  return configuration;
}

std::vector<std::string> DescribeAgentConfiguration(const AgentConfiguration& configuration) {
  std::vector<std::string> lines;
  lines.push_back("registry file " + configuration.registryFile +
                  (configuration.registryFromEnvironment ? " (QUILLON_REGISTRY)"
                                                         : " (default; QUILLON_REGISTRY not set)") +
                  ": " + configuration.registryVerdict.Text());
  for (const std::string& problem : configuration.problems) lines.push_back("  " + problem);
  if (!configuration.registryVerdict.Usable()) {
    lines.push_back("the agent sees no key " + std::string(kAgentKeyText) +
                    ": no counters file, and its SnmpExtensionInit fails");
    return lines;
  }
  if (!configuration.keyFound) {
    lines.push_back("key " + std::string(kAgentKeyText) +
                    ": not in the registry file (no counters file)");
    return lines;
  }
  lines.push_back("key " + std::string(kAgentKeyText) + ":");
  for (const std::string& line : configuration.valueLines) lines.push_back("  " + line);
  return lines;
}

}  // namespace exthost
