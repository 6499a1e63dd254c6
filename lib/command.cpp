#include "lib/command.h"

#include <algorithm>
#include <chrono>
#include <future>

namespace lib {

namespace {

constexpr size_t kReadChunk = 4096;
// A process the command started may inherit the pipes and keep them open after the
// command itself has ended; its output is not waited for longer than this.
constexpr std::chrono::milliseconds kReaderGrace{2000};

// The two pipe readers of one command run. The destructor stops and joins them, so
// their records are never touched once it has returned.
class PipeReaders {
 public:
  PipeReaders(TStoReadPipeThreadParam& output, TStoReadPipeThreadParam& error)
      : output_(output), error_(error) {
    outputDone_ = std::async(std::launch::async, PipeReader, std::ref(output_));
    try {
      errorDone_ = std::async(std::launch::async, PipeReader, std::ref(error_));
    } catch (...) {
      output_.pipe->Interrupt();
      throw;
    }
  }
  PipeReaders(const PipeReaders&) = delete;
  PipeReaders& operator=(const PipeReaders&) = delete;

  // Gives the readers until the deadline to reach the end of their pipes, then
  // interrupts those still reading and waits for both.
  void Finish(std::chrono::steady_clock::time_point deadline) {
    StopAt(outputDone_, output_, deadline);
    StopAt(errorDone_, error_, deadline);
  }

  ~PipeReaders() { Finish(std::chrono::steady_clock::now()); }

 private:
  static void StopAt(std::future<uint32_t>& done, TStoReadPipeThreadParam& param,
                     std::chrono::steady_clock::time_point deadline) {
    if (!done.valid()) return;
    if (done.wait_until(deadline) != std::future_status::ready) param.pipe->Interrupt();
    // A reader that failed (out of memory) keeps the text it had; nothing to rethrow.
    done.wait();
  }

  TStoReadPipeThreadParam& output_;
  TStoReadPipeThreadParam& error_;
  std::future<uint32_t> outputDone_;
  std::future<uint32_t> errorDone_;
};

}  // namespace

uint32_t PipeReader(TStoReadPipeThreadParam& param) {
  param.text.clear();
  if (param.pipe == nullptr) return 0;
  char buffer[kReadChunk];
  // Past the bound the pipe is still drained, so the process never blocks on it.
  while (const size_t count = param.pipe->Read(buffer, sizeof buffer)) {
    const size_t room = kMaxCapturedBytes - std::min(param.text.size(), kMaxCapturedBytes);
    param.text.append(buffer, std::min(count, room));
  }
  return 0;
}

CommandEnd RunCommand(const std::string& commandLine, uint32_t timeoutMs, std::string& output,
                      std::string& error) {
  output.clear();
  error.clear();
  platform::CapturedProcess started;
  if (platform::StartCapturedProcess(commandLine, started) != platform::StartResult::kStarted) {
    return CommandEnd::kNotStarted;
  }
  TStoReadPipeThreadParam outputParam{started.output.get(), {}};
  TStoReadPipeThreadParam errorParam{started.error.get(), {}};
  bool endedInTime = false;
  try {
    PipeReaders readers(outputParam, errorParam);
    endedInTime = started.process->WaitForExit(timeoutMs);
    if (!endedInTime) started.process->Terminate();
    readers.Finish(std::chrono::steady_clock::now() + kReaderGrace);
  } catch (...) {
    // No reader could be started: nothing may be left running behind the caller.
    started.process->Terminate();
    throw;
  }
  output = std::move(outputParam.text);
  error = std::move(errorParam.text);
  if (!endedInTime) return CommandEnd::kTimedOut;
  return started.process->Killed() ? CommandEnd::kKilled : CommandEnd::kFinished;
}

bool RunCommandCaptured(const std::string& commandLine, uint32_t timeoutMs, std::string& output,
                        std::string& error) {
  return RunCommand(commandLine, timeoutMs, output, error) == CommandEnd::kFinished;
}

}  // namespace lib
