#include "agent/answer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "lib/numeric.h"

namespace quillon {

namespace {

// TRUE with all bits set: the service frees what the mark says it owns.
constexpr BOOL kDynamic = -1;

void* AllocateOrFail(size_t bytes) {
  void* block = SnmpUtilMemAlloc(static_cast<UINT>(bytes));
  if (block == nullptr) throw std::runtime_error("SnmpUtilMemAlloc: out of memory");
  return block;
}

}  // namespace

PreparedValue PreparedValue::Integer(int32_t number) {
  PreparedValue prepared;
  prepared.value_.asnType = ASN_INTEGER;
  prepared.value_.asnValue.number = number;
  return prepared;
}

PreparedValue PreparedValue::OctetString(const std::string& text) {
  PreparedValue prepared;
  prepared.value_.asnType = ASN_OCTETSTRING;
  AsnOctetString& octets = prepared.value_.asnValue.string;
  // An empty text still gets a block of its own, so that every octet string handed
  // over is one the service frees.
  octets.stream = static_cast<BYTE*>(AllocateOrFail(std::max<size_t>(text.size(), 1)));
  std::memcpy(octets.stream, text.data(), text.size());
  octets.length = static_cast<UINT>(text.size());
  octets.dynamic = kDynamic;
  return prepared;
}

PreparedValue::PreparedValue(PreparedValue&& other) noexcept : value_(other.value_) {
  other.value_ = AsnAny{};
}

PreparedValue::~PreparedValue() {
  if (value_.asnType == ASN_OCTETSTRING && value_.asnValue.string.stream != nullptr) {
    SnmpUtilMemFree(value_.asnValue.string.stream);
  }
}

void PreparedValue::HandTo(AsnAny& target) {
  target = value_;
  value_ = AsnAny{};
}

PreparedValue NumberOrText(const std::string& text) {
  int32_t number = 0;
  if (lib::TryStrToInt(text, number)) return PreparedValue::Integer(number);
  return PreparedValue::OctetString(text);
}

PreparedName::PreparedName(const OidIds& ids) {
  // The copy is made by the utility library, whose allocator the service frees with.
  AsnObjectIdentifier scratch{static_cast<UINT>(ids.size()),
                              static_cast<UINT*>(AllocateOrFail(ids.size() * sizeof(UINT)))};
  std::memcpy(scratch.ids, ids.data(), ids.size() * sizeof(UINT));
  SNMPAPI copied = SnmpUtilOidCpy(&name_, &scratch);
  SnmpUtilMemFree(scratch.ids);
  if (copied != SNMPAPI_NOERROR) {
    SnmpUtilOidFree(&name_);
    throw std::runtime_error("SnmpUtilOidCpy failed");
  }
}

PreparedName::~PreparedName() {
  if (name_.ids != nullptr) SnmpUtilOidFree(&name_);
}

void PreparedName::Replace(AsnObjectIdentifier& target) {
  SnmpUtilOidFree(&target);
  HandTo(target);
}

void PreparedName::HandTo(AsnObjectIdentifier& target) {
  target = name_;
  name_ = AsnObjectIdentifier{};
}

}  // namespace quillon
