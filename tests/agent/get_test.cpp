#include <string>
#include <vector>

#include "tests/agent/agent_harness.h"

namespace quillon_test {
namespace {

using Lines = std::vector<std::string>;

struct TypeCase {
  std::string text;
  std::string get;      // what GET answers, or "genErr"
  std::string getNext;  // what GETNEXT answers
};

// Constant rows 1.3.6.1.4.1.15.<n>.0, n from 1, one per case.
const std::vector<TypeCase> kTypeCases = {
    {"42", "INTEGER 42", "INTEGER 42"},
    {"2147483647", "INTEGER 2147483647", "INTEGER 2147483647"},
    {"2147483648", "OCTET STRING \"2147483648\"", "OCTET STRING \"2147483648\""},
    {"-2147483648", "INTEGER -2147483648", "INTEGER -2147483648"},
    {"-2147483649", "genErr", "OCTET STRING \"-2147483649\""},
    {"$7F", "INTEGER 127", "INTEGER 127"},
    {"0xFFFFFFFF", "OCTET STRING \"0xFFFFFFFF\"", "INTEGER -1"},
    {"1234567890123456789012345", "OCTET STRING \"1234567890123456789012345\"",
     "OCTET STRING \"1234567890123456789012345\""},
    {"12.5", "OCTET STRING \"12.5\"", "OCTET STRING \"12.5\""},
};

std::string RowOid(size_t index) { return "1.3.6.1.4.1.15." + std::to_string(index + 1) + ".0"; }

class GetTest : public AgentTest {
 protected:
  void SetUp() override {
    AgentTest::SetUp();
    std::string rows;
    for (size_t i = 0; i < kTypeCases.size(); ++i) {
      rows += "[" + RowOid(i) + "]\r\ncounter=" + kTypeCases[i].text + "\r\ntype=string\r\n";
    }
    Serve(rows);
  }
};

TEST_F(GetTest, TypeIsChosenFromTheText) {
  for (size_t i = 0; i < kTypeCases.size(); ++i) {
    Bindings bindings({RowOid(i)});
    Get(bindings);
    if (kTypeCases[i].get == "genErr") {
      EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_GENERR) << kTypeCases[i].text;
      EXPECT_EQ(bindings.Value(0), "NULL") << "a failed answer leaves the binding";
    } else {
      EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_NOERROR) << kTypeCases[i].text;
      EXPECT_EQ(bindings.Value(0), kTypeCases[i].get);
    }
  }
}

TEST_F(GetTest, GetNextChoosesByThe32BitSyntax) {
  for (size_t i = 0; i < kTypeCases.size(); ++i) {
    Bindings bindings({i == 0 ? "1.3.6.1.4.1.15" : RowOid(i - 1)});
    GetNext(bindings);
    EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_NOERROR) << kTypeCases[i].text;
    EXPECT_EQ(bindings.Name(0), RowOid(i));
    EXPECT_EQ(bindings.Value(0), kTypeCases[i].getNext);
  }
}

TEST_F(GetTest, ValueBelowInt32RangeLogsTheConversionMessage) {
  Bindings bindings({RowOid(4)});
  Get(bindings);
  EXPECT_EQ(LogLines().back(), "'-2147483649' is not a valid integer value");
}

TEST_F(GetTest, ExactLinesOfAnIntegerGet) {
  Bindings bindings({RowOid(0)});
  Get(bindings);
  EXPECT_EQ(LogLines(), (Lines{"SnmpExtensionQuery, len:1", "PduType=SNMP_PDU_GET",
                               "GetRequest: OID=1.3.6.1.4.1.15.1.0 (9)",
                               "GetRequest: value=42 asn_type=2", "GetRequest: OK"}));
}

TEST_F(GetTest, BaseOidAnswersTheIdentification) {
  Bindings bindings({"1.3.6.1.4.1.15"});
  Get(bindings);
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_NOERROR);
  std::string value = bindings.Value(0);
  EXPECT_EQ(value.rfind("OCTET STRING \"", 0), 0u);
  EXPECT_NE(value.find("quillon"), std::string::npos);
  EXPECT_NE(value.find("contact"), std::string::npos);
}

TEST_F(GetTest, ShortOidIsNoSuchNameAndUnknownRowIsBadValue) {
  Bindings shortOid({"1.3.6"});
  Get(shortOid);
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_NOSUCHNAME);
  Bindings unknown({"1.3.6.1.4.1.15.99.0"});
  Get(unknown);
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_BADVALUE);
  EXPECT_EQ(LogLines(), (Lines{"SnmpExtensionQuery, len:1", "PduType=SNMP_PDU_GET",
                               "GetRequest: OID=1.3.6 (3)", "(len<7)", "SnmpExtensionQuery, len:1",
                               "PduType=SNMP_PDU_GET", "GetRequest: OID=1.3.6.1.4.1.15.99.0 (9)",
                               "GetPerf: path is empty for 1.3.6.1.4.1.15.99.0",
                               "length(str_result)=0", "GetRequest Failed"}));
}

TEST_F(GetTest, EmptyOidIsNamedAsTheUtilityLibraryWritesIt) {
  Bindings get({""});
  Get(get);
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_NOSUCHNAME);
  Bindings getNext({""});
  GetNext(getNext);
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_NOSUCHNAME);
  EXPECT_EQ(LogLines(), (Lines{"SnmpExtensionQuery, len:1", "PduType=SNMP_PDU_GET",
                               "GetRequest: OID=<null oid> (0)", "(len<7)",
                               "SnmpExtensionQuery, len:1", "PduType=SNMP_PDU_GETNEXT",
                               "GetNextRequest:<null oid>(0)", "comparemem=false"}));
}

TEST_F(AgentTest, GetWithoutCountersFileIsBadValue) {
  WriteRegistry({"\"debug\"=\"1\""});
  EXPECT_EQ(LoadAndInit(), FALSE);
  Bindings bindings({"1.3.6.1.4.1.15.1.0"});
  Get(bindings);
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_BADVALUE);
}

}  // namespace
}  // namespace quillon_test
