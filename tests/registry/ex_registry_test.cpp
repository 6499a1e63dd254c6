#include "perf/ex_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "perf/registry.h"
#include "platform/registry.h"
#include "registry_env.h"

namespace {

using perf::EExRegistryException;
using perf::ERegistryException;
using perf::TExRegistry;

class ExRegistryTest : public testing::Test {
 protected:
  RegistryFileScope scope_{Fixture("agent.reg")};
};

TEST_F(ExRegistryTest, MultiStringsStopAtTheFirstEmptyString) {
  TExRegistry registry(platform::kKeyRead);
  registry.SetRootKey(platform::kHKeyLocalMachine);
  ASSERT_TRUE(registry.OpenKeyReadOnly("SOFTWARE\\quillon\\Lists"));
  std::vector<std::string> list{"stale"};
  registry.ReadMultiSz("Names", list);
  EXPECT_EQ(list, (std::vector<std::string>{"a", "b"}));
  registry.ReadMultiSz("Empty", list);
  EXPECT_TRUE(list.empty());
}

TEST_F(ExRegistryTest, AStringWhereAListIsExpectedRaisesTheAccessorsException) {
  TExRegistry registry(platform::kKeyRead);
  registry.OpenKeyReadOnly("SOFTWARE\\quillon\\Lists");
  std::vector<std::string> list{"stale"};
  try {
    registry.ReadMultiSz("Plain", list);
    FAIL() << "no exception";
  } catch (const EExRegistryException&) {
    FAIL() << "raised the helper's exception";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "String list expected");
  }
  EXPECT_TRUE(list.empty());
}

TEST_F(ExRegistryTest, FailedQueriesCarryTheirCodeAndTheSystemText) {
  TExRegistry notOpen(platform::kKeyRead);
  notOpen.OpenKeyReadOnly("SOFTWARE\\quillon\\NoSuchKey");
  try {
    std::vector<std::string> list;
    notOpen.ReadMultiSz("Names", list);
    FAIL() << "no exception";
  } catch (const EExRegistryException& e) {
    EXPECT_EQ(e.ErrorCode, platform::kErrorInvalidHandle);
    EXPECT_STREQ(e.what(), "Error 6 : The handle is invalid.\r\n:Unable read MULTI_SZ value");
  }
  TExRegistry registry(platform::kKeyRead);
  registry.OpenKeyReadOnly("SOFTWARE\\quillon\\Lists");
  try {
    std::vector<std::string> list;
    registry.ReadMultiSz("Missing", list);
    FAIL() << "no exception";
  } catch (const EExRegistryException& e) {
    EXPECT_EQ(e.ErrorCode, platform::kErrorFileNotFound);
    EXPECT_STREQ(e.what(),
                 "Error 2 : The system cannot find the file specified.\r\n:Unable read MULTI_SZ "
                 "value");
  }
}

TEST(ExRegistryException, TakesTheThreadsLastErrorAndOmitsAMissingText) {
  platform::SetThreadLastError(1234567);
  const EExRegistryException unknown("boom");
  EXPECT_EQ(unknown.ErrorCode, 1234567);
  EXPECT_STREQ(unknown.what(), "Error 1234567:boom");
  platform::SetThreadLastError(platform::kErrorAccessDenied);
  EXPECT_STREQ(EExRegistryException("x").what(), "Error 5 : Access is denied.\r\n:x");
  EXPECT_EQ(perf::ErrorCodeText(platform::kErrorMoreData), "More data is available.\r\n");
  EXPECT_EQ(perf::ErrorCodeText(-1), "");
}

TEST_F(ExRegistryTest, TheAccessorReadsTypedValuesAndRejectsOtherTypes) {
  perf::Registry registry(platform::kKeyRead);
  registry.SetRootKey(platform::kHKeyLocalMachine);
  ASSERT_TRUE(registry.OpenKeyReadOnly("software\\QUILLON\\CurrentVersion"));
  EXPECT_EQ(registry.ReadString("oid"), "1.3.6.1.4.1.15.2");
  EXPECT_EQ(registry.ReadString("counters"), "c:\\quillon\\counters.ini");
  EXPECT_EQ(registry.ReadInteger("collect_delay"), 500);
  EXPECT_TRUE(registry.ValueExists("trap_delay"));
  EXPECT_FALSE(registry.ValueExists("traps"));
  EXPECT_THROW(registry.ReadInteger("trap_delay"), ERegistryException);
  EXPECT_THROW(registry.ReadString("collect_delay"), ERegistryException);
  EXPECT_THROW(registry.ReadString("traps"), ERegistryException);
  EXPECT_FALSE(registry.OpenKeyReadOnly("software\\quillon\\absent"));
  EXPECT_FALSE(registry.ValueExists("oid"));
}

TEST_F(ExRegistryTest, KeyNamesAreListedAndEmptyWithoutAnOpenKey) {
  TExRegistry registry(platform::kKeyRead);
  std::vector<std::string> names{"stale"};
  registry.GetKeyNames(names);
  EXPECT_TRUE(names.empty());
  registry.OpenKeyReadOnly("Software\\quillon");
  registry.GetKeyNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"currentversion", "Lists"}));
}

}  // namespace
