// The counters file as the agent reads it on every request: edits seen at once, every
// row served, and a file that is not what it seems treated as missing.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
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

class FilesTest : public AgentTest {
 protected:
  // The counters file without the debug log: the log needs descriptors of its own, and
  // thousands of requests would write it full.
  void ServeQuietly(const std::string& rows) {
    WriteCounters(rows);
    WriteRegistry({"\"counters\"=\"" + countersPath_.string() + "\""});
    ASSERT_EQ(LoadAndInit(), TRUE);
  }
};

// Until destroyed, the process can open no more files.
class NoDescriptorLeft {
 public:
  NoDescriptorLeft() {
    getrlimit(RLIMIT_NOFILE, &saved_);
    const int lowestFree = dup(0);
    close(lowestFree);
    rlimit lowered = saved_;
    lowered.rlim_cur = static_cast<rlim_t>(lowestFree);
    EXPECT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
  }
  ~NoDescriptorLeft() { setrlimit(RLIMIT_NOFILE, &saved_); }
  NoDescriptorLeft(const NoDescriptorLeft&) = delete;
  NoDescriptorLeft& operator=(const NoDescriptorLeft&) = delete;

 private:
  rlimit saved_{};
};

// Longer than the file system's clock tick: a file left alone this long is served from
// its snapshot while its identity stays the same.
void LetSettle() { std::this_thread::sleep_for(std::chrono::milliseconds(2200)); }

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

namespace quillon_test {
namespace {

// What made a file refused or unreadable can go while the file stays as it was: a
// directory's mode, the descriptor limit of the moment.
TEST_F(FilesTest, ARefusedOrFailedFileIsReadAgainByTheNextRequest) {
  const std::string oid = "1.3.6.1.4.1.15.1.0";
  ServeQuietly(Row(oid, "42"));
  testing::internal::CaptureStderr();
  ASSERT_EQ(chmod(dir_.c_str(), 0777), 0);
  WriteCounters(Row(oid, "42"));
  LetSettle();
  EXPECT_EQ(GetValue(oid), "error 3");
  Bindings first({"1.3.6.1.4.1.15"});
  GetNext(first);
  EXPECT_EQ(errorStatus_, SNMP_ERRORSTATUS_NOSUCHNAME);
  ASSERT_EQ(chmod(dir_.c_str(), 0700), 0);
  EXPECT_EQ(GetValue(oid), "INTEGER 42") << "the directory is safe again";
  Bindings again({"1.3.6.1.4.1.15"});
  GetNext(again);
  EXPECT_EQ(again.Value(0), "INTEGER 42");

  WriteCounters(Row(oid, "43"));
  LetSettle();
  {
    NoDescriptorLeft exhausted;
    EXPECT_EQ(GetValue(oid), "error 3");
    EXPECT_EQ(GetValue(oid), "error 3");
  }
  EXPECT_EQ(GetValue(oid), "INTEGER 43") << "a descriptor is free again";
  EXPECT_EQ(GetValue(oid), "INTEGER 43");
  const std::string warnings = testing::internal::GetCapturedStderr();
  EXPECT_EQ(warnings, "warning: " + countersPath_.string() + ": in " + dir_.string() +
                          ", a directory others can write to without the sticky bit; the file "
                          "is treated as missing\n"
                          "warning: " +
                          countersPath_.string() +
                          ": cannot be opened: Too many open files; the file is treated as "
                          "missing\n")
      << "once per file and reason, however many requests met it";
}

// A local user repoints a link between a safe file and one the rule refuses while a
// manager reads: what is judged must be what was opened.
TEST_F(FilesTest, ALinkRepointedDuringRequestsNeverServesTheRefusedFile) {
  const std::string oid = "1.3.6.1.4.1.15.1.0";
  const fs::path safe = dir_ / "safe";
  const fs::path open = dir_ / "open";
  fs::create_directory(safe);
  fs::create_directory(open);
  ASSERT_EQ(chmod(open.c_str(), 0777), 0);
  WriteFile(safe / "counters.ini", Row(oid, "safe"));
  WriteFile(open / "counters.ini", Row(oid, "refused"));
  fs::create_symlink(safe / "counters.ini", countersPath_);
  WriteRegistry({"\"counters\"=\"" + countersPath_.string() + "\""});
  ASSERT_EQ(LoadAndInit(), TRUE);

  testing::internal::CaptureStderr();
  std::atomic<bool> stop{false};
  std::thread flipper([&] {
    const fs::path next = dir_ / "next.lnk";
    for (bool toOpen = true; !stop.load(); toOpen = !toOpen) {
      fs::create_symlink((toOpen ? open : safe) / "counters.ini", next);
      fs::rename(next, countersPath_);
    }
  });
  int served = 0;
  int refused = 0;
  int missing = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(4);
  while (std::chrono::steady_clock::now() < end) {
    const std::string value = GetValue(oid);
    if (value == "OCTET STRING \"safe\"") {
      ++served;
    } else if (value == "error 3") {
      ++missing;
    } else {
      ++refused;
    }
  }
  stop.store(true);
  flipper.join();
  testing::internal::GetCapturedStderr();
  RecordProperty("served", served);
  RecordProperty("treated_as_missing", missing);
  EXPECT_EQ(refused, 0) << served << " served, " << missing << " treated as missing";
  EXPECT_GT(served, 0);
  EXPECT_GT(missing, 0) << "the link never pointed at the refused file during a request";
}

// The file renamed over between the bindings of one request: both come from one version.
TEST_F(FilesTest, ARequestIsAnsweredFromOneVersionOfTheFile) {
  const std::string first = "1.3.6.1.4.1.15.1.0";
  const std::string second = "1.3.6.1.4.1.15.2.0";
  auto version = [&](int n) {
    return Row(first, "v" + std::to_string(n)) + Row(second, "v" + std::to_string(n));
  };
  ServeQuietly(version(0));
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    const fs::path next = dir_ / "next.ini";
    for (int n = 1; !stop.load(); ++n) {
      WriteFile(next, version(n));
      fs::rename(next, countersPath_);
    }
  });
  int answered = 0;
  int mixed = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  for (bool walk = false; std::chrono::steady_clock::now() < end; walk = !walk) {
    Bindings bindings(walk ? std::vector<std::string>{"1.3.6.1.4.1.15", first}
                           : std::vector<std::string>{first, second});
    if (walk) {
      GetNext(bindings);
    } else {
      Get(bindings);
    }
    if (errorStatus_ != SNMP_ERRORSTATUS_NOERROR) continue;
    ++answered;
    if (bindings.Value(0) != bindings.Value(1)) ++mixed;
  }
  stop.store(true);
  writer.join();
  RecordProperty("answered", answered);
  EXPECT_GT(answered, 100);
  EXPECT_EQ(mixed, 0) << "of " << answered << " answers";
}

}  // namespace
}  // namespace quillon_test
