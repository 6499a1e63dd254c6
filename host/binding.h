#pragma once

// The host's own picture of a variable binding. It stands between the two SNMP worlds
// that cannot share a translation unit: net-snmp's headers and the extension-agent
// <snmp.h> define the same ASN macros with different spellings.

#include <cstdint>
#include <string>
#include <vector>

namespace exthost {

using Oid = std::vector<uint32_t>;

// BER tags, which the extension ABI and net-snmp both use as type codes.
enum class Syntax : uint8_t {
  Integer = 0x02,
  Bits = 0x03,
  OctetString = 0x04,
  Null = 0x05,
  ObjectId = 0x06,
  IpAddress = 0x40,
  Counter32 = 0x41,
  Gauge32 = 0x42,
  TimeTicks = 0x43,
  Opaque = 0x44,
  Counter64 = 0x46,
  UInteger32 = 0x47,
  NoSuchObject = 0x80,
  NoSuchInstance = 0x81,
  EndOfMibView = 0x82,
};

struct Value {
  Syntax syntax = Syntax::Null;
  int64_t number = 0;  // Integer (signed), unsigned types and Counter64 (as its bit pattern)
  std::string bytes;   // OctetString, Bits, Opaque, IpAddress
  Oid oid;             // ObjectId
};

struct Binding {
  Oid name;
  Value value;
};

// SNMP error statuses as both worlds number them.
constexpr int32_t kNoError = 0;
constexpr int32_t kNoSuchName = 2;
constexpr int32_t kBadValue = 3;
constexpr int32_t kGenErr = 5;

std::string OidToText(const Oid& oid);
// "genErr", "badValue", ...
std::string StatusName(int32_t status);
// Bytes in double quotes; '"' and '\' escaped, control bytes as \xHH.
std::string Quoted(const std::string& bytes);
// A value as a report shows it: "INTEGER: 5", "STRING: \"text\"", "OID: 1.3.6", "NULL".
std::string ValueText(const Value& value);
bool OidStartsWith(const Oid& oid, const Oid& prefix);

}  // namespace exthost
