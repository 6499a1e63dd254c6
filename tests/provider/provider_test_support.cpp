#include "tests/provider/provider_test_support.h"

#include <sys/stat.h>

#include <cstdlib>

#include "provider/display_language.h"

namespace provider_test {

std::string FixturePath(const std::string& name) {
  return std::string(QUILLON_SOURCE_DIR) + "/tests/fixtures/" + name;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  const char* old = std::getenv(name);
  hadOld_ = old != nullptr;
  if (old) old_ = old;
  if (value) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
  provider::RereadDisplayLanguage();
}

ScopedEnv::~ScopedEnv() {
  if (hadOld_) {
    setenv(name_.c_str(), old_.c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
  provider::RereadDisplayLanguage();
}

FixtureTest::FixtureTest()
    : proc_("QUILLON_PROC_ROOT", (FixturePath("proc-a") + ":" + FixturePath("proc-b")).c_str()),
      sys_("QUILLON_SYS_ROOT", FixturePath("sys-a").c_str()),
      lcAll_("LC_ALL", "C"),
      lcMessages_("LC_MESSAGES", nullptr),
      lang_("LANG", nullptr) {}

OneCounter::OneCounter(const std::string& path) {
  EXPECT_EQ(pdh_.OpenQuery(nullptr, 0, &query_), platform::kPdhOk);
  addStatus_ = pdh_.AddCounter(query_, path.c_str(), 0, &counter_);
}

OneCounter::~OneCounter() { pdh_.CloseQuery(query_); }

platform::PdhStatus OneCounter::Collect() { return pdh_.CollectQueryData(query_); }

double OneCounter::Double(uint32_t extraFlags) {
  platform::PdhFmtCounterValue value{};
  uint32_t type = 0;
  EXPECT_EQ(
      pdh_.GetFormattedCounterValue(counter_, platform::kPdhFmtDouble | extraFlags, &type, &value),
      platform::kPdhOk);
  return value.doubleValue;
}

platform::PdhRawCounter OneCounter::Raw() {
  platform::PdhRawCounter raw{};
  uint32_t type = 0;
  EXPECT_EQ(pdh_.GetRawCounterValue(counter_, &type, &raw), platform::kPdhOk);
  return raw;
}

double ValueAfter(const std::string& path, int collections) {
  OneCounter counter(path);
  EXPECT_EQ(counter.addStatus(), platform::kPdhOk) << path;
  for (int i = 0; i < collections; ++i) EXPECT_EQ(counter.Collect(), platform::kPdhOk);
  return counter.Double();
}

std::pair<platform::PdhStatus, platform::PdhStatus> StatusAfter(const std::string& path,
                                                                int collections) {
  OneCounter counter(path);
  EXPECT_EQ(counter.addStatus(), platform::kPdhOk) << path;
  for (int i = 0; i < collections; ++i) EXPECT_EQ(counter.Collect(), platform::kPdhOk);
  platform::PdhFmtCounterValue value{};
  platform::PdhStatus status = platform::SystemPdh().GetFormattedCounterValue(
      counter.counter(), platform::kPdhFmtDouble | platform::kPdhFmtNoScale, nullptr, &value);
  return {status, value.CStatus};
}

std::vector<std::string> SplitMultiString(const std::vector<char>& buffer) {
  std::vector<std::string> texts;
  size_t pos = 0;
  while (pos < buffer.size() && buffer[pos] != '\0') {
    std::string text(&buffer[pos]);
    pos += text.size() + 1;
    texts.push_back(std::move(text));
  }
  return texts;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

ObjectItems ItemsOf(const std::string& object) {
  platform::Pdh& pdh = platform::SystemPdh();
  uint32_t counterSize = 0, instanceSize = 0;
  pdh.EnumObjectItems(nullptr, nullptr, object.c_str(), nullptr, &counterSize, nullptr,
                      &instanceSize, platform::kPerfDetailWizard, 0);
  std::vector<char> counters(counterSize), instances(instanceSize);
  ObjectItems items;
  items.status =
      pdh.EnumObjectItems(nullptr, nullptr, object.c_str(), counters.data(), &counterSize,
                          instances.data(), &instanceSize, platform::kPerfDetailWizard, 0);
  items.counters = SplitMultiString(counters);
  items.instances = SplitMultiString(instances);
  return items;
}

}  // namespace provider_test
