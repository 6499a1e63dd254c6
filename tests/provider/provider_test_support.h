#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/pdh.h"

namespace provider_test {

// The fixture trees of the counter provider.
std::string FixturePath(const std::string& name);

// Sets or clears an environment variable for the life of the object. The
// provider reads the display language once, at load; the object makes it read
// the locale variables again whenever it changes one.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();

 private:
  std::string name_;
  std::string old_;
  bool hadOld_;
};

// Points the provider at the two snapshots proc-a/proc-b and sys-a, in English.
class FixtureTest : public ::testing::Test {
 protected:
  FixtureTest();

  platform::Pdh& pdh = platform::SystemPdh();

 private:
  ScopedEnv proc_;
  ScopedEnv sys_;
  ScopedEnv lcAll_;
  ScopedEnv lcMessages_;
  ScopedEnv lang_;
};

// One query with one counter; closes the query at the end.
class OneCounter {
 public:
  explicit OneCounter(const std::string& path);
  ~OneCounter();
  platform::PdhStatus addStatus() const { return addStatus_; }
  platform::PdhHandle counter() const { return counter_; }
  platform::PdhHandle query() const { return query_; }
  platform::PdhStatus Collect();
  // Formatted value after the collections made so far.
  double Double(uint32_t extraFlags = platform::kPdhFmtNoScale);
  platform::PdhRawCounter Raw();

 private:
  platform::Pdh& pdh_ = platform::SystemPdh();
  platform::PdhHandle query_ = 0;
  platform::PdhHandle counter_ = 0;
  platform::PdhStatus addStatus_ = 0;
};

// Formatted double value of a path after collections of the fixture snapshots.
double ValueAfter(const std::string& path, int collections);

// The status and CStatus of a formatted read of a path after collections.
std::pair<platform::PdhStatus, platform::PdhStatus> StatusAfter(const std::string& path,
                                                                int collections);

std::vector<std::string> SplitMultiString(const std::vector<char>& buffer);

// The counters and instances of an object as EnumObjectItems lists them: a size
// probe, then a read into buffers of the sizes it gave; status is the read's.
struct ObjectItems {
  platform::PdhStatus status = 0;
  std::vector<std::string> counters;
  std::vector<std::string> instances;
};
ObjectItems ItemsOf(const std::string& object);

bool Exists(const std::string& path);

// Tests of the provider on this machine's own /proc and /sys, in the C locale.
class LiveMachine : public ::testing::Test {
 protected:
  ScopedEnv proc_{"QUILLON_PROC_ROOT", nullptr};
  ScopedEnv sys_{"QUILLON_SYS_ROOT", nullptr};
  ScopedEnv lcAll_{"LC_ALL", "C"};
};

}  // namespace provider_test
