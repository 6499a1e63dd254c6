#include "host/abi_binding.h"

#include <cstring>
#include <new>

namespace exthost {
namespace {

template <typename T>
T* AllocateArray(size_t count) {
  if (count == 0) return nullptr;
  void* memory = SnmpUtilMemAlloc(static_cast<UINT>(count * sizeof(T)));
  if (memory == nullptr) throw std::bad_alloc();
  return static_cast<T*>(memory);
}

AsnObjectIdentifier ToAbi(const Oid& oid) {
  AsnObjectIdentifier result{static_cast<UINT>(oid.size()), AllocateArray<UINT>(oid.size())};
  std::copy(oid.begin(), oid.end(), result.ids);
  return result;
}

AsnOctetString ToAbi(const std::string& bytes) {
  AsnOctetString result{AllocateArray<BYTE>(bytes.size()), static_cast<UINT>(bytes.size()), TRUE};
  if (!bytes.empty()) std::memcpy(result.stream, bytes.data(), bytes.size());
  return result;
}

AsnAny ToAbi(const Value& value) {
  AsnAny any{};
  any.asnType = static_cast<BYTE>(value.syntax);
  switch (value.syntax) {
    case Syntax::Integer:
      any.asnValue.number = static_cast<AsnInteger32>(value.number);
      break;
    case Syntax::Counter32:
    case Syntax::Gauge32:
    case Syntax::TimeTicks:
    case Syntax::UInteger32:
      any.asnValue.unsigned32 = static_cast<AsnUnsigned32>(value.number);
      break;
    case Syntax::Counter64:
      any.asnValue.counter64.QuadPart = static_cast<uint64_t>(value.number);
      break;
    case Syntax::OctetString:
    case Syntax::Bits:
    case Syntax::Opaque:
    case Syntax::IpAddress:
      any.asnValue.string = ToAbi(value.bytes);
      break;
    case Syntax::ObjectId:
      any.asnValue.object = ToAbi(value.oid);
      break;
    default:
      break;
  }
  return any;
}

void CopyFromAbi(const AsnObjectIdentifier& oid, Oid& ids) {
  if (oid.ids == nullptr) {
    ids.clear();
  } else {
    ids.assign(oid.ids, oid.ids + oid.idLength);
  }
}

void CopyFromAbi(const AsnAny& any, Value& value) {
  value.syntax = static_cast<Syntax>(any.asnType);
  value.number = 0;
  value.bytes.clear();
  value.oid.clear();
  switch (value.syntax) {
    case Syntax::Integer:
      value.number = any.asnValue.number;
      break;
    case Syntax::Counter32:
    case Syntax::Gauge32:
    case Syntax::TimeTicks:
    case Syntax::UInteger32:
      value.number = any.asnValue.unsigned32;
      break;
    case Syntax::Counter64:
      value.number = static_cast<int64_t>(any.asnValue.counter64.QuadPart);
      break;
    case Syntax::OctetString:
    case Syntax::Bits:
    case Syntax::Opaque:
    case Syntax::IpAddress:
      if (any.asnValue.string.stream != nullptr) {
        value.bytes.assign(reinterpret_cast<const char*>(any.asnValue.string.stream),
                           any.asnValue.string.length);
      }
      break;
    case Syntax::ObjectId:
      CopyFromAbi(any.asnValue.object, value.oid);
      break;
    default:
      break;
  }
}

void CopyFromAbi(const SnmpVarBindList& list, std::vector<Binding>& bindings) {
  const size_t count = list.list == nullptr ? 0 : list.len;
  bindings.resize(count);
  for (size_t i = 0; i < count; ++i) {
    CopyFromAbi(list.list[i].name, bindings[i].name);
    CopyFromAbi(list.list[i].value, bindings[i].value);
  }
}

}  // namespace

Oid FromAbi(const AsnObjectIdentifier& oid) {
  Oid ids;
  CopyFromAbi(oid, ids);
  return ids;
}

std::vector<Binding> FromAbi(const SnmpVarBindList& list) {
  std::vector<Binding> bindings;
  CopyFromAbi(list, bindings);
  return bindings;
}

AbiBindingList::AbiBindingList(const std::vector<Binding>& bindings) {
  list_.list = AllocateArray<SnmpVarBind>(bindings.size());
  try {
    // Counted up as entries are filled, so that a failed allocation frees only those.
    for (const Binding& binding : bindings) {
      SnmpVarBind& entry = list_.list[list_.len];
      entry.name = ToAbi(binding.name);
      entry.value = AsnAny{};
      entry.value.asnType = ASN_NULL;
      ++list_.len;
      entry.value = ToAbi(binding.value);
    }
  } catch (...) {
    SnmpUtilVarBindListFree(&list_);
    throw;
  }
}

AbiBindingList::~AbiBindingList() {
  if (list_.list != nullptr) SnmpUtilVarBindListFree(&list_);
}

std::vector<Binding> AbiBindingList::ToBindings() const { return FromAbi(list_); }

void AbiBindingList::CopyTo(std::vector<Binding>& bindings) const { CopyFromAbi(list_, bindings); }

}  // namespace exthost
