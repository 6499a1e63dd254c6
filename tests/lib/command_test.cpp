#include "lib/command.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

struct CommandRun {
  bool result = false;
  std::string output = "stale";
  std::string error = "stale";
};

CommandRun RunCommand(const std::string& commandLine, uint32_t timeoutMs = 10000) {
  CommandRun run;
  run.result = lib::RunCommandCaptured(commandLine, timeoutMs, run.output, run.error);
  return run;
}

std::string Lines(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += std::to_string(i) + "\n";
  return text;
}

size_t OpenDescriptors() {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                           std::filesystem::directory_iterator()));
}

// A killed process that was reparented may linger as a zombie until init reaps it.
bool ProcessIsGoneNow(const std::string& pid) {
  std::ifstream stat("/proc/" + pid + "/stat");
  std::string ignored;
  std::string state;
  if (!(stat >> ignored)) return true;
  while (stat >> state && state.back() != ')') {
  }
  stat >> state;
  return state == "Z" || state == "X";
}

// SIGKILL is delivered asynchronously: a process may still be on its way out.
bool ProcessIsGone(const std::string& pid) {
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(1);
  while (!ProcessIsGoneNow(pid)) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

TEST(RunCommandCaptured, CapturesStandardOutput) {
  const CommandRun run = RunCommand(R"(printf 42\n)");
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.output, "42\n");
  EXPECT_EQ(run.error, "");
}

TEST(RunCommandCaptured, CapturesStandardErrorAndIgnoresExitCode) {
  const CommandRun run = RunCommand(R"(sh -c "echo oops >&2; exit 3")");
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.error, "oops\n");
}

TEST(RunCommandCaptured, KeepsBytesAsWritten) {
  const CommandRun run = RunCommand(R"(printf a\r\nb\0c)");
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.output, std::string("a\r\nb\0c", 6));
}

TEST(RunCommandCaptured, DrainsBothPipesBeyondTheirBuffers) {
  // Standard error comes first, so a reader that waited for standard output to end
  // would leave the process blocked on a full pipe.
  const CommandRun run = RunCommand(R"(sh -c "seq 1 100000 >&2; seq 1 100000")");
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.output.size(), Lines(100000).size());
  EXPECT_TRUE(run.output == Lines(100000));
  EXPECT_TRUE(run.error == Lines(100000));
}

TEST(RunCommandCaptured, StandardInputIsEmpty) {
  const CommandRun run = RunCommand("cat", 5000);
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.output, "");
}

TEST(RunCommandCaptured, MissingProgramGivesFalseAndEmptyTexts) {
  const CommandRun run = RunCommand("quillon-no-such-program --flag");
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.error, "");
  EXPECT_FALSE(RunCommand("   ").result);
}

TEST(RunCommandCaptured, NoInterpreterSyntaxIsApplied) {
  TempDir dir;
  const std::string target = (dir.Path() / "redirected").string();
  const CommandRun run = RunCommand(R"(printf [%s] "two words" > )" + target + " $HOME");
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.output, "[two words][>][" + target + "][$HOME]");
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST(RunCommandCaptured, TimeLimitKillsTheCommandAndWhatItStarted) {
  const Clock::time_point start = Clock::now();
  const CommandRun run =
      RunCommand(R"(sh -c "sleep 30 & echo $!; echo started >&2; sleep 30")", 300);
  const auto elapsed = Clock::now() - start;
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.error, "started\n");
  ASSERT_FALSE(run.output.empty());
  const std::string childPid = run.output.substr(0, run.output.find('\n'));
  EXPECT_TRUE(ProcessIsGone(childPid)) << "background child " << childPid << " survived";
  EXPECT_LT(elapsed, std::chrono::seconds(2));
}

TEST(RunCommandCaptured, DescendantHoldingThePipesDelaysByTheGraceOnly) {
  const Clock::time_point start = Clock::now();
  const CommandRun run = RunCommand(R"(sh -c "sleep 5 & echo done")");
  const auto elapsed = Clock::now() - start;
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.output, "done\n");
  EXPECT_GE(elapsed, std::chrono::milliseconds(1500));
  EXPECT_LT(elapsed, std::chrono::milliseconds(4000));
}

TEST(RunCommandCaptured, KeepsTheFirst16MiBOfAStreamAndDrainsTheRest) {
  // 20 MiB on each stream: a reader that stopped reading at the bound would leave the
  // command blocked on a full pipe until the time limit.
  const CommandRun run = RunCommand(
      R"(sh -c "head -c 20971520 /dev/zero | tr '\0' e >&2; head -c 20971520 /dev/zero")", 60000);
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.output.size(), lib::kMaxCapturedBytes);
  EXPECT_EQ(run.error.size(), lib::kMaxCapturedBytes);
  EXPECT_EQ(run.error.find_first_not_of('e'), std::string::npos);
}

TEST(RunCommandCaptured, CommandGetsNoDescriptorOfItsCaller) {
  // A descriptor the caller forgot to mark close-on-exec, like a library's socket.
  const int leaked = dup(STDIN_FILENO);
  ASSERT_GE(leaked, 0);
  // The shell lists its own descriptors; "; true" keeps it from handing over to ls.
  const CommandRun run = RunCommand(R"(sh -c "ls /proc/$$/fd; true")");
  close(leaked);
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.output, "0\n1\n2\n");
}

TEST(EndRunningCommands, EndsARunningCommandAndWhatItStartedSoTheRunReturns) {
  const Clock::time_point start = Clock::now();
  std::thread stopper([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    platform::EndRunningCommands();
  });
  const CommandRun run = RunCommand(R"(sh -c "sleep 60 & echo $!; sleep 60")", 120000);
  stopper.join();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
  EXPECT_FALSE(run.result) << "a command ended by the stop did not finish";
  ASSERT_FALSE(run.output.empty());
  const std::string childPid = run.output.substr(0, run.output.find('\n'));
  EXPECT_TRUE(ProcessIsGone(childPid)) << "background child " << childPid << " survived";
}

TEST(RunCommand, SaysHowTheRunEnded) {
  std::string output;
  std::string error;
  EXPECT_EQ(lib::RunCommand(R"(sh -c "echo out; exit 3")", 10000, output, error),
            lib::CommandEnd::kFinished);
  EXPECT_EQ(output, "out\n");
  EXPECT_EQ(lib::RunCommand("quillon-no-such-program", 10000, output, error),
            lib::CommandEnd::kNotStarted);
  EXPECT_EQ(lib::RunCommand(R"(sh -c "echo partial; sleep 5")", 500, output, error),
            lib::CommandEnd::kTimedOut);
  EXPECT_EQ(output, "partial\n");
  // Killed as a stopping service or the kernel kills it; a command that fails on its own
  // is still a finished run.
  EXPECT_EQ(lib::RunCommand(R"(sh -c "echo partial; kill -KILL $$")", 10000, output, error),
            lib::CommandEnd::kKilled);
  EXPECT_EQ(output, "partial\n");
  EXPECT_EQ(lib::RunCommand(R"(sh -c "kill -TERM $$")", 10000, output, error),
            lib::CommandEnd::kFinished);
}

TEST(RunCommandCaptured, LeavesNoDescriptorsOrZombies) {
  const size_t before = OpenDescriptors();
  RunCommand("true");
  RunCommand("quillon-no-such-program");
  RunCommand("sleep 5", 50);
  EXPECT_EQ(OpenDescriptors(), before);
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

}  // namespace
