#include "tests/agent/agent_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <stdexcept>

namespace quillon_test {

namespace {

template <typename Function>
Function Resolve(void* handle, const char* name) {
  void* symbol = dlsym(handle, name);
  if (symbol == nullptr) throw std::runtime_error(std::string("missing export ") + name);
  return reinterpret_cast<Function>(symbol);
}

// The library built with these sources; a benchmark may name another build of it in
// $QUILLON_AGENT_LIBRARY, to compare the two.
const char* AgentLibraryPath() {
  const char* chosen = std::getenv("QUILLON_AGENT_LIBRARY");
  return chosen != nullptr && *chosen != '\0' ? chosen : QUILLON_AGENT_LIBRARY;
}

}  // namespace

LoadedAgent::LoadedAgent() {
  handle_ = dlopen(AgentLibraryPath(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) throw std::runtime_error(dlerror());
  Init = Resolve<PFNSNMPEXTENSIONINIT>(handle_, "SnmpExtensionInit");
  Query = Resolve<PFNSNMPEXTENSIONQUERY>(handle_, "SnmpExtensionQuery");
  QueryEx = Resolve<PFNSNMPEXTENSIONQUERYEX>(handle_, "SnmpExtensionQueryEx");
  Trap = Resolve<PFNSNMPEXTENSIONTRAP>(handle_, "SnmpExtensionTrap");
}

LoadedAgent::~LoadedAgent() {
  if (handle_ != nullptr) dlclose(handle_);
}

bool LoadedAgent::Unload() {
  if (handle_ == nullptr || dlclose(handle_) != 0) return false;
  handle_ = nullptr;
  void* still = dlopen(AgentLibraryPath(), RTLD_NOW | RTLD_NOLOAD);
  if (still == nullptr) return true;
  dlclose(still);
  return false;
}

std::string DescribeValue(const AsnAny& value) {
  switch (value.asnType) {
    case ASN_INTEGER:
      return "INTEGER " + std::to_string(value.asnValue.number);
    case ASN_OCTETSTRING: {
      const AsnOctetString& octets = value.asnValue.string;
      std::string text(reinterpret_cast<const char*>(octets.stream), octets.length);
      if (octets.length > 0 && octets.dynamic == 0) return "OCTET STRING not dynamic";
      return "OCTET STRING \"" + text + "\"";
    }
    case ASN_NULL:
      return "NULL";
    default:
      return "type " + std::to_string(value.asnType);
  }
}

Bindings::Bindings(const std::vector<std::string>& oids) : bindings_(oids.size()) {
  for (size_t i = 0; i < oids.size(); ++i) {
    std::vector<UINT> ids = ParseOid(oids[i]);
    AsnObjectIdentifier source{static_cast<UINT>(ids.size()), ids.data()};
    SnmpUtilOidCpy(&bindings_[i].name, &source);
    bindings_[i].value.asnType = ASN_NULL;
  }
  list_.list = bindings_.data();
  list_.len = static_cast<UINT>(bindings_.size());
}

Bindings::~Bindings() {
  for (SnmpVarBind& binding : bindings_) SnmpUtilVarBindFree(&binding);
}

std::string Bindings::Name(size_t i) const { return OidString(bindings_[i].name); }

std::string Bindings::Value(size_t i) const { return DescribeValue(bindings_[i].value); }

}  // namespace quillon_test
