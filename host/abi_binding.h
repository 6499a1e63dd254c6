#pragma once

// Between the host's bindings and the extension ABI's, with the ABI side's memory from
// the SNMP utility allocator, as agents expect to find and leave it.

#include <vector>

#include "host/binding.h"
#include "snmp.h"

namespace exthost {

// A binding list the host owns; its destructor frees it with SnmpUtilVarBindListFree,
// which also releases whatever the agent put into it.
class AbiBindingList {
 public:
  explicit AbiBindingList(const std::vector<Binding>& bindings);
  AbiBindingList() = default;
  ~AbiBindingList();
  AbiBindingList(const AbiBindingList&) = delete;
  AbiBindingList& operator=(const AbiBindingList&) = delete;

  SnmpVarBindList* Get() { return &list_; }
  // Lets go of a list that is not the host's to free.
  void Forget() { list_ = SnmpVarBindList{nullptr, 0}; }
  std::vector<Binding> ToBindings() const;
  // The same into `bindings`, whose storage is reused.
  void CopyTo(std::vector<Binding>& bindings) const;

 private:
  SnmpVarBindList list_{nullptr, 0};
};

Oid FromAbi(const AsnObjectIdentifier& oid);
std::vector<Binding> FromAbi(const SnmpVarBindList& list);

}  // namespace exthost
