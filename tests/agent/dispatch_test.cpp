#include <string>
#include <vector>

#include "tests/agent/agent_harness.h"

namespace quillon_test {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kRows =
    "[1.3.6.1.4.1.15.1.0]\r\ncounter=one\r\ntype=string\r\n"
    "[1.3.6.1.4.1.15.2.0]\r\ncounter=two\r\ntype=string\r\n"
    "[1.3.6.1.4.1.15.3.0]\r\ncounter=three\r\ntype=string\r\n";

class DispatchTest : public AgentTest {
 protected:
  void SetUp() override {
    AgentTest::SetUp();
    Serve(kRows);
  }
};

TEST_F(DispatchTest, SetThroughQueryIsReadOnlyAndTouchesNothing) {
  Bindings bindings({"1.3.6.1.4.1.15.1.0", "1.3.6.1.4.1.15.2.0"});
  EXPECT_EQ(agent_->Query(SNMP_PDU_SET, bindings.List(), &errorStatus_, &errorIndex_), TRUE);
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_READONLY);
  EXPECT_EQ(errorIndex_, 1);
  EXPECT_EQ(bindings.Name(1), "1.3.6.1.4.1.15.2.0");
  EXPECT_EQ(bindings.Value(0), "NULL");
  EXPECT_EQ(bindings.Value(1), "NULL");
  EXPECT_EQ(LogLines(),
            (Lines{"SnmpExtensionQuery, len:2", "PduType=SNMP_PDU_SET", "PduType=SNMP_PDU_SET"}));
}

TEST_F(DispatchTest, SetPhasesThroughQueryExAreUnsupported) {
  for (UINT phase : {SNMP_EXTENSION_SET_TEST, SNMP_EXTENSION_SET_COMMIT}) {
    ClearLog();
    Bindings bindings({"1.3.6.1.4.1.15.1.0", "1.3.6.1.4.1.15.2.0"});
    EXPECT_EQ(agent_->QueryEx(phase, 0, bindings.List(), nullptr, &errorStatus_, &errorIndex_),
              TRUE);
    EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_GENERR);
    EXPECT_EQ(errorIndex_, 1);
    EXPECT_EQ(bindings.Value(1), "NULL");
    std::string line = "nRequestType=UNSUPPORTED " + std::to_string(phase);
    EXPECT_EQ(LogLines(), (Lines{"SnmpExtensionQueryEx, len:2", line, line}));
  }
}

TEST_F(DispatchTest, UnsupportedTypeThroughQueryIsGenErr) {
  Bindings bindings({"1.3.6.1.4.1.15.1.0"});
  EXPECT_EQ(agent_->Query(SNMP_PDU_GETBULK, bindings.List(), &errorStatus_, &errorIndex_), TRUE);
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_GENERR);
  EXPECT_EQ(errorIndex_, 1);
  EXPECT_EQ(LogLines(), (Lines{"SnmpExtensionQuery, len:1", "PduType=UNSUPPORTED 165"}));
}

TEST_F(DispatchTest, FailingMiddleGetDoesNotStopTheOthers) {
  for (bool extended : {false, true}) {
    Bindings bindings({"1.3.6.1.4.1.15.1.0", "1.3.6.1.4.1.15.9.0", "1.3.6.1.4.1.15.3.0"});
    BOOL answered = extended ? agent_->QueryEx(SNMP_EXTENSION_GET, 7, bindings.List(), nullptr,
                                               &errorStatus_, &errorIndex_)
                             : Get(bindings);
    EXPECT_EQ(answered, TRUE);
    EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_BADVALUE);
    EXPECT_EQ(errorIndex_, 2);
    EXPECT_EQ(bindings.Value(0), "OCTET STRING \"one\"");
    EXPECT_EQ(bindings.Value(1), "NULL");
    EXPECT_EQ(bindings.Value(2), "OCTET STRING \"three\"");
  }
}

TEST_F(DispatchTest, EachGetNextBindingAdvancesFromItsOwnOid) {
  Bindings bindings({"1.3.6.1.4.1.15.1.0", "1.3.6.1.4.1.15.2.0"});
  EXPECT_EQ(agent_->QueryEx(SNMP_EXTENSION_GET_NEXT, 0, bindings.List(), nullptr, &errorStatus_,
                            &errorIndex_),
            TRUE);
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_NOERROR);
  EXPECT_EQ(errorIndex_, 0);
  EXPECT_EQ(bindings.List()->len, 2u);
  EXPECT_EQ(bindings.Name(0), "1.3.6.1.4.1.15.2.0");
  EXPECT_EQ(bindings.Value(0), "OCTET STRING \"two\"");
  EXPECT_EQ(bindings.Name(1), "1.3.6.1.4.1.15.3.0");
  EXPECT_EQ(bindings.Value(1), "OCTET STRING \"three\"");
  EXPECT_EQ(LogLines().at(1), "nRequestType=SNMP_EXTENSION_GET_NEXT");
}

TEST_F(DispatchTest, EmptyListIsAnsweredWithoutError) {
  Bindings bindings({});
  EXPECT_EQ(Get(bindings), TRUE);
  EXPECT_EQ(errorStatus_, 0);
  EXPECT_EQ(errorIndex_, 0);
  EXPECT_EQ(LogLines(), (Lines{"SnmpExtensionQuery, len:0"}));
}

}  // namespace
}  // namespace quillon_test
