#include "tests/agent/agent_harness.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <utility>

namespace quillon_test {

namespace {

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

void AgentTest::SetUp() {
  // A sanitizer's runtime starts a thread of its own with the first thread of the
  // process; started here, it stays out of the tests' thread counts.
  std::thread([] {}).join();
  std::string pattern = (std::filesystem::temp_directory_path() / "quillon-agent-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  dir_ = pattern;
  countersPath_ = dir_ / "counters.ini";
  trapsPath_ = dir_ / "traps.ini";
  logPath_ = dir_ / "log.txt";
  setenv("QUILLON_REGISTRY", (dir_ / "registry.reg").c_str(), 1);
  setenv("QUILLON_DRIVE_C", dir_.c_str(), 1);
  setenv("LC_ALL", "C", 1);
  setenv("QUILLON_PROC_ROOT", ProcFixture("proc-a").c_str(), 1);
  setenv("QUILLON_SYS_ROOT", ProcFixture("sys-a").c_str(), 1);
  WriteRegistry({});
}

void AgentTest::TearDown() {
  if (agent_) Unload();
  std::filesystem::remove_all(dir_);
}

void AgentTest::WriteRegistry(const std::vector<std::string>& valueLines) {
  std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\quillon\\currentversion]\r\n";
  for (const std::string& line : valueLines) text += line + "\r\n";
  WriteFile(dir_ / "registry.reg", text);
}

void AgentTest::WriteStandardRegistry(const std::vector<std::string>& extraLines) {
  std::vector<std::string> lines = {"\"debug\"=\"1\"",
                                    "\"counters\"=\"" + countersPath_.string() + "\""};
  lines.insert(lines.end(), extraLines.begin(), extraLines.end());
  WriteRegistry(lines);
}

void AgentTest::WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::vector<std::string> AgentTest::LogLines() const {
  static const std::regex stamped(R"(^\d\d:\d\d:\d\d:\d\d\d , )");
  std::vector<std::string> lines;
  std::string text = ReadWholeFile(logPath_);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    EXPECT_TRUE(std::regex_search(line, stamped)) << "no time stamp: " << line;
    lines.push_back(line.size() >= 15 ? line.substr(15) : line);
    start = end + 2;
  }
  return lines;
}

void AgentTest::ClearLog() { std::filesystem::remove(logPath_); }

LoadedAgent& AgentTest::Load() {
  agent_ = std::make_unique<LoadedAgent>();
  return *agent_;
}

void AgentTest::Unload() {
  EXPECT_TRUE(agent_->Unload()) << "the agent library stayed loaded";
  agent_.reset();
}

BOOL AgentTest::LoadAndInit() {
  Load();
  return agent_->Init(0, &trapEvent_, &region_);
}

void AgentTest::Serve(const std::string& rows, const std::vector<std::string>& extraRegistry) {
  WriteCounters(rows);
  WriteStandardRegistry(extraRegistry);
  ASSERT_EQ(LoadAndInit(), TRUE);
  ClearLog();
}

std::string AgentTest::GetValue(const std::string& oid) {
  Bindings bindings({oid});
  Get(bindings);
  if (errorStatus_ != SNMP_ERRORSTATUS_NOERROR) {
    EXPECT_EQ(bindings.Value(0), "NULL") << "a failed answer leaves the binding";
    return "error " + std::to_string(errorStatus_);
  }
  return bindings.Value(0);
}

BOOL AgentTest::Get(Bindings& bindings) {
  return agent_->Query(SNMP_PDU_GET, bindings.List(), &errorStatus_, &errorIndex_);
}

BOOL AgentTest::GetNext(Bindings& bindings) {
  return agent_->Query(SNMP_PDU_GETNEXT, bindings.List(), &errorStatus_, &errorIndex_);
}

FifoUnblocker::FifoUnblocker(std::filesystem::path fifo)
    : fifo_(std::move(fifo)), thread_([this] { Run(); }) {}

FifoUnblocker::~FifoUnblocker() {
  {
    std::lock_guard lock(mutex_);
    done_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void FifoUnblocker::Run() {
  std::unique_lock lock(mutex_);
  auto finished = [this] { return done_; };
  if (wake_.wait_for(lock, std::chrono::seconds(10), finished)) return;
  fired_ = true;
  // Every blocked open in turn, until the test is done.
  do {
    const int fd = open(fifo_.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) close(fd);
  } while (!wake_.wait_for(lock, std::chrono::milliseconds(100), finished));
}

size_t ThreadCount() {
  size_t count = 0;
  for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    ++count;
  }
  return count;
}

std::string ProcFixture(const std::string& name) {
  return std::string(QUILLON_SOURCE_DIR) + "/tests/fixtures/" + name;
}

}  // namespace quillon_test
