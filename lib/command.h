#pragma once

#include <cstdint>
#include <string>

#include "platform/process.h"

namespace lib {

// What one pipe reader works on: the read end it drains and the text it collects.
struct TStoReadPipeThreadParam {
  platform::PipeReadEnd* pipe = nullptr;
  std::string text;
};

// Reads the pipe to its end into param.text; always returns 0.
uint32_t PipeReader(TStoReadPipeThreadParam& param);

// Runs a command line with standard output and standard error captured. True when
// the process started and ended within timeoutMs; at the time limit it is killed and
// the texts hold what was collected; when it does not start both texts are empty.
bool RunCommandCaptured(const std::string& commandLine, uint32_t timeoutMs, std::string& output,
                        std::string& error);

}  // namespace lib
