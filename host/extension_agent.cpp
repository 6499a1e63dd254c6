#include "host/extension_agent.h"

#include <dlfcn.h>

#include <cstdint>

#include "host/abi_binding.h"
#include "snmp.h"

namespace exthost {

struct ExtensionAgent::EntryPoints {
  PFNSNMPEXTENSIONINIT init = nullptr;
  PFNSNMPEXTENSIONQUERY query = nullptr;
  PFNSNMPEXTENSIONQUERYEX queryEx = nullptr;
  PFNSNMPEXTENSIONTRAP trap = nullptr;
};

namespace {

// What the trap-event out parameter holds when the agent leaves it alone.
HANDLE const kNoEvent = reinterpret_cast<HANDLE>(intptr_t{-1});

template <typename Function>
Function Resolve(void* library, const char* name) {
  return reinterpret_cast<Function>(dlsym(library, name));
}

template <typename Function>
Function Require(void* library, const std::string& path, const char* name) {
  auto function = Resolve<Function>(library, name);
  if (function == nullptr) {
    dlclose(library);
    throw AgentError(path + " does not export " + name);
  }
  return function;
}

std::optional<UINT> QueryExRequestType(Phase phase) {
  switch (phase) {
    case Phase::Get:
      return SNMP_EXTENSION_GET;
    case Phase::GetNext:
      return SNMP_EXTENSION_GET_NEXT;
    case Phase::SetTest:
      return SNMP_EXTENSION_SET_TEST;
    case Phase::SetCommit:
      return SNMP_EXTENSION_SET_COMMIT;
    case Phase::SetUndo:
      return SNMP_EXTENSION_SET_UNDO;
    case Phase::SetCleanup:
      return SNMP_EXTENSION_SET_CLEANUP;
  }
  return std::nullopt;
}

// SnmpExtensionQuery knows a SET only as one request; it is made in the test phase so
// that a refusal still stops the whole SET.
std::optional<BYTE> QueryPduType(Phase phase) {
  switch (phase) {
    case Phase::Get:
      return SNMP_PDU_GET;
    case Phase::GetNext:
      return SNMP_PDU_GETNEXT;
    case Phase::SetTest:
      return SNMP_PDU_SET;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::unique_ptr<ExtensionAgent> ExtensionAgent::Load(const std::string& path) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* reason = dlerror();
    throw AgentError("cannot load " + path + ": " + (reason ? reason : "unknown error"));
  }
  auto entries = std::make_unique<EntryPoints>();
  entries->init = Require<PFNSNMPEXTENSIONINIT>(library, path, "SnmpExtensionInit");
  entries->query = Require<PFNSNMPEXTENSIONQUERY>(library, path, "SnmpExtensionQuery");
  entries->trap = Require<PFNSNMPEXTENSIONTRAP>(library, path, "SnmpExtensionTrap");
  entries->queryEx = Resolve<PFNSNMPEXTENSIONQUERYEX>(library, "SnmpExtensionQueryEx");
  return std::unique_ptr<ExtensionAgent>(new ExtensionAgent(path, library, std::move(entries)));
}

ExtensionAgent::ExtensionAgent(std::string path, void* library,
                               std::unique_ptr<EntryPoints> entries)
    : path_(std::move(path)), library_(library), entries_(std::move(entries)) {}

ExtensionAgent::~ExtensionAgent() { dlclose(library_); }

bool ExtensionAgent::HasQueryEx() const { return entries_->queryEx != nullptr; }

Registration ExtensionAgent::Init(uint32_t upTimeReference) {
  HANDLE event = kNoEvent;
  AsnObjectIdentifier region{0, nullptr};
  if (!entries_->init(upTimeReference, &event, &region)) {
    throw AgentError("SnmpExtensionInit of " + path_ + " returned FALSE");
  }
  Registration registration;
  registration.region = FromAbi(region);  // the agent's own storage: copied, never freed
  if (registration.region.empty()) {
    throw AgentError("SnmpExtensionInit of " + path_ + " returned no region");
  }
  const auto descriptor = reinterpret_cast<intptr_t>(event);
  if (event != kNoEvent && event != nullptr && descriptor >= 0) {
    registration.trapEvent = static_cast<int>(descriptor);
  }
  return registration;
}

QueryResult ExtensionAgent::Query(Phase phase, std::vector<Binding>& bindings) {
  QueryResult result;
  AbiBindingList list(bindings);
  AsnInteger32 status = 0;
  AsnInteger32 index = 0;
  BOOL answered = FALSE;
  if (entries_->queryEx != nullptr) {
    answered =
        entries_->queryEx(*QueryExRequestType(phase), 0, list.Get(), nullptr, &status, &index);
  } else if (auto pduType = QueryPduType(phase)) {
    answered = entries_->query(*pduType, list.Get(), &status, &index);
  } else {
    return result;
  }
  list.CopyTo(bindings);
  if (!answered) {
    result.errorStatus = kGenErr;
    result.errorIndex = 1;
  } else {
    result.errorStatus = status;
    result.errorIndex = index;
  }
  return result;
}

std::optional<Trap> ExtensionAgent::NextTrap() {
  AsnObjectIdentifier enterprise{0, nullptr};
  AsnInteger32 genericId = 0;
  AsnInteger32 specificId = 0;
  AsnTimeticks timeStamp = 0;
  AbiBindingList bindings;
  if (!entries_->trap(&enterprise, &genericId, &specificId, &timeStamp, bindings.Get())) {
    bindings.Forget();  // an agent that hands over no trap keeps what it built
    return std::nullopt;
  }
  // The enterprise stays the agent's; the bindings are ours and go with `bindings`.
  return Trap{FromAbi(enterprise), genericId, specificId, timeStamp, bindings.ToBindings()};
}

}  // namespace exthost
