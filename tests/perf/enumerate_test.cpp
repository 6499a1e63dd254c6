#include <gtest/gtest.h>

#include "perf/perf.h"
#include "perf_test_env.h"

namespace {

using Names = std::vector<std::string>;

class EnumerateTest : public PerfTest {};

TEST_F(EnumerateTest, ObjectsComeInThePlatformsOrder) {
  pdh.objectList = MultiString({"System", "Processor", "Memory"});
  Names objects;
  EXPECT_TRUE(perf::enumobjects(objects, false));
  EXPECT_EQ(objects, (Names{"System", "Processor", "Memory"}));
  EXPECT_EQ(pdh.calls,
            (Names{"EnumObjects detail=400 refresh=FFFFFFFF", "EnumObjects detail=400 refresh=0"}));
}

TEST_F(EnumerateTest, RefreshOnlyHandsNoListBack) {
  pdh.objectList = MultiString({"System"});
  Names objects{"kept"};
  EXPECT_TRUE(perf::enumobjects(objects, true));
  EXPECT_EQ(objects, Names{"kept"});
}

TEST_F(EnumerateTest, ObjectListFailures) {
  Names objects{"kept"};
  pdh.objectList.clear();
  EXPECT_FALSE(perf::enumobjects(objects, false));
  EXPECT_EQ(pdh.calls.size(), 1u);
  pdh.objectList = MultiString({"System"});
  pdh.enumObjectsStatus = platform::kPdhInvalidArgument;
  EXPECT_FALSE(perf::enumobjects(objects, false));
  EXPECT_EQ(objects, Names{"kept"});
  EXPECT_FALSE(DebugLogExists());
}

TEST_F(EnumerateTest, ItemsKeepDuplicatesAndStopAtTheFirstEmptyString) {
  pdh.counterList = MultiString({"% Processor Time", "Interrupts/sec"});
  pdh.instanceList = MultiString({"0", "1", "1", "_Total"}) + std::string("late\0", 5);
  Names counters, instances;
  EXPECT_TRUE(perf::enumobjectItems("Prozessor", counters, instances));
  EXPECT_EQ(counters, (Names{"% Processor Time", "Interrupts/sec"}));
  EXPECT_EQ(instances, (Names{"0", "1", "1", "_Total"}));
  EXPECT_EQ(pdh.calls,
            (Names{"EnumObjectItemsProbe Prozessor detail=400", "EnumObjectItems Prozessor"}));
}

TEST_F(EnumerateTest, ObjectWithoutInstancesGivesAnEmptyInstanceList) {
  pdh.counterList = MultiString({"Available Bytes"});
  Names counters, instances{"stale"};
  EXPECT_TRUE(perf::enumobjectItems("Memory", counters, instances));
  EXPECT_EQ(counters, Names{"Available Bytes"});
  EXPECT_TRUE(instances.empty());
}

TEST_F(EnumerateTest, ItemFailures) {
  pdh.counterList = MultiString({"x"});
  pdh.instanceList = MultiString({"0"});
  pdh.counterProbeSize = 0;
  Names counters, instances;
  EXPECT_FALSE(perf::enumobjectItems("Processor", counters, instances));
  EXPECT_EQ(pdh.calls.size(), 1u);

  pdh.counterProbeSize = UINT32_MAX;
  pdh.enumItemsStatus = platform::kPdhCStatusNoObject;
  EXPECT_FALSE(perf::enumobjectItems("Processor", counters, instances));
  EXPECT_TRUE(counters.empty());
  EXPECT_FALSE(DebugLogExists());
}

TEST_F(EnumerateTest, UnterminatedListEndsWithTheData) {
  pdh.counterList = std::string("a\0b", 3);
  Names counters, instances;
  EXPECT_TRUE(perf::enumobjectItems("X", counters, instances));
  EXPECT_EQ(counters, (Names{"a", "b"}));
}

}  // namespace
