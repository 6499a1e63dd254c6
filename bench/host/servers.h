#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "e2e_support.h"
#include "manager.h"

namespace bench {

// An agent under measurement on a loopback port: snmp-exthost serving the agent,
// or net-snmp's snmpd from a private configuration. Stopped by its destructor.
class Server {
 public:
  // snmp-exthost with this counters file and these registry value lines of the agent
  // ("\"sampling\"=dword:1", ...). A walk starts at `walkRoot`; row i is `rowPrefix`.i.0.
  static std::unique_ptr<Server> Host(const std::string& counters, const std::string& walkRoot,
                                      const std::string& rowPrefix,
                                      const std::string& registryValues = "");
  // snmpd with this configuration (no system configuration), the same for the rows.
  static std::unique_ptr<Server> Snmpd(const std::string& configuration,
                                       const std::string& walkRoot, const std::string& rowPrefix);

  pid_t Pid() const { return process_->Pid(); }
  const std::string& Target() const { return target_; }
  const Oid& WalkRoot() const { return walkRoot_; }
  Oid Row(int number) const;
  Manager& Session() { return *session_; }

 private:
  Server(const std::string& walkRoot, const std::string& rowPrefix)
      : walkRoot_(ParseOid(walkRoot)), rowPrefix_(ParseOid(rowPrefix)) {}

  e2e::TempDir dir_;
  std::unique_ptr<e2e::Host> host_;
  std::unique_ptr<e2e::Process> snmpd_;
  e2e::Process* process_ = nullptr;
  std::string target_;
  Oid walkRoot_;
  Oid rowPrefix_;
  std::unique_ptr<Manager> session_;
};

// The CPU time (user and system) the process has used, in seconds.
double ProcessCpuSeconds(pid_t pid);
long ResidentKilobytes(pid_t pid);

}  // namespace bench
