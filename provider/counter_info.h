#pragma once

#include <cstdint>

#include "provider/pdh_types.h"

namespace provider {

// PDH_COUNTER_INFO_A in the layout of the platform: the head that counter
// access reads (PdhCounterInfoHead), then the user data, the path and its
// elements, the explain text, and the strings these point to.
struct PdhCounterInfo {
  PdhCounterInfoHead head;
  std::uintptr_t dwUserData;
  std::uintptr_t dwQueryUserData;
  char* szFullPath;
  char* szMachineName;
  char* szObjectName;
  char* szInstanceName;
  char* szParentInstance;
  uint32_t dwInstanceIndex;
  char* szCounterName;
  char* szExplainText;
  uint32_t DataBuffer[1];
};

// The counter-data version that PDH reports for its own counters.
constexpr uint32_t kPdhCounterVersion = 0x0503;

}  // namespace provider
