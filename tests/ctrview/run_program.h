#pragma once

#include <map>
#include <string>
#include <vector>

struct ProgramRun {
  std::string out;
  std::string err;
  int exitStatus = -1;
};

// Where the program's standard output goes: captured into ProgramRun::out, the
// device that is always full, or nowhere (the descriptor closed).
enum class StandardOutput { kCaptured, kFullDevice, kClosed };

// Runs a program with exactly the environment given and its output captured.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::map<std::string, std::string>& environment,
                      StandardOutput output = StandardOutput::kCaptured);
