#include <string>
#include <vector>

#include "tests/agent/agent_harness.h"

namespace quillon_test {
namespace {

using Lines = std::vector<std::string>;

class ValueTest : public AgentTest {
 protected:
  std::string GetRow() { return GetValue("1.3.6.1.4.1.15.1.0"); }

  // The log lines from GetPerf's first line to the value's line.
  Lines RowLines() {
    Lines all = LogLines();
    return Lines(all.begin() + 3, all.end());
  }

  static std::string CommandRow(const std::string& commandLine) {
    return "[1.3.6.1.4.1.15.1.0]\r\ntype=exec\r\ncounter=" + commandLine + "\r\n";
  }
  static std::string CounterRow(const std::string& path, const std::string& flag) {
    return "[1.3.6.1.4.1.15.1.0]\r\ncounter=" + path + "\r\nflag=" + flag + "\r\n";
  }
};

TEST_F(ValueTest, CommandOutputIsTrimmedButKeepsInnerLineBreaks) {
  Serve(CommandRow("printf \"42\\r\\n\""));
  EXPECT_EQ(GetRow(), "INTEGER 42");
  Unload();
  Serve(CommandRow("printf \"first\\nsecond\\n\""));
  EXPECT_EQ(GetRow(), "OCTET STRING \"first\nsecond\"");
}

TEST_F(ValueTest, CommandErrorOutputIsLoggedAndTheOutputStillCounts) {
  WriteFile(dir_ / "noisy.sh", "echo 7\necho oops >&2\n");
  Serve(CommandRow("sh " + (dir_ / "noisy.sh").string()));
  EXPECT_EQ(GetRow(), "INTEGER 7");
  EXPECT_EQ(RowLines(), (Lines{"GetPerf: executing sh " + (dir_ / "noisy.sh").string(),
                               "GetPerf: CreateProcess returned an error: oops\n",
                               "GetRequest: value=7 asn_type=2", "GetRequest: OK"}));
}

TEST_F(ValueTest, CommandThatDoesNotStartHasNoValue) {
  Serve(CommandRow("/no/such/program --flag"));
  EXPECT_EQ(GetRow(), "error 3");
  EXPECT_EQ(RowLines().at(1), "GetPerf: CreateProcess returned false");
}

TEST_F(ValueTest, CommandKilledBeforeItFinishedFailsTheRequest) {
  // SIGKILL, as a stopping service ends the commands it waits on; what the command wrote
  // before is no value.
  const std::string command = R"(sh -c "echo partial; kill -KILL $$")";
  Serve(CommandRow(command));
  EXPECT_EQ(GetRow(), "error 5");
  EXPECT_EQ(RowLines(),
            (Lines{"GetPerf: executing " + command, "GetPerf: CreateProcess returned false",
                   "SnmpExtensionQuery: command killed before it finished: " + command}));
  Bindings next({"1.3.6.1.4.1.15"});
  EXPECT_EQ(GetNext(next), TRUE);
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_GENERR);
  EXPECT_EQ(next.Name(0), "1.3.6.1.4.1.15");
  EXPECT_EQ(next.Value(0), "NULL");
}

TEST_F(ValueTest, ExecWithoutCommandStartsNothing) {
  Serve("[1.3.6.1.4.1.15.1.0]\r\ntype=exec\r\n");
  EXPECT_EQ(GetRow(), "error 3");
  EXPECT_EQ(RowLines().at(0), "GetPerf: path is empty for 1.3.6.1.4.1.15.1.0");
}

TEST_F(ValueTest, ConstantIsTrimmedAndIgnoresFlags) {
  Serve("[1.3.6.1.4.1.15.1.0]\r\ntype=string\r\nflag=div 0\r\ncounter=  two words \t\r\n");
  EXPECT_EQ(GetRow(), "OCTET STRING \"two words\"");
}

}  // namespace
}  // namespace quillon_test
