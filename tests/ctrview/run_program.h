#pragma once

#include <map>
#include <string>
#include <vector>

struct ProgramRun {
  std::string out;
  std::string err;
  int exitStatus = -1;
};

// Runs a program with exactly the environment given and its output captured.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::map<std::string, std::string>& environment);
