#pragma once

// An extension agent loaded from a shared library: its four entry points, called the way
// the Windows SNMP service calls them. Unloading (dlclose) runs the library's detach.

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/binding.h"

namespace exthost {

class AgentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The phases in which the service hands a request to the agent.
enum class Phase { Get, GetNext, SetTest, SetCommit, SetUndo, SetCleanup };

struct QueryResult {
  int32_t errorStatus = kNoError;
  int32_t errorIndex = 0;  // 1-based position of the failing binding; 0 when none
};

struct Trap {
  Oid enterprise;
  int32_t genericId = 0;
  int32_t specificId = 0;
  uint32_t timeStamp = 0;
  std::vector<Binding> bindings;
};

struct Registration {
  Oid region;
  std::optional<int> trapEvent;  // the eventfd the agent signals when a trap is due
};

class ExtensionAgent {
 public:
  // Throws AgentError naming the library and what is wrong with it.
  static std::unique_ptr<ExtensionAgent> Load(const std::string& path);
  ~ExtensionAgent();
  ExtensionAgent(const ExtensionAgent&) = delete;
  ExtensionAgent& operator=(const ExtensionAgent&) = delete;

  // SnmpExtensionInit; throws AgentError when it returns FALSE or gives no region.
  Registration Init(uint32_t upTimeReference);

  // One call of SnmpExtensionQueryEx (or SnmpExtensionQuery) with all the bindings; on
  // return they hold the agent's answers. Phases that SnmpExtensionQuery has no request
  // type for are not passed on.
  QueryResult Query(Phase phase, std::vector<Binding>& bindings);

  // One call of SnmpExtensionTrap; nothing once the agent has no more traps.
  std::optional<Trap> NextTrap();

  const std::string& Path() const { return path_; }
  bool HasQueryEx() const;

 private:
  struct EntryPoints;
  ExtensionAgent(std::string path, void* library, std::unique_ptr<EntryPoints> entries);

  std::string path_;
  void* library_;
  std::unique_ptr<EntryPoints> entries_;
};

}  // namespace exthost
