#include "platform/path.h"

namespace platform {

std::string LocalPath(std::string_view path) { return std::string(path); }

}  // namespace platform
