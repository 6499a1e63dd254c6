#include "host/net_snmp_values.h"

#include <algorithm>

namespace exthost {
namespace {

struct Encoded {
  u_char type = ASN_NULL;
  long integer = 0;
  u_long unsignedInteger = 0;
  counter64 wide{};
  std::vector<oid> ids;
  const void* data = nullptr;
  size_t length = 0;
};

bool Encode(const Value& value, Encoded& out) {
  out.type = static_cast<u_char>(value.syntax);
  switch (value.syntax) {
    case Syntax::Integer:
      out.integer = static_cast<int32_t>(value.number);
      out.data = &out.integer;
      out.length = sizeof(out.integer);
      return true;
    case Syntax::Counter32:
    case Syntax::Gauge32:
    case Syntax::TimeTicks:
    case Syntax::UInteger32:
      out.unsignedInteger = static_cast<uint32_t>(value.number);
      out.data = &out.unsignedInteger;
      out.length = sizeof(out.unsignedInteger);
      return true;
    case Syntax::Counter64:
      out.wide.high = static_cast<uint64_t>(value.number) >> 32;
      out.wide.low = static_cast<uint64_t>(value.number) & 0xFFFFFFFFu;
      out.data = &out.wide;
      out.length = sizeof(out.wide);
      return true;
    case Syntax::IpAddress:
      if (value.bytes.size() != 4) return false;
      out.data = value.bytes.data();
      out.length = 4;
      return true;
    case Syntax::Bits:
      out.type = ASN_OCTET_STR;  // BITS travels as an OCTET STRING
      [[fallthrough]];
    case Syntax::OctetString:
    case Syntax::Opaque:
      out.data = value.bytes.data();
      out.length = value.bytes.size();
      return true;
    case Syntax::ObjectId:
      out.ids = ToNetSnmp(value.oid);
      out.data = out.ids.data();
      out.length = out.ids.size() * sizeof(oid);
      return true;
    case Syntax::Null:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::vector<oid> ToNetSnmp(const Oid& ids) { return std::vector<oid>(ids.begin(), ids.end()); }

Oid FromNetSnmp(const oid* ids, size_t length) { return Oid(ids, ids + length); }

Binding FromNetSnmp(const netsnmp_variable_list& variable) {
  Binding binding;
  CopyFromNetSnmp(variable, binding);
  return binding;
}

void CopyFromNetSnmp(const netsnmp_variable_list& variable, Binding& binding) {
  binding.name.assign(variable.name, variable.name + variable.name_length);
  Value& value = binding.value;
  value.syntax = static_cast<Syntax>(variable.type);
  value.number = 0;
  value.bytes.clear();
  value.oid.clear();
  switch (variable.type) {
    case ASN_INTEGER:
      value.number = *variable.val.integer;
      break;
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
    case ASN_UINTEGER:
      value.number = static_cast<uint32_t>(*variable.val.integer);
      break;
    case ASN_COUNTER64:
      value.number = static_cast<int64_t>((uint64_t{variable.val.counter64->high} << 32) |
                                          (variable.val.counter64->low & 0xFFFFFFFFu));
      break;
    case ASN_OCTET_STR:
    case ASN_OPAQUE:
    case ASN_IPADDRESS:
    case ASN_BIT_STR:
      value.bytes.assign(reinterpret_cast<const char*>(variable.val.string), variable.val_len);
      break;
    case ASN_OBJECT_ID:
      value.oid.assign(variable.val.objid, variable.val.objid + variable.val_len / sizeof(oid));
      break;
    default:
      break;
  }
}

void SetName(netsnmp_variable_list* variable, const Oid& name) {
  if (name.size() > MAX_OID_LEN) {
    const std::vector<oid> ids = ToNetSnmp(name);
    snmp_set_var_objid(variable, ids.data(), ids.size());
    return;
  }
  oid ids[MAX_OID_LEN];
  std::copy(name.begin(), name.end(), ids);
  snmp_set_var_objid(variable, ids, name.size());
}

bool SetValue(netsnmp_variable_list* variable, const Value& value) {
  Encoded encoded;
  if (!Encode(value, encoded)) return false;
  return snmp_set_var_typed_value(variable, encoded.type, encoded.data, encoded.length) == 0;
}

bool AppendVariable(netsnmp_variable_list** list, const Binding& binding) {
  Encoded encoded;
  if (!Encode(binding.value, encoded)) return false;
  const std::vector<oid> name = ToNetSnmp(binding.name);
  return snmp_varlist_add_variable(list, name.data(), name.size(), encoded.type, encoded.data,
                                   encoded.length) != nullptr;
}

}  // namespace exthost
