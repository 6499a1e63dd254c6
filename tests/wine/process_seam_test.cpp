// The command runner on CreateProcess and anonymous pipes, as the agent's command rows
// and trap scripts use it.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "lib/command.h"
#include "tests/wine/child_modes.h"

namespace {

using wine_test::ChildCommand;

struct Captured {
  bool result = false;
  std::string output;
  std::string error;
};

Captured RunCaptured(const std::string& commandLine, uint32_t limitMs = 60000) {
  Captured run;
  run.result = lib::RunCommandCaptured(commandLine, limitMs, run.output, run.error);
  return run;
}

TEST(CommandRunner, CapturesBothStreamsOfACommandInterpreterRun) {
  const Captured run = RunCaptured("cmd /c echo 42");
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.output, "42\r\n");
  EXPECT_EQ(run.error, "");

  const Captured errorOnly = RunCaptured(ChildCommand("stderr oops"));
  EXPECT_TRUE(errorOnly.result);
  EXPECT_EQ(errorOnly.output, "");
  EXPECT_EQ(errorOnly.error, "oops");
}

TEST(CommandRunner, TakesMoreThanAPipeHoldsWhole) {
  const Captured run = RunCaptured(ChildCommand("write-bytes 600000"));
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.output.size(), 600000u);
  EXPECT_EQ(run.output.find_first_not_of('x'), std::string::npos);
}

TEST(CommandRunner, StartsNoInterpreterOfItsOwn) {
  const Captured run = RunCaptured(ChildCommand("echo a>b \"c d\""));
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.output, "a>b c d");
  EXPECT_EQ(GetFileAttributesA("b"), INVALID_FILE_ATTRIBUTES);
}

TEST(CommandRunner, AnUnknownProgramGivesFalseAndNoText) {
  const Captured run = RunCaptured("quillon-no-such-program --version");
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.error, "");
}

TEST(CommandRunner, EndsAProcessAtTheTimeLimit) {
  const auto start = std::chrono::steady_clock::now();
  const Captured run = RunCaptured(ChildCommand("sleep 60000"), 500);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(run.result);
  EXPECT_LT(elapsed, std::chrono::seconds(30));
}

TEST(CommandRunner, SaysWhetherTheProcessFinishedOrRanPastTheLimit) {
  std::string output;
  std::string error;
  EXPECT_EQ(lib::RunCommand(ChildCommand("sleep 60000"), 500, output, error),
            lib::CommandEnd::kTimedOut);
  // A process that ends by itself finished, whatever its exit code.
  EXPECT_EQ(lib::RunCommand("cmd /c exit 1223", 60000, output, error), lib::CommandEnd::kFinished);
}

TEST(CommandRunner, TheChildInheritsNothingButItsPipes) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE event = CreateEventA(&inheritable, TRUE, TRUE, nullptr);
  ASSERT_NE(event, nullptr);
  const auto value = reinterpret_cast<std::uintptr_t>(event);
  const Captured run = RunCaptured(ChildCommand("probe-handle " + std::to_string(value)));
  CloseHandle(event);
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.output, "not inherited");
}

}  // namespace
