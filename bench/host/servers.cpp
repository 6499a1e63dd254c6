#include "servers.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace bench {

namespace fs = std::filesystem;

std::unique_ptr<Server> Server::Host(const std::string& counters, const std::string& walkRoot,
                                     const std::string& rowPrefix,
                                     const std::string& registryValues) {
  std::unique_ptr<Server> server(new Server(walkRoot, rowPrefix));
  const e2e::TempDir& dir = server->dir_;
  fs::create_directories(dir / "quillon");
  e2e::WriteFile(dir / "quillon" / "counters.ini", counters);
  e2e::WriteFile(dir / "quillon.reg",
                 "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\quillon\\currentversion]\n"
                 "\"counters\"=\"c:\\\\quillon\\\\counters.ini\"\n" +
                     registryValues);
  server->host_ = std::make_unique<e2e::Host>(
      QUILLON_AGENT_PATH, dir,
      e2e::Environment{{"QUILLON_DRIVE_C", dir.Path().string()},
                       {"QUILLON_REGISTRY", (dir / "quillon.reg").string()}});
  if (!server->host_->Started()) {
    throw std::runtime_error("snmp-exthost did not start:\n" + server->host_->Program().Err());
  }
  server->process_ = &server->host_->Program();
  server->target_ = server->host_->Target();
  server->session_ = std::make_unique<Manager>(server->target_);
  return server;
}

std::unique_ptr<Server> Server::Snmpd(const std::string& configuration, const std::string& walkRoot,
                                      const std::string& rowPrefix) {
  std::unique_ptr<Server> server(new Server(walkRoot, rowPrefix));
  const e2e::TempDir& dir = server->dir_;
  e2e::WriteFile(dir / "snmpd.conf", configuration);
  server->target_ = "127.0.0.1:" + std::to_string(e2e::FreeUdpPort());
  // No SMUX listener, no system configuration; persistent files apart from the
  // configuration, which has the same name.
  server->snmpd_ = std::make_unique<e2e::Process>(
      std::vector<std::string>{SNMPD_PATH, "-f", "-C", "-c", (dir / "snmpd.conf").string(), "-I",
                               "-smux", "-Lf", (dir / "snmpd.log").string(),
                               "udp:" + server->target_},
      dir.Path(), "snmpd",
      e2e::Environment{{"MIBS", ""}, {"SNMP_PERSISTENT_DIR", (dir / "persistent").string()}});
  server->process_ = server->snmpd_.get();
  server->session_ = std::make_unique<Manager>(server->target_);
  const Oid sysDescr = ParseOid("1.3.6.1.2.1.1.1.0");
  if (!e2e::WaitFor([&] { return !server->session_->Ask(SNMP_MSG_GET, sysDescr).empty(); },
                    std::chrono::seconds(60))) {
    throw std::runtime_error("snmpd did not answer:\n" + e2e::ReadFile(dir / "snmpd.log"));
  }
  return server;
}

Oid Server::Row(int number) const {
  Oid name = rowPrefix_;
  name.push_back(static_cast<oid>(number));
  name.push_back(0);
  return name;
}

double ProcessCpuSeconds(pid_t pid) {
  const std::string stat = e2e::ReadFile("/proc/" + std::to_string(pid) + "/stat");
  // The fields after the command name, which is in parentheses: state is the first,
  // user time the twelfth and system time the thirteenth.
  std::istringstream fields(stat.substr(stat.rfind(')') + 1));
  std::string field;
  long long ticks = 0;
  for (int i = 1; i <= 13 && fields >> field; ++i) {
    if (i >= 12) ticks += std::stoll(field);
  }
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long ResidentKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

}  // namespace bench
