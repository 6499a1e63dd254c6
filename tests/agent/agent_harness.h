#pragma once

#include <filesystem>
#include <memory>
#include <string>
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

// A counter fixture tree of the counter provider.
std::string ProcFixture(const std::string& name);

}  // namespace quillon_test
