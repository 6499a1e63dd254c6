#include "perf/internal.h"
#include "perf/perf.h"

namespace perf {

std::string DebugFlag;
bool SkipUnwritableDebugLines = false;
PerfState State{0, NoHandle, {}, DebugFlag};

namespace {
platform::Pdh* substitutePdh = nullptr;
}

void UsePdh(platform::Pdh& pdh) { substitutePdh = &pdh; }

platform::Pdh& internal::ActivePdh() {
  return substitutePdh ? *substitutePdh : platform::SystemPdh();
}

}  // namespace perf
