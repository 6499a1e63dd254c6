#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/agent/agent_harness.h"

namespace quillon_test {
namespace {

using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

std::string Row(int index, const std::string& counter, const std::string& flag) {
  return "[1.3.6.1.4.1.15.1." + std::to_string(index) + ".0]\r\ncounter=" + counter +
         "\r\nflag=" + flag + "\r\n";
}

std::string RowOid(int index) { return "1.3.6.1.4.1.15.1." + std::to_string(index) + ".0"; }

class SamplingTest : public AgentTest {
 protected:
  void SetUp() override {
    AgentTest::SetUp();
    // Every collection after the first reads snapshot b: rates over a to b, 10 s apart.
    setenv("QUILLON_PROC_ROOT", (ProcFixture("proc-a") + ":" + ProcFixture("proc-b")).c_str(), 1);
  }

  void ServeSampled(const std::string& rows, int collectDelayMs) {
    Serve(rows, {"\"sampling\"=dword:00000001",
                 "\"collect_delay\"=dword:" + Hex(static_cast<uint32_t>(collectDelayMs))});
  }

  static std::string Hex(uint32_t value) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", value);
    return digits;
  }
};

TEST_F(SamplingTest, RateRowsAreAnsweredAtOnceFromTheLatestInterval) {
  const std::vector<std::pair<std::string, std::string>> rates = {
      {"Processor\\% Processor Time\\_Total", "INTEGER 40"},
      {"Processor\\% Processor Time\\0", "INTEGER 60"},
      {"Processor\\% Processor Time\\1", "INTEGER 20"},
      {"Processor\\% User Time\\_Total", "INTEGER 25"},
      {"Processor\\Interrupts/sec\\_Total", "INTEGER 150"},
      {"Memory\\Page Faults/sec", "INTEGER 5000"},
      {"System\\Context Switches/sec", "INTEGER 10000"},
      {"Memory\\Available MBytes", "INTEGER 7812"},
      {"System\\Threads", "INTEGER 250"},
      {"System\\Processes", "INTEGER 4"}};
  std::string rows;
  std::vector<std::string> oids;
  for (size_t i = 0; i < rates.size(); ++i) {
    rows += Row(static_cast<int>(i + 1), rates[i].first, "round");
    oids.push_back(RowOid(static_cast<int>(i + 1)));
  }
  // One request reading each row on its own would take 10 x 2 s.
  ServeSampled(rows, 2000);
  std::this_thread::sleep_for(std::chrono::milliseconds(2400));
  Bindings bindings(oids);
  const auto start = Clock::now();
  Get(bindings);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_NOERROR);
  for (size_t i = 0; i < rates.size(); ++i) EXPECT_EQ(bindings.Value(i), rates[i].second) << i;

  ClearLog();
  EXPECT_EQ(GetValue(RowOid(1)), "INTEGER 40");
  EXPECT_EQ(LogLines(), (Lines{"SnmpExtensionQuery, len:1", "PduType=SNMP_PDU_GET",
                               "GetRequest: OID=1.3.6.1.4.1.15.1.1.0 (10)",
                               "GetPerf: path=Processor\\% Processor Time\\_Total",
                               "GetPerf: pdh_counter_path=\\Processor(_Total)\\% Processor Time",
                               "GetPerf: vartype=Double", "flag=round",
                               "GetRequest: value=40 asn_type=2", "GetRequest: OK"}));
}

TEST_F(SamplingTest, StartsWithItsModeLoggedAndNeverWithAnUnknownOne) {
  WriteCounters(Row(1, "System\\Threads", "norefresh"));
  const size_t threadsBefore = ThreadCount();
  WriteStandardRegistry({"\"sampling\"=dword:00000001", "\"collect_delay\"=dword:00000032"});
  ASSERT_EQ(LoadAndInit(), TRUE);
  EXPECT_EQ(ThreadCount(), threadsBefore + 1) << "the sampler runs";
  Lines lines = LogLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Sampling: in the background, every 100 ms"),
            lines.end());
  Unload();
  EXPECT_EQ(ThreadCount(), threadsBefore) << "no thread may outlive the library";

  ClearLog();
  WriteStandardRegistry({"\"sampling\"=dword:00000007"});
  ASSERT_EQ(LoadAndInit(), TRUE);
  EXPECT_EQ(ThreadCount(), threadsBefore);
  lines = LogLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "sampling=7 is no sampling mode; each read samples on its own"),
            lines.end());
  for (const std::string& line : lines) EXPECT_EQ(line.find("Sampling:"), std::string::npos);
}

TEST_F(SamplingTest, ARowAddedByAnEditJoinsTheSampler) {
  // Read on its own, a norefresh row sees snapshot a; sampled, the latest is b's.
  const std::string upTime = Row(2, "System\\System Up Time", "norefresh,round");
  ServeSampled(Row(1, "System\\Threads", "norefresh"), 100);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  WriteCounters(Row(1, "System\\Threads", "norefresh") + upTime);
  const std::string onItsOwn = GetValue(RowOid(2));
  ASSERT_EQ(onItsOwn.rfind("INTEGER ", 0), 0u) << onItsOwn;
  std::string sampled = onItsOwn;
  for (int wait = 0; wait < 100 && sampled == onItsOwn; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    sampled = GetValue(RowOid(2));
  }
  EXPECT_EQ(std::stoll(sampled.substr(8)) - std::stoll(onItsOwn.substr(8)), 10)
      << "snapshot b lies 10 s after a";
  WriteCounters(Row(1, "System\\Threads", "norefresh"));
  EXPECT_EQ(GetValue(RowOid(2)), "error 3") << "gone with its row";
  EXPECT_EQ(GetValue(RowOid(1)), "INTEGER 250");
}

TEST_F(SamplingTest, UnloadsCleanlyWhileTheSamplerCollects) {
  // The live machine's processes make collections that take a while.
  setenv("QUILLON_PROC_ROOT", "/proc", 1);
  const size_t threadsBefore = ThreadCount();
  for (int round = 0; round < 10; ++round) {
    ServeSampled(Row(1, "Process\\% Processor Time\\_Total", "") +
                     Row(2, "Process\\Working Set\\_Total", "norefresh"),
                 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(round * 23));
    EXPECT_EQ(GetValue(RowOid(2)).rfind("error", 0), std::string::npos);
    Unload();
    EXPECT_EQ(ThreadCount(), threadsBefore);
  }
}

}  // namespace
}  // namespace quillon_test
