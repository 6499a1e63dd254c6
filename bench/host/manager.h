#pragma once

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace bench {

using Oid = std::vector<oid>;
using Seconds = std::chrono::duration<double>;

Oid ParseOid(const std::string& text);
bool Within(const Oid& name, const Oid& subtree);

// What a walk got before it left the subtree, failed or ran out of time.
struct WalkResult {
  int varbinds = 0;
  double seconds = 0;
  bool finished = false;  // left the subtree or failed, rather than running out of time
  double PerSecond() const { return seconds > 0 ? varbinds / seconds : 0; }
};

// Varbinds per second over whole walks, repeated until `minimum` has passed (or a walk
// ran out of its own time), so that a short walk is not measured in milliseconds.
double WalkRate(const std::function<WalkResult()>& walk, Seconds minimum);

// A v2c manager session on one agent, asking one request at a time as the tools do.
class Manager {
 public:
  explicit Manager(const std::string& target);
  ~Manager();
  Manager(const Manager&) = delete;
  Manager& operator=(const Manager&) = delete;

  // GET or GETNEXT of one name: the answer's name, empty on an error or the end of the view.
  Oid Ask(int command, const Oid& name);
  // One GET of all these names: how many came back with a value, 0 on an error or timeout.
  size_t GetAll(const std::vector<Oid>& names);
  // What snmpwalk does: GETNEXT from the subtree until an answer leaves it.
  WalkResult Walk(const Oid& subtree, Seconds limit);
  // What snmpbulkwalk does: GETBULK with 10 repetitions from the last name answered.
  WalkResult BulkWalk(const Oid& subtree, Seconds limit);

 private:
  std::string peer_;
  std::string community_ = "public";
  void* session_ = nullptr;
};

}  // namespace bench
