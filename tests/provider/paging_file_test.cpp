#include "tests/provider/provider_test_support.h"

// Paging File over the fixture snapshots: proc-a has /dev/sda2 half used and
// "/swap file" (a blank in its path) empty, proc-b a quarter and three quarters.
namespace provider_test {
namespace {

class PagingFile : public FixtureTest {};

TEST_F(PagingFile, InstancesAreTheSwapAreasByPathAndTotal) {
  const ObjectItems items = ItemsOf("Paging File");
  ASSERT_EQ(items.status, platform::kPdhOk);
  EXPECT_EQ(items.counters, (std::vector<std::string>{"% Usage", "% Usage Peak"}));
  EXPECT_EQ(items.instances, (std::vector<std::string>{"/dev/sda2", "/swap file", "_Total"}));
}

TEST_F(PagingFile, UsageIsTheCurrentShareAndThePeakTheHighestSeen) {
  EXPECT_DOUBLE_EQ(ValueAfter("\\Paging File(/dev/sda2)\\% Usage", 1), 50.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Paging File(/dev/sda2)\\% Usage", 2), 25.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Paging File(/dev/sda2)\\% Usage Peak", 2), 50.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Paging File(/swap file)\\% Usage", 2), 75.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Paging File(/swap file)\\% Usage Peak", 2), 75.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Paging File(_Total)\\% Usage", 1), 25.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Paging File(_Total)\\% Usage", 2), 50.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Paging File(_Total)\\% Usage Peak", 2), 50.0);
}

TEST_F(PagingFile, AreaBeyondThe32BitsOfTheFractionKeepsItsShare) {
  // 6 TiB of swap, a quarter used: the sizes in KiB do not fit 32 bits.
  ScopedEnv procRoot("QUILLON_PROC_ROOT", FixturePath("proc-bigswap").c_str());
  EXPECT_DOUBLE_EQ(ValueAfter("\\Paging File(/dev/md0)\\% Usage", 1), 25.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Paging File(_Total)\\% Usage Peak", 1), 25.0);
}

TEST_F(PagingFile, WithoutTheSwapsFileOnlyTheTotalIsLeftWithoutAValue) {
  ScopedEnv procRoot("QUILLON_PROC_ROOT", FixturePath("sys-a").c_str());
  for (const char* path :
       {"\\Paging File(_Total)\\% Usage", "\\Paging File(_Total)\\% Usage Peak"}) {
    EXPECT_EQ(StatusAfter(path, 1),
              std::make_pair(platform::kPdhInvalidData, platform::kPdhCStatusNoObject))
        << path;
  }
  EXPECT_EQ(OneCounter("\\Paging File(/dev/sda2)\\% Usage").addStatus(),
            platform::kPdhCStatusNoInstance);
}

}  // namespace
}  // namespace provider_test
