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

// How a command run ended.
enum class CommandEnd {
  kFinished,    // the process ended by itself within the time limit
  kNotStarted,  // it could not be started; both texts are empty
  kTimedOut,    // it ran past the time limit and was killed
  kKilled,      // it was killed before it finished (the service stopping)
};

// Runs a command line with standard output and standard error captured. A process cut
// short (timed out or killed) leaves in the texts what it had written.
CommandEnd RunCommand(const std::string& commandLine, uint32_t timeoutMs, std::string& output,
                      std::string& error);

// The same; true only when the process ended by itself within timeoutMs.
bool RunCommandCaptured(const std::string& commandLine, uint32_t timeoutMs, std::string& output,
                        std::string& error);

}  // namespace lib
