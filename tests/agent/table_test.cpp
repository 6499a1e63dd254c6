#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/agent/agent_harness.h"

namespace quillon_test {
namespace {

using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

const std::string kTable = "1.3.6.1.4.1.15.2";

std::string ConstantRow(const std::string& section, const std::string& value) {
  return "[" + section + "]\r\ncounter=" + value + "\r\ntype=string\r\n";
}

std::string TableRow(const std::string& counter, const std::string& flag = "round") {
  return "[" + kTable + "]\r\ncounter=" + counter + "\r\nflag=" + flag + "\r\n";
}

// The OID of a cell: the table, the column, then the name's length and bytes.
std::string Cell(int column, const std::string& instance) {
  std::string oid = kTable + "." + std::to_string(column) + "." + std::to_string(instance.size());
  for (const char c : instance) oid += "." + std::to_string(static_cast<unsigned char>(c));
  return oid;
}

class TableTest : public AgentTest {
 protected:
  void SetUp() override {
    AgentTest::SetUp();
    // A read's second sample is snapshot b, 10 s after a.
    setenv("QUILLON_PROC_ROOT", (ProcFixture("proc-a") + ":" + ProcFixture("proc-b")).c_str(), 1);
  }

  void ServeTable(const std::string& table, const std::string& sampling = "00000000",
                  const std::string& collectDelay = "0000000a") {
    Serve(ConstantRow("1.3.6.1.4.1.15.1.0", "before") + table +
              ConstantRow("1.3.6.1.4.1.15.3.0", "after"),
          {"\"sampling\"=dword:" + sampling, "\"collect_delay\"=dword:" + collectDelay});
  }

  // One GETNEXT: "name = value", or the error status.
  std::string Next(const std::string& oid) {
    Bindings bindings({oid});
    GetNext(bindings);
    if (errorStatus_ != SNMP_ERRORSTATUS_NOERROR) return "error " + std::to_string(errorStatus_);
    return bindings.Name(0) + " = " + bindings.Value(0);
  }

  // The walk from the region's base to its end.
  Lines Walk() {
    Lines answers;
    std::string oid = "1.3.6.1.4.1.15";
    while (answers.size() < 50) {
      const std::string answer = Next(oid);
      answers.push_back(answer);
      if (answer.rfind("error", 0) == 0) break;
      oid = answer.substr(0, answer.find(' '));
    }
    return answers;
  }
};

TEST_F(TableTest, AProcessorTableWalksItsNamesThenItsValuesBetweenItsNeighbours) {
  ServeTable(TableRow("Processor\\% Processor Time\\*"));
  EXPECT_EQ(Walk(),
            (Lines{"1.3.6.1.4.1.15.1.0 = OCTET STRING \"before\"",
                   Cell(1, "0") + " = OCTET STRING \"0\"", Cell(1, "1") + " = OCTET STRING \"1\"",
                   Cell(1, "_Total") + " = OCTET STRING \"_Total\"", Cell(2, "0") + " = INTEGER 60",
                   Cell(2, "1") + " = INTEGER 20", Cell(2, "_Total") + " = INTEGER 40",
                   "1.3.6.1.4.1.15.3.0 = OCTET STRING \"after\"", "error 2"}));
  // Into the table from OIDs that are no cell, and on past its end.
  EXPECT_EQ(Next(kTable), Cell(1, "0") + " = OCTET STRING \"0\"");
  EXPECT_EQ(Next(kTable + ".1.1.48.0"), Cell(1, "1") + " = OCTET STRING \"1\"");
  EXPECT_EQ(Next(kTable + ".1.7"), Cell(2, "0") + " = INTEGER 60");
  EXPECT_EQ(Next(kTable + ".2.2"), Cell(2, "_Total") + " = INTEGER 40");
  EXPECT_EQ(Next(kTable + ".3"), "1.3.6.1.4.1.15.3.0 = OCTET STRING \"after\"");
  EXPECT_EQ(Next("1.3.6.1.4.1.15.1.5"), Cell(1, "0") + " = OCTET STRING \"0\"");
}

TEST_F(TableTest, CellsAnswerGetAndACellOfNoInstanceAnswersAsARowThatIsNotThere) {
  ServeTable(TableRow("Processor\\% Processor Time\\*"));
  EXPECT_EQ(GetValue(Cell(1, "1")), "OCTET STRING \"1\"") << "a name is text, however it looks";
  EXPECT_EQ(GetValue(Cell(2, "_Total")), "INTEGER 40");
  EXPECT_EQ(GetValue(Cell(1, "7")), "error 3");
  EXPECT_EQ(GetValue(Cell(3, "0")), "error 3");
  EXPECT_EQ(GetValue(kTable + ".1.2.48"), "error 3") << "an index one byte short";
  EXPECT_EQ(GetValue(kTable), "error 3") << "the table itself has no value";

  ClearLog();
  EXPECT_EQ(GetValue(Cell(2, "0")), "INTEGER 60");
  EXPECT_EQ(LogLines(),
            (Lines{"SnmpExtensionQuery, len:1", "PduType=SNMP_PDU_GET",
                   "GetRequest: OID=" + Cell(2, "0") + " (11)",
                   "GetPerf: path=Processor\\% Processor Time\\*",
                   "GetPerf: pdh_counter_path=\\Processor(*)\\% Processor Time",
                   "GetPerf: instances=3", "GetPerf: path=Processor\\% Processor Time\\0",
                   "GetPerf: pdh_counter_path=\\Processor(0)\\% Processor Time",
                   "GetPerf: vartype=Double", "flag=round", "GetRequest: value=60 asn_type=2",
                   "GetRequest: OK"}));
}

TEST_F(TableTest, APhysicalDiskTableHasEveryDiskAndTheTotal) {
  ServeTable(TableRow("PhysicalDisk\\Disk Reads/sec\\*"));
  EXPECT_EQ(
      Walk(),
      (Lines{"1.3.6.1.4.1.15.1.0 = OCTET STRING \"before\"",
             Cell(1, "sda") + " = OCTET STRING \"sda\"", Cell(1, "vdb") + " = OCTET STRING \"vdb\"",
             Cell(1, "_Total") + " = OCTET STRING \"_Total\"", Cell(2, "sda") + " = INTEGER 50",
             Cell(2, "vdb") + " = INTEGER 10", Cell(2, "_Total") + " = INTEGER 60",
             "1.3.6.1.4.1.15.3.0 = OCTET STRING \"after\"", "error 2"}));
}

TEST_F(TableTest, ATableWithoutInstancesAnswersAsARowWithoutAValue) {
  // Memory has no instances at all.
  ServeTable(TableRow("Memory\\Available Bytes\\*"));
  EXPECT_EQ(Next("1.3.6.1.4.1.15.1.0"), "error 5");
  EXPECT_EQ(Next(kTable), "1.3.6.1.4.1.15.3.0 = OCTET STRING \"after\"");
  EXPECT_EQ(GetValue(Cell(1, "0")), "error 3");
}

TEST_F(TableTest, AnInstanceThatAppearsBetweenTwoRequestsIsServedInBothModes) {
  const std::filesystem::path proc = dir_ / "proc";
  std::filesystem::copy(ProcFixture("proc-a"), proc, std::filesystem::copy_options::recursive);
  setenv("QUILLON_PROC_ROOT", proc.c_str(), 1);
  for (const std::string sampling : {"00000000", "00000001"}) {
    std::filesystem::copy_file(ProcFixture("proc-a") + "/stat", proc / "stat",
                               std::filesystem::copy_options::overwrite_existing);
    ServeTable(TableRow("Processor\\% Processor Time\\*"), sampling, "00000064");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(GetValue(Cell(1, "1")), "OCTET STRING \"1\"") << sampling;
    EXPECT_EQ(GetValue(Cell(1, "2")), "error 3") << sampling;
    std::ofstream(proc / "stat", std::ios::app) << "cpu2 500 100 150 3500 250 50 50 0 0 0\n";
    // The instance list of a moment is kept for a second.
    std::string added;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while ((added = GetValue(Cell(1, "2"))) == "error 3" && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(added, "OCTET STRING \"2\"") << sampling;
    EXPECT_EQ(Next(Cell(1, "1")), Cell(1, "2") + " = OCTET STRING \"2\"") << sampling;
    Unload();
  }
}

TEST_F(TableTest, SampledCellsAreAnsweredAtOnceWithTheValuesOfAReadOfTheirOwn) {
  ServeTable(TableRow("Processor\\% Processor Time\\*"), "00000001", "000007d0");
  // Two collections, 2 s apart, the second one from snapshot b.
  std::this_thread::sleep_for(std::chrono::milliseconds(2400));
  const auto start = Clock::now();
  const Lines walk = Walk();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(walk,
            (Lines{"1.3.6.1.4.1.15.1.0 = OCTET STRING \"before\"",
                   Cell(1, "0") + " = OCTET STRING \"0\"", Cell(1, "1") + " = OCTET STRING \"1\"",
                   Cell(1, "_Total") + " = OCTET STRING \"_Total\"", Cell(2, "0") + " = INTEGER 60",
                   Cell(2, "1") + " = INTEGER 20", Cell(2, "_Total") + " = INTEGER 40",
                   "1.3.6.1.4.1.15.3.0 = OCTET STRING \"after\"", "error 2"}));
}

}  // namespace
}  // namespace quillon_test
