#pragma once

#include <snmp.h>

#include <string>
#include <vector>

#include "tests/oid_text.h"

namespace quillon_test {

// The built agent library, loaded with dlopen for one test case and unloaded again,
// so that every case starts from a fresh load (the configuration is read at load).
class LoadedAgent {
 public:
  LoadedAgent();
  ~LoadedAgent();
  LoadedAgent(const LoadedAgent&) = delete;
  LoadedAgent& operator=(const LoadedAgent&) = delete;

  // dlclose; false when the library stays mapped afterwards.
  bool Unload();

  PFNSNMPEXTENSIONINIT Init = nullptr;
  PFNSNMPEXTENSIONQUERY Query = nullptr;
  PFNSNMPEXTENSIONQUERYEX QueryEx = nullptr;
  PFNSNMPEXTENSIONTRAP Trap = nullptr;

 private:
  void* handle_ = nullptr;
};

// A binding list as the service builds it: names from the SNMP utility allocator,
// values NULL. Everything is freed the way the service frees it.
class Bindings {
 public:
  explicit Bindings(const std::vector<std::string>& oids);
  ~Bindings();
  Bindings(const Bindings&) = delete;
  Bindings& operator=(const Bindings&) = delete;

  SnmpVarBindList* List() { return &list_; }
  std::string Name(size_t i) const;
  // "INTEGER 42", "OCTET STRING \"text\"" or "NULL".
  std::string Value(size_t i) const;

 private:
  std::vector<SnmpVarBind> bindings_;
  SnmpVarBindList list_{};
};

std::string DescribeValue(const AsnAny& value);

}  // namespace quillon_test
