#pragma once

#include <snmp.h>

namespace quillon {

// The texts and the SET handling that tell the two query entry points apart.
struct DispatchFlavour {
  const char* name;  // "SnmpExtensionQuery": first line and failure prefix
  const char* getLine;
  const char* getNextLine;
  const char* setLine;          // null: SET is an unsupported type
  const char* unsupportedLine;  // followed by the type in decimal
};

extern const DispatchFlavour kQueryFlavour;
extern const DispatchFlavour kQueryExFlavour;

// Answers every binding of a request; the first failing binding sets the error
// status and its 1-based index. Returns TRUE; nothing escapes.
BOOL Dispatch(const DispatchFlavour& flavour, UINT requestType, SnmpVarBindList* bindings,
              AsnInteger32* errorStatus, AsnInteger32* errorIndex);

}  // namespace quillon
