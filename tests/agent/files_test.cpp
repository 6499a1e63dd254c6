// The counters file as the agent reads it on every request: edits seen at once, every
// row served, and a file that is not what it seems treated as missing.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/agent/agent_harness.h"

namespace quillon_test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

std::string Row(const std::string& section, const std::string& value) {
  return "[" + section + "]\r\ncounter=" + value + "\r\ntype=string\r\n";
}

bool HasLine(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class FilesTest : public AgentTest {};

TEST_F(FilesTest, EditsAreSeenByTheNextRequest) {
  const std::string oid = "1.3.6.1.4.1.15.1.0";
  Serve(Row(oid, "aaaa"));
  EXPECT_EQ(GetValue(oid), "OCTET STRING \"aaaa\"");
  WriteCounters(Row(oid, "bbbb"));
  EXPECT_EQ(GetValue(oid), "OCTET STRING \"bbbb\"") << "rewritten within the same clock tick";

  // Old enough now to be served from its snapshot until its identity changes.
  std::this_thread::sleep_for(std::chrono::milliseconds(2200));
  EXPECT_EQ(GetValue(oid), "OCTET STRING \"bbbb\"");
  EXPECT_EQ(GetValue(oid), "OCTET STRING \"bbbb\"");
  WriteCounters(Row(oid, "cccc"));
  EXPECT_EQ(GetValue(oid), "OCTET STRING \"cccc\"") << "a rewrite of the same size";

  const fs::path replacement = dir_ / "replacement.ini";
  WriteFile(replacement, Row(oid, "dddd") + Row("1.3.6.1.4.1.15.2.0", "new row"));
  fs::rename(replacement, countersPath_);
  EXPECT_EQ(GetValue(oid), "OCTET STRING \"dddd\"") << "a rename over the file";
  Bindings next({oid});
  GetNext(next);
  EXPECT_EQ(next.Name(0), "1.3.6.1.4.1.15.2.0");
  EXPECT_EQ(next.Value(0), "OCTET STRING \"new row\"");
}

TEST_F(FilesTest, AWalkOfTenThousandRowsReturnsEveryRow) {
  std::string rows;
  for (int i = 1; i <= 10000; ++i) {
    rows += Row("1.3.6.1.4.1.15." + std::to_string(i) + ".0", "row " + std::to_string(i));
  }
  WriteCounters(rows);
  // Without the debug log: ten thousand requests would write sixty thousand lines.
  WriteRegistry({"\"counters\"=\"" + countersPath_.string() + "\""});
  ASSERT_EQ(LoadAndInit(), TRUE);
  std::string oid = "1.3.6.1.4.1.15";
  int served = 0;
  for (;;) {
    Bindings bindings({oid});
    GetNext(bindings);
    if (errorStatus_ != SNMP_ERRORSTATUS_NOERROR) break;
    ++served;
    const std::string expected = "1.3.6.1.4.1.15." + std::to_string(served) + ".0";
    ASSERT_EQ(bindings.Name(0), expected);
    ASSERT_EQ(bindings.Value(0), "OCTET STRING \"row " + std::to_string(served) + "\"");
    oid = expected;
  }
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_NOSUCHNAME) << "after row " << served;
  EXPECT_EQ(served, 10000);
}

TEST_F(FilesTest, AFifoInPlaceOfTheCountersFileIsMissingAndNeverBlocks) {
  const std::string oid = "1.3.6.1.4.1.15.1.0";
  Serve(Row(oid, "42"));
  fs::remove(countersPath_);
  ASSERT_EQ(mkfifo(countersPath_.c_str(), 0600), 0);
  const std::string line =
      "counters file " + countersPath_.string() + ": not a regular file; treated as missing";
  {
    FifoUnblocker unblocker(countersPath_);
    EXPECT_EQ(GetValue(oid), "error 3");
    Bindings next({"1.3.6.1.4.1.15"});
    GetNext(next);
    EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_NOSUCHNAME);
    EXPECT_FALSE(unblocker.Fired()) << "a request blocked on the FIFO";
  }
  EXPECT_TRUE(HasLine(LogLines(), line));

  // Found so at load, it is no counters file at all.
  Unload();
  ClearLog();
  EXPECT_EQ(LoadAndInit(), FALSE);
  const Lines lines = LogLines();
  EXPECT_EQ(lines.front(), line);
  EXPECT_EQ(lines.at(1), "Traps=");
}

TEST_F(FilesTest, ALinkToADeviceOrAHugeFileIsMissing) {
  const std::string oid = "1.3.6.1.4.1.15.1.0";
  Serve(Row(oid, "42"));
  fs::remove(countersPath_);
  fs::create_symlink("/dev/zero", countersPath_);
  EXPECT_EQ(GetValue(oid), "error 3");
  fs::remove(countersPath_);
  WriteCounters(Row(oid, "42"));
  ASSERT_EQ(truncate(countersPath_.c_str(), (64 << 20) + 1), 0);
  EXPECT_EQ(GetValue(oid), "error 3");
  const Lines lines = LogLines();
  EXPECT_TRUE(HasLine(lines, "counters file " + countersPath_.string() +
                                 ": not a regular file; treated as missing"));
  EXPECT_TRUE(HasLine(lines, "counters file " + countersPath_.string() +
                                 ": larger than 64 MiB; treated as missing"));
}

// A counters file that others can write would let them run commands as the service.
TEST_F(FilesTest, ACountersFileOthersCanWriteRunsNothing) {
  const fs::path marker = dir_ / "ran";
  const std::string oid = "1.3.6.1.4.1.15.1.0";
  Serve("[" + oid + "]\r\ncounter=touch " + marker.string() + "\r\ntype=exec\r\n");
  ASSERT_EQ(chmod(countersPath_.c_str(), 0666), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(GetValue(oid), "error 3");
  EXPECT_EQ(GetValue(oid), "error 3");
  const std::string warnings = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(fs::exists(marker));
  EXPECT_EQ(warnings, "warning: " + countersPath_.string() +
                          ": writable by group or others (mode 0666); the file is treated as "
                          "missing\n")
      << "one warning for the operator, however many requests";
  const Lines lines = LogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       "counters file " + countersPath_.string() +
                           ": writable by group or others (mode 0666); treated as missing"),
            2);

  ASSERT_EQ(chmod(countersPath_.c_str(), 0644), 0);
  EXPECT_EQ(GetValue(oid), "error 3") << "touch prints nothing, but it ran";
  EXPECT_TRUE(fs::exists(marker));
}

}  // namespace
}  // namespace quillon_test
