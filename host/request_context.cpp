#include "host/request_context.h"

#include <algorithm>
#include <cstring>

#include "host/encoded_size.h"
#include "host/net_snmp_values.h"

namespace exthost {
namespace {

// The largest UDP payload over IPv4, which is what managers reach the service by.
constexpr size_t kMaxDatagram = 65507;
// Version, request-id, error status and index, and the SEQUENCE headers around them,
// each at its largest.
constexpr size_t kCommunityHeaderBytes = 40;
// SNMPv3 adds its global data, the security parameters (authentication and privacy
// codes at their largest) and the scoped PDU, and encryption pads.
constexpr size_t kUserSecurityHeaderBytes = 180;

// Each field with its length in front, so that no two messages give the same key.
void Append(std::string& key, const void* data, size_t length) {
  key.append(reinterpret_cast<const char*>(&length), sizeof length);
  if (length != 0) key.append(static_cast<const char*>(data), length);
}

template <typename Number>
void AppendNumber(std::string& key, Number number) {
  Append(key, &number, sizeof number);
}

}  // namespace

bool ForwardedByAMaster() {
  return netsnmp_ds_get_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE) != 0;
}

std::string RetransmitKey(const netsnmp_agent_session& session, Phase phase,
                          const std::vector<Oid>& names) {
  const netsnmp_pdu& message = session.orig_pdu != nullptr ? *session.orig_pdu : *session.pdu;
  std::string key;
  key.reserve(256);
  // From a master, the connection and the packet's ids are the master's, new for each
  // forwarding of the same request.
  if (!ForwardedByAMaster()) {
    Append(
        key, message.transport_data,
        message.transport_data != nullptr ? static_cast<size_t>(message.transport_data_length) : 0);
    AppendNumber(key, message.reqid);
  }
  AppendNumber(key, message.version);
  AppendNumber(key, message.command);
  AppendNumber(key, message.errstat);   // a GETBULK's non-repeaters
  AppendNumber(key, message.errindex);  // and its max-repetitions
  Append(key, message.community, message.community_len);
  Append(key, message.securityName, message.securityNameLen);
  Append(key, message.contextName, message.contextNameLen);
  for (const netsnmp_variable_list* variable = message.variables; variable != nullptr;
       variable = variable->next_variable) {
    Append(key, variable->name, variable->name_length * sizeof(oid));
    AppendNumber(key, variable->type);
    Append(key, variable->val.string, variable->val.string != nullptr ? variable->val_len : 0);
  }
  AppendNumber(key, static_cast<int>(phase));
  for (const Oid& name : names) Append(key, name.data(), name.size() * sizeof(uint32_t));
  return key;
}

size_t ResponseLimit(const netsnmp_agent_session& session) {
  const long limit = session.pdu->msgMaxSize;
  return limit > 0 ? std::min(static_cast<size_t>(limit), kMaxDatagram) : kMaxDatagram;
}

size_t ResponseBytesWithout(const netsnmp_agent_session& session,
                            const std::vector<netsnmp_request_info*>& pending) {
  const netsnmp_pdu& pdu = *session.pdu;
  size_t bytes = pdu.version == SNMP_VERSION_3
                     ? kUserSecurityHeaderBytes + pdu.securityEngineIDLen + pdu.securityNameLen +
                           pdu.contextEngineIDLen + pdu.contextNameLen
                     : kCommunityHeaderBytes + pdu.community_len;
  Binding scratch;  // one binding's storage for all, as a GETBULK has many
  for (const netsnmp_variable_list* variable = pdu.variables; variable != nullptr;
       variable = variable->next_variable) {
    // A GETBULK's repetitions not reached yet have no name and are sent as nothing.
    if (variable->name_length == 0) continue;
    const bool isPending = std::any_of(pending.begin(), pending.end(), [&](auto* request) {
      return request->requestvb == variable;
    });
    if (isPending) continue;
    CopyFromNetSnmp(*variable, scratch);
    bytes += EncodedSize(scratch);
  }
  return bytes;
}

}  // namespace exthost
