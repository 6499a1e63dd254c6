#pragma once

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/agent/agent_library.h"

namespace quillon_test {

// A scratch directory standing for c:\ with the agent's registry file, counters file
// and trap file; the environment points the agent at it.
class AgentTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the agent's registry key with these value lines ("debug"="1", ...).
  void WriteRegistry(const std::vector<std::string>& valueLines);
  // The usual configuration: debugging on and the counters file, plus extra lines.
  void WriteStandardRegistry(const std::vector<std::string>& extraLines = {});
  void WriteFile(const std::filesystem::path& path, const std::string& content);
  void WriteCounters(const std::string& content) { WriteFile(countersPath_, content); }
  void WriteTraps(const std::string& content) { WriteFile(trapsPath_, content); }

  // The debug log's messages, time stamps removed (each is checked for its format).
  std::vector<std::string> LogLines() const;
  void ClearLog();

  LoadedAgent& Load();
  // Unloads the agent; fails the test when the library stays mapped.
  void Unload();
  // Loads and initialises; returns Init's result.
  BOOL LoadAndInit();
  // Serves a counters file under the standard registry and empties the log.
  void Serve(const std::string& rows, const std::vector<std::string>& extraRegistry = {});
  // Request helpers on the loaded agent.
  BOOL Get(Bindings& bindings);
  BOOL GetNext(Bindings& bindings);
  // One GET: the row's value, or "error N"; a failed answer must leave the binding alone.
  std::string GetValue(const std::string& oid);

  std::filesystem::path dir_;
  std::filesystem::path countersPath_;
  std::filesystem::path trapsPath_;
  std::filesystem::path logPath_;
  std::unique_ptr<LoadedAgent> agent_;
  HANDLE trapEvent_ = nullptr;
  AsnObjectIdentifier region_{};
  AsnInteger32 errorStatus_ = -1;
  AsnInteger32 errorIndex_ = -1;
};

// Opens and closes the writing end of a FIFO again and again once ten seconds have
// passed, which ends every read that blocks on it, so that a reader that would hang
// fails the test instead of hanging it.
class FifoUnblocker {
 public:
  explicit FifoUnblocker(std::filesystem::path fifo);
  ~FifoUnblocker();
  FifoUnblocker(const FifoUnblocker&) = delete;
  FifoUnblocker& operator=(const FifoUnblocker&) = delete;
  // True when the ten seconds passed: something blocked.
  bool Fired() const { return fired_; }

 private:
  void Run();

  std::filesystem::path fifo_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::atomic<bool> fired_{false};
  std::thread thread_;
};

// The threads of this process now.
size_t ThreadCount();

// A counter fixture tree of the counter provider.
std::string ProcFixture(const std::string& name);

}  // namespace quillon_test
