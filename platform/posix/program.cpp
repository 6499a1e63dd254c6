#include "platform/program.h"

namespace platform {

std::string ProgramPath(const char* argv0) { return argv0 != nullptr ? argv0 : ""; }

}  // namespace platform
