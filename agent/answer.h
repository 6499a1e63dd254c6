#pragma once

#include <cstdint>
#include <string>

#include <snmp.h>

#include "agent/oid.h"

namespace quillon {

// A binding's new value, built completely before the binding is touched. Owns its
// octet-string memory (from the SNMP utility allocator) until it is handed over.
class PreparedValue {
 public:
  static PreparedValue Integer(int32_t number);
  // Raises std::runtime_error when the allocator gives no memory.
  static PreparedValue OctetString(const std::string& text);

  PreparedValue(PreparedValue&& other) noexcept;
  PreparedValue& operator=(PreparedValue&&) = delete;
  ~PreparedValue();

  BYTE Type() const { return value_.asnType; }
  // Overwrites target (its old value is not freed); target then owns the memory.
  void HandTo(AsnAny& target);

 private:
  PreparedValue() = default;
  AsnAny value_{};
};

// INTEGER when the text is a whole 32-bit number, OCTET STRING otherwise.
PreparedValue NumberOrText(const std::string& text);

// A binding's new name: a copy of ids made by the SNMP utility library.
class PreparedName {
 public:
  // Raises std::runtime_error when the copy cannot be made.
  explicit PreparedName(const OidIds& ids);
  PreparedName(const PreparedName&) = delete;
  PreparedName& operator=(const PreparedName&) = delete;
  ~PreparedName();

  // Frees target's old name and puts this one in its place.
  void Replace(AsnObjectIdentifier& target);
  // Fills an empty target; target then owns the copy.
  void HandTo(AsnObjectIdentifier& target);

 private:
  AsnObjectIdentifier name_{};
};

}  // namespace quillon
