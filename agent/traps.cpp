#include "agent/traps.h"

#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "agent/answer.h"
#include "agent/limits.h"
#include "agent/log.h"
#include "agent/oid.h"
#include "agent/profile_file.h"
#include "agent/state.h"
#include "lib/command.h"
#include "lib/text.h"

extern "C" DWORD SNMP_FUNC_TYPE SnmpSvcGetUptime(void);

namespace quillon {

namespace {

constexpr AsnInteger32 kEnterpriseSpecific = 6;
constexpr AsnInteger32 kSpecificTrap = 1;

// The bindings of a trap being built; released unless they are handed to the service.
class TrapBindings {
 public:
  explicit TrapBindings(size_t count) : bindings_(count) {}
  TrapBindings(const TrapBindings&) = delete;
  TrapBindings& operator=(const TrapBindings&) = delete;
  ~TrapBindings() {
    for (SnmpVarBind& binding : bindings_) SnmpUtilVarBindFree(&binding);
  }

  SnmpVarBind& operator[](size_t i) { return bindings_[i]; }

  // Moves the bindings into a list from the utility allocator, which the service frees.
  void HandTo(SnmpVarBindList& list) {
    size_t bytes = bindings_.size() * sizeof(SnmpVarBind);
    auto* block = static_cast<SnmpVarBind*>(SnmpUtilMemAlloc(static_cast<UINT>(bytes)));
    if (block == nullptr) throw std::runtime_error("SnmpUtilMemAlloc: out of memory");
    for (size_t i = 0; i < bindings_.size(); ++i) block[i] = bindings_[i];
    bindings_.clear();
    list.list = block;
    list.len = static_cast<UINT>(bytes / sizeof(SnmpVarBind));
  }

 private:
  std::vector<SnmpVarBind> bindings_;
};

// The enterprise stays valid after the call: the service reads it but does not free it.
AsnObjectIdentifier Enterprise() {
  AgentState& state = State();
  state.trapEnterprise.clear();
  if (state.settings.oid.empty()) {
    state.trapEnterprise.assign(kDefaultBaseOid.begin(), kDefaultBaseOid.end());
    state.trapEnterprise.push_back(0);
  } else {
    string2oid(state.settings.oid + ".0", state.trapEnterprise);
  }
  return {static_cast<UINT>(state.trapEnterprise.size()), state.trapEnterprise.data()};
}

}  // namespace

std::string RunTrapScript(const ProfileSnapshot& traps, std::string_view section) {
  std::string script = traps.Value(section, "script");
  if (script.empty()) return "";
  LogAlways("executing " + script);
  std::string output;
  std::string error;
  if (!lib::RunCommandCaptured(script, kCommandTimeLimitMs, output, error)) return "";
  return lib::Trim(output);
}

BOOL BuildTrap(AsnObjectIdentifier* enterprise, AsnInteger32* genericTrap,
               AsnInteger32* specificTrap, AsnTimeticks* timeStamp, SnmpVarBindList* bindings) {
  Log("SnmpExtensionTrap");
  AgentState& state = State();
  const std::shared_ptr<const ProfileSnapshot> traps = TrapFile();
  const std::vector<std::string_view>& sections = traps->SectionNames();
  if (sections.empty() || state.TrapDue.load() != 1) return FALSE;

  *enterprise = Enterprise();
  *genericTrap = kEnterpriseSpecific;
  *specificTrap = kSpecificTrap;
  *timeStamp = SnmpSvcGetUptime();
  TrapBindings built(sections.size());
  bool valueSeen = false;
  std::string lastValue;
  for (size_t i = 0; i < sections.size(); ++i) {
    lastValue = RunTrapScript(*traps, sections[i]);
    valueSeen = valueSeen || !lastValue.empty();
    OidIds ids;
    string2oid(sections[i], ids);
    PreparedName name(ids);
    PreparedValue value = NumberOrText(lastValue);
    name.HandTo(built[i].name);
    value.HandTo(built[i].value);
  }
  state.TrapDue.store(0);
  if (!valueSeen) return FALSE;

  Log("Sending trap, value: " + std::string(sections.back()) + ", \"" + lastValue + "\"");
  built.HandTo(*bindings);
  return TRUE;
}

void MarkTrapDue() {
  AgentState& state = State();
  state.TrapDue.store(1);
  platform::SignalEvent(state.TrapEvent);
}

}  // namespace quillon
