#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The read end of a pipe that a started process writes to. Closed on destruction.
class PipeReadEnd {
 public:
  virtual ~PipeReadEnd() = default;
  // Blocks until data arrives; returns the number of bytes read, 0 at the end of
  // the pipe, on failure, or once Interrupt() was called.
  virtual size_t Read(char* buffer, size_t size) = 0;
  // Makes a blocked or later Read() return 0. Safe to call from another thread.
  virtual void Interrupt() = 0;
};

// A started process. Destruction releases its handles; it neither waits for nor
// kills the process (on Linux a process that has ended is reaped).
class ChildProcess {
 public:
  virtual ~ChildProcess() = default;
  // True once the process has ended; false when the time limit ran out first.
  virtual bool WaitForExit(uint32_t timeoutMs) = 0;
  // Ends the process at once: on Windows TerminateProcess with exit code 1223;
  // on Linux SIGKILL to its whole process group, which it leads.
  virtual void Terminate() = 0;
  // True once the process has ended because it was killed, not by itself. On Linux: by
  // SIGKILL, which a stopping service and the time limit send, and the kernel when
  // memory runs out. On Windows only the time limit ends a command, and its caller
  // knows that already: false.
  virtual bool Killed() const = 0;
};

struct CapturedProcess {
  std::unique_ptr<ChildProcess> process;
  std::unique_ptr<PipeReadEnd> output;  // the process's standard output
  std::unique_ptr<PipeReadEnd> error;   // the process's standard error
};

enum class StartResult { kStarted, kPipeFailed, kStartFailed };

// Starts a command line with no command interpreter in between: the first word is
// the program, searched for as the platform's process creation does (on Linux:
// words split by the Windows command-line rules, the program searched on PATH,
// standard input /dev/null, a process group of its own, no descriptor of this process
// but the three standard ones). Standard output and
// standard error go to two fresh pipes whose read ends are handed back; this
// process keeps no copy of their write ends. On failure nothing is left open.
StartResult StartCapturedProcess(const std::string& commandLine, CapturedProcess& started);

// Ends at once, each with its process group, the processes that StartCapturedProcess
// started in this process and that are still running, so that a call waiting on one of
// them returns. For a service that is stopping. Safe to call from any thread. Linux
// only: its one caller is the Linux service stand-in (the Windows SNMP service ends
// agents itself).
void EndRunningCommands();

}  // namespace platform
