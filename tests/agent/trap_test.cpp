#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/agent/agent_harness.h"

namespace quillon_test {
namespace {

using Lines = std::vector<std::string>;

// What one SnmpExtensionTrap call handed over.
struct TrapResult {
  BOOL sent = FALSE;
  std::string enterprise;
  AsnInteger32 generic = -1;
  AsnInteger32 specific = -1;
  std::vector<std::string> bindings;  // "name = value"
  std::vector<BOOL> dynamicMarks;     // of the octet-string bindings
};

class TrapTest : public AgentTest {
 protected:
  void Start(const std::string& traps, int trapDelayMs,
             const std::vector<std::string>& extraRegistry = {}) {
    WriteCounters("[1.3.6.1.4.1.15.1.0]\r\ncounter=x\r\ntype=string\r\n");
    WriteTraps(traps);
    char delay[32];
    snprintf(delay, sizeof delay, "\"trap_delay\"=dword:%08x", trapDelayMs);
    std::vector<std::string> lines = {"\"traps\"=\"" + trapsPath_.string() + "\"", delay};
    lines.insert(lines.end(), extraRegistry.begin(), extraRegistry.end());
    WriteStandardRegistry(lines);
    ASSERT_EQ(LoadAndInit(), TRUE);
    ASSERT_NE(trapEvent_, nullptr);
  }

  // Waits for the trap event as the service does; true when it was signalled.
  bool WaitForTick(int timeoutMs) {
    pollfd event{static_cast<int>(reinterpret_cast<intptr_t>(trapEvent_)), POLLIN, 0};
    if (poll(&event, 1, timeoutMs) != 1) return false;
    uint64_t count = 0;
    return read(event.fd, &count, sizeof count) == sizeof count;
  }

  TrapResult CallTrap() {
    TrapResult result;
    AsnObjectIdentifier enterprise{};
    AsnTimeticks stamp = 0;
    SnmpVarBindList list{};
    result.sent = agent_->Trap(&enterprise, &result.generic, &result.specific, &stamp, &list);
    if (enterprise.idLength > 0) result.enterprise = OidString(enterprise);
    if (result.sent) {
      for (UINT i = 0; i < list.len; ++i) {
        result.bindings.push_back(OidString(list.list[i].name) + " = " +
                                  DescribeValue(list.list[i].value));
        if (list.list[i].value.asnType == ASN_OCTETSTRING) {
          result.dynamicMarks.push_back(list.list[i].value.asnValue.string.dynamic);
        }
      }
      SnmpUtilVarBindListFree(&list);
    }
    return result;
  }
};

TEST_F(TrapTest, ScriptOutputsBecomeTheBindingsOfOneTrap) {
  Start(
      "[1.3.6.1.4.1.15.7.1]\r\nscript=echo 17\r\n"
      "[1.3.6.1.4.1.15.7.2]\r\nscript=echo disk full\r\n"
      "[1.3.6.1.4.1.15.7.3]\r\n",
      500);
  ASSERT_TRUE(WaitForTick(5000));
  ClearLog();
  TrapResult trap = CallTrap();
  ASSERT_EQ(trap.sent, TRUE);
  EXPECT_EQ(trap.enterprise, "1.3.6.1.4.1.15.0");
  EXPECT_EQ(trap.generic, SNMP_GENERICTRAP_ENTERSPECIFIC);
  EXPECT_EQ(trap.specific, 1);
  EXPECT_EQ(trap.bindings,
            (std::vector<std::string>{"1.3.6.1.4.1.15.7.1 = INTEGER 17",
                                      "1.3.6.1.4.1.15.7.2 = OCTET STRING \"disk full\"",
                                      "1.3.6.1.4.1.15.7.3 = OCTET STRING \"\""}));
  EXPECT_EQ(trap.dynamicMarks, (std::vector<BOOL>{-1, -1})) << "the service frees every string";
  EXPECT_EQ(LogLines(), (Lines{"SnmpExtensionTrap", "executing echo 17", "executing echo disk full",
                               "Sending trap, value: 1.3.6.1.4.1.15.7.3, \"\""}));
  EXPECT_EQ(CallTrap().sent, FALSE) << "one trap per tick";
}

TEST_F(TrapTest, EnterpriseFollowsTheConfiguredOid) {
  Start("[1.3.6.1.4.1.99.1]\r\nscript=echo up\r\n", 50, {"\"oid\"=\"1.3.6.1.4.1.99\""});
  ASSERT_TRUE(WaitForTick(5000));
  TrapResult trap = CallTrap();
  ASSERT_EQ(trap.sent, TRUE);
  EXPECT_EQ(trap.enterprise, "1.3.6.1.4.1.99.0");
}

TEST_F(TrapTest, NoValueMeansNoTrapAndTheTickIsUsedUp) {
  Start("[1.3.6.1.4.1.15.7.1]\r\nother=1\r\n", 50);
  ASSERT_TRUE(WaitForTick(5000));
  TrapResult trap = CallTrap();
  EXPECT_EQ(trap.sent, FALSE);
  EXPECT_EQ(trap.enterprise, "1.3.6.1.4.1.15.0") << "a handled tick fills the trap's fields";
  EXPECT_EQ(trap.generic, SNMP_GENERICTRAP_ENTERSPECIFIC);
  EXPECT_EQ(trap.specific, 1);
  Lines lines = LogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "SnmpExtensionTrap"), 1);
  EXPECT_EQ(std::find_if(lines.begin(), lines.end(),
                         [](const std::string& line) { return line.rfind("Sending", 0) == 0; }),
            lines.end());
}

TEST_F(TrapTest, TrapBeforeTheFirstTickRunsNoScript) {
  std::filesystem::path marker = dir_ / "ran";
  Start("[1.3.6.1.4.1.15.7.1]\r\nscript=touch " + marker.string() + "\r\n", 3600000);
  TrapResult trap = CallTrap();
  EXPECT_EQ(trap.sent, FALSE);
  EXPECT_EQ(trap.generic, -1) << "nothing is written without a due trap";
  EXPECT_FALSE(std::filesystem::exists(marker));
  EXPECT_FALSE(WaitForTick(0));
}

TEST_F(TrapTest, ExecutingLineIsWrittenWithDebuggingOff) {
  WriteCounters("[1.3.6.1.4.1.15.1.0]\r\ncounter=x\r\ntype=string\r\n");
  WriteTraps("[1.3.6.1.4.1.15.7.1]\r\nscript=echo 5\r\n");
  WriteRegistry({"\"counters\"=\"" + countersPath_.string() + "\"",
                 "\"traps\"=\"" + trapsPath_.string() + "\"", "\"trap_delay\"=dword:00000032"});
  ASSERT_EQ(LoadAndInit(), TRUE);
  ASSERT_TRUE(WaitForTick(5000));
  EXPECT_EQ(CallTrap().sent, TRUE);
  EXPECT_EQ(LogLines(), (Lines{"executing echo 5"}));
}

TEST_F(TrapTest, EverySectionOfALargeTrapFileIsSent) {
  std::string traps;
  for (int i = 1; i <= 300; ++i) traps += "[1.3.6.1.4.1.15.7." + std::to_string(i) + "]\r\n";
  traps += "[1.3.6.1.4.1.15.8.1]\r\nscript=echo last\r\n";
  Start(traps, 50);
  ASSERT_TRUE(WaitForTick(5000));
  TrapResult trap = CallTrap();
  ASSERT_EQ(trap.sent, TRUE);
  ASSERT_EQ(trap.bindings.size(), 301u);
  EXPECT_EQ(trap.bindings[299], "1.3.6.1.4.1.15.7.300 = OCTET STRING \"\"");
  EXPECT_EQ(trap.bindings[300], "1.3.6.1.4.1.15.8.1 = OCTET STRING \"last\"");
}

TEST_F(TrapTest, ThousandSectionsAreSentWithTheirWholeNames) {
  std::string traps;
  for (int i = 1; i <= 1000; ++i) traps += "[1.3.6.1.4.1.15.7." + std::to_string(i) + "]\r\n";
  traps += "[1.3.6.1.4.1.15.7.1001]\r\nscript=echo last\r\n";
  Start(traps, 50);
  ASSERT_TRUE(WaitForTick(5000));
  TrapResult trap = CallTrap();
  ASSERT_EQ(trap.sent, TRUE);
  ASSERT_EQ(trap.bindings.size(), 1001u);
  for (size_t i = 0; i < 1000; ++i) {
    ASSERT_EQ(trap.bindings[i],
              "1.3.6.1.4.1.15.7." + std::to_string(i + 1) + " = OCTET STRING \"\"");
  }
  EXPECT_EQ(trap.bindings[1000], "1.3.6.1.4.1.15.7.1001 = OCTET STRING \"last\"");
}

// A trap file that others can write would let them run scripts as the service.
TEST_F(TrapTest, ATrapFileOthersCanWriteRunsNoScript) {
  const std::filesystem::path marker = dir_ / "ran";
  Start("[1.3.6.1.4.1.15.7.1]\r\nscript=touch " + marker.string() + "\r\n", 50);
  ASSERT_EQ(chmod(trapsPath_.c_str(), 0646), 0);
  ASSERT_TRUE(WaitForTick(5000));
  ClearLog();
  testing::internal::CaptureStderr();
  EXPECT_EQ(CallTrap().sent, FALSE);
  const std::string warnings = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(std::filesystem::exists(marker));
  const std::string why = "writable by group or others (mode 0646)";
  EXPECT_EQ(warnings,
            "warning: " + trapsPath_.string() + ": " + why + "; the file is treated as missing\n");
  EXPECT_EQ(LogLines(), (Lines{"SnmpExtensionTrap", "trap file " + trapsPath_.string() + ": " +
                                                        why + "; treated as missing"}));
  Unload();

  // Found so at start, it is no trap file: no timer, no event.
  trapEvent_ = nullptr;
  ASSERT_EQ(LoadAndInit(), TRUE);
  EXPECT_EQ(trapEvent_, nullptr);
}

TEST_F(TrapTest, AFifoInPlaceOfTheTrapFileSendsNothingAndNeverBlocks) {
  Start("[1.3.6.1.4.1.15.7.1]\r\nscript=echo 1\r\n", 50);
  std::filesystem::remove(trapsPath_);
  ASSERT_EQ(mkfifo(trapsPath_.c_str(), 0600), 0);
  ASSERT_TRUE(WaitForTick(5000));
  FifoUnblocker unblocker(trapsPath_);
  EXPECT_EQ(CallTrap().sent, FALSE);
  EXPECT_FALSE(unblocker.Fired()) << "the trap blocked on the FIFO";
}

TEST_F(TrapTest, PeriodBelowOneMillisecondFallsBackToTheDefault) {
  Start("[1.3.6.1.4.1.15.7.1]\r\nscript=echo 1\r\n", 0);
  EXPECT_FALSE(WaitForTick(300)) << "a zero period must not make the timer spin";
}

}  // namespace
}  // namespace quillon_test
