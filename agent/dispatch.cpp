#include "agent/dispatch.h"

#include <exception>
#include <memory>
#include <string>

#include "agent/log.h"
#include "agent/profile_file.h"
#include "agent/requests.h"

namespace quillon {

const DispatchFlavour kQueryFlavour = {"SnmpExtensionQuery", "PduType=SNMP_PDU_GET",
                                       "PduType=SNMP_PDU_GETNEXT", "PduType=SNMP_PDU_SET",
                                       "PduType=UNSUPPORTED "};
const DispatchFlavour kQueryExFlavour = {"SnmpExtensionQueryEx", "nRequestType=SNMP_EXTENSION_GET",
                                         "nRequestType=SNMP_EXTENSION_GET_NEXT", nullptr,
                                         "nRequestType=UNSUPPORTED "};

namespace {

int32_t AnswerBinding(const DispatchFlavour& flavour, UINT requestType, const ProfileSnapshot& rows,
                      SnmpVarBind& binding) {
  try {
    if (requestType == SNMP_PDU_GET) {
      Log(flavour.getLine);
      return GetRequest(rows, binding);
    }
    if (requestType == SNMP_PDU_GETNEXT) {
      Log(flavour.getNextLine);
      return GetNextRequest(rows, binding);
    }
    if (requestType == SNMP_PDU_SET && flavour.setLine != nullptr) {
      Log(flavour.setLine);
      return SNMP_ERRORSTATUS_READONLY;
    }
    Log(flavour.unsupportedLine + std::to_string(requestType));
    return SNMP_ERRORSTATUS_GENERR;
  } catch (const std::exception& failure) {
    // The binding was left as it came: it has no answer.
    Log(std::string(flavour.name) + ": " + failure.what());
    return SNMP_ERRORSTATUS_GENERR;
  }
}

}  // namespace

BOOL Dispatch(const DispatchFlavour& flavour, UINT requestType, SnmpVarBindList* bindings,
              AsnInteger32* errorStatus, AsnInteger32* errorIndex) {
  try {
    if (Logging()) Log(std::string(flavour.name) + ", len:" + std::to_string(bindings->len));
    *errorStatus = SNMP_ERRORSTATUS_NOERROR;
    *errorIndex = 0;
    // One version of the counters file answers the whole request, however often the
    // file is replaced meanwhile.
    const bool reads =
        bindings->len > 0 && (requestType == SNMP_PDU_GET || requestType == SNMP_PDU_GETNEXT);
    const std::shared_ptr<const ProfileSnapshot> rows =
        reads ? CountersFile()
              : std::make_shared<const ProfileSnapshot>("", platform::ConfigFile::kMissing, "");
    for (UINT i = 0; i < bindings->len; ++i) {
      int32_t status = AnswerBinding(flavour, requestType, *rows, bindings->list[i]);
      if (status != SNMP_ERRORSTATUS_NOERROR && *errorStatus == SNMP_ERRORSTATUS_NOERROR) {
        *errorStatus = status;
        *errorIndex = static_cast<AsnInteger32>(i + 1);
      }
    }
  } catch (...) {
    // Only running out of memory for a log text can get here; the answer so far stands.
  }
  return TRUE;
}

}  // namespace quillon
