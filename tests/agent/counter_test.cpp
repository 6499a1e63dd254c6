#include <algorithm>
#include <string>
#include <vector>

#include "tests/agent/agent_harness.h"

namespace quillon_test {
namespace {

using Lines = std::vector<std::string>;

// Fixture values (tests/fixtures/proc-a): Memory "Available KBytes" 8000000 and
// "Available MBytes" 7812; System "Threads" 250; the process "bigproc" has a virtual
// size of 2^32 + 2.
constexpr const char* kKBytes = "Memory\\Available KBytes";
constexpr const char* kMBytes = "Memory\\Available MBytes";
constexpr const char* kThreads = "System\\Threads";
constexpr const char* kBigVirtual = "Process\\Virtual Bytes\\bigproc";

class CounterTest : public AgentTest {
 protected:
  // One counter row read by GET under the given flags: its value, or the error status.
  std::string Read(const std::string& path, const std::string& flag,
                   const std::vector<std::string>& extraRegistry = {}) {
    if (agent_) Unload();
    Serve("[1.3.6.1.4.1.15.1.0]\r\ncounter=" + path + "\r\nflag=" + flag + "\r\n", extraRegistry);
    return GetValue("1.3.6.1.4.1.15.1.0");
  }

  bool Logged(const std::string& line) {
    Lines lines = LogLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
};

TEST_F(CounterTest, RawHalvesOfA64BitValue) {
  EXPECT_EQ(Read(kBigVirtual, "raw,norefresh"), "OCTET STRING \"4294967298\"");
  EXPECT_EQ(Read(kBigVirtual, "raw,norefresh,lo"), "INTEGER 2");
  EXPECT_TRUE(Logged("GetPerf: vartype=Int64"));
  EXPECT_EQ(Read(kBigVirtual, "raw,norefresh,hi"), "INTEGER 1");
  EXPECT_EQ(Read(kBigVirtual, "raw,norefresh,swap64"), "OCTET STRING \"8589934593\"");
}

TEST_F(CounterTest, DivideAndMultiplyReadTheirOperand) {
  EXPECT_EQ(Read(kMBytes, "norefresh,div 1000"), "OCTET STRING \"7.812\"");
  EXPECT_EQ(Read(kMBytes, "norefresh, div:1000"), "OCTET STRING \"7.812\"");
  EXPECT_EQ(Read(kThreads, "norefresh,mult8"), "INTEGER 2000");
  EXPECT_EQ(Read(kThreads, "norefresh,mult 8,"), "INTEGER 2000");
}

TEST_F(CounterTest, RoundGoesToTheEvenNeighbour) {
  EXPECT_EQ(Read(kThreads, "norefresh,div 100"), "OCTET STRING \"2.5\"");
  EXPECT_EQ(Read(kThreads, "norefresh,div 100,round"), "INTEGER 2");
  EXPECT_EQ(Read(kMBytes, "norefresh,div 2232"), "OCTET STRING \"3.5\"");
  EXPECT_EQ(Read(kMBytes, "norefresh,div 2232,round"), "INTEGER 4");
}

TEST_F(CounterTest, OperandThatIsNoIntegerFailsTheBinding) {
  EXPECT_EQ(Read(kThreads, "norefresh,mult=8"), "error 5");
  EXPECT_EQ(LogLines().back(), "SnmpExtensionQuery: '=8' is not a valid integer value");
}

// A failure inside the handler leaves its binding untouched; answering it noError would
// report a failure as success, so it is genErr, at its own position, and the other
// bindings are still answered.
TEST_F(CounterTest, FailureInsideTheHandlerIsGenErrAndLeavesTheBindingAsItCame) {
  Serve(
      "[1.3.6.1.4.1.15.1.0]\r\ncounter=two\r\ntype=string\r\n"
      "[1.3.6.1.4.1.15.2.0]\r\ncounter=" +
      std::string(kThreads) + "\r\nflag=norefresh,mult=8\r\n");
  for (bool extended : {false, true}) {
    Bindings get({"1.3.6.1.4.1.15.1.0", "1.3.6.1.4.1.15.2.0"});
    EXPECT_EQ(extended ? agent_->QueryEx(SNMP_EXTENSION_GET, 0, get.List(), nullptr, &errorStatus_,
                                         &errorIndex_)
                       : Get(get),
              TRUE);
    EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_GENERR);
    EXPECT_EQ(errorIndex_, 2);
    EXPECT_EQ(get.Value(0), "OCTET STRING \"two\"");
    EXPECT_EQ(get.Name(1), "1.3.6.1.4.1.15.2.0");
    EXPECT_EQ(get.Value(1), "NULL");
  }
  EXPECT_EQ(LogLines().back(), "SnmpExtensionQueryEx: '=8' is not a valid integer value");

  Bindings next({"1.3.6.1.4.1.15.1.0"});
  EXPECT_EQ(GetNext(next), TRUE);
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_GENERR);
  EXPECT_EQ(errorIndex_, 1);
  EXPECT_EQ(next.Name(0), "1.3.6.1.4.1.15.1.0");
  EXPECT_EQ(next.Value(0), "NULL");
}

TEST_F(CounterTest, UnrepresentableResultsGiveNoValue) {
  EXPECT_EQ(Read(kThreads, "norefresh,div 0"), "error 3");
  EXPECT_TRUE(Logged("GetPerf: div by 0"));
  EXPECT_EQ(Read(kBigVirtual, "raw,norefresh,mult -2147483648"), "error 3")
      << "an integer is multiplied exactly, and this product leaves the 64-bit range";
  EXPECT_TRUE(Logged("GetPerf: mult out of range"));
  std::string huge = "norefresh";
  for (int i = 0; i < 2; ++i) huge += ",mult 2147483647";
  EXPECT_EQ(Read(kKBytes, huge + ",lo"), "error 3");
  EXPECT_TRUE(Logged("GetPerf: lo out of range"));
  EXPECT_EQ(Read(kKBytes, huge + ",round"), "error 3");
  EXPECT_TRUE(Logged("GetPerf: round out of range"));
  for (int i = 0; i < 40; ++i) huge += ",mult 2147483647";
  EXPECT_EQ(Read(kKBytes, huge), "error 3");
  EXPECT_TRUE(Logged("GetPerf: mult out of range"));
}

TEST_F(CounterTest, FailedReadSkipsTheFlags) {
  EXPECT_EQ(Read("Process\\Virtual Bytes\\nosuchprocess", "norefresh,div x"), "error 3");
  EXPECT_TRUE(Logged("GetPerf: vartype=Null"));
}

TEST_F(CounterTest, NegativeCollectDelayIsNoPause) {
  EXPECT_EQ(Read(kKBytes, "", {"\"collect_delay\"=dword:ffffffff"}), "INTEGER 8000000");
}

TEST_F(CounterTest, ExactLinesOfACounterRead) {
  Read(kKBytes, "norefresh,lo");
  EXPECT_EQ(
      LogLines(),
      (Lines{"SnmpExtensionQuery, len:1", "PduType=SNMP_PDU_GET",
             "GetRequest: OID=1.3.6.1.4.1.15.1.0 (9)", "GetPerf: path=Memory\\Available KBytes",
             "GetPerf: pdh_counter_path=\\Memory\\Available KBytes", "GetPerf: vartype=Double",
             "flag=norefresh,lo", "GetRequest: value=8000000 asn_type=2", "GetRequest: OK"}));
}

}  // namespace
}  // namespace quillon_test
