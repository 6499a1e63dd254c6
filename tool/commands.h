#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ctrview {

// The file name that switches the counter module's debug log on.
inline constexpr const char* kDebugProgramName = "ctrviewd.exe";

// The last component of a program path, whichever separator the platform uses.
std::string ProgramFileName(const std::string& programPath);

// Runs the one command that the arguments choose, writing to out. Failures that the
// tool does not report itself pass to the caller as exceptions.
void Run(const std::string& programName, const std::vector<std::string>& args, std::ostream& out);

}  // namespace ctrview
