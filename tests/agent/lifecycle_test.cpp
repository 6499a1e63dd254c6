#include <filesystem>
#include <string>
#include <vector>

#include "tests/agent/agent_harness.h"

namespace quillon_test {
namespace {

using Lines = std::vector<std::string>;

class LifecycleTest : public AgentTest {};

TEST_F(LifecycleTest, UnloadStopsTheTrapTimerAndLogsTheDetach) {
  WriteCounters("[1.3.6.1.4.1.15.1.0]\r\ncounter=x\r\ntype=string\r\n");
  WriteTraps("[1.3.6.1.4.1.15.7.1]\r\nscript=echo 1\r\n");
  WriteStandardRegistry({"\"traps\"=\"" + trapsPath_.string() + "\""});
  size_t threadsBefore = ThreadCount();
  ASSERT_EQ(LoadAndInit(), TRUE);
  EXPECT_EQ(ThreadCount(), threadsBefore + 1) << "the trap timer runs";
  ClearLog();
  Unload();
  EXPECT_EQ(ThreadCount(), threadsBefore) << "no thread may outlive the library";
  EXPECT_EQ(LogLines(), (Lines{"DLL_PROCESS_DETACH", "clean"}));
}

TEST_F(LifecycleTest, WithoutTrapFileNoTimerRunsAndTheEventIsNotWritten) {
  WriteCounters("[1.3.6.1.4.1.15.1.0]\r\ncounter=x\r\ntype=string\r\n");
  WriteStandardRegistry({"\"traps\"=\"" + (dir_ / "missing.ini").string() + "\""});
  size_t threadsBefore = ThreadCount();
  HANDLE sentinel = reinterpret_cast<HANDLE>(0x5eed);
  trapEvent_ = sentinel;
  ASSERT_EQ(LoadAndInit(), TRUE);
  EXPECT_EQ(trapEvent_, sentinel);
  EXPECT_EQ(ThreadCount(), threadsBefore);
  ClearLog();
  Unload();
  EXPECT_EQ(LogLines(), (Lines{"DLL_PROCESS_DETACH", "clean"}));
}

TEST_F(LifecycleTest, SecondInitKeepsOneTimerAndOneRegion) {
  WriteCounters("[1.3.6.1.4.1.15.1.0]\r\ncounter=x\r\ntype=string\r\n");
  WriteTraps("[1.3.6.1.4.1.15.7.1]\r\nscript=echo 1\r\n");
  WriteStandardRegistry({"\"traps\"=\"" + trapsPath_.string() + "\""});
  size_t threadsBefore = ThreadCount();
  ASSERT_EQ(LoadAndInit(), TRUE);
  AsnObjectIdentifier firstRegion = region_;
  HANDLE firstEvent = trapEvent_;
  ASSERT_EQ(agent_->Init(0, &trapEvent_, &region_), TRUE);
  EXPECT_EQ(region_.ids, firstRegion.ids);
  EXPECT_EQ(trapEvent_, firstEvent);
  EXPECT_EQ(ThreadCount(), threadsBefore + 1);
}

}  // namespace
}  // namespace quillon_test
