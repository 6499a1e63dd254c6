#include <filesystem>
#include <string>
#include <vector>

#include "tests/agent/agent_harness.h"

namespace quillon_test {
namespace {

using Lines = std::vector<std::string>;

class StartupTest : public AgentTest {};

TEST_F(StartupTest, FullConfigurationLogsEveryStartupLineAndServesTheDefaultRegion) {
  WriteCounters("[1.3.6.1.4.1.15.1.0]\r\ncounter=x\r\ntype=string\r\n");
  WriteStandardRegistry();
  ASSERT_EQ(LoadAndInit(), TRUE);
  EXPECT_EQ(LogLines(), (Lines{"counters=" + countersPath_.string(), "Traps=", "SnmpExtensionInit",
                               "start", "Platform : linux", "OSVersion: OsUnknown",
                               "LOCALE_SDECIMAL: .", "OID: 1.3.6.1.4.1.15"}));
  EXPECT_EQ(OidString(region_), "1.3.6.1.4.1.15");
  EXPECT_EQ(trapEvent_, nullptr) << "no trap file: the event must not be written";
}

TEST_F(StartupTest, AbsentKeyLeavesEveryDefault) {
  std::filesystem::remove(dir_ / "registry.reg");
  EXPECT_EQ(LoadAndInit(), FALSE);
  EXPECT_EQ(OidString(region_), "1.3.6.1.4.1.15");
  EXPECT_FALSE(std::filesystem::exists(logPath_)) << "debugging is off by default";
}

TEST_F(StartupTest, OnlyTheTextOneSwitchesDebuggingOn) {
  for (const char* word : {"yes", "01", " 1", "true"}) {
    WriteRegistry({std::string("\"debug\"=\"") + word + "\""});
    LoadAndInit();
    Unload();
    EXPECT_FALSE(std::filesystem::exists(logPath_)) << word;
  }
}

TEST_F(StartupTest, CountersPathThatIsNoFileIsDropped) {
  for (std::string path : {(dir_ / "missing.ini").string(), dir_.string()}) {
    WriteRegistry({"\"debug\"=\"1\"", "\"counters\"=\"" + path + "\""});
    ClearLog();
    EXPECT_EQ(LoadAndInit(), FALSE) << path;
    Unload();
    Lines lines = LogLines();
    EXPECT_EQ(lines.front(), "Traps=") << path;
    EXPECT_EQ(lines.at(lines.size() - 3), "no counters file defined or file not found");
  }
}

TEST_F(StartupTest, InitChecksTheCountersFileAgain) {
  WriteCounters("[1.3.6.1.4.1.15.1.0]\r\ncounter=x\r\ntype=string\r\n");
  WriteStandardRegistry();
  Load();
  std::filesystem::remove(countersPath_);
  EXPECT_EQ(agent_->Init(0, &trapEvent_, &region_), FALSE);
  EXPECT_EQ(LogLines().back(), "no counters file defined or file not found");
}

TEST_F(StartupTest, ConfiguredOidBecomesTheRegion) {
  WriteCounters("[1.3.6.1.4.1.15.2.1]\r\ncounter=x\r\ntype=string\r\n");
  WriteStandardRegistry({"\"oid\"=\"1.3.6.1.4.1.15.2\""});
  ASSERT_EQ(LoadAndInit(), TRUE);
  EXPECT_EQ(OidString(region_), "1.3.6.1.4.1.15.2");
  EXPECT_EQ(LogLines().back(), "OID: 1.3.6.1.4.1.15.2");
}

TEST_F(StartupTest, OidTextThatDoesNotParseKeepsWhatWasParsed) {
  WriteStandardRegistry({"\"oid\"=\"1..3\""});
  LoadAndInit();
  Lines lines = LogLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "string2oid: '' is not a valid integer value"),
            lines.end());
  EXPECT_EQ(OidString(region_), "1.0");
}

TEST_F(StartupTest, LongOidsParseWithoutLimits) {
  std::string manyComponents = "1";
  for (int i = 1; i < 300; ++i) manyComponents += "." + std::to_string(i % 7);
  WriteStandardRegistry({"\"oid\"=\"" + manyComponents + "\""});
  LoadAndInit();
  EXPECT_EQ(region_.idLength, 300u);
  EXPECT_EQ(OidString(region_), manyComponents);
  Unload();

  std::string longComponent = std::string(299, '0') + "9";
  WriteStandardRegistry({"\"oid\"=\"1.3." + longComponent + ".4\""});
  LoadAndInit();
  EXPECT_EQ(OidString(region_), "1.3.9.4");
}

TEST_F(StartupTest, TrapsValueOfTheWrongTypeIsIgnoredSilently) {
  WriteCounters("[1.3.6.1.4.1.15.1.0]\r\ncounter=x\r\ntype=string\r\n");
  WriteStandardRegistry({"\"traps\"=dword:00000001", "\"trap_delay\"=dword:00000001"});
  LoadAndInit();
  Lines lines = LogLines();
  EXPECT_EQ(lines.at(0), "counters=" + countersPath_.string());
  EXPECT_EQ(lines.at(1), "SnmpExtensionInit") << "no \"Traps=\" line after a failing read";
}

TEST_F(StartupTest, UnwritableDebugLogCostsOnlyTheLines) {
  WriteCounters("[1.3.6.1.4.1.15.1.0]\r\ncounter=42\r\ntype=string\r\n");
  WriteStandardRegistry();
  setenv("QUILLON_DRIVE_C", (dir_ / "no" / "such" / "dir").c_str(), 1);
  ASSERT_EQ(LoadAndInit(), TRUE);
  Bindings bindings({"1.3.6.1.4.1.15.1.0"});
  EXPECT_EQ(Get(bindings), TRUE);
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_NOERROR);
  EXPECT_EQ(bindings.Value(0), "INTEGER 42");
}

}  // namespace
}  // namespace quillon_test
