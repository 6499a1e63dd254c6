#include "perf/perf.h"

namespace perf {

std::string DebugFlag;

}  // namespace perf
