#include "platform/posix/pdh/perflib.h"

namespace platform::posix {

std::vector<std::string> PerflibSubkeys() { return {"009"}; }

bool PerflibValue(const std::string&, const std::string&, uint32_t&, std::string&) {
  return false;
}

}  // namespace platform::posix
