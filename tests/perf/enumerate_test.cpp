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

namespace {

std::vector<std::pair<std::string, std::string>> Pairs(
    const std::vector<perf::CounterInstance>& instances) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const perf::CounterInstance& instance : instances) {
    pairs.emplace_back(instance.name, instance.localPath);
  }
  return pairs;
}

TEST_F(EnumerateTest, InstancesAreWhatStandsWhereTheWildcardStood) {
  // The list grows between the size probe and the call: the call is made again.
  pdh.expandedLists = {
      MultiString({"\\Process(a)\\% Processor Time"}),
      MultiString({"\\Process(a)\\% Processor Time", "\\Process(b (2))\\% Processor Time",
                   "\\\\HOST\\Process(c#1)\\% Processor Time", "\\Other(d)\\Something Else"})};
  std::vector<perf::CounterInstance> instances;
  EXPECT_EQ(perf::ExpandInstances("\\Process(*)\\% Processor Time", instances), platform::kPdhOk);
  EXPECT_EQ(pdh.Count("ExpandWildCardPath"), 3);
  using Pair = std::pair<std::string, std::string>;
  EXPECT_EQ(Pairs(instances),
            (std::vector<Pair>{{"a", "\\Process(a)\\% Processor Time"},
                               {"b (2)", "\\Process(b (2))\\% Processor Time"},
                               {"c#1", "\\\\HOST\\Process(c#1)\\% Processor Time"}}));

  pdh.expandStatus = platform::kPdhCStatusNoObject;
  EXPECT_FALSE(perf::ExpandInstancesForRead("\\Process(*)\\% Processor Time", instances));
  EXPECT_TRUE(instances.empty());
  EXPECT_EQ(DebugLines(), (Names{"PdhExpandWildCardPath: ret=C0000BB8"}));
  EXPECT_EQ(perf::ExpandInstances("\\Process(a)\\% Processor Time", instances),
            platform::kPdhCStatusBadCounterName)
      << "no wildcard to expand";
}

}  // namespace
