#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "perf/registry.h"

namespace perf {

// A failed registry call, with the system error code current when it was raised.
// Message: "Error <code> : <system text>:<message>" or "Error <code>:<message>".
class EExRegistryException : public ERegistryException {
 public:
  // Takes the calling thread's last error code.
  explicit EExRegistryException(const std::string& message);
  EExRegistryException(int32_t code, const std::string& message);
  int32_t ErrorCode;
};

class TExRegistry : public Registry {
 public:
  using Registry::Registry;
  // Fills list with the strings of a REG_MULTI_SZ value, stopping at the first empty one.
  void ReadMultiSz(const std::string& name, std::vector<std::string>& list);
  // The bytes of a REG_MULTI_SZ value as the registry holds them; raises as ReadMultiSz.
  std::string ReadMultiSzData(const std::string& name);
};

// The strings of REG_MULTI_SZ bytes, up to the first empty one.
void SplitMultiSz(const std::string& data, std::vector<std::string>& list);

// The system's message text for an error code, or the empty text.
std::string ErrorCodeText(int32_t code);

}  // namespace perf
