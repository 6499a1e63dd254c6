#pragma once

#include <string>

namespace platform {

// The path of the running program's file as it was started. Windows asks the
// loader (argv[0] may lack ".exe"); Linux keeps argv[0], because a link's own name
// is what chooses the program's mode there.
std::string ProgramPath(const char* argv0);

}  // namespace platform
