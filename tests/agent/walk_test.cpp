#include <string>
#include <vector>

#include "tests/agent/agent_harness.h"

namespace quillon_test {
namespace {

using Lines = std::vector<std::string>;

std::string Row(const std::string& section, const std::string& value) {
  return "[" + section + "]\r\ncounter=" + value + "\r\ntype=string\r\n";
}

class WalkTest : public AgentTest {
 protected:
  // One GETNEXT; returns "name = value" or the error status.
  std::string Next(const std::string& oid) {
    Bindings bindings({oid});
    GetNext(bindings);
    if (errorStatus_ != SNMP_ERRORSTATUS_NOERROR) {
      EXPECT_EQ(bindings.Name(0), oid) << "a failed answer leaves the binding";
      return "error " + std::to_string(errorStatus_);
    }
    return bindings.Name(0) + " = " + bindings.Value(0);
  }
};

TEST_F(WalkTest, WalksInFileOrderFromTheBaseToTheEnd) {
  Serve(Row("1.3.6.1.4.1.15.5.0", "five") + Row("1.3.6.1.4.1.15.2.0", "two"));
  EXPECT_EQ(Next("1.3.6.1.4.1.15"), "1.3.6.1.4.1.15.5.0 = OCTET STRING \"five\"");
  EXPECT_EQ(Next("1.3.6.1.4.1.15.5.0"), "1.3.6.1.4.1.15.2.0 = OCTET STRING \"two\"");
  EXPECT_EQ(Next("1.3.6.1.4.1.15.2.0"), "error 2");
  EXPECT_EQ(Next("1.3.6.1.4.1.16"), "error 2");
  EXPECT_EQ(LogLines().back(), "comparemem=false");
}

TEST_F(WalkTest, AnOidThatNamesNoRowAnswersTheRowWithTheSmallestOidAfterIt) {
  Serve(Row("1.3.6.1.4.1.15.3.0", "three") + Row("1.3.6.1.4.1.15.2.2.0", "two-two") +
        Row("1.3.6.1.4.1.15.2.1.0", "two-one") + Row("general", "word") +
        "[1.3.6.1.4.1.15.2.9]\r\ncounter=echo ran\r\ntype=exec\r\n" +
        Row("1.3.6.1.4.1.15.10.0", "ten"));
  // A subtree walk: into the subtree by OID, then on in file order.
  EXPECT_EQ(Next("1.3.6.1.4.1.15.2"), "1.3.6.1.4.1.15.2.1.0 = OCTET STRING \"two-one\"");
  EXPECT_EQ(Next("1.3.6.1.4.1.15.2.1.0"), "error 5") << "on in file order, to \"general\"";
  EXPECT_EQ(Next("1.3.6.1.4.1.15.2.1"), "1.3.6.1.4.1.15.2.1.0 = OCTET STRING \"two-one\"");
  EXPECT_EQ(Next("1.3.6.1.4.1.15.2.2.0.7"), "1.3.6.1.4.1.15.2.9 = OCTET STRING \"ran\"");
  // Sub-identifiers compare as numbers, not as text.
  EXPECT_EQ(Next("1.3.6.1.4.1.15.4"), "1.3.6.1.4.1.15.10.0 = OCTET STRING \"ten\"");
  EXPECT_EQ(Next("1.3.6.1.4.1.15.0.99"), "1.3.6.1.4.1.15.2.1.0 = OCTET STRING \"two-one\"");
  ClearLog();
  EXPECT_EQ(Next("1.3.6.1.4.1.15.2.3"), "1.3.6.1.4.1.15.2.9 = OCTET STRING \"ran\"");
  EXPECT_EQ(LogLines(), (Lines{"SnmpExtensionQuery, len:1", "PduType=SNMP_PDU_GETNEXT",
                               "GetNextRequest:1.3.6.1.4.1.15.2.3(9)",
                               "GetPerf: executing echo ran", "value=ran length=3",
                               "Next OID: 1.3.6.1.4.1.15.2.9 idlength=9", "GetNextRequest OK"}))
      << "only the answered row is read";
  // After the last row and outside the region nothing changes.
  EXPECT_EQ(Next("1.3.6.1.4.1.15.10.0.1"), "error 2");
  EXPECT_EQ(Next("1.3.6.1.4.1.15.11"), "error 2");
  EXPECT_EQ(LogLines().back(), "SNMP_ERRORSTATUS_NOSUCHNAME");
  EXPECT_EQ(Next("1.3.6.1.4.1.16.2"), "error 2");
  EXPECT_EQ(LogLines().back(), "comparemem=false");
}

TEST_F(WalkTest, BetweenRowsOidOrderHoldsForEveryRowAndForTheFileAsEdited) {
  std::string rows;
  for (int i = 40; i >= 1; --i) {
    rows += Row("1.3.6.1.4.1.15." + std::to_string(i * 10) + ".0", std::to_string(i * 10));
  }
  Serve(rows + Row("1.3.6.1.4.1.15.0200.0", "padded") + Row("1.3.6.1.4.1.15.x", "word"));
  EXPECT_EQ(Next("1.3.6.1.4.1.15.0"), "1.3.6.1.4.1.15.10.0 = INTEGER 10");
  for (int i = 1; i < 40; ++i) {
    const std::string after = "1.3.6.1.4.1.15." + std::to_string(i * 10) + ".0.1";
    EXPECT_EQ(Next(after), "1.3.6.1.4.1.15." + std::to_string(i * 10 + 10) + ".0 = INTEGER " +
                               std::to_string(i * 10 + 10))
        << after;
  }
  EXPECT_EQ(Next("1.3.6.1.4.1.15.400.0.1"), "error 2");
  Unload();
  // A name written with a leading zero stands among the others by its value; its answer
  // is the row its OID's text names.
  Serve(Row("1.3.6.1.4.1.15.3.0", "three") + Row("1.3.6.1.4.1.15.02.0", "padded") +
        Row("1.3.6.1.4.1.15.1.0", "one") + Row("1.3.6.1.4.1.15.2.0", "two"));
  EXPECT_EQ(Next("1.3.6.1.4.1.15.1.0.1"), "1.3.6.1.4.1.15.2.0 = OCTET STRING \"two\"");
  WriteCounters(Row("1.3.6.1.4.1.15.3.0", "three") + Row("1.3.6.1.4.1.15.1.5.0", "one-five") +
                Row("1.3.6.1.4.1.15.1.0", "one"));
  EXPECT_EQ(Next("1.3.6.1.4.1.15.1.0.1"), "1.3.6.1.4.1.15.1.5.0 = OCTET STRING \"one-five\"");
}

TEST_F(WalkTest, ExactLinesOfAGetNext) {
  Serve(Row("1.3.6.1.4.1.15.1.0", "one") + Row("1.3.6.1.4.1.15.2.0", "7"));
  Next("1.3.6.1.4.1.15.1.0");
  EXPECT_EQ(LogLines(), (Lines{"SnmpExtensionQuery, len:1", "PduType=SNMP_PDU_GETNEXT",
                               "GetNextRequest:1.3.6.1.4.1.15.1.0(9)", "value=7 length=1",
                               "Next OID: 1.3.6.1.4.1.15.2.0 idlength=9", "GetNextRequest OK"}));
}

TEST_F(WalkTest, RepeatedSectionAnswersTheRowAfterItsFirstOccurrence) {
  Serve(Row("1.3.6.1.4.1.15.1", "a") + Row("1.3.6.1.4.1.15.2", "b") +
        Row("1.3.6.1.4.1.15.1", "again"));
  EXPECT_EQ(Next("1.3.6.1.4.1.15.1"), "1.3.6.1.4.1.15.2 = OCTET STRING \"b\"");
  Unload();
  Serve(Row("1.3.6.1.4.1.15.2", "b") + Row("1.3.6.1.4.1.15.1", "a"));
  EXPECT_EQ(Next("1.3.6.1.4.1.15.1"), "error 2") << "file order, not OID order";
}

TEST_F(WalkTest, WordSectionBecomesSubIdentifierZero) {
  Serve(Row("1.3.6.1.4.1.15.1", "a") + Row("general", "b") + Row("0", "zero"));
  EXPECT_EQ(Next("1.3.6.1.4.1.15.1"), "0 = OCTET STRING \"zero\"");
  EXPECT_EQ(LogLines().at(3), "string2oid: 'general' is not a valid integer value");
}

TEST_F(WalkTest, LeadingZeroSectionIsReachedOnlyByWalking) {
  Serve(Row("1.3.6.1.4.1.15.01", "padded") + Row("1.3.6.1.4.1.15.1", "plain"));
  Bindings get({"1.3.6.1.4.1.15.1"});
  Get(get);
  EXPECT_EQ(get.Value(0), "OCTET STRING \"plain\"");
  EXPECT_EQ(Next("1.3.6.1.4.1.15"), "1.3.6.1.4.1.15.1 = OCTET STRING \"plain\"");
}

TEST_F(WalkTest, ConfiguredBaseOidWalksItsOwnRegion) {
  Serve(Row("1.3.6.1.4.1.15.2", "self") + Row("1.3.6.1.4.1.15.2.1", "child"),
        {"\"oid\"=\"1.3.6.1.4.1.15.2\""});
  EXPECT_EQ(Next("1.3.6.1.4.1.15.2"), "1.3.6.1.4.1.15.2.1 = OCTET STRING \"child\"");
  EXPECT_EQ(Next("1.3.6.1.4.1.15.3"), "error 2");
  Bindings self({"1.3.6.1.4.1.15.2"});
  Get(self);
  EXPECT_EQ(self.Value(0), "OCTET STRING \"self\"");
}

TEST_F(WalkTest, NextRowWithoutValueIsGenErr) {
  Serve(Row("1.3.6.1.4.1.15.1", "a") + "[1.3.6.1.4.1.15.2]\r\ntype=string\r\n");
  EXPECT_EQ(Next("1.3.6.1.4.1.15.1"), "error 5");
}

TEST_F(WalkTest, EmptyCountersFileEndsTheWalkAtOnce) {
  Serve("; no rows\r\n");
  EXPECT_EQ(Next("1.3.6.1.4.1.15"), "error 2");
  EXPECT_EQ(Next("1.3.6.1.4.1.15.1"), "error 2");
}

}  // namespace
}  // namespace quillon_test
