#include "lib/debug_log.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <regex>

#include "platform/clock.h"
#include "temp_dir.h"

namespace {

TEST(FormatLogTime, PadsEveryFieldAndUsesTheSeparator) {
  EXPECT_EQ(lib::FormatLogTime({9, 5, 3, 7}, ":"), "09:05:03:007");
  EXPECT_EQ(lib::FormatLogTime({23, 59, 59, 999}, ":"), "23:59:59:999");
  EXPECT_EQ(lib::FormatLogTime({0, 0, 0, 0}, "."), "00.00.00.000");
  EXPECT_EQ(lib::FormatLogTime({12, 30, 0, 50}, ""), "123000050");
}

int MillisecondOfDay(const platform::TimeOfDay& t) {
  return ((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond;
}

class DebugLogFile : public ::testing::Test {
 protected:
  void SetUp() override { setenv("QUILLON_DRIVE_C", dir_.Path().c_str(), 1); }
  void TearDown() override { unsetenv("QUILLON_DRIVE_C"); }

  std::filesystem::path LogFile() const { return dir_.Path() / "log.txt"; }
  std::string Content() const { return ReadWholeFile(LogFile()); }

  TempDir dir_;
};

TEST_F(DebugLogFile, CreatesTheFileWithOneTimedLine) {
  const platform::TimeOfDay before = platform::LocalTimeOfDay();
  lib::DebugLog("SnmpExtensionInit", "1");
  const platform::TimeOfDay after = platform::LocalTimeOfDay();

  const std::string content = Content();
  std::smatch match;
  ASSERT_TRUE(std::regex_match(
      content, match, std::regex(R"((\d\d):(\d\d):(\d\d):(\d\d\d) , SnmpExtensionInit\r\n)")))
      << content;
  const platform::TimeOfDay logged{std::stoi(match[1]), std::stoi(match[2]), std::stoi(match[3]),
                                   std::stoi(match[4])};
  if (MillisecondOfDay(after) >= MillisecondOfDay(before)) {  // not across midnight
    EXPECT_GE(MillisecondOfDay(logged), MillisecondOfDay(before));
    EXPECT_LE(MillisecondOfDay(logged), MillisecondOfDay(after));
  }
}

TEST_F(DebugLogFile, AppendsAfterExistingContent) {
  std::ofstream(LogFile(), std::ios::binary) << "earlier line\r\n";
  lib::DebugLog("first", "1");
  lib::DebugLog("second", "1");
  EXPECT_TRUE(std::regex_match(Content(),
                               std::regex("earlier line\r\n\\d\\d:\\d\\d:\\d\\d:\\d{3} , first\r\n"
                                          "\\d\\d:\\d\\d:\\d\\d:\\d{3} , second\r\n")))
      << Content();
}

TEST_F(DebugLogFile, OnlyTheExactSwitchOneWrites) {
  for (const char* off : {"0", "", " 1", "01", "1 ", "true", "11"}) {
    lib::DebugLog("nothing", off);
  }
  EXPECT_FALSE(std::filesystem::exists(LogFile()));
}

TEST_F(DebugLogFile, MessageIsWrittenUnchanged) {
  lib::DebugLog("line one\r\nline two", "1");
  lib::DebugLog("", "1");
  EXPECT_TRUE(std::regex_match(Content(), std::regex("\\d\\d:\\d\\d:\\d\\d:\\d{3} , line one\r\n"
                                                     "line two\r\n"
                                                     "\\d\\d:\\d\\d:\\d\\d:\\d{3} , \r\n")))
      << Content();
}

TEST_F(DebugLogFile, UnwritableLogRaisesWithTheErrorCode) {
  std::filesystem::create_directory(LogFile());
  try {
    lib::DebugLog("lost", "1");
    FAIL() << "no exception";
  } catch (const lib::EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), static_cast<uint32_t>(EISDIR));
    EXPECT_EQ(std::string(e.what()), "I/O error " + std::to_string(EISDIR));
  }
  setenv("QUILLON_DRIVE_C", (dir_.Path() / "missing").c_str(), 1);
  try {
    lib::DebugLog("lost", "1");
    FAIL() << "no exception";
  } catch (const lib::EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), static_cast<uint32_t>(ENOENT));
  }
  // With the switch off the unwritable log is never touched.
  EXPECT_NO_THROW(lib::DebugLog("lost", "0"));
}

TEST(WriteEventLog, ReturnsNormally) { EXPECT_NO_THROW(lib::WriteEventLog("SnmpExtensionInit")); }

}  // namespace
