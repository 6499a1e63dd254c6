#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/process.h"

namespace lib {

// What one pipe reader works on: the read end it drains and the text it collects.
struct TStoReadPipeThreadParam {
  platform::PipeReadEnd* pipe = nullptr;
  std::string text;
};

// What one stream of a command keeps at most; the rest is read and discarded.
constexpr size_t kMaxCapturedBytes = size_t{16} * 1024 * 1024;

// Reads the pipe to its end into param.text, keeping its first kMaxCapturedBytes;
// always returns 0.
uint32_t PipeReader(TStoReadPipeThreadParam& param);

// Runs a command line with standard output and standard error captured. True when
// the process started and ended within timeoutMs; at the time limit it is killed and
// the texts hold what was collected; when it does not start both texts are empty.
bool RunCommandCaptured(const std::string& commandLine, uint32_t timeoutMs, std::string& output,
                        std::string& error);

}  // namespace lib
